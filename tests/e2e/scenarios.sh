#!/usr/bin/env bash
# One end-to-end scenario against the real program: scenarios.sh NAME. run.sh sets the
# display, the binaries and the scenario's folder, and judges the exit code.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

# Placings typed down a column with the keyboard alone: Enter stores a value and keeps
# the current cell, Down moves to the next team, Enter opens the editor again.
typing() {
    start_zlt
    grid_cell 4 1 # BOD1 ("1.Pořadí") of the first team
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text 3
    keys Return Down Return
    type_text 5
    keys Return Down Return
    type_text 7
    keys Return
    snapshot before-konec
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    expect_rows "teams 1-4 as CISLO|BOD1|CELKEM" \
        "SELECT CISLO || '|' || COALESCE(BOD1 || '', '') || '|' || COALESCE(CELKEM || '', '')
           FROM DATAZLT WHERE CISLO <= 4 OR BOD1 IS NOT NULL ORDER BY CISLO" \
        $'1|3|3\n2|5|5\n3|7|7\n4||'
    expect_rows "team numbers" \
        "SELECT CAST(LIST(CISLO, ',') AS VARCHAR(200)) FROM (SELECT CISLO FROM DATAZLT ORDER BY CISLO)" \
        "$(seq -s, 1 30)"
    expect_rows "rows with a value outside BOD1" \
        "SELECT COUNT(*) FROM DATAZLT WHERE COALESCE(DRUZSTVO, DISCIPLINA1, DISCIPLINA2,
           DISCIPLINA3, DISCIPLINA4, DISCIPLINA5, DISCIPLINA6) IS NOT NULL
           OR COALESCE(PENALIZACE, BOD2, BOD3, BOD4, BOD5, BOD6) IS NOT NULL" 0
}

# A discipline sheet from the print choice dialog: the preview fills the screen, Esc
# closes it and the dialog with it, and the program still ends cleanly.
print_choice() {
    start_zlt
    click "$MAIN" "${BTN_TISK[@]}"
    local choice preview
    choice=$(wait_window "$CHOICE_TITLE") || fail "Tisk did not open the print choice dialog"
    click "$choice" $((40 + 129 / 2)) $((40 + 32 * 2 + 12)) # "3. Disciplínu"
    preview=$(wait_window "$PREVIEW_TITLE" 10) || fail "no preview after 3. Disciplínu"
    expect_fills_screen "$preview"
    focus "$preview"
    keys Escape
    wait_no_window "$PREVIEW_TITLE" || fail "the preview was still open after Esc"
    wait_no_window "$CHOICE_TITLE" || fail "the print choice dialog stayed after the preview"
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 5
}

# A finals sheet from the finals window, then back to the main window and out.
finals_print() {
    start_zlt
    click "$MAIN" "${BTN_FINALE[@]}"
    local finals preview
    finals=$(wait_window "$FINALS_TITLE") || fail "Finále did not open the finals window"
    wait_no_window "$MAIN_TITLE" || fail "the main window stayed beside the finals window"
    click "$finals" "${BTN_FINALS_PRINT1[@]}"
    preview=$(wait_window "$PREVIEW_TITLE" 10) || fail "no preview after Tisk 1.disciplíny"
    expect_fills_screen "$preview"
    focus "$preview"
    keys Escape
    wait_no_window "$PREVIEW_TITLE" || fail "the preview was still open after Esc"
    click "$finals" "${BTN_ZPET[@]}"
    MAIN=$(wait_window "$MAIN_TITLE") || fail "Zpět did not bring back the main window"
    wait_no_window "$FINALS_TITLE" || fail "the finals window stayed after Zpět"
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 5
}

# A placing typed, a copy taken, the database reset, and the copy restored from the tools
# window: the placing is back.
restore_after_reset() {
    start_zlt
    grid_cell 4 1 # BOD1 of the first team
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text 3
    keys Return
    click "$MAIN" "${BTN_NASTROJE[@]}"
    local tools settings
    tools=$(wait_window "$TOOLS_TITLE") || fail "Nástroje did not open the tools window"
    click "$tools" "${BTN_ZALOHOVAT[@]}"

    # The tools window opens beside the main window, at this screen's edge over its buttons;
    # a window manager would raise the main window at the click on what shows of it.
    xdotool windowraise "$MAIN"
    click "$MAIN" "${BTN_NASTAVENI[@]}"
    settings=$(wait_window "$SETTINGS_TITLE") || fail "Nastavení did not open the settings"
    click "$settings" "${BTN_VYMAZAT[@]}"
    answer_yes '^Vymaz.*n.* datab.*ze$'
    click "$settings" "${BTN_STORNO[@]}"
    wait_no_window "$SETTINGS_TITLE" || fail "Storno did not close the settings window"

    xdotool windowraise "$tools"
    click "$tools" "${NEWEST_COPY[@]}"
    click "$tools" "${BTN_OBNOVIT[@]}"
    answer_yes '^Obnovit z.*lohu$'
    # Changes in the copy's own second are offered again; they are in the copy anyway.
    local later
    if later=$(wait_window '^Zm.*ny po z.*loze$' 3); then
        focus "$later"
        keys "$KEY_NO"
        wait_no_window '^Zm.*ny po z.*loze$' || fail "the question on later changes stayed"
    fi
    snapshot restored
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    expect_rows "BOD1 of team 1" "SELECT COALESCE(BOD1 || '', '-') FROM DATAZLT WHERE CISLO = 1" 3
    expect_rows "teams" "SELECT COUNT(*) FROM DATAZLT" 30
}

