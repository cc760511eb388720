#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [BUILD_DIR] [CMAKE_ARGS...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
shift || true
# One compiler cache serves every build folder and every checkout: paths below the
# checkout are hashed relative to it.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZLT_WERROR=ON \
    "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
