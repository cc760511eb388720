#!/usr/bin/env bash
# Checks the layering: each folder includes only from the folders below it, the lower
# layers never include a window header, the database client
# API stays inside the database layer, and the project's CMake targets depend on one
# another without a cycle.
# Usage: scripts/check-layers.sh [BUILD_DIR]   (a configured build folder, default build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "check-layers: $build is not a configured build folder; run scripts/build.sh first" >&2
    exit 2
fi
build="$(cd "$build" && pwd)"
cd "$root"
failed=0

# Window headers: those directly in the window folders, and all under windows/.
declare -A window
while IFS= read -r header; do
    window["${header#./}"]=1
done < <(find app finals settings reports office -maxdepth 1 -name '*.h' 2>/dev/null
         find windows -name '*.h' 2>/dev/null || true)

lower=()
for folder in text database pictures platform reports/model competition reports/sheets; do
    [ -d "$folder" ] && lower+=("$folder")
done

while IFS= read -r hit; do
    file="${hit%%:*}"
    rest="${hit#*:}"
    line="${rest%%:*}"
    included="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]+)[">].*/\1/' <<<"${rest#*:}")"
    # A quoted include is looked up next to the including file first.
    if [ -e "$(dirname "$file")/$included" ]; then
        included="$(realpath -m --relative-to=. "$(dirname "$file")/$included")"
    fi
    if [ -n "${window[$included]:-}" ]; then
        echo "$file:$line: includes the window header $included" >&2
        failed=1
    fi