# Konec while a team's name is still in the cell editor: the name is kept.
pending_edit() {
    start_zlt
    grid_cell 1 1 # DRUZSTVO of the first team
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text "Horni Lhota"
    snapshot before-konec
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    expect_rows "team names" \
        "SELECT CISLO || '|' || DRUZSTVO FROM DATAZLT WHERE DRUZSTVO IS NOT NULL ORDER BY CISLO" \
        "1|Horni Lhota"
}

# SIGTERM, as at a logout, with a team's name typed in the main grid and another in the
# finals grid, neither confirmed: both are written and the program ends with code 0.
sigterm() {
    start_zlt
    grid_cell 1 1
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text "Dolni Lhota"
    click "$MAIN" "${BTN_FINALE[@]}"
    local finals
    finals=$(wait_window "$FINALS_TITLE") || fail "Finále did not open the finals window"
    grid_cell 0 2 "$finals" "${FINALS_GRID[@]}"
    click "$finals" "$CELL_X" "$CELL_Y"
    focus "$finals"
    type_text "Horni Ves"
    snapshot before-sigterm
    kill -TERM "$zlt_pid"
    expect_exit 5
    expect_rows "preliminary names" \
        "SELECT CISLO || '|' || DRUZSTVO FROM DATAZLT WHERE DRUZSTVO IS NOT NULL" "1|Dolni Lhota"
    expect_rows "finals names" \
        "SELECT DRUZSTVO FROM DATAZLTF WHERE DRUZSTVO <> ' '" "Horni Ves"
}

# SIGTERM while the database refuses the row being typed (a placing without a team): the
# row is kept in a file beside the database and offered at the next start, where the
# operator completes it and it is written.
sigterm_refused() {
    make_event
    sql "ALTER TABLE DATAZLT ADD CONSTRAINT NAMED CHECK (BOD1 IS NULL OR DRUZSTVO IS NOT NULL)" \
        >/dev/null
    start_zlt
    grid_cell 4 1
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text 5
    kill -TERM "$zlt_pid"
    expect_exit 5
    [ -s "$EVENT/ZLT04.GDB.rozepsane" ] || fail "no file keeps the refused row"
    expect_rows "placings written" "SELECT COUNT(*) FROM DATAZLT WHERE BOD1 IS NOT NULL" 0

    start_zlt
    local question
    question=$(wait_window '^Rozepsané řádky$') || fail "the kept row was not offered"
    focus "$question"
    keys "$KEY_YES"
    wait_no_window '^Rozepsané řádky$' || fail "the question stayed"
    grid_cell 1 1
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text Lhota
    keys Return
    snapshot before-konec
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    expect_rows "the completed row" \
        "SELECT CISLO || '|' || DRUZSTVO || '|' || BOD1 || '|' || CELKEM FROM DATAZLT
           WHERE BOD1 IS NOT NULL" "1|Lhota|5|5"
    [ ! -e "$EVENT/ZLT04.GDB.rozepsane" ] || fail "the kept row's file is still there"
}

# A placing typed so that two teams share the 3rd place, which the ranking cannot have: the
# check's red line appears, and goes again once the placing is put right.
check_line() {
    make_event
    sql "UPDATE DATAZLT SET DRUZSTVO = 'Tym ' || CISLO, BOD1 = CISLO, BOD2 = CISLO,
           BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, BOD6 = CISLO, CELKEM = 6 * CISLO,
           PORADI = CISLO WHERE CISLO <= 4; COMMIT" >/dev/null
    start_zlt
    expect_check_line gone
    grid_cell 4 2 # BOD1 of the second team
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text 3
    keys Return
    expect_check_line shown
    snapshot shown
    click "$MAIN" "$CELL_X" "$CELL_Y"
    type_text 2
    keys Return
    expect_check_line gone
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    expect_rows "BOD1 of teams 1-4" \
        "SELECT CAST(LIST(BOD1, ',') AS VARCHAR(50)) FROM
           (SELECT BOD1 FROM DATAZLT WHERE CISLO <= 4 ORDER BY CISLO)" "1,2,3,4"
}

