#!/usr/bin/env bash
# End-to-end scenarios: the built zlt in fresh event folders on a private X server,
# driven by pointer and keys, with the database checked afterwards.
#   tests/e2e/run.sh [BUILD_DIR] [SCENARIO...]
# Ends with "N passed, M failed, K skipped"; screenshots and logs of failures go to
# $ZLT_E2E_ARTIFACTS (default BUILD_DIR/e2e-artifacts). Run as root, it runs the
# scenarios as the system user zltci, as the program is never run by root for real.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
timeout_seconds=${ZLT_E2E_TIMEOUT:-45}
mapfile -t cases < <("$here/scenarios.sh" --list)
# Scenarios named after the build folder run alone, in the order given.
if [ "$#" -gt 1 ]; then
    for name in "${@:2}"; do
        if [[ " ${cases[*]} " != *" $name "* ]]; then
            echo "e2e: no scenario $name; there are: ${cases[*]}" >&2
            exit 2
        fi
    done
    cases=("${@:2}")
fi

for binary in "$build/app/zlt" "$build/tools/zlt-new-event" "$build/tools/zlt-event" \
    "$build/tools/zlt-demo-event"; do
    if [ ! -x "$binary" ]; then
        echo "e2e: $binary is missing; build first (scripts/build.sh)" >&2
        exit 1
    fi
done
# The program starts the results server it finds beside it as installed, else the one it
# was built with.
server="$build/libexec/zlt/zlt-results-server"
[ -x "$server" ] || server="$build/web/zlt-results-server"
if [ ! -x "$server" ]; then
    echo "e2e: $server is missing; build first (scripts/build.sh)" >&2
    exit 1
fi
for tool in Xvfb xdotool import convert isql-fb timeout curl; do
    if ! command -v "$tool" >/dev/null; then
        echo "e2e: $tool is missing; run scripts/install-deps.sh" >&2
        exit 1
    fi
done

# The demo's making step, with the team list and results it reads.
demo=${ZLT_E2E_DEMO:-$here/../../scripts/demo}
# The private X server's start, shared with the screenshot.
private_x=${ZLT_E2E_PRIVATE_X:-$here/../../scripts/private-x.sh}

# The private database server of the scenarios with tables on a server, built with the tests.
firebird_server=tests/firebird-test-server

artifacts=${ZLT_E2E_ARTIFACTS:-$build/e2e-artifacts}
if ! mkdir -p "$artifacts" 2>/dev/null || [ ! -w "$artifacts" ]; then
    artifacts=$(mktemp -d "${TMPDIR:-/tmp}/zlt-e2e-artifacts-XXXXXX")
