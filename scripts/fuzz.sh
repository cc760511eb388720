#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
"$root/scripts/install-deps.sh"
# Each target as seed-folder:fuzzer. The seeds are in tests/fuzz/seeds/<folder>; the JPEG
# loader's are the program's own pictures.
targets=(settings:settings_reader_fuzzer jpeg:jpeg_loader_fuzzer report:saved_report_fuzzer
    teams:team_list_fuzzer)
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZLT_WERROR=ON \
    -DZLT_FUZZ=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]#*:}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
    corpus="${target%%:*}"
    mkdir -p "$work/$corpus"
    if [ -d "$root/tests/fuzz/seeds/$corpus" ]; then
        cp "$root/tests/fuzz/seeds/$corpus"/* "$work/$corpus/"
    fi
done
cp "$root"/resources/*.jpg "$work/jpeg/"

# Qt's and fontconfig's caches live for the process; only real faults should stop a run.
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
    corpus="${target%%:*}"
    fuzzer="${target#*:}"
    echo "== $fuzzer for ${seconds}s"
    "$build/tests/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -timeout=10 -print_final_stats=1 "$work/$corpus" 2>&1 | tail -n 12
    test "${PIPESTATUS[0]}" -eq 0
done
