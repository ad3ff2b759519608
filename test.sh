#!/usr/bin/env bash
# Installs what is missing, builds the native and the Windows builds (64-bit run under Wine,
# 32-bit compiled only) and the portable core as 32-bit Linux code (run under qemu-i386-static),
# and runs every test. Exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/scripts/common.sh"

results=()
failed=0
step() {
    local name="$1"
    shift
    log "$name"
    if "$@"; then
        results+=("ok      $name")
    else
        results+=("FAILED  $name")
        failed=1
    fi
}

ensure_build_packages clang libclang-rt-14-dev || exit 1

run_native() {
    configure_and_build "$VELMAR_BUILD/linux" -DCMAKE_BUILD_TYPE=Debug &&
        ctest --test-dir "$VELMAR_BUILD/linux" -j "$JOBS" --output-on-failure
}

run_win64() {
    # The native program (built by the step before) saves beside the Windows one in one test.
    configure_and_build "$VELMAR_BUILD/win64" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELMAR_ROOT/cmake/toolchain-mingw64.cmake" \
        -DVELMAR_CONSOLE_NATIVA="$VELMAR_BUILD/linux/console/SetupVelmarCmd" || return 1
    local prefix="$VELMAR_BUILD/win64/wineprefix"
    ensure_wine_prefix "$prefix" null
    export VELMAR_WINEPREFIX="$prefix"
    # One wineserver for the whole run. Its helper processes start with the first program and
    # would inherit that program's output pipe, so start them here with no pipe to hold.
    wineserver -p
    "$(wine64_bin)" cmd /c exit </dev/null >/dev/null 2>&1 || true
    local rc=0
    ctest --test-dir "$VELMAR_BUILD/win64" -j "$JOBS" --output-on-failure || rc=1
    wineserver -k || true
    return $rc
}

run_sanitized() {
    configure_and_build "$VELMAR_BUILD/linux-asan" -DCMAKE_BUILD_TYPE=Debug -DVELMAR_SANITIZE=ON &&
        ctest --test-dir "$VELMAR_BUILD/linux-asan" -j "$JOBS" --output-on-failure
}

# Each fuzz target runs a fixed number of inputs from the checked-in samples; for a longer
# run see the README.
FUZZ_RUNS="${FUZZ_RUNS:-200000}"
run_fuzz() {
    CC=clang CXX=clang++ configure_and_build "$VELMAR_BUILD/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMAR_FUZZ=ON -DVELMAR_SANITIZE=ON -DVELMAR_TESTS=OFF || return 1
    local t corpus rc=0
    for t in fuzz_righe fuzz_sostituzione; do
        corpus="$VELMAR_BUILD/fuzz/corpus-$t"
        mkdir -p "$corpus"
        cp "$VELMAR_ROOT"/tests/data/*.txt "$corpus"/
        (cd "$VELMAR_BUILD/fuzz" && "./fuzz/$t" -runs="$FUZZ_RUNS" -max_len=4096 "$corpus" 2>&1 | tail -n 1) || rc=1
    done
    return $rc
}

# The portable core and its tests as 32-bit x86 code, run under qemu-i386-static (this kernel
# runs no 32-bit programs). Every test program built must be a 32-bit ELF file.
run_linux32() {
    local dir="$VELMAR_BUILD/linux32"
    configure_and_build "$dir" -DCMAKE_BUILD_TYPE=Debug -DVELMAR_SOLO_NUCLEO=ON \
        -DCMAKE_TOOLCHAIN_FILE="$VELMAR_ROOT/cmake/toolchain-linux32.cmake" || return 1
    local f classe programmi=0
    while IFS= read -r f; do
        [ "$(head -c 4 "$f")" = $'\x7fELF' ] || continue
        classe=$(od -An -tu1 -j4 -N1 "$f" | tr -d ' ')
        if [ "$classe" != 1 ]; then
            echo "not 32-bit code: $f"
            return 1
        fi
        programmi=$((programmi + 1))
    done < <(find "$dir/tests" -type f -perm -u+x)
    if [ $programmi -eq 0 ]; then
        echo "no test program in $dir/tests"
        return 1
    fi
    ctest --test-dir "$dir" -j "$JOBS" --output-on-failure
}

build_win32() {
    configure_and_build "$VELMAR_BUILD/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELMAR_ROOT/cmake/toolchain-mingw32.cmake"
}

start=$(date +%s)
step "Native build and tests" run_native
step "Native tests under AddressSanitizer and UndefinedBehaviorSanitizer" run_sanitized
step "Fuzzing ($FUZZ_RUNS runs per target)" run_fuzz
step "Portable core as 32-bit code under qemu-i386-static" run_linux32
step "Windows 64-bit build and tests under Wine" run_win64
step "Windows 32-bit build (compile only)" build_win32
step "Release zip (package.sh) and its contents" "$VELMAR_ROOT/scripts/verifica_rilascio.sh"

log "Summary ($(($(date +%s) - start)) s)"
printf '%s\n' "${results[@]}"
exit $failed
