#!/usr/bin/env bash
# Start-up to the main window shown, splash off, against a bare Qt program that shows one
# empty window; both under one Xvfb server in the same run. Prints medians and peak memory.
# Needs: hyperfine, Xvfb, /usr/bin/time (apt-get install hyperfine xvfb time).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
cmake --build "$build" -j2 --target kumiro bench_bare_window >/dev/null

source "$root/scripts/xserver.sh"

cfg=$(mktemp -d)
trap 'x_stop; rm -rf "$cfg"' EXIT
x_start
mkdir -p "$cfg/kumiro"
printf '[Config]\nOptLogo=0\n' > "$cfg/kumiro/kumiro.ini"
export XDG_CONFIG_HOME="$cfg" KUMIRO_QUIT_WHEN_SHOWN=1

hyperfine -N --warmup 3 --runs "${RUNS:-30}" --export-json "$cfg/times.json" \
    -n kumiro "$build/kumiro" -n bare-qt-window "$build/bench/bench_bare_window" >/dev/null

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
python3 - "$cfg/times.json" "$(peak "$build/kumiro")" "$(peak "$build/bench/bench_bare_window")" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["results"]
rss = {"kumiro": sys.argv[2], "bare-qt-window": sys.argv[3]}
print("| program | median ms | min ms | max ms | peak RSS KiB |")
print("|---|---|---|---|---|")
for r in runs:
    print(f'| {r["command"]} | {r["median"]*1000:.1f} | {r["min"]*1000:.1f} | {r["max"]*1000:.1f} | {rss[r["command"]]} |')
PY
