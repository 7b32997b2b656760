# Sourced: starts a private Xvfb and exports DISPLAY. The server picks its own free display
# (-displayfd), so two runs on one machine never share one; "xvfb-run -a" guesses a number
# from lock files only and, beside another server in another /tmp, connected us to a
# stranger's display. The server ends with the script (call x_stop in an EXIT trap).
x_start() {
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    X_PID=$!
    number=$(timeout 30 head -1 "$fifo") || true
    rm -f "$fifo"
    if [ -z "$number" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$number"
}
x_stop() {
    [ -n "${X_PID:-}" ] && kill "$X_PID" 2>/dev/null || true
}
