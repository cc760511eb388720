# Helpers for the end-to-end scenarios: the program, its windows, the pointer and keys,
# and the event's database. Sourced by scenarios.sh; expects DISPLAY, ZLT_BIN, NEW_EVENT,
# EVENT_TOOL, ZLT_BUILD (the build folder), DEMO_MAKER and CASE_DIR from run.sh.
# shellcheck shell=bash
# shellcheck disable=SC2034 # the constants and the results of helpers are for scenarios.sh

# Layout of the main window, in its client coordinates.
readonly MAIN_TITLE='^Zeltoria $'
readonly GRID_X=8 GRID_Y=120
readonly BTN_FINALE=(889 540) BTN_TISK=(889 577) BTN_NASTAVENI=(889 615) BTN_KONEC=(889 652)
readonly BTN_NASTROJE=(889 700)
# The check's red line above the navigator, while the check finds anything.
readonly CHECK_LINE=(800 450 177 17)
# The settings window: "Vymazat databáze" at 224,424 and "Storno" at 264,488.
readonly SETTINGS_TITLE='^Nastaveni programu$'
readonly BTN_VYMAZAT=(289 436) BTN_STORNO=(308 500)
# The tools window: "Zálohovat nyní" at 16,40, the copies' list at 16,72 under its title
# row, "Obnovit zálohu" at 584,72.
readonly TOOLS_TITLE='^N.*stroje$'
readonly BTN_ZALOHOVAT=(76 52) NEWEST_COPY=(120 108) BTN_OBNOVIT=(644 84)
# Its results row: "Spočítat pořadí…" at 16,536, "Import družstev…" at 144,536, "Export
# výsledků" at 272,536 and "Projekce" at 528,536, each 121×25.
readonly BTN_PORADI=(76 548) BTN_IMPORT=(204 548) BTN_EXPORT=(332 548) BTN_PROJEKCE=(588 548)
# "Výsledky na síti" at 16,604, 150×20: its box at the left.
readonly CHK_VYSLEDKY_NA_SITI=(26 614)
# The rank dialog (512×526 inside) and the import dialog (672×526 inside): "Zapsat" 89×25
# at the bottom right beside "Zpět"; the import's "Ze souboru…" at 16,40.
readonly RANKS_TITLE='^Spo.*tat po.*ad.*$' RANKS_ZAPSAT=(354 497)
readonly IMPORT_TITLE='^Import dru.*stev$' IMPORT_ZAPSAT=(514 497) IMPORT_SOUBOR=(76 52)
# The print choice dialog: a discipline button i (0..5) is at 40,40+32*i, 129×25.
readonly CHOICE_TITLE='^Volba Tisku$'
# The finals window: its print panel at 792,296 holds "Tisk 1.disciplíny" at 56,12;
# "Zpět" is at 576,520 (buttons centred here).
readonly FINALS_TITLE='^Finále$'
readonly FINALS_GRID=(16 168 705 345)
readonly BTN_FINALS_PRINT1=(897 320) BTN_ZPET=(613 532)
readonly PREVIEW_TITLE='^Print Preview$'
# The preview's tool bar: 13 text buttons, "Export PDF" the 12th.
readonly PREVIEW_BUTTONS=13 BTN_EXPORT_PDF=12
# "Všechny disciplíny" in the print choice dialog, at 40,232.
readonly BTN_STANDINGS=(104 244)

zlt_pid=""

# Ends the scenario as failed; run.sh takes the screenshot while the windows are still up.
fail() {
    printf '%s\n' "$*" >"$CASE_DIR/reason"
    exit 1
}

# Ends the scenario as not run, for the reason given; run.sh tells it as skipped.
skip() {
    printf '%s\n' "$*" >"$CASE_DIR/skipped"
    exit 77
}

# Keeps a picture of the screen at a step; a failing scenario's pictures are kept, since
# a check of the database comes when the windows are gone.
snapshot() {
    import -window root "$CASE_DIR/$1.png"
}

