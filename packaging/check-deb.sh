#!/usr/bin/env bash
# Makes the Debian package from a built tree, installs it on this machine, and starts the
# installed program in a new event folder on its own X server as an ordinary user, as
# someone who installed it would. Needs root (apt-get, runuser).
#   packaging/check-deb.sh BUILD_DIR
set -euo pipefail
build="$(cd "${1:?usage: packaging/check-deb.sh BUILD_DIR}" && pwd)"
source "$(cd "$(dirname "$0")/../scripts" && pwd)/private-x.sh"
unset DISPLAY
if [ "$(id -u)" -ne 0 ]; then
    echo "check-deb: installs a package and runs as another user, so it needs root" >&2
    exit 1
fi
fail() {
    echo "check-deb: $*" >&2
    if [ -s "${place:-}/zlt.log" ]; then
        echo "check-deb: the program said:" >&2
        cat "$place/zlt.log" >&2
    fi
    if [ -n "${DISPLAY:-}" ] && import -window root "$build/check-deb.png" 2>/dev/null; then
        echo "check-deb: the screen is in $build/check-deb.png" >&2
    fi
    exit 1
}

cd "$build"
rm -f zlt_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; fail "cpack failed"; }
deb=$(ls zlt_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package: $deb, $(stat -c %s "$deb") bytes"
echo "Depends: $depends"
# Only runtime packages: a -dev package would pull a whole toolchain onto a desk.
if tr ',' '\n' <<<"$depends" | grep -Eq -- '-dev([[:space:]]|\(|$)'; then
    fail "the package depends on a development package"
fi
for needed in libfbclient2 firebird3.0-server-core fonts-liberation2 qt6-translations-l10n \
    libqt6widgets6 libqt6printsupport6 libjpeg62-turbo; do
    grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
done

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./zlt_*.deb >apt.log 2>&1 ||
    { cat apt.log >&2; fail "apt-get could not install $deb"; }
for file in /usr/bin/zlt /usr/bin/zlt-new-event /usr/bin/zlt-event /usr/libexec/zlt/zlt-results-server \
    /usr/share/applications/zlt.desktop /usr/share/man/man1/{zlt,zlt-new-event,zlt-event}.1.gz \
    /usr/share/icons/hicolor/{48x48,128x128,256x256}/apps/zlt.png; do
    [ -s "$file" ] || fail "$file was not installed"
done
for size in 48 128 256; do
    [ "$(identify -format '%wx%h' "/usr/share/icons/hicolor/${size}x${size}/apps/zlt.png")" = \
        "${size}x${size}" ] || fail "the ${size} px icon has another size"
done
desktop-file-validate /usr/share/applications/zlt.desktop
grep -qx 'Name=ZLT – výsledková kancelář' /usr/share/applications/zlt.desktop ||
    fail "the menu entry lacks its Czech name"
for page in zlt zlt-new-event zlt-event; do
    zcat "/usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1 | (! grep .) ||
        fail "the man page of $page has troff warnings"
done
[ "$(env -u DISPLAY zlt --version)" = "zlt $(dpkg-deb -f "$deb" Version)" ] ||
    fail "zlt --version does not print the package's version"

id zltci >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin zltci
place="$(mktemp -d /tmp/zlt-deb-XXXXXX)"
xvfb=""
zlt=""
cleanup() {
    # The embedded engine ignores SIGTERM, so the program is ended outright.
    if [ -n "$zlt" ]; then
        kill -KILL "$zlt" 2>/dev/null || true
        wait "$zlt" 2>/dev/null || true
    fi
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$place"
}
trap cleanup EXIT
chmod 755 "$place"
chown zltci "$place"
# setpriv and env each run the next command in their own process, so $! is its id.
as_user=(setpriv --reuid=zltci --regid="$(id -g zltci)" --clear-groups
    env -i PATH=/usr/bin:/bin HOME="$place" TMPDIR="$place" LANG=C.UTF-8)

"${as_user[@]}" zlt-new-event "$place/Závody 2027" >/dev/null
# The command-line tool draws its sheets off screen: it needs no display.
"${as_user[@]}" zlt-event export "$place/Závody 2027" "$place/web" >/dev/null ||
    fail "zlt-event export failed as an ordinary user without a display"
[ -s "$place/web/index.html" ] || fail "zlt-event export wrote no index page"
# The results server is a program of its own, found where the package put it.
"${as_user[@]}" zlt-event serve "$place/Závody 2027" --port 0 >"$place/serve.log" 2>&1 &
serve=$!
address=""
for _ in $(seq 100); do
    address=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$place/serve.log" | head -n 1) || true
    [ -z "$address" ] || break
    sleep 0.1
done
served=$(curl -fsS --max-time 5 "$address" 2>&1) || true
kill -TERM "$serve" 2>/dev/null || true
wait "$serve" 2>/dev/null || true
grep -q 'Poslední změna' <<<"$served" ||
    { cat "$place/serve.log" >&2; fail "zlt-event serve from the package served no page"; }
start_private_x "$place" "${as_user[@]}" || fail "Xvfb did not start"

# Started from elsewhere with the folder named, as a user of the installed program would.
cd /
"${as_user[@]}" DISPLAY="$DISPLAY" zlt "$place/Závody 2027" >"$place/zlt.log" 2>&1 &
zlt=$!
window=""
for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --name '^Zeltoria $' 2>/dev/null | head -n 1) || true
    [ -z "$window" ] || break
    kill -0 "$zlt" 2>/dev/null || break
    sleep 0.1
