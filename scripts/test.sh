#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$root/build" --output-on-failure --parallel "$(nproc)"
# CI runs the end-to-end scenarios itself, under their own heading.
if [ "${ZLT_SKIP_E2E:-}" != 1 ]; then
    "$root/tests/e2e/run.sh" "$root/build"
fi
