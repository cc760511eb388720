#!/usr/bin/env bash
# Makes the demo event folder with the programs of a build, through their own commands:
#   scripts/demo/make-demo.sh BUILD_DIR FOLDER
# 30 teams from druzstva.csv, disciplines 1 to 4 with the results of vysledky.csv and the
# placings, totals and ranks computed from them; 5 and 6 and the finals still to come.
# A demo folder that is there already is kept as it is; another folder is never touched.
# The event is made in a folder beside it and renamed into place only when whole, so a
# failure leaves no half demo behind.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ "$#" -ne 2 ]; then
    echo "usage: $0 BUILD_DIR FOLDER" >&2
    exit 2
fi
tools="$(cd "$1" && pwd)/tools"
target=$2
# Tells a demo made here from a folder of other events, or one an older demo script made
# with numbered rows only.
mark=.ukazkovy-rocnik
if [ -e "$target/$mark" ]; then
    echo "demo: keeping the demo event in $target"
    exit 0
fi
if [ -e "$target" ]; then
    echo "demo: $target is there but holds no demo event made by this script" \
        "(perhaps the empty one of an older version); move it away or delete it first" >&2
    exit 1
fi
parent="$(dirname "$target")"
leftover=".$(basename "$target").making-"
mkdir -p "$parent"
# What a killed run left.
rm -rf "${parent:?}/$leftover"*
aside="$(mktemp -d "$parent/${leftover}XXXXXX")"
trap 'rm -rf "$aside"' EXIT
event="$aside/event"
log="$aside/log"

# Each step's output is told only when it fails.
run() {
    if ! "$@" >"$log" 2>&1; then
        echo "demo: $(basename "$1") ${2:-} failed; no demo event was made:" >&2
        cat "$log" >&2
        exit 1
    fi
}

run "$tools/zlt-new-event" "$event"
run "$tools/zlt-event" import "$event" "$here/druzstva.csv"
run "$tools/zlt-event" disciplines "$event" 1=cas 2=body 3=cas,posledni 4=vzdalenost \
    5=body 6=cas
run "$tools/zlt-demo-event" "$event" "$here/vysledky.csv"
for discipline in 1 2 3 4; do
    run "$tools/zlt-event" placings "$event" "$discipline" --write
done
run "$tools/zlt-event" rank "$event"
# The demo shows the program at work, not the check's red line.
run "$tools/zlt-event" check "$event"
echo "Ukázkový ročník ze scripts/demo/make-demo.sh" >"$event/$mark"
mv -T "$event" "$target"
echo "demo: the demo event is ready in $target"
