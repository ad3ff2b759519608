#!/usr/bin/env bash
# Builds the store's benchmarks, runs them on generated parameters files of 1 000, 100 000 and
# 1 000 000 lines and prints a table: each figure beside a plain read (or four plain copies) of
# the same file in the same run, and beside the command-line tools a person would use instead.
# Then times a keystroke in the code box of the real window, built for Windows and run under
# Wine, on a package of 100 000 lines.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
ensure_build_packages python3 gawk

dir="$VELMAR_BUILD/bench"
cmake -S "$VELMAR_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMAR_BENCH=ON \
    -DVELMAR_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$JOBS" --target bench_store SetupVelmarCmd
export VELMAR_BENCH_DIR="$dir/data"
mkdir -p "$VELMAR_BENCH_DIR"

log "Running the benchmarks (files in $VELMAR_BENCH_DIR)"
# Each figure is run several times, interleaved at random with the others so that a slow moment
# of the machine does not fall on one benchmark only; the table takes the best run of each.
"$dir/bench/bench_store" --benchmark_min_time="${BENCH_MIN_TIME:-0.5}" \
    --benchmark_repetitions="${BENCH_REPETITIONS:-5}" --benchmark_enable_random_interleaving=true \
    --benchmark_out="$dir/risultati.json" --benchmark_out_format=json | tee "$dir/risultati.txt"
python3 "$VELMAR_ROOT/scripts/bench_table.py" "$dir/risultati.json" "$VELMAR_BENCH_DIR" \
    "$dir/risultati.txt" "$dir/console/SetupVelmarCmd"

log "A keystroke in the window under Wine"
windows="$VELMAR_BUILD/bench-win64"
cmake -S "$VELMAR_ROOT" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMAR_BENCH=ON \
    -DVELMAR_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE="$VELMAR_ROOT/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build "$windows" -j "$JOBS" --target tasto_win32
ensure_wine_prefix "$windows/wineprefix" null
"$(wine64_bin)" "$windows/bench/tasto_win32.exe"
wineserver -k 2>/dev/null || true
