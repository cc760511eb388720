#!/usr/bin/env bash
# Starts the program in the demo event folder, made on first use and kept (ZLT_DEMO_DIR,
# else demo/). The programs are taken from ZLT_BUILD, else from build/ when they are there;
# only without either is the project built into build/ first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
programs=(app/zlt tools/zlt-new-event tools/zlt-event tools/zlt-demo-event)
built() {
    local program
    for program in "${programs[@]}"; do
        [ -x "$1/$program" ] || return 1
    done
}
if [ -n "${ZLT_BUILD:-}" ]; then
    build=$ZLT_BUILD
    if ! built "$build"; then
        echo "demo: ZLT_BUILD=$build does not hold the built programs (${programs[*]})" >&2
        exit 1
    fi
else
    build="$root/build"
    built "$build" || "$root/scripts/build.sh" "$build"
fi
build="$(cd "$build" && pwd)"
demo=${ZLT_DEMO_DIR:-$root/demo}
"$root/scripts/demo/make-demo.sh" "$build" "$demo"
cd "$demo"
exec "$build/app/zlt"