fi
rm -f "$artifacts"/*.png "$artifacts"/*.log

if [ "$(id -u)" -eq 0 ]; then
    # The build tree may be closed to other users: hand zltci copies it can read.
    id zltci >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin zltci
    place="$(mktemp -d /tmp/zlt-e2e-XXXXXX)"
    trap 'rm -rf "$place"' EXIT
    mkdir -p "$place/build/app" "$place/build/tools" "$place/build/libexec/zlt" \
        "$place/build/tests" "$place/e2e" "$place/support" "$place/artifacts"
    cp "$build/app/zlt" "$place/build/app/"
    cp "$build/tools/zlt-new-event" "$build/tools/zlt-event" "$build/tools/zlt-demo-event" \
        "$place/build/tools/"
    cp -r "$demo" "$place/demo"
    cp "$private_x" "$place/"
    cp "$server" "$place/build/libexec/zlt/"
    [ ! -x "$build/$firebird_server" ] || cp "$build/$firebird_server" "$place/build/tests/"
    cp "$here"/*.sh "$here"/*.py "$place/e2e/"
    cp "$here/../support/isql-layout.sql" "$place/support/"
    chmod -R a+rX "$place"
    chown zltci "$place" "$place/artifacts"
    rc=0
    runuser -u zltci -- env -i PATH=/usr/bin:/bin HOME="$place" TMPDIR="$place" \
        ZLT_E2E_ARTIFACTS="$place/artifacts" ZLT_E2E_SHOWN_ARTIFACTS="$artifacts" \
        ZLT_E2E_TIMEOUT="$timeout_seconds" ZLT_E2E_DEMO="$place/demo" \
        ZLT_E2E_PRIVATE_X="$place/private-x.sh" \
        "$place/e2e/run.sh" "$place/build" "${cases[@]}" || rc=$?
    cp -r "$place/artifacts/." "$artifacts/"
    exit "$rc"
fi

shown_artifacts=${ZLT_E2E_SHOWN_ARTIFACTS:-$artifacts}
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# The program must come up on the private X server, whatever session started the run.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
export ZLT_BIN="$build/app/zlt" NEW_EVENT="$build/tools/zlt-new-event" \
    EVENT_TOOL="$build/tools/zlt-event" ISQL_LAYOUT="$here/../support/isql-layout.sql" \
    ZLT_BUILD="$build" DEMO_MAKER="$demo/make-demo.sh"
work="$(mktemp -d "${TMPDIR:-/tmp}/zlt-e2e-run-XXXXXX")"
xvfb=""
firebird=""
cleanup() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    if [ -n "$firebird" ]; then
        kill "$firebird" 2>/dev/null || true
        wait "$firebird" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

source "$private_x"
start_private_x "$work" || exit 1

# The scenarios of tables on a database server get a Firebird server of their own on free
# loopback ports, as the server tests do, run by this user and gone at the end. It tells
# where a file of its data folder is and its administrator's password; where it cannot
# start, the scenarios are told why and skip.
if [ ! -x "$build/$firebird_server" ]; then
    ZLT_E2E_NO_SERVER="$build/$firebird_server is missing; build with the tests"
else
    "$build/$firebird_server" >"$work/firebird" 2>&1 &
    firebird=$!
    for _ in $(seq 300); do
        if [ "$(wc -l <"$work/firebird")" -ge 2 ] || ! kill -0 "$firebird" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    if [ "$(wc -l <"$work/firebird")" -ge 2 ]; then
        { read -r ZLT_E2E_SERVER && read -r ZLT_E2E_SYSDBA_PASSWORD; } <"$work/firebird"
        export ZLT_E2E_SERVER ZLT_E2E_SYSDBA_PASSWORD
    else
        ZLT_E2E_NO_SERVER="no Firebird server could start: $(head -c 300 "$work/firebird")"
    fi
fi
export ZLT_E2E_NO_SERVER

# The program of a failed or timed-out scenario may still be up; it is not our child.
stop_program() {
    local pid
    pid=$(cat "$1/zlt.pid" 2>/dev/null) || return 0
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 30); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
}

passed=0
failed=0
skipped=0
started=$SECONDS
for name in "${cases[@]}"; do
    case_dir="$work/$name"
    mkdir "$case_dir"
    case_started=$SECONDS
    rc=0
    CASE_DIR="$case_dir" timeout -k 5 "$timeout_seconds" "$here/scenarios.sh" "$name" \
        >"$case_dir/output.log" 2>&1 || rc=$?
    if [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        echo "PASS $name ($((SECONDS - case_started)) s)"
    elif [ "$rc" -eq 77 ] && [ -s "$case_dir/skipped" ]; then
        skipped=$((skipped + 1))
        echo "SKIP $name: $(cat "$case_dir/skipped")"
    else
        failed=$((failed + 1))
        if [ -s "$case_dir/reason" ]; then
            reason=$(cat "$case_dir/reason")
        elif [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
            reason="timed out after $timeout_seconds s"
        else
            reason="exit code $rc: $(tail -n 3 "$case_dir/output.log" | paste -sd ' ')"
        fi
        import -window root "$artifacts/$name.png" 2>/dev/null || true
        for shot in "$case_dir"/*.png; do
            [ ! -f "$shot" ] || cp "$shot" "$artifacts/$name-$(basename "$shot")"
        done
        for log in output zlt; do
            [ ! -f "$case_dir/$log.log" ] || cp "$case_dir/$log.log" "$artifacts/$name-$log.log"
        done
        echo "FAIL $name: $reason (screenshots $shown_artifacts/$name*.png)"
    fi
    stop_program "$case_dir"
done
echo "e2e: $((SECONDS - started)) s"
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
