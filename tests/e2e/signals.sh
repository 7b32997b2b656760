#!/usr/bin/env bash
# SIGINT, SIGTERM and SIGHUP end the window program at once wherever it is: during the
# splash, and behind the start-up message about a settings file it may not write (a link
# to nothing, which must never be made real). Status 128 + N each time.
# usage: signals.sh path/to/kumiro
set -euo pipefail
program=$(readlink -f "$1")
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xserver.sh"

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; x_stop; rm -rf "$work"' EXIT
x_start

fail() { echo "e2e: $*" >&2; exit 1; }
# Waits up to 5 s for PID to end, and checks its status.
ended_with() {
    local pid=$1 expected=$2 what=$3 status=0
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$pid" 2>/dev/null && fail "$what: still running 5 s after the signal"
    wait "$pid" || status=$?
    [ "$status" -eq "$expected" ] || fail "$what: status $status, not $expected"
}

passed=0
for sig in INT TERM HUP; do
    expected=$((128 + $(kill -l $sig)))
    # A fresh settings folder: the splash is on.
    rm -rf "$work/config"; mkdir -p "$work/config"
    XDG_CONFIG_HOME="$work/config" "$program" &
    kumiro=$!
    for _ in $(seq 600); do
        xdotool search --onlyvisible --pid $kumiro >/dev/null 2>&1 && break
        sleep 0.05
    done
    kill -$sig $kumiro
    ended_with $kumiro $expected "SIG$sig during the splash"
    passed=$((passed + 1))

    rm -rf "$work/config"; mkdir -p "$work/config/kumiro"
    ln -s "$work/nowhere.ini" "$work/config/kumiro/kumiro.ini"
    XDG_CONFIG_HOME="$work/config" "$program" &
    kumiro=$!
    x_window "設定確認" >/dev/null || fail "no message about the settings file"
    kill -$sig $kumiro
    ended_with $kumiro $expected "SIG$sig behind the settings message"
    [ -e "$work/nowhere.ini" ] && fail "the settings link's target was made"
    passed=$((passed + 1))
done
echo "e2e: signals to the window: $passed passed, 0 failed"