# Skips the scenario where run.sh could start no database server (ZLT_E2E_SERVER, the
# location of its data folder, and ZLT_E2E_SYSDBA_PASSWORD come from it).
need_server() {
    [ -n "${ZLT_E2E_SERVER:-}" ] || skip "${ZLT_E2E_NO_SERVER:-no database server for the scenario}"
}

make_event() {
    EVENT="$CASE_DIR/Závody ZLT"
    [ -e "$EVENT/ZLT04.GDB" ] ||
        "$NEW_EVENT" "$EVENT" >"$CASE_DIR/new-event.log" 2>&1 || fail "zlt-new-event failed"
}

# Makes the scenario's event folder on first use and starts the program in it, as a user
# would; given OPEN_FILES, under that limit of open files, hard as well as soft, so that
# neither the program nor the processes it starts can raise it.
start_zlt() {
    local open_files=${1:-}
    make_event
    (
        cd "$EVENT" || exit
        [ -z "$open_files" ] || ulimit -n "$open_files"
        exec "$ZLT_BIN"
    ) >>"$CASE_DIR/zlt.log" 2>&1 &
    zlt_pid=$!
    echo "$zlt_pid" >"$CASE_DIR/zlt.pid"
    MAIN=$(wait_window "$MAIN_TITLE" 15) || fail "the main window did not appear"
}

# Prints the id of the visible window whose title matches, waiting up to SECONDS.
wait_window() {
    local title=$1 seconds=${2:-5}
    wait_search "$seconds" --onlyvisible --name "$title"
}

# The same for a window of one process, when several programs show the same title.
wait_window_of() {
    local pid=$1 title=$2 seconds=${3:-5}
    wait_search "$seconds" --all --onlyvisible --pid "$pid" --name "$title"
}

# Prints the last window xdotool's search finds, asking again until SECONDS have passed.
wait_search() {
    local seconds=$1 id
    shift
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        id=$(xdotool search "$@" 2>/dev/null | tail -n 1) || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Asks a window to close as a window manager does (WM_DELETE_WINDOW); there is none here.
close_window() {
    /usr/bin/python3 - "$1" <<'PYTHON' || fail "could not ask window $1 to close"
import sys
from Xlib import X, display, protocol
screen = display.Display()
window = screen.create_resource_object("window", int(sys.argv[1]))
protocols = screen.intern_atom("WM_PROTOCOLS")
delete = screen.intern_atom("WM_DELETE_WINDOW")
window.send_event(protocol.event.ClientMessage(
    window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0])))
screen.flush()
PYTHON
}

# Waits up to SECONDS for no visible window to match the title.
wait_no_window() {
    local title=$1 seconds=${2:-5}
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# Sets WX WY WW WH to a window's position and size (no window manager: no frame).
window_geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    WX=$X WY=$Y WW=$WIDTH WH=$HEIGHT
    : "$SCREEN" "$WINDOW"
}

# Clicks at client coordinates X,Y of a window.
click() {
    local window=$1 x=$2 y=$3
    window_geometry "$window"
    xdotool mousemove --sync $((WX + x)) $((WY + y)) click 1
}

# Without a window manager nobody hands the keyboard to a newly mapped window; give it
# the input focus as a window manager would, then type into whatever Qt focuses there.
focus() {
    timeout 5 xdotool windowfocus --sync "$1" || fail "window $1 would not take the input focus"
}

# The mnemonics of Qt's Czech buttons: "&Ano", "&Ne".
KEY_YES=alt+a
KEY_NO=alt+n

keys() {
    xdotool key --delay 60 "$@"
}

# Plain ASCII only: xdotool types other characters by remapping a key for a moment, which
# races with the program reading the new key map on a busy machine.
type_text() {
    xdotool type --delay 60 "$1"
}