done
[ -n "$window" ] || fail "the main window did not appear"
# A database that could not be opened would show a message box over it.
sleep 1
if xdotool search --onlyvisible --name '^ZLT$' >/dev/null 2>&1; then
    fail "a message box came up at start"
fi
echo "check-deb: the installed zlt shows its main window"
kill -KILL "$zlt"
wait "$zlt" 2>/dev/null || true
zlt=""

# The menu entry's way: the folder chooser first. Cancelled, the program ends with 0.
wait_window() {
    local title=$1 id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1) || true
        [ -z "$id" ] || { echo "$id"; return 0; }
        kill -0 "$zlt" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
chooser_title='^ZLT .* vyberte'
"${as_user[@]}" DISPLAY="$DISPLAY" zlt --choose-folder >"$place/zlt.log" 2>&1 &
zlt=$!
chooser=$(wait_window "$chooser_title") || fail "zlt --choose-folder showed no folder chooser"
xdotool windowfocus --sync "$chooser" key Escape
rc=0
timeout 10 tail --pid="$zlt" -f /dev/null || fail "a cancelled chooser did not end the program"
wait "$zlt" || rc=$?
zlt=""
[ "$rc" -eq 0 ] || fail "a cancelled chooser ended the program with $rc"

# A folder typed into the chooser is opened, and offered again the next time.
"${as_user[@]}" DISPLAY="$DISPLAY" zlt --choose-folder >"$place/zlt.log" 2>&1 &
zlt=$!
chooser=$(wait_window "$chooser_title") || fail "zlt --choose-folder showed no folder chooser"
# Typed in plain ASCII: xdotool may drop remapped letters on a busy machine.
"${as_user[@]}" zlt-new-event "$place/chosen-2027" >/dev/null
xdotool windowfocus --sync "$chooser" type --delay 20 "$place/chosen-2027"
# The first Return may only take the completer's proposal of the same path.
for _ in 1 2 3; do
    xdotool search --onlyvisible --name "$chooser_title" >/dev/null 2>&1 || break
    xdotool key Return
    sleep 1
done
wait_window '^Zeltoria $' >/dev/null || fail "the folder chosen was not opened"
grep -q "$place/chosen-2027" "$place/.config/zlt/zlt.conf" || fail "the folder chosen was not remembered"
echo "check-deb: the folder chooser opens the folder typed and ends the program when cancelled"
