#!/usr/bin/env bash
# Drives the real program as a person would, under Xvfb with a window manager: Ctrl+T, the
# picker's OK, the count message, "一括", "OK", Ctrl+G, the completion message; then checks
# the bytes of the combined file. Windows are found by their titles and waited for.
# usage: text_combine.sh path/to/kumiro
set -euo pipefail
program=$(readlink -f "$1")
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xserver.sh"

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; x_stop; rm -rf "$work"' EXIT
x_start
mkdir -p "$work/config/kumiro" "$work/data" "$work/out"
printf 'one\r\ntwo' > "$work/data/a.txt"
printf 'three\n' > "$work/data/b.txt"
printf 'not listed' > "$work/data/c.log"
# A fresh settings folder; only the Text kind's folders point at the test's own.
printf '[Kumiro]\nDataFol(2)=%s\nFolderName(2)=%s\n' "$work/data" "$work/out" \
    > "$work/config/kumiro/kumiro.ini"

openbox >/dev/null 2>&1 &
XDG_CONFIG_HOME="$work/config" "$program" &
kumiro=$!

fail() { echo "e2e: $*" >&2; exit 1; }
window() { x_window "$1" || fail "no window \"$1\""; }
gone() { x_gone "$1" || fail "window \"$1\" stayed"; }
press() { x_press "$1" "$2" || fail "no window \"$1\""; }

window "くみろ君 for Windows" >/dev/null # after the splash
press "くみろ君 for Windows" ctrl+t
press "データフォルダの指定 ( Text ﾌｧｲﾙ 編 )" Return
gone "データフォルダの指定 ( Text ﾌｧｲﾙ 編 )"
press "ファイル数確認" Return
gone "ファイル数確認"
# Keyboard through the main window: the left list has the focus; Tab goes to the right
# list, then the buttons "－>", "↑", "↓", "一括".
press "くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )" Tab
for _ in 1 2 3 4; do xdotool key Tab; done
xdotool key space
press "一括追加確認" Return
gone "一括追加確認"
press "くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )" Tab
xdotool key Tab space # "削除", then "OK"
press "くみろ順確認" Return
gone "くみろ順確認"
press "くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )" ctrl+g
window "完了確認" >/dev/null
press "完了確認" Return
gone "完了確認"

expected=$(printf 'one\r\ntwo\r\nthree\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$work/out/NewText.txt" 2>/dev/null) || fail "no NewText.txt"
[ "$actual" = "$expected" ] || fail "NewText.txt holds$actual, expected$expected"

# Closing the window through the window manager ends the program without a question and
# saves the geometry.
# The window manager may take the key before the window has the focus on a loaded machine:
# pressed again while the window is still there.
for _ in 1 2 3; do
    press "くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )" alt+F4 || break
    for _ in $(seq 50); do kill -0 $kumiro 2>/dev/null || break 2; sleep 0.1; done
done
kill -0 $kumiro 2>/dev/null && fail "the program did not end when its window was closed"
grep -q '^F_Width=' "$work/config/kumiro/kumiro.ini" || fail "the geometry was not saved"
echo "e2e: text combine through the window: 1 passed, 0 failed"
