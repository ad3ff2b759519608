#!/usr/bin/env bash
# Installs what is missing, builds the native build, the portable core as 32-bit Linux code (run
# under qemu-i386-static) and the 64-bit and 32-bit Windows builds (each run under Wine), and
# runs every test. Exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/scripts/common.sh"

# A step passes (0), fails (any other status) or, returning 77 with its reason in `skipped`,
# could not run here: the summary says so, never "ok".
SKIPPED=77
skipped=""
results=()
failed=0
step() {
    local name="$1" rc=0
    shift
    log "$name"
    skipped=""
    "$@" || rc=$?
    if [ $rc -eq 0 ]; then
        results+=("ok      $name")
    elif [ $rc -eq $SKIPPED ]; then
        results+=("skipped $name: $skipped")
    else
        results+=("FAILED  $name")
        failed=1
    fi
}

ensure_build_packages clang libclang-rt-14-dev default-jre-headless libderby-java || exit 1

run_native() {
    configure_and_build "$VELMAR_BUILD/linux" -DCMAKE_BUILD_TYPE=Debug &&
        ctest --test-dir "$VELMAR_BUILD/linux" -j "$JOBS" --output-on-failure
}

# Whether Wine runs 32-bit programs here: 0 when it does; 1 when this kernel runs no 32-bit x86
# code, which wine32's loader is, or the package archive could not give wine32; 2 when wine32 is
# missing otherwise. Says why when it does not.
runs_32bit_code() {
    if [ ! -x /usr/lib/wine/wine ] && [ -n "$WINE32_MANCANTE" ]; then
        echo "$WINE32_MANCANTE"
        return 1
    fi
    if [ ! -x /usr/lib/wine/wine ]; then
        echo "wine32 is not installed: /usr/lib/wine/wine is missing"
        return 2
    fi
    local rc=0
    /usr/lib/wine/wine --version >/dev/null 2>&1 || rc=$?
    if [ $rc -eq 126 ]; then
        echo "this kernel does not run 32-bit x86 programs (no IA-32 emulation)"
        return 1
    fi
    return 0
}

# One Windows build's folder, configured alike by both Windows steps. The native program (built
# by the first step) saves beside the Windows one in one test; the other width's console program
# is run beside this build's stand-in component in another, where this kernel runs 32-bit code.
configure_windows() {
    local bits="$1" other=32 altra=""
    [ "$bits" = 32 ] && other=64
    runs_32bit_code >/dev/null && altra="$VELMAR_BUILD/win$other/console/SetupVelmarCmd.exe"
    cmake -S "$VELMAR_ROOT" -B "$VELMAR_BUILD/win$bits" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELMAR_ROOT/cmake/toolchain-mingw$bits.cmake" \
        -DVELMAR_CONSOLE_NATIVA="$VELMAR_BUILD/linux/console/SetupVelmarCmd" \
        -DVELMAR_CONSOLE_ALTRA="$altra" >/dev/null
}

# The Windows build of width $1 (64 or 32) and all its tests under Wine, in a prefix of its own
# (build/win$1/wineprefix) that runs 32-bit programs. The 32-bit tests are skipped, saying why,
# where this kernel runs no 32-bit code.
run_windows() {
    local bits="$1" other=32
    [ "$bits" = 32 ] && other=64
    configure_windows "$bits" && configure_windows "$other" &&
        cmake --build "$VELMAR_BUILD/win$other" -j "$JOBS" --target SetupVelmarCmd &&
        cmake --build "$VELMAR_BUILD/win$bits" -j "$JOBS" || return 1
    local motivo rc32=0
    motivo=$(runs_32bit_code) || rc32=$?
    if [ $rc32 -ne 0 ]; then
        echo "$motivo"
        [ $rc32 -eq 1 ] || return 1
        if [ "$bits" = 32 ]; then
            skipped="$motivo"
            return $SKIPPED
        fi
        echo "so the 32-bit console program is not run beside the 64-bit stand-in"
    fi
    local prefix="$VELMAR_BUILD/win$bits/wineprefix"
    ensure_wine_prefix "$prefix" null
    export VELMAR_WINEPREFIX="$prefix"
    # One wineserver for the whole run. Its helper processes start with the first program and
    # would inherit that program's output pipe, so start them here with no pipe to hold.
    wineserver -p
    "$(wine64_bin)" cmd /c exit </dev/null >/dev/null 2>&1 || true
    local rc=0
    ctest --test-dir "$VELMAR_BUILD/win$bits" -j "$JOBS" --output-on-failure || rc=1
    wineserver -k || true
    return $rc
}

# Built with Clang, so that both compilers build every file with warnings as errors (the native
# build above uses GCC).
run_sanitized() {
    CC=clang CXX=clang++ configure_and_build "$VELMAR_BUILD/linux-asan" -DCMAKE_BUILD_TYPE=Debug -DVELMAR_SANITIZE=ON &&
        ctest --test-dir "$VELMAR_BUILD/linux-asan" -j "$JOBS" --output-on-failure
}

# Each fuzz target runs a fixed number of inputs from the checked-in samples; for a longer
# run see the README.
FUZZ_RUNS="${FUZZ_RUNS:-200000}"
run_fuzz() {
    CC=clang CXX=clang++ configure_and_build "$VELMAR_BUILD/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMAR_FUZZ=ON -DVELMAR_SANITIZE=ON -DVELMAR_TESTS=OFF || return 1
    local t corpus rc=0
    for t in fuzz_righe fuzz_sostituzione fuzz_drda; do
        corpus="$VELMAR_BUILD/fuzz/corpus-$t"
        mkdir -p "$corpus"
        if [ "$t" = fuzz_drda ]; then
            cp "$VELMAR_ROOT"/tests/data/drda/*.bin "$corpus"/
        else
            cp "$VELMAR_ROOT"/tests/data/*.txt "$corpus"/
        fi
        (cd "$VELMAR_BUILD/fuzz" && "./fuzz/$t" -runs="$FUZZ_RUNS" -max_len=4096 "$corpus" 2>&1 | tail -n 1) || rc=1
    done
    return $rc
}

# The portable core and its tests as 32-bit x86 code, run under qemu-i386-static, which needs
# no 32-bit support from the kernel. Every test program built must be a 32-bit ELF file.
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

start=$(date +%s)
step "Native build and tests" run_native
step "Native tests built with Clang under AddressSanitizer and UndefinedBehaviorSanitizer" run_sanitized
step "Fuzzing ($FUZZ_RUNS runs per target)" run_fuzz
step "Portable core as 32-bit code under qemu-i386-static" run_linux32
step "Windows 64-bit build and tests under Wine" run_windows 64
step "Windows 32-bit build and tests under Wine" run_windows 32
step "Release zip (package.sh) and its contents" "$VELMAR_ROOT/scripts/verifica_rilascio.sh"

log "Summary ($(($(date +%s) - start)) s)"
printf '%s\n' "${results[@]}"
exit $failed
