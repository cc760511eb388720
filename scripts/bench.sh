#!/usr/bin/env bash
# Runs every benchmark of a build and prints their figures as one table, each figure a
# ratio against a baseline measured in the same run (or a time against a fixed limit).
# Usage: scripts/bench.sh [BUILD_DIR] [BENCHMARK_ARGS...]; the full output of each
# benchmark is kept in BUILD_DIR/bench/<name>.log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
shift || true
[ -d "$build/bench" ] || { echo "bench: no benchmarks in $build (built with -DZLT_BENCHMARKS=OFF?)" >&2; exit 1; }

# The benchmarks that show windows need a display; none is shown.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
printf '%-16s %-48s %12s %10s  %s\n' benchmark figure value target met
for program in "$build"/bench/*_bench; do
    name="$(basename "$program")"
    log="$build/bench/$name.log"
    if ! (cd "$work" && "$program" "$@") >"$log" 2>&1; then
        printf '%-16s %s\n' "$name" "failed: see $log"
        continue
    fi
    # The report's own table starts after its header line "figure ... met".
    sed -n '/^figure .* met$/,$p' "$log" | tail -n +2 | sed "s/^/$(printf '%-16s ' "$name")/"
done
