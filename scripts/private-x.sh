# Sourced: start_private_x FOLDER [COMMAND...] starts an X server of its own for the
# programs this script runs, through COMMAND when given (one that runs the next command in
# its own process, such as a change of user), sets DISPLAY and xvfb (the process, for the
# caller to end), and keeps the server's messages in FOLDER/xvfb.log.
# -displayfd lets the server take the first free display, so parallel runs never meet;
# -noreset keeps it from resetting, and refusing connections, whenever its last client leaves.
start_private_x() {
    local folder=$1
    shift
    "$@" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$folder/display" \
        2>"$folder/xvfb.log" &
    xvfb=$!
    for _ in $(seq 100); do
        [ ! -s "$folder/display" ] || break
        sleep 0.1
    done
    if [ ! -s "$folder/display" ]; then
        echo "Xvfb did not start:" >&2
        cat "$folder/xvfb.log" >&2
        return 1
    fi
    DISPLAY=":$(head -n 1 "$folder/display")"
    export DISPLAY
}