# The X server dies under the program while a name is being typed: the program writes
# it, lets go of the database and ends with a non-zero code within two seconds.
lost_display() {
    local own_display
    exec 4< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null & echo "pid $!")
    read -r _ display_pid <&4
    # A failing step must not leave this X server behind.
    trap 'kill -KILL "$display_pid" 2>/dev/null || true' EXIT
    read -r own_display <&4
    DISPLAY=":$own_display"
    start_zlt
    grid_cell 1 1
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text "Nova Ves"
    kill -KILL "$display_pid"
    expect_exit 2 nonzero
    expect_rows "names" "SELECT DRUZSTVO FROM DATAZLT WHERE DRUZSTVO IS NOT NULL" "Nova Ves"
}

# The results of a day from the tools window: 30 teams imported from a file, placings
# typed for three of them, the ranks computed and the results exported.
results_publishing() {
    local names="$CASE_DIR/teams.csv" out="$CASE_DIR/web"
    {
        printf 'cislo;druzstvo\r\n'
        for i in $(seq 1 30); do printf '%d;Tym %02d\r\n' "$i" "$i"; done
    } >"$names"
    mkdir -p "$out"
    start_zlt
    click "$MAIN" "${BTN_NASTROJE[@]}"
    local tools dialog
    tools=$(wait_window "$TOOLS_TITLE") || fail "Nástroje did not open the tools window"
    # Aside, as a person would drag it, so that the main grid's placings stay uncovered.
    xdotool windowmove --sync "$tools" 600 40
    click "$tools" "${BTN_IMPORT[@]}"
    dialog=$(wait_window "$IMPORT_TITLE") || fail "no import dialog"
    click "$dialog" "${IMPORT_SOUBOR[@]}"
    choose_path '^Seznam dru.*stev$' "$names"
    snapshot import-preview
    click "$dialog" "${IMPORT_ZAPSAT[@]}"
    wait_no_window "$IMPORT_TITLE" || fail "Zapsat did not close the import dialog"

    # Team 1 gets 3 and team 2 gets 1 in BOD1; team 3 gets 3 as well: a shared place.
    grid_cell 4 1
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text 3
    keys Return Down Return
    type_text 1
    keys Return Down Return
    type_text 3
    keys Return

    click "$tools" "${BTN_PORADI[@]}"
    dialog=$(wait_window "$RANKS_TITLE") || fail "no rank dialog"
    snapshot ranks-preview
    click "$dialog" "${RANKS_ZAPSAT[@]}"
    wait_no_window "$RANKS_TITLE" || fail "Zapsat did not close the rank dialog"

    click "$tools" "${BTN_EXPORT[@]}"
    choose_path '^Slo.*ka exportu v.*sledk.*$' "$out"
    local done_box
    done_box=$(wait_window '^Export v.*sledk.*$') || fail "no message after the export"
    focus "$done_box"
    keys Return
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    expect_rows "imported names" \
        "SELECT COUNT(*) FROM DATAZLT WHERE DRUZSTVO = 'Tym ' || LPAD(CISLO, 2, '0')" 30
    expect_rows "totals and ranks of the first four" \
        "SELECT CISLO || '|' || COALESCE(CELKEM || '', '') || '|' || COALESCE(PORADI || '', '')
           FROM DATAZLT WHERE CISLO <= 4 ORDER BY CISLO" $'1|3|2\n2|1|1\n3|3|2\n4||'
    [ "$(head -c 3 "$out/predkolo.csv" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
        fail "predkolo.csv does not start with a BOM"
    grep -q 'Tym 30' "$out/predkolo.csv" || fail "predkolo.csv lacks the teams"
    grep -q 'Tym 02' "$out/prubezne-poradi.html" || fail "the standings page lacks the teams"
    grep -q 'href="prubezne-poradi.html"' "$out/index.html" || fail "the index lacks the standings"
}

# The same work from the command line: import, ranks and export, and a clear refusal
# while the program holds the database.
event_commands() {
    local names="$CASE_DIR/teams.txt" out="$CASE_DIR/web"
    (cd "$CASE_DIR" && "$NEW_EVENT" --help) | grep -q '^Usage: zlt-new-event' ||
        fail "zlt-new-event --help printed no usage"
    [ ! -e "$CASE_DIR/--help" ] || fail "zlt-new-event --help made a folder named --help"
    make_event
    printf 'Tym A\nTym B\nTym C\n' >"$names"
    "$EVENT_TOOL" import "$EVENT" "$names" >"$CASE_DIR/import.log" 2>&1 ||
        fail "zlt-event import failed: $(head -c 300 "$CASE_DIR/import.log")"
    "$EVENT_TOOL" rank "$EVENT" >"$CASE_DIR/rank.log" 2>&1 ||
        fail "zlt-event rank failed: $(head -c 300 "$CASE_DIR/rank.log")"
    "$EVENT_TOOL" export "$EVENT" "$out" >"$CASE_DIR/export.log" 2>&1 ||
        fail "zlt-event export failed: $(head -c 300 "$CASE_DIR/export.log")"
    grep -q 'Tym C' "$out/finale.csv" "$out/predkolo.csv" || fail "the export lacks the names"

    start_zlt
    local rc=0
    "$EVENT_TOOL" rank "$EVENT" >"$CASE_DIR/held.log" 2>&1 || rc=$?
    [ "$rc" -eq 1 ] || fail "zlt-event rank beside the program exited with $rc"
    grep -q 'má otevřenou jiný program' "$CASE_DIR/held.log" ||
        fail "no clear refusal: $(head -c 300 "$CASE_DIR/held.log")"
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    expect_rows "names" "SELECT CAST(LIST(DRUZSTVO, ',') AS VARCHAR(200)) FROM
        (SELECT DRUZSTVO FROM DATAZLT WHERE CISLO <= 3 ORDER BY CISLO)" "Tym A,Tym B,Tym C"
}

# "Výsledky na síti" ticked in the tools window: a placing typed with Enter shows on the
# phone page and on its discipline page, fetched with curl as a phone would, and a team
# still being typed does not.
live_results() {
    make_event
    local port page
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    printf 'vypnuto %s\n' "$port" >"$EVENT/vysledky-na-siti.txt"
    sql "UPDATE DATAZLT SET DRUZSTVO = 'Dolni Lhota' WHERE CISLO = 1" >/dev/null
    start_zlt
    click "$MAIN" "${BTN_NASTROJE[@]}"
    local tools
    tools=$(wait_window "$TOOLS_TITLE") || fail "Nástroje did not open the tools window"
    xdotool windowmove --sync "$tools" 600 40
    click "$tools" "${CHK_VYSLEDKY_NA_SITI[@]}"
    fetch_page "http://127.0.0.1:$port/" 'Dolni Lhota' ||
        fail "the phone page did not come up after the box was ticked"

    grid_cell 4 1 # BOD1 of the first team
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text 3
    keys Return
    grid_cell 1 2 # DRUZSTVO of the second team, left being typed
    click "$MAIN" "$CELL_X" "$CELL_Y"
    type_text "Horni Ves"
    snapshot typed
    fetch_page "http://127.0.0.1:$port/" '<td class="r">1.</td><td class="jmeno">Dolni Lhota</td><td class="r">3</td>' ||
        fail "the phone page does not show the placing: $(head -c 600 "$CASE_DIR/page.html")"
    fetch_page "http://127.0.0.1:$port/disciplina-1.html" 'Dolni Lhota' ||
        fail "the discipline page does not show the team"
    grep -q '>3<' "$CASE_DIR/page.html" || fail "the discipline page lacks the placing 3"
    ! grep -q 'Horni Ves' "$CASE_DIR/page.html" || fail "a team being typed is on the page"
    [ "$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/../Nastaveni.txt")" = 404 ] ||
        fail "the settings file is served"
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    [ "$(cat "$EVENT/vysledky-na-siti.txt")" = "zapnuto $port" ] || fail "the choice was not kept"
}

# The results on the network while 400 slow requests from 29 loopback addresses beset them,
# with the program (and so its results server) held to 256 open files: more connections
# than the server can take. The operator's placing is written at once all the same; the
# phones get their pages back within seconds after the attack, and again after the server
# process is killed, which the tools window tells; and SIGTERM still ends the program
# cleanly with the row being typed written.
live_results_under_attack() {
    make_event
    local port url placing attack child
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    url="http://127.0.0.1:$port/"
    placing='<td class="r">1.</td><td class="jmeno">Dolni Lhota</td><td class="r">3</td>'
    printf 'zapnuto %s\n' "$port" >"$EVENT/vysledky-na-siti.txt"
    sql "UPDATE DATAZLT SET DRUZSTVO = 'Dolni Lhota' WHERE CISLO = 1" >/dev/null
    start_zlt 256
    child=$(results_server_of "$zlt_pid" 5) || fail "the program started no results server"
    echo "results server: $(readlink "/proc/$child/exe")"
    grep -Eq '^Max open files +256 +256 ' "/proc/$child/limits" ||
        fail "the results server is not held to 256 open files"
    fetch_page "$url" 'Dolni Lhota' || fail "the phone page did not come up with the program"
    # Both cells are found while the grid is plain: the current cell, once coloured, and
    # the tools window would hide rows from the search.
    local first second
    grid_cell 4 1 # BOD1 of the first team
    first=("$CELL_X" "$CELL_Y")
    grid_cell 4 2 # and of the second
    second=("$CELL_X" "$CELL_Y")
    click "$MAIN" "${BTN_NASTROJE[@]}"
    local tools
    tools=$(wait_window "$TOOLS_TITLE") || fail "Nástroje did not open the tools window"
    # Aside, clear of the grid's first rows; its address line stays on the screen.
    xdotool windowmove --sync "$tools" 552 300
    ! tools_say_problem "$tools" || fail "the tools window tells of a problem before the attack"

    python3 "$(dirname "$0")/slow_requests.py" --port "$port" --connections 400 --seconds 15 \
        >"$CASE_DIR/attack.log" 2>&1 &
    attack=$!
    trap 'kill "$attack" 2>/dev/null || true' EXIT
    # The attack has taken every connection the server may hold once a phone is turned away;
    # it is answered at once all the same.
    wait_status "$url" 503 5 || fail "the attack did not fill the server's connections"
    local typed journaled
    click "$MAIN" "${first[@]}"
    focus "$MAIN"
    type_text 3
    keys Return
    typed=$(date +%s%N)
    journaled=$(wait_journal ';DATAZLT;1;BOD1;;3$' 2) ||
        fail "the placing typed during the attack was not written within 2 s"
    echo "the placing was written $(((journaled - typed) / 1000000)) ms after Enter"
    snapshot under-attack
    local answer
    answer=$(curl -s -o /dev/null --max-time 2 -w '%{http_code}' "$url") || true
    [ "$answer" = 503 ] || [ "$answer" = 200 ] ||
        fail "a phone got no answer within 2 s during the attack ($answer)"
    kill -0 "$attack" 2>/dev/null || fail "the attack ended before the placing was typed:" \
        "$(cat "$CASE_DIR/attack.log")"

    local rc=0
    wait "$attack" || rc=$?
    trap - EXIT
    cat "$CASE_DIR/attack.log"
    [ "$rc" -eq 0 ] || fail "the attack failed: $(tail -n 3 "$CASE_DIR/attack.log" | paste -sd ' ')"
    local ended=$SECONDS
    fetch_page "$url" "$placing" 5 ||
        fail "the phone page was not back with the placing within 5 s of the attack's end"
    echo "the phone page was back $((SECONDS - ended)) s after the attack"
    [ "$(results_server_of "$zlt_pid")" = "$child" ] ||
        fail "the results server was started anew during the attack"

    # Meanwhile a phone asking again and again finds no server, then the page: never a
    # missing page nor a busy one.
    kill -KILL "$child"
    local killed=$SECONDS again got answers=""
    while :; do
        got=$(curl -s -o "$CASE_DIR/page.html" --max-time 2 -w '%{http_code}' "$url") || true
        answers+=" $got"
        [ "$got" != 200 ] || ! grep -qF "$placing" "$CASE_DIR/page.html" || break
        [ "$got" = 000 ] || fail "the phone got $got while the results server came back:$answers"
        ((SECONDS - killed < 5)) ||
            fail "the phone page was not back within 5 s of the results server's death"
        sleep 0.05
    done
    echo "the phone's answers after the kill:$answers"
    again=$(results_server_of "$zlt_pid") || fail "no results server under the program"
    [ "$again" != "$child" ] || fail "the killed results server still runs"
    echo "a new results server served the page $((SECONDS - killed)) s after the kill"
    local told=""
    for _ in $(seq 20); do
        if tools_say_problem "$tools"; then told=yes; break; fi
        sleep 0.1
    done
    snapshot restarted
    [ -n "$told" ] || fail "the tools window does not tell that the results server was restarted"

    click "$MAIN" "${second[@]}" # left being typed
    focus "$MAIN"
    type_text 5
    snapshot before-sigterm
    kill -TERM "$zlt_pid"
    expect_exit 5
    ! kill -0 "$again" 2>/dev/null || fail "the results server outlived the program"
    expect_rows "placings as CISLO|BOD1" \
        "SELECT CISLO || '|' || BOD1 FROM DATAZLT WHERE BOD1 IS NOT NULL ORDER BY CISLO" \
        $'1|3\n2|5'
    expect_rows "the total of the placing confirmed with Enter" \
        "SELECT CELKEM FROM DATAZLT WHERE CISLO = 1" 3
}

# Prints the pid of the results server process the program PID started, waiting up to
# SECONDS (none unless given) for one.
results_server_of() {
    local pid=$1 seconds=${2:-0} child
    local deadline=$((SECONDS + seconds))
    while :; do
        child=$(pgrep -P "$pid" -f zlt-results-server) && [ -n "$child" ] && {
            echo "$child"
            return 0
        }
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# Waits up to SECONDS for the answer to a GET of the URL to have that HTTP status.
wait_status() {
    local url=$1 status=$2 seconds=$3 got
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        got=$(curl -s -o /dev/null --max-time 2 -w '%{http_code}' "$url") || true
        echo "GET $url: $got"
        [ "$got" != "$status" ] || return 0
        sleep 0.2
    done
    return 1
}

# Waits up to SECONDS for a line of the change journal to match the extended regular
# expression, and prints the time it was seen, in nanoseconds.
wait_journal() {
    local pattern=$1 seconds=$2
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        if tr -d '\r' <"$EVENT/zmeny.csv" 2>/dev/null | grep -qE -- "$pattern"; then
            date +%s%N
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Whether the tools window's line of the results on the network is in the colour of a
# problem (dark red) rather than the plain address.
tools_say_problem() {
    import -window "$1" "$CASE_DIR/tools.png"
    [ "$(convert "$CASE_DIR/tools.png" -crop 532x20+172+604 +repage -fuzz 15% \
        -fill white +opaque '#800000' -fill black -opaque '#800000' \
        -format '%[fx:mean < 1]' info:)" = 1 ]
}

# Two judges' tables on one Firebird server, each program on a screen of its own: a placing
# typed with Enter at one shows in the other's grid and projector view within a second.
# On run.sh's private server, as its user ZLT.
two_tables() {
    need_server
    local db="${ZLT_E2E_SERVER}zlt-e2e-$$-$RANDOM.fdb"
    "$EVENT_TOOL" new-server-db "$db" >"$CASE_DIR/server-db.log" 2>&1 ||
        fail "no event database on the server: $(head -c 300 "$CASE_DIR/server-db.log")"
    printf "UPDATE DATAZLT SET DRUZSTVO = 'Tym ' || CISLO;\nCOMMIT;\n" |
        isql-fb -q -user ZLT -password zlt "$db" >"$CASE_DIR/names.log" 2>&1 ||
        fail "the teams could not be named: $(head -c 300 "$CASE_DIR/names.log")"
    make_event
    local other_event="$CASE_DIR/Druhy stul"
    "$NEW_EVENT" "$other_event" >/dev/null 2>&1 || fail "zlt-new-event failed"

    # The second table on an X server of its own.
    Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp -noreset 4>"$CASE_DIR/display2" \
        2>/dev/null &
    local xvfb2=$!
    for _ in $(seq 100); do [ ! -s "$CASE_DIR/display2" ] || break; sleep 0.1; done
    local display2=":$(head -n 1 "$CASE_DIR/display2")"
    (cd "$other_event" && DISPLAY=$display2 exec "$ZLT_BIN" --database "$db") \
        >>"$CASE_DIR/zlt2.log" 2>&1 &
    local other_pid=$!
    (cd "$EVENT" && exec "$ZLT_BIN" --database "$db") >>"$CASE_DIR/zlt.log" 2>&1 &
    zlt_pid=$!
    echo "$zlt_pid" >"$CASE_DIR/zlt.pid"
    MAIN=$(wait_window "$MAIN_TITLE" 15) || fail "the first table's window did not appear"

    local other_main other_tools projector
    other_main=$(DISPLAY=$display2 wait_window "$MAIN_TITLE" 15) ||
        fail "the second table's window did not appear"
    DISPLAY=$display2 click "$other_main" "${BTN_NASTROJE[@]}"
    other_tools=$(DISPLAY=$display2 wait_window "$TOOLS_TITLE") || fail "no tools window"
    DISPLAY=$display2 click "$other_tools" "${BTN_PROJEKCE[@]}"
    projector=$(DISPLAY=$display2 wait_window '^Projekce' 5) || fail "no projector view"
    DISPLAY=$display2 xdotool windowmove --sync "$other_tools" 0 820
    DISPLAY=$display2 xdotool windowmove --sync "$projector" 700 0
    DISPLAY=$display2 grid_cell 4 1 "$other_main"
    local other_x=$CELL_X other_y=$CELL_Y
    DISPLAY=$display2 import -window "$projector" "$CASE_DIR/projector-before.png"

    grid_cell 4 1
    click "$MAIN" "$CELL_X" "$CELL_Y"
    focus "$MAIN"
    type_text 4
    keys Return
    local seen=""
    for _ in $(seq 10); do
        sleep 0.1
        DISPLAY=$display2 import -window "$other_main" "$CASE_DIR/other.png"
        if [ "$(convert "$CASE_DIR/other.png" -crop 36x12+$((other_x - 18))+$((other_y - 6)) \
            -colorspace gray -format '%[fx:mean<0.97]' info:)" = 1 ]; then
            seen=yes
            break
        fi
    done
    DISPLAY=$display2 import -window root "$CASE_DIR/other-screen.png"
    [ -n "$seen" ] || fail "the second table's grid did not show the placing within a second"
    DISPLAY=$display2 import -window "$projector" "$CASE_DIR/projector-after.png"
    [ "$(compare -metric AE "$CASE_DIR/projector-before.png" "$CASE_DIR/projector-after.png" \
        null: 2>&1 || true)" != 0 ] || fail "the projector view did not change"

    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
    DISPLAY=$display2 click "$other_main" "${BTN_KONEC[@]}"
    for _ in $(seq 100); do kill -0 "$other_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$other_pid" 2>/dev/null && fail "the second table did not end after Konec"
    wait "$other_pid" || fail "the second table did not end cleanly"
    kill "$xvfb2" 2>/dev/null || true
    [ "$(printf 'SET HEADING OFF;\nSELECT BOD1 || %s || CELKEM FROM DATAZLT WHERE CISLO = 1;\n' \
        "'|'" | isql-fb -q -user ZLT -password zlt "$db" | tr -d ' \n')" = '4|4' ] ||
        fail "the server's database does not hold the placing and its total"
}

# Ends table A of the shared database, whose main window is $1 and process $2, in the way
# $3 names: konec, close (the window system's close), or a signal (TERM, HUP, INT).
end_table() {
    local window=$1 pid=$2 how=$3
    case "$how" in
        konec) click "$window" "${BTN_KONEC[@]}" ;;
        close) close_window "$window" ;;
        *) kill "-$how" "$pid" ;;
    esac
}

