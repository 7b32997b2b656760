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

# Windows are found by their exact titles and waited for (polled: "--sync" dies of
# BadWindow when a window closes meanwhile, as the splash does).
x_exactly() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][()\\.^$*+?{}|]/\\&/g')"; }
# Prints the id of a visible window titled exactly so; fails after 30 s.
x_window() {
    local id
    for _ in $(seq 1500); do
        id=$(xdotool search --onlyvisible --name "$(x_exactly "$1")" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.02
    done
    echo "no window \"$1\"" >&2
    return 1
}
# Waits until no visible window has this title; fails after 30 s.
x_gone() {
    for _ in $(seq 1500); do
        xdotool search --onlyvisible --name "$(x_exactly "$1")" >/dev/null 2>&1 || return 0
        sleep 0.02
    done
    echo "window \"$1\" stayed" >&2
    return 1
}
# Gives the window titled TITLE the X input focus, which the window manager moves a moment
# after a dialog closes, and prints its id; fails after TRIES x 0.05 s (default 30 s).
x_focus() {
    local id
    id=$(x_window "$1") || return 1
    for _ in $(seq "${2:-600}"); do
        xdotool windowactivate "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null || true
        if [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    echo "\"$1\" never had the focus" >&2
    return 1
}
# Presses KEY in the window titled TITLE, once it has the focus (or after 5 s of trying).
x_press() {
    x_window "$1" >/dev/null || return 1
    x_focus "$1" 100 >/dev/null || true
    xdotool key --clearmodifiers "$2"
}
