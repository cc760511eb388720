#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program in the demo event folder,
# which is made on first use.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
if [ ! -e "$root/demo/ZLT04.GDB" ]; then
    "$root/build/tools/zlt-new-event" "$root/demo"
fi
cd "$root/demo"
exec "$root/build/app/zlt"