done < <(find "${lower[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 |
         xargs -0 -r grep -nHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' || true)

# The folders from the bottom up, one level a line: a source includes from its own folder
# and the levels below only, never from a folder beside it or above it.
levels=(
    "text"
    "database pictures"
    "platform competition reports/model"
    "reports/sheets"
    "reports"
    "settings finals web"
    "office tools"
    "app"
)
declare -A level
for index in "${!levels[@]}"; do
    for folder in ${levels[$index]}; do
        level[$folder]=$index
    done
done
# The folder of a path: reports/model and reports/sheets before reports.
folder_of() {
    case "$1" in
        reports/model/*) echo reports/model ;;
        reports/sheets/*) echo reports/sheets ;;
        */*) echo "${1%%/*}" ;;
    esac
}
while IFS= read -r hit; do
    file="${hit%%:*}"
    rest="${hit#*:}"
    line="${rest%%:*}"
    included="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"${rest#*:}")"
    from="$(folder_of "$file")"
    to="$(folder_of "$included")"
    [ -n "$to" ] && [ -n "${level[$to]:-}" ] && [ "$to" != "$from" ] || continue
    if [ "${level[$to]}" -ge "${level[$from]}" ]; then
        echo "$file:$line: includes $included from $to/, which is not below $from/" >&2
        failed=1
    fi
done < <(for folder in "${!level[@]}"; do
             find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0
         done | xargs -0 -r grep -nHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' || true)

# The client API of the database stays in its layer: besides database/, only the layer's
# own tests and the raw-commit baseline of the benchmarks may include it.
while IFS= read -r hit; do
    echo "${hit%%:*}:$(cut -d: -f2 <<<"$hit"): reaches the database client API outside database/" >&2
    failed=1
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](ibase\.h|database/FbClient\.h|database/PreparedStatement\.h)[">]' \
             --include='*.h' --include='*.cpp' app competition finals office platform reports settings text tools web 2>/dev/null || true)

# The target graph as CMake sees it; it writes one extra file per target, hence the folder.
graph="$(mktemp -d)"
trap 'rm -rf "$graph"' EXIT
(cd "$graph" && cmake --graphviz=targets.dot "$build" >/dev/null)
# Edges between the project's own targets: imported targets (Qt6::Core, GTest::gtest) and
# plain libraries such as dl, which CMake draws as unknown libraries, are left out. Some
# targets are drawn with an edge to themselves, which is not a cycle.
edges="$(awk '
    / \[ label = / && !/legendNode/ {
        match($0, /label = "[^"]*"/)
        name = substr($0, RSTART + 9, RLENGTH - 10)
        split($1, id, "\"")
        if (name !~ /::/ && $0 !~ /shape = septagon/) own[id[2]] = name
    }
    / -> / && !/legendNode/ {
        split($1, from, "\""); split($3, to, "\"")
        if ((from[2] in own) && (to[2] in own) && from[2] != to[2])
            print own[from[2]], own[to[2]]
    }' "$graph/targets.dot")"
if [ -z "$edges" ]; then
    echo "check-layers: no dependencies between the project's targets in $build" >&2
    exit 1
fi
# tsort names the targets of each loop it finds on its error output, one a line; each
# loop is shown on a line of its own.
if ! loops="$(tsort <<<"$edges" 2>&1 >/dev/null)"; then
    echo "the CMake targets depend on one another in a cycle:" >&2
    awk '/input contains a loop/ { if (loop) print loop; loop = " "; next }
         { sub(/^tsort: /, ""); loop = loop " " $0 }
         END { if (loop) print loop }' <<<"$loops" >&2
    failed=1
fi

# A program that is built and links none of the libraries the pattern names; else it says
# which it links and why it must not.
links_none() {
    if [ ! -x "$1" ]; then
        echo "check-layers: $1 is not built" >&2
        return 1
    fi
    if ldd "$1" | grep -Eo "lib($2)[^ ]*"; then
        echo "$1 links the libraries above; $3" >&2
        return 1
    fi
}

# The results server, which every client on the network reaches, is a process with neither
# windows nor a database, so that nothing a client does to it reaches them.
links_none "$build/web/zlt-results-server" 'Qt6(Widgets|Gui|PrintSupport)|fbclient|jpeg' \
    "the results server must hold no window or database" || failed=1

# The sheets, the results on the network and zlt-event draw pages but show no window: they
# link no Qt Widgets, and zlt-event runs where there is no display at all.
all_edges="$(awk '
    / \[ label = / && !/legendNode/ {
        match($0, /label = "[^"]*"/)
        split($1, id, "\"")
        name[id[2]] = substr($0, RSTART + 9, RLENGTH - 10)
    }
    / -> / && !/legendNode/ {
        split($1, from, "\""); split($3, to, "\"")
        print name[from[2]], name[to[2]]
    }' "$graph/targets.dot")"
reaches() {
    local seen=" $1 " queue=("$1") next
    while [ "${#queue[@]}" -gt 0 ]; do
        for next in $(awk -v from="${queue[0]}" '$1 == from { print $2 }' <<<"$all_edges"); do
            [ "$next" = "$2" ] && return 0
            [[ "$seen" == *" $next "* ]] || { seen+="$next "; queue+=("$next"); }
        done
        queue=("${queue[@]:1}")
    done
    return 1
}
for target in zlt_sheets zlt_web zlt_pictures; do
    if reaches "$target" Qt6::Widgets; then
        echo "$target links Qt6::Widgets; it must make its pages without a window" >&2
        failed=1
    fi
done
event="$build/tools/zlt-event"
if ! links_none "$event" Qt6Widgets "zlt-event shows no window"; then
    failed=1
else
    scratch="$(mktemp -d)"
    if ! (cd "$scratch" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
              timeout 60 "$event" new ročník >/dev/null 2>>said &&
          env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
              timeout 60 "$event" export ročník web >/dev/null 2>>said &&
          [ -s web/index.html ]); then
        cat "$scratch/said" >&2
        echo "$event export did not run without a display" >&2
        failed=1
    fi
    rm -rf "$scratch"
fi

if [ "$failed" -eq 0 ]; then
    echo "layers: no folder includes from a folder beside or above it, no lower layer includes a"
    echo "window header, the client API stays in the database layer, the targets form no cycle,"
    echo "the results server links neither windows nor the database, and the sheets, the web"
    echo "and zlt-event link no Qt Widgets, zlt-event exporting with no display"
fi
exit "$failed"
