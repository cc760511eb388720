#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, run and test.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
    # toolchain and tests
    build-essential cmake ninja-build pkg-config git ccache
    libgtest-dev libgmock-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
    # windows, printing and PDF output; the results server on Qt's HTTP server (whose
    # CMake package needs the WebSockets one)
    qt6-base-dev qt6-httpserver-dev qt6-websockets-dev
    # Qt's own Czech texts: the buttons of the message boxes, the file and print dialogs
    qt6-translations-l10n
    # the QR code of the results' address
    libqrencode-dev
    # the embedded database engine, its client library and headers, and isql for checks;
    # the server, which the server tests start privately and scripts/server.sh for real
    firebird-dev firebird3.0-server-core firebird3.0-utils firebird3.0-server
    # pictures and fonts (Liberation Sans has Arial's metrics)
    libjpeg62-turbo-dev fonts-liberation2
    # the Debian package: its dependencies, menu entry and man pages checked
    dpkg-dev desktop-file-utils groff-base
    # looking at the program and its sheets as a user would
    xvfb xauth imagemagick poppler-utils
    # checking the published pages with an HTML5 parser, and the served ones in a browser
    python3-html5lib chromium
    # driving the program with pointer and keys in the end-to-end tests, and asking its
    # results server
    xdotool python3-xlib curl
    # printing on a real queue: the print tests start a private cupsd with a cups-pdf queue
    cups cups-daemon cups-client printer-driver-cups-pdf ghostscript
    # power cuts in the crash tests: a FUSE file system that forgets what was not synced
    libfuse3-dev fuse3
)

# One question to dpkg for all of them, so that the check costs nothing before the demo;
# it fails for a package dpkg has never seen, which is then missing.
listed=$(dpkg-query -W -f='${Package}=${Status}\n' "${packages[@]}" 2>/dev/null) || true
installed=" $(sed -n 's/=install ok installed$//p' <<<"$listed" | tr '\n' ' ')"
missing=()
for package in "${packages[@]}"; do
    [[ "$installed" == *" $package "* ]] || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "install-deps: these packages are missing and sudo is not available: ${missing[*]}" >&2
        exit 1
    fi
    as_root=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