# Two tables on one display and one server database that its administrator made with isql
# (the columns in an order of their own, the texts CHAR), both logged in as the
# administrator. Table A is started anew for each of the endings given and left with a
# placing still being typed; each ending must write it and end A within 2 s with code 0,
# and never touch table B, which is ended with Konec last.
server_endings() {
    need_server
    export ISC_USER=SYSDBA ISC_PASSWORD=$ZLT_E2E_SYSDBA_PASSWORD
    local db="${ZLT_E2E_SERVER}zlt-e2e-endings-$$-$RANDOM.fdb"
    printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET WIN1250;\nINPUT '%s';\n" \
        "$db" "$ISQL_LAYOUT" | isql-fb -q -bail >"$CASE_DIR/isql-db.log" 2>&1 ||
        fail "the administrator could not make the database: $(head -c 300 "$CASE_DIR/isql-db.log")"
    make_event
    local table_b="$CASE_DIR/Stul B"
    "$NEW_EVENT" "$table_b" >/dev/null 2>&1 || fail "zlt-new-event failed"
    (cd "$table_b" && exec "$ZLT_BIN" --database "$db") >>"$CASE_DIR/zlt-b.log" 2>&1 &
    local pid_b=$!
    local main_b
    main_b=$(wait_window_of "$pid_b" "$MAIN_TITLE" 15) || fail "table B's window did not appear"

    local how row=0 expected=""
    for how in "$@"; do
        row=$((row + 1))
        (cd "$EVENT" && exec "$ZLT_BIN" --database "$db") >>"$CASE_DIR/zlt.log" 2>&1 &
        zlt_pid=$!
        echo "$zlt_pid" >"$CASE_DIR/zlt.pid"
        MAIN=$(wait_window_of "$zlt_pid" "$MAIN_TITLE" 15) || fail "table A's window did not appear"
        # Both windows stand at the same place: A is raised before each click, so that
        # no click meant for it lands on B.
        xdotool windowraise "$MAIN"
        grid_cell 4 "$row"
        click "$MAIN" "$CELL_X" "$CELL_Y"
        focus "$MAIN"
        type_text "$row"
        xdotool windowraise "$MAIN"
        snapshot "before-$how"
        local started
        started=$(date +%s%N)
        end_table "$MAIN" "$zlt_pid" "$how"
        expect_exit 5
        local took=$((($(date +%s%N) - started) / 1000000))
        echo "$how: table A ended in $took ms"
        ((took <= 2000)) || fail "$how: table A took $took ms to end"
        kill -0 "$pid_b" 2>/dev/null || fail "$how: table B ended too"
        expected+="$row|$row"$'\n'
    done

    xdotool windowraise "$main_b"
    click "$main_b" "${BTN_KONEC[@]}"
    for _ in $(seq 50); do kill -0 "$pid_b" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid_b" 2>/dev/null && fail "table B did not end after Konec"
    wait "$pid_b" || fail "table B did not end cleanly"
    local actual
    actual=$(printf "SET HEADING OFF;\nSELECT CISLO || '|' || BOD1 FROM DATAZLT WHERE BOD1 IS NOT NULL ORDER BY CISLO;\n" |
        isql-fb -q "$db" | sed -e 's/[[:space:]]//g' -e '/^$/d')
    [ "$actual" = "${expected%$'\n'}" ] ||
        fail "the server's database holds [$(echo "$actual" | paste -sd ' ')], not the typed placings"
}