# Waits up to SECONDS for the program to end and checks its exit code (0 unless given;
# "nonzero" for any other).
expect_exit() {
    local seconds=$1 expected=${2:-0} rc=0
    local deadline=$((SECONDS + seconds))
    while kill -0 "$zlt_pid" 2>/dev/null; do
        ((SECONDS <= deadline)) || fail "the program was still running after ${seconds} s"
        sleep 0.1
    done
    wait "$zlt_pid" || rc=$?
    rm -f "$CASE_DIR/zlt.pid"
    if [ "$expected" = nonzero ]; then
        [ "$rc" -ne 0 ] || fail "the program exited with code 0"
    else
        [ "$rc" -eq "$expected" ] || fail "the program exited with code $rc"
    fi
}

# Runs one query on the event's database (only once the program has let go of it) and
# prints each row's single column, trimmed.
sql() {
    local lock=${FIREBIRD_LOCK:-}
    if [ -z "$lock" ]; then
        lock=${XDG_RUNTIME_DIR:+$XDG_RUNTIME_DIR/zlt-firebird}
        lock=${lock:-/tmp/zlt-firebird-$(id -u)}
    fi
    printf 'SET HEADING OFF;\n%s;\n' "$1" |
        FIREBIRD_LOCK=$lock isql-fb -q -bail -ch UTF8 -user SYSDBA "$EVENT/ZLT04.GDB" \
            2>"$CASE_DIR/isql.err" >"$CASE_DIR/isql.out" ||
        fail "isql failed: $(head -c 300 "$CASE_DIR/isql.err")"
    sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' -e '/^$/d' "$CASE_DIR/isql.out"
}

# Chooses a file or folder in the program's file dialog of that title, by typing its path
# (plain ASCII) and Enter, as a person may.
choose_path() {
    local dialog
    dialog=$(wait_window "$1") || fail "no file dialog $1"
    focus "$dialog"
    keys ctrl+a
    type_text "$2"
    keys Return
    wait_no_window "$1" || fail "the file dialog $1 stayed after Enter"
}

