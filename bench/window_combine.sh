#!/usr/bin/env bash
# The combine through the real window with its office started ahead: from "くみろ実行"
# (Ctrl+G) to the completion message, for 20 Word documents and 20 workbooks of 3 sheets,
# against `kumiro combine` of the same inputs in the same run (an office started for the
# command, as the window did before). Under a private Xvfb with a window manager; the window
# is driven with xdotool as a user would: "open with" the files, OK, then Ctrl+G once the
# office is up. Prints medians as markdown.
#
# Usage: bench/window_combine.sh [KUMIRO]      (default: build/kumiro of this repository)
# Environment: RUNS   timed combines of each kind (default 5)
# Needs: what scripts/test installs (Xvfb, xdotool, openbox, the office) and xprop (x11-utils).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kumiro=$(realpath "${1:-$root/build/kumiro}")
runs=${RUNS:-5}
source "$root/scripts/xserver.sh"

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; x_stop; rm -rf "$work"' EXIT
x_start
openbox >/dev/null 2>&1 &

mkdir -p "$work/word" "$work/excel" "$work/out" "$work/config/kumiro"
for i in $(seq -w 1 10); do
    cp "$root/tests/fixtures/land.doc" "$work/word/a$i.doc"
    cp "$root/tests/fixtures/single.doc" "$work/word/b$i.doc"
    cp "$root/tests/fixtures/sales.xls" "$work/excel/a$i.xls"
    cp "$root/tests/fixtures/branch.xls" "$work/excel/b$i.xls"
done
cat >"$work/config/kumiro/kumiro.ini" <<INI
[Config]
OptLogo=0
[Kumiro]
DataFol(0)=$work/word
DataFol(1)=$work/excel
FolderName(0)=$work/out
FolderName(1)=$work/out
INI

# Writes to FILE the time the window manager first lists a window titled TITLE. It waits on
# the root window's client list (xprop -spy) instead of polling: a poll every 20 ms with
# xdotool kept about half a core busy, and the office, sharing the two cores, answered
# each call about twice as slowly, which doubled the time measured.
listed() { # title file
    local title=$1 out=$2 id
    (xprop -root -spy _NET_CLIENT_LIST 2>/dev/null & echo $! >"$out.pid"; wait) | while read -r line; do
        for id in $(grep -o '0x[0-9a-f]*' <<<"$line"); do
            if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ]; then
                now >"$out"
                kill "$(cat "$out.pid")" 2>/dev/null
                return 0
            fi
        done
    done
}
window() { x_window "$1"; }
focused() { x_focus "$1"; }
gone() { x_gone "$1"; }
press() { x_press "$1" "$2"; }
now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.0f", m/1e6}'; }

# One kind through the window: RUNS timed combines, each after the office is up.
through_window() { # folder pattern title
    local folder=$1 title="くみろ君 for Windows ( $3 ﾌｧｲﾙ 編 )"
    XDG_CONFIG_HOME="$work/config" "$kumiro" "$folder"/$2 &
    local pid=$!
    press "ファイル数確認" Return
    gone "ファイル数確認"
    for _ in $(seq "$runs"); do
        # A click in the left list, then seven tabs reach "OK" (a click while a message
        # still held the focus was lost, and the tabs reached "削除").
        local id
        id=$(focused "$title")
        xdotool mousemove --window "$id" 60 300 click 1
        xdotool key Tab Tab Tab Tab Tab Tab Tab space
        press "くみろ順確認" Return
        gone "くみろ順確認"
        # The office started ahead (two seconds after the last command): wait until it is
        # surely up, as a user takes a moment to reach "くみろ実行".
        sleep 8
        local t0 watcher
        rm -f "$work/shown" "$work/shown.pid"
        listed "完了確認" "$work/shown" &
        watcher=$!
        until [ -s "$work/shown.pid" ]; do sleep 0.01; done
        sleep 0.2 # xprop has read the list once and waits for changes
        # The main window has the input focus again once the order dialog is gone.
        focused "$title" >/dev/null
        t0=$(now)
        xdotool key --clearmodifiers ctrl+g
        wait "$watcher"
        echo $(($(cat "$work/shown") - t0))
        press "完了確認" Return
        gone "完了確認"
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
cli() { # folder pattern output
    for _ in $(seq "$runs"); do
        local t0 t1
        t0=$(now)
        XDG_CONFIG_HOME="$work/config" "$kumiro" combine -q -o "$work/out/$3" "$1"/$2 >/dev/null 2>&1
        t1=$(now)
        echo $((t1 - t0))
    done
}

word_window=$(through_window "$work/word" '*.doc' Word | median)
word_cli=$(cli "$work/word" '*.doc' cli.doc | median)
excel_window=$(through_window "$work/excel" '*.xls' Excel | median)
excel_cli=$(cli "$work/excel" '*.xls' cli.xls | median)
echo "| what | median ms |"
echo "|---|---|"
echo "| window, warm office, 20 Word documents: Ctrl+G to 完了確認 | $word_window |"
echo "| kumiro combine, 20 Word documents (office started for it) | $word_cli |"
echo "| window, warm office, 20 workbooks x 3 sheets: Ctrl+G to 完了確認 | $excel_window |"
echo "| kumiro combine, 20 workbooks x 3 sheets | $excel_cli |"