server_endings_window() {
    server_endings konec close
}

server_endings_signals() {
    server_endings TERM HUP INT
}

# The README's demo: its making step with the build under test, twice (the second keeps
# the first), the program started in it as the demo starts it, and the preliminary-round
# standings previewed from "Tisk" and exported as PDF through the preview, which hold the
# teams' names with their placings, totals and ranks.
demo_standings() {
    EVENT="$CASE_DIR/Závody ZLT"
    local made="$CASE_DIR/demo.log" pdf="$CASE_DIR/poradi.pdf" text="$CASE_DIR/poradi.txt"
    local run
    for run in made kept; do
        "$DEMO_MAKER" "$ZLT_BUILD" "$EVENT" >>"$made" 2>&1 ||
            fail "the demo's making step failed ($run): $(tail -c 400 "$made")"
    done
    grep -q 'keeping the demo' "$made" || fail "the second run did not keep the demo"
    ! compgen -G "$CASE_DIR/.*making*" >/dev/null || fail "the making left a folder behind"
    expect_rows "named teams | results, placings, ranks | values in disciplines 5, 6" \
        "SELECT COUNT(DRUZSTVO) || '|' || COUNT(DISCIPLINA4) || COUNT(BOD4) || COUNT(PORADI)
           || '|' || (COUNT(DISCIPLINA5) + COUNT(BOD5) + COUNT(DISCIPLINA6) + COUNT(BOD6))
           FROM DATAZLT" "30|303030|0"
    expect_rows "named finalists" "SELECT COUNT(*) FROM DATAZLTF WHERE TRIM(DRUZSTVO) <> ''" 0

    start_zlt
    click "$MAIN" "${BTN_TISK[@]}"
    local choice preview
    choice=$(wait_window "$CHOICE_TITLE") || fail "Tisk did not open the print choice dialog"
    click "$choice" "${BTN_STANDINGS[@]}"
    preview=$(wait_window "$PREVIEW_TITLE" 10) || fail "no preview after Všechny disciplíny"
    toolbar_button "$preview" "$BTN_EXPORT_PDF" "$PREVIEW_BUTTONS"
    click "$preview" "$BUTTON_X" "$BUTTON_Y"
    choose_path '^Export PDF$' "$pdf"
    for _ in $(seq 50); do
        [ ! -s "$pdf" ] || break
        sleep 0.1
    done
    pdftotext -layout "$pdf" "$text" || fail "the exported standings are no PDF"
    snapshot standings
    # Rank, team, the placings of disciplines 1 to 4, total: the winner, the team that did
    # not finish the sack race (shared last place there), and the last.
    local line
    for line in '1 Křižanov 4 2 3 1 10' '21 Podhradí 22 9 30 18 79' '30 Horní Lhota 28 29 28 30 115'; do
        tr -s ' ' <"$text" | sed 's/^ //' | grep -qxF "$line" ||
            fail "the standings lack the line [$line]: $(head -c 600 "$text")"
    done
    grep -q 'Celkem družstev : *30' "$text" || fail "the standings do not count 30 teams"
    focus "$preview"
    keys Escape
    wait_no_window "$PREVIEW_TITLE" || fail "the preview was still open after Esc"
    click "$MAIN" "${BTN_KONEC[@]}"
    expect_exit 10
}

# Answers Yes in the message box of that title, with the keyboard as a person would.
answer_yes() {
    local box
    box=$(wait_window "$1") || fail "no message box $1"
    focus "$box"
    keys "$KEY_YES"
    wait_no_window "$1" || fail "the message box $1 stayed after Yes"
}

expect_fills_screen() {
    local screen_w screen_h
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    window_geometry "$1"
    [ "$WX,$WY,$WW,$WH" = "0,0,$screen_w,$screen_h" ] ||
        fail "the preview is at $WX,$WY, ${WW}×$WH, not filling the ${screen_w}×$screen_h screen"
}

# The scenarios in the order run.sh runs them.
readonly SCENARIOS=(typing print_choice finals_print pending_edit sigterm sigterm_refused
    check_line lost_display restore_after_reset results_publishing event_commands live_results
    live_results_under_attack two_tables server_endings_window server_endings_signals
    demo_standings)

if [ "${1:-}" = --list ]; then
    printf '%s\n' "${SCENARIOS[@]}"
elif [[ " ${SCENARIOS[*]} " == *" ${1:-} "* ]]; then
    "$1"
else
    echo "usage: $0 --list | $(IFS='|'; echo "${SCENARIOS[*]}")" >&2
    exit 2
fi