# Fetches a page into page.html until it holds the text, for up to SECONDS (three unless
# given).
fetch_page() {
    local url=$1 text=$2 seconds=${3:-3}
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        if curl -s --max-time 2 -o "$CASE_DIR/page.html" "$url" &&
            grep -qF "$text" "$CASE_DIR/page.html"; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Compares a query's rows with the expected ones.
expect_rows() {
    local what=$1 query=$2 expected=$3 actual
    actual=$(sql "$query")
    [ "$actual" = "$expected" ] ||
        fail "$what: expected [$(echo "$expected" | paste -sd ' ')]," \
            "found [$(echo "$actual" | paste -sd ' ')]"
}

# Sets CELL_X CELL_Y to the client coordinates (in the main window) of the centre of a
# cell of the preliminary grid, COLUMN counted from 0 = CISLO, ROW from 1. The columns'
# widths depend on the font, so they are read off the screen: the white runs between grid
# lines along a blank row, and the rows' runs down a column.
# The finals grid is found the same way: grid_cell COLUMN ROW WINDOW LEFT TOP WIDTH HEIGHT.
grid_cell() {
    local column=$1 row=$2 shot="$CASE_DIR/grid.png" runs
    local window=${3:-$MAIN} left=${4:-$GRID_X} top=${5:-$GRID_Y}
    local width=${6:-780} height=${7:-585}
    window_geometry "$window"
    local rows=() offset attempt
    # A window just mapped may not have painted its grid yet on a busy machine; and a probe
    # that happens to run down a grid line finds no rows: step aside and retry.
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        import -window "$window" "$shot"
        for offset in 0 5 11; do
            runs=$(white_runs "$shot" 1x$height+$((left + width / 2 + offset))+$top y)
            mapfile -t rows <<<"$runs"
            [ "${#rows[@]}" -lt $((row + 1)) ] || break 2
        done
        sleep 0.3
    done
    : "$attempt"
    [ "${#rows[@]}" -ge $((row + 1)) ] || fail "cannot find the grid's rows on the screen"
    # Along a blank row near its top edge, clear of the row numbers' digits.
    local probe_y=$((top + ${rows[1]%% *} + 1))
    runs=$(white_runs "$shot" ${width}x1+$left+"$probe_y" x)
    local columns=()
    mapfile -t columns <<<"$runs"
    [ "${#columns[@]}" -gt "$column" ] || fail "cannot find the grid's columns on the screen"
    local x_run=${columns[$column]} y_run=${rows[$row - 1]}
    CELL_X=$((left + (${x_run% *} + ${x_run#* }) / 2))
    CELL_Y=$((top + (${y_run% *} + ${y_run#* }) / 2))
}

# Prints how many pixels of a window's area X Y WIDTH HEIGHT are red rather than grey:
# the red line's text, drawn smoothed over the window's silver.
red_pixels() {
    local window=$1 x=$2 y=$3 width=$4 height=$5 shot="$CASE_DIR/area.png"
    import -window "$window" "$shot"
    # A line of the text form: "x,y: (r,g,b)  #RRGGBB  srgb(r,g,b)".
    convert "$shot" -crop "${width}x$height+$x+$y" +repage -depth 8 txt:- |
        awk -F '[(,)]' 'NR > 1 && $3 - $4 > 40 { n++ } END { print n + 0 }'
}

# Waits up to three seconds for the check's line to be shown (shown) or gone (gone).
expect_check_line() {
    local wanted=$1 red deadline=$((SECONDS + 3))
    while ((SECONDS <= deadline)); do
        red=$(red_pixels "$MAIN" "${CHECK_LINE[@]}")
        if { [ "$wanted" = shown ] && [ "$red" -gt 0 ]; } ||
            { [ "$wanted" = gone ] && [ "$red" -eq 0 ]; }; then
            return 0
        fi
        sleep 0.2
    done
    fail "the check's line should be $wanted; $red red pixels in it"
}

# Prints "first last" for each run of white pixels along a one-pixel strip of a picture.
white_runs() {
    local picture=$1 strip=$2 axis=$3
    convert "$picture" -crop "$strip" +repage txt:- | awk -v axis="$axis" '
        NR == 1 { next }
        {
            split($1, at, "[,:]")
            position = (axis == "x") ? at[1] : at[2]
            white = ($3 == "#FFFFFF" || $3 == "#FFFFFFFF")
            if (white && start < 0) start = position
            if (!white && start >= 0) { print start, position - 1; start = -1 }
        }
        BEGIN { start = -1 }
        END { if (start >= 0) print start, position }'
}

# Sets BUTTON_X BUTTON_Y to the client coordinates of the centre of button NUMBER (from 1)
# of COUNT text buttons along the top of a window, as the preview's tool bar has them. The
# widths depend on the font, so the buttons are read off the screen: the runs of dark text
# along the bar, where words of one caption stand closer than neighbouring captions.
toolbar_button() {
    local window=$1 number=$2 count=$3 shot="$CASE_DIR/toolbar.png"
    window_geometry "$window"
    import -window "$window" "$shot"
    local found
    found=$(convert "$shot" -crop "${WW}x14+0+6" +repage -colorspace Gray -depth 8 txt:- | awk \
        -v number="$number" -v count="$count" '
        NR > 1 {
            split($1, at, "[,:]")
            if ($2 ~ /^\(/ && substr($2, 2) + 0 < 100) dark[at[1]] = 1
            if (at[1] > width) width = at[1]
        }
        END {
            for (gap = 2; gap <= 40; gap++) {
                runs = 0; last = -1000
                for (x = 0; x <= width; x++) {
                    if (!(x in dark)) continue
                    if (x - last > gap) { runs++; first[runs] = x }
                    end[runs] = x; last = x
                }
                if (runs == count) { print int((first[number] + end[number]) / 2); exit }
            }
        }')
    [ -n "$found" ] || fail "cannot find the $count buttons of the tool bar on the screen"
    BUTTON_X=$found BUTTON_Y=13
}
