#!/usr/bin/env bash
# Takes the README's picture of the main window, docs/hlavni-okno.png: the program on a
# fresh copy of the demo event (made first when missing), under an X server of its own.
# The programs come from ZLT_BUILD, else from build/ (scripts/build.sh makes it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/private-x.sh"
build="$(cd "${ZLT_BUILD:-$root/build}" && pwd)"
picture="$root/docs/hlavni-okno.png"
for tool in Xvfb xdotool import convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "screenshot: $tool is missing; run scripts/install-deps.sh" >&2
        exit 1
    fi
done
demo=${ZLT_DEMO_DIR:-$root/demo}
"$root/scripts/demo/make-demo.sh" "$build" "$demo"

work="$(mktemp -d "${TMPDIR:-/tmp}/zlt-screenshot-XXXXXX")"
xvfb=""
zlt=""
cleanup() {
    [ -z "$zlt" ] || kill "$zlt" 2>/dev/null || true
    [ -z "$zlt" ] || wait "$zlt" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# The program writes its copies and journal into the folder it opens: the demo stays as made.
cp -a "$demo" "$work/event"

start_private_x "$work"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE

(cd "$work/event" && exec "$build/app/zlt") >"$work/zlt.log" 2>&1 &
zlt=$!
window=""
for _ in $(seq 150); do
    window=$(xdotool search --all --onlyvisible --pid "$zlt" --name '^Zeltoria' 2>/dev/null |
        tail -n 1) || true
    [ -z "$window" ] || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "screenshot: the main window did not appear: $(cat "$work/zlt.log")" >&2
    exit 1
fi
# The heading slides into place for a moment after the window shows.
sleep 2
mkdir -p "$(dirname "$picture")"
import -window "$window" "$work/window.png"
# Without the time of taking, so that the same window makes the same file; in few colours,
# as a window has few.
convert "$work/window.png" -strip +dither -colors 128 "PNG8:$picture"
echo "screenshot: $picture"
