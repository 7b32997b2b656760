#!/usr/bin/env bash
# `kumiro combine` from the command line against peers, in one run on the same inputs:
# 20 workbooks of 3 sheets against `ssconvert --merge-to` (Gnumeric), and 20 text files of
# 30,000 lines (the most a text input may have) against `cat`. Prints medians, ratios, CPU
# time and peak memory as markdown; for the Excel combine also when its output is in place
# against when the command ends, and its phases from traces of its file opens.
#
# Usage: bench/cli_combine.sh [KUMIRO]      (default: build/kumiro of this repository)
# Environment: RUNS        timed runs of each Excel command (default 5)
#              TEXT_RUNS   timed runs of each text command (default 11)
#              BOOKS       format of the 20 workbooks: xlsx (default), xls or ods
#              TEXT_LINES  lines of each text input (default 30000; kumiro refuses more)
#              TIMELINE=0  skips the traced runs that split the Excel combine in phases
#              TRACE_RUNS  how many traced runs (default 3)
# Needs: the office in /usr/lib/libreoffice (makes the workbooks), ssconvert (Debian package
# gnumeric; installed with apt-get when missing and run as root), /usr/bin/time (package
# time, likewise), /usr/bin/python3; strace for the phases (skipped without it).
# Nothing runs in parallel. Every file goes into one temporary folder, removed at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kumiro=$(realpath "${1:-$root/build/kumiro}")
runs=${RUNS:-5}
text_runs=${TEXT_RUNS:-11}
books=${BOOKS:-xlsx}
text_lines=${TEXT_LINES:-30000}
soffice=/usr/lib/libreoffice/program/soffice
py=/usr/bin/python3
case $books in xlsx | xls | ods) ;; *) echo "BOOKS must be xlsx, xls or ods" >&2; exit 2 ;; esac
[ -x "$kumiro" ] || { echo "no kumiro executable at $kumiro" >&2; exit 2; }

need() { # command package
    command -v "$1" >/dev/null && return
    if [ "$(id -u)" = 0 ]; then
        apt-get install -y --no-install-recommends "$2" >/dev/null
    else
        echo "needs $1: apt-get install --no-install-recommends $2" >&2
        exit 2
    fi
}
need ssconvert gnumeric
need /usr/bin/time time

work=$(mktemp -d /tmp/kumiro-cli-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/cache" "$work/tmp" "$work/books" "$work/text" "$work/out"
# No display; settings, the prepared office profile (so the first run prepares it) and
# temporary files of every program in the temporary folder.
unset DISPLAY
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" TMPDIR="$work/tmp"

# --- Inputs, before any timing -------------------------------------------------------------
# Workbooks: flat ODF spreadsheets written as text, converted by one office run with a
# profile of its own. Every workbook has Sheet1..Sheet3 (the combines rename the clashes);
# cell A of each row is text, cell B a number.
"$py" - "$work/books" <<'PY'
import sys
head = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
        'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
        'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2" '
        'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'
        '<office:body><office:spreadsheet>\n')
for book in range(1, 21):
    parts = [head]
    for sheet in range(1, 4):
        parts.append(f'<table:table table:name="Sheet{sheet}">\n')
        for row in range(1, 21):
            value = book * 1000 + sheet * 100 + row
            parts.append('<table:table-row><table:table-cell office:value-type="string">'
                         f'<text:p>book{book:02d} sheet{sheet} row{row}</text:p></table:table-cell>'
                         f'<table:table-cell office:value-type="float" office:value="{value}">'
                         f'<text:p>{value}</text:p></table:table-cell></table:table-row>\n')
        parts.append('</table:table>\n')
    parts.append('</office:spreadsheet></office:body></office:document>\n')
    with open(f'{sys.argv[1]}/book{book:02d}.fods', 'w') as f:
        f.write(''.join(parts))
PY
mkdir -p "$work/lo-profile/tmp"
TMPDIR="$work/lo-profile/tmp" "$soffice" "-env:UserInstallation=file://$work/lo-profile" --headless \
    --convert-to "$books" --outdir "$work/books" "$work"/books/book*.fods >/dev/null 2>&1 || true
rm -rf "$work/lo-profile" "$work"/books/*.fods
inputs=("$work"/books/book*."$books")
[ "${#inputs[@]}" = 20 ] || { echo "the office made ${#inputs[@]} of 20 workbooks" >&2; exit 1; }

# Text: 58 characters and LF per line, every file ending with a line end.
"$py" - "$work/text" "$text_lines" <<'PY'
import sys
for n in range(1, 21):
    with open(f'{sys.argv[1]}/text{n:02d}.txt', 'w', newline='\n') as f:
        f.write(''.join(f'file {n:02d} line {i:06d} abcdefghijklmnopqrstuvwxyz0123456789AB\n'
                        for i in range(1, int(sys.argv[2]) + 1)))
PY
texts=("$work"/text/text*.txt)
# Two one-line files: what a text combine costs beside the reading and writing.
printf 'one line\n' >"$work/text/tiny1.txt"
printf 'one line\n' >"$work/text/tiny2.txt"

# --- Timing --------------------------------------------------------------------------------
# timed NAME STDOUT COMMAND...: one run, wall time (ns clock around /usr/bin/time), and the
# peak RSS and CPU time that /usr/bin/time reports (peak: the largest of the process and the
# children it waited for; CPU: their sum; for kumiro both include its office). Appends
# "ms KiB user-s sys-s" to NAME.times.
timed() {
    local name=$1 stdout=$2 t0 t1
    shift 2
    t0=$(date +%s%N)
    if ! /usr/bin/time -f '%M %U %S' -o "$work/rss" "$@" >"$stdout" 2>"$work/err"; then
        echo "$name: exit status not 0" >&2
        cat "$work/err" >&2
        return 1
    fi
    t1=$(date +%s%N)
    echo "$(((t1 - t0) / 1000))e-3 $(tail -1 "$work/rss")" >>"$work/$name.times"
}
fresh() { rm -f "$work"/out/*; }
# must COMMAND...: an untimed run that has to succeed; its messages are shown if it fails.
must() {
    "$@" >/dev/null 2>"$work/err" && return
    echo "failed: $*" >&2
    cat "$work/err" >&2
    exit 1
}

excel_ok=1
fresh
# The first run prepares the office profile cache: reported apart.
if ! timed kumiro-first /dev/null "$kumiro" combine --kind excel -o "$work/out/k.xlsx" "${inputs[@]}"; then
    excel_ok=0
    cp "$work/err" "$work/excel-failure"
fi
for ((i = 1; i <= runs; i++)); do
    if [ $excel_ok = 1 ]; then
        fresh; timed kumiro-20 /dev/null "$kumiro" combine --kind excel -o "$work/out/k.xlsx" "${inputs[@]}"
        fresh; timed kumiro-2 /dev/null "$kumiro" combine --kind excel -o "$work/out/k.xlsx" "${inputs[@]:0:2}"
        fresh; timed kumiro-20-xls /dev/null "$kumiro" combine --kind excel -o "$work/out/k.xls" "${inputs[@]}"
        fresh; timed kumiro-20-ods /dev/null "$kumiro" combine --kind excel -o "$work/out/k.ods" "${inputs[@]}"
    fi
    fresh; timed ssconvert-20 /dev/null ssconvert --merge-to="$work/out/s.xlsx" "${inputs[@]}"
    fresh; timed ssconvert-2 /dev/null ssconvert --merge-to="$work/out/s.xlsx" "${inputs[@]:0:2}"
    fresh; timed ssconvert-20-xls /dev/null ssconvert --merge-to="$work/out/s.xls" "${inputs[@]}"
done

# Check: 60 sheets, and the last one is the third sheet of the last workbook.
sheets() { # workbook -> number of sheets and the first line of the last sheet
    local dir="$work/sheets"
    rm -rf "$dir"; mkdir -p "$dir"
    ssconvert -S --export-type=Gnumeric_stf:stf_csv "$1" "$dir/%n.csv" >/dev/null 2>&1
    local count
    count=$(find "$dir" -name '*.csv' | wc -l)
    echo "$count sheets, last begins $(head -1 "$dir/$((count - 1)).csv")"
}
check=()
expect='60 sheets, last begins "book20 sheet3 row1",20301'
fresh
if [ $excel_ok = 1 ]; then
    for out in k.xlsx k.xls k.ods; do
        must "$kumiro" combine --kind excel -o "$work/out/$out" "${inputs[@]}"
        got=$(sheets "$work/out/$out")
        check+=("kumiro $out: $got")
        [ "$got" = "$expect" ] || excel_ok=0
    done
fi
must ssconvert --merge-to="$work/out/s.xlsx" "${inputs[@]}"
got=$(sheets "$work/out/s.xlsx")
check+=("ssconvert s.xlsx: $got")
[ "$got" = "$expect" ] || { echo "ssconvert's output: $got" >&2; exit 1; }

# Text: one untimed run of each, then interleaved runs; the last outputs are checked.
fresh
must "$kumiro" combine --kind text -o "$work/out/k.txt" "${texts[@]}"
cat "${texts[@]}" >"$work/out/c.txt"
for ((i = 1; i <= text_runs; i++)); do
    rm -f "$work/out/k.txt"; timed kumiro-text /dev/null "$kumiro" combine --kind text -o "$work/out/k.txt" "${texts[@]}"
    rm -f "$work/out/c.txt"; timed cat-text "$work/out/c.txt" cat "${texts[@]}"
    rm -f "$work/out/t.txt"; timed kumiro-tiny /dev/null "$kumiro" combine --kind text -o "$work/out/t.txt" "$work"/text/tiny?.txt
done
k_lines=$(wc -l <"$work/out/k.txt")
c_lines=$(wc -l <"$work/out/c.txt")
check+=("text: kumiro $k_lines lines, cat $c_lines lines")
if [ "$k_lines" != $((20 * text_lines)) ] || [ "$c_lines" != $((20 * text_lines)) ]; then
    echo "line counts are not 20 x $text_lines" >&2
    exit 1
fi
tr -d '\r' <"$work/out/k.txt" | cmp -s - "$work/out/c.txt" ||
    { echo "kumiro's text without CR differs from cat's" >&2; exit 1; }
check+=("text: kumiro's output with CR removed equals cat's")

# --- When the output is in place, against when the command ends --------------------------
# RUNS plain runs of the 20-workbook combine into .xlsx, the output's folder looked at every
# 5 ms: the output appears complete (it is linked or renamed into place), so the time from
# its appearance to the end of the command is the office's ending and Kumiro's own.
ready=""
if [ $excel_ok = 1 ]; then
    ready=$("$py" - "$runs" "$work/out/k.xlsx" "$kumiro" "${inputs[@]}" <<'PY'
import os, statistics, subprocess, sys, time
runs, out, command = int(sys.argv[1]), sys.argv[2], [sys.argv[3], 'combine', '--kind', 'excel', '-o', sys.argv[2]]
rows = []
for _ in range(runs):
    if os.path.exists(out):
        os.remove(out)
    start = time.monotonic()
    p = subprocess.Popen(command + sys.argv[4:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seen = None
    while p.poll() is None:
        if seen is None and os.path.exists(out):
            seen = time.monotonic()
        time.sleep(0.005)
    end = time.monotonic()
    if p.returncode != 0 or seen is None:
        raise SystemExit('a run failed')
    rows.append(((seen - start) * 1000, (end - start) * 1000))
print('| run | output in place ms | command ended ms | between ms |')
print('|---|---|---|---|')
for i, (seen, end) in enumerate(rows, 1):
    print(f'| {i} | {seen:.0f} | {end:.0f} | {end - seen:.0f} |')
print(f'| median | {statistics.median(r[0] for r in rows):.0f} | {statistics.median(r[1] for r in rows):.0f} '
      f'| {statistics.median(r[1] - r[0] for r in rows):.0f} |')
PY
) || ready="(a run failed)"
fi

# --- Phases of the Excel combine, from traces of its file opens ---------------------------
# TRACE_RUNS traced runs; a phase ends at a file event: the office program's start, the
# first and the last workbook opened, Kumiro opening the output folder (it is about to ask
# the office to save), the office creating its saved file, Kumiro's exit.
timeline=""
trace_runs=${TRACE_RUNS:-3}
if [ $excel_ok = 1 ] && [ "${TIMELINE:-1}" != 0 ] && command -v strace >/dev/null; then
    for ((i = 1; i <= trace_runs; i++)); do
        fresh
        must strace -f -tt -s 4096 --seccomp-bpf -e trace=execve,openat,exit_group -o "$work/trace.$i" \
            "$kumiro" combine --kind excel -o "$work/out/k.xlsx" "${inputs[@]}"
    done
    timeline=$("$py" - "$work/out" "${inputs[0]}" "${inputs[19]}" "$work"/trace.* <<'PY'
import re, statistics, sys
outdir, first, last, traces = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
def phases(trace):
    events = []
    for line in open(trace):
        m = re.match(r'\s*(\d+)\s+(\d+):(\d+):([\d.]+) (.*)', line)
        if m:
            t = int(m[2]) * 3600 + int(m[3]) * 60 + float(m[4])
            events.append((t, int(m[1]), m[5]))
    t0, main = events[0][0], events[0][1]
    office = {p for _, p, c in events if c.startswith('execve(') and 'soffice.bin"' in c}
    def at(test, after=0.0):
        for t, pid, call in events:
            if (t - t0) * 1000 >= after and test(pid, call):
                return (t - t0) * 1000
        raise SystemExit(f'{trace}: a mark is missing')
    def opened(path):
        return lambda p, c: c.startswith('openat(') and f'"{path}' in c
    marks = [0.0, at(lambda p, c: p in office and c.startswith('execve(')), at(opened(first)), at(opened(last))]
    marks.append(at(lambda p, c: p == main and opened(outdir)(p, c), marks[-1]))
    marks.append(at(lambda p, c: c.startswith('openat(') and 'kumiro-save-' in c and 'O_CREAT' in c, marks[-1]))
    marks.append(at(lambda p, c: p == main and c.startswith('exit_group(')))
    return [b - a for a, b in zip(marks, marks[1:])] + [marks[-1]]
names = ['Kumiro starts, copies the prepared profile, starts the office',
         'office starts, until it opens the first workbook',
         'workbooks 1 to 19 opened',
         'workbook 20 opened, new workbook, 60 sheet copies and their fixes',
         'office saves the .xlsx (into its own folder)',
         'copy into place, office quits, Kumiro ends',
         'whole traced run']
runs = [phases(t) for t in traces]
whole = statistics.median(r[-1] for r in runs)
print('| phase | median ms | min–max ms | share |')
print('|---|---|---|---|')
for i, name in enumerate(names):
    v = [r[i] for r in runs]
    print(f'| {name} | {statistics.median(v):.0f} | {min(v):.0f}–{max(v):.0f} | {statistics.median(v) / whole:.0%} |')
PY
) || timeline="(the traces lack a mark: no phases)"
fi

# --- Report --------------------------------------------------------------------------------
echo "$(date +%F), $(nproc) cores, $("$kumiro" --version 2>&1 | head -1), office $(dpkg-query -W -f '${Version}' libreoffice-common 2>/dev/null || echo '?'),"
echo "$(ssconvert --version 2>&1 | head -1), $(cat --version | head -1); workbooks as .$books"
echo
"$py" - "$work" "$runs" "$text_runs" "$text_lines" <<'PY'
import os, statistics, sys
work, runs, text_runs, text_lines = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
def load(name):
    path = f'{work}/{name}.times'
    if not os.path.exists(path):
        return None
    rows = [line.split() for line in open(path)]
    return [float(r[0]) for r in rows], max(int(r[1]) for r in rows), [float(r[2]) + float(r[3]) for r in rows]
def med(name):
    d = load(name)
    return statistics.median(d[0]) if d else None
rows = [
    ('kumiro-first', 'kumiro combine, 20 workbooks → .xlsx, first run (prepares the profile cache)'),
    ('kumiro-20', 'kumiro combine, 20 workbooks → .xlsx'),
    ('kumiro-2', 'kumiro combine, 2 workbooks → .xlsx'),
    ('kumiro-20-xls', 'kumiro combine, 20 workbooks → .xls'),
    ('kumiro-20-ods', 'kumiro combine, 20 workbooks → .ods'),
    ('ssconvert-20', 'ssconvert --merge-to, 20 workbooks → .xlsx'),
    ('ssconvert-2', 'ssconvert --merge-to, 2 workbooks → .xlsx'),
    ('ssconvert-20-xls', 'ssconvert --merge-to, 20 workbooks → .xls'),
    ('kumiro-text', f'kumiro combine --kind text, 20 × {text_lines:,} lines'),
    ('cat-text', 'cat of the same 20 files'),
    ('kumiro-tiny', 'kumiro combine --kind text, 2 files of one line'),
]
print(f'Excel: {runs} interleaved runs each, text: {text_runs}.')
print()
print('| what | median ms | min–max ms | CPU s (median) | peak RSS KiB |')
print('|---|---|---|---|---|')
for name, label in rows:
    d = load(name)
    if d is None:
        if name.startswith('kumiro') and name not in ('kumiro-text', 'kumiro-tiny'):
            print(f'| {label} | failed | | | |')
        continue
    times, rss, cpu = d
    spread = f'{min(times):.0f}–{max(times):.0f}' if len(times) > 1 else ''
    print(f'| {label} | {statistics.median(times):.0f} | {spread} | {statistics.median(cpu):.2f} | {rss} |')
print()
k20, k2, s20, kt, ct, k0 = (med(n) for n in ('kumiro-20', 'kumiro-2', 'ssconvert-20', 'kumiro-text', 'cat-text',
                                               'kumiro-tiny'))
if k20 and s20:
    print(f'- Excel combine of 20 workbooks, kumiro / ssconvert: {k20 / s20:.1f} (.xlsx)', end='')
    kx, sx = med('kumiro-20-xls'), med('ssconvert-20-xls')
    print(f', {kx / sx:.1f} (.xls)' if kx and sx else '')
if k20 and k2:
    per = (k20 - k2) / 18
    print(f'- from 2 to 20 workbooks: {per:.0f} ms a workbook (3 sheets); '
          f'fixed part (2-workbook run less 2 workbooks) {k2 - 2 * per:.0f} ms')
if kt and ct:
    print(f'- text combine, kumiro / cat: {kt / ct:.2f}; without the cost of a combine of 2 one-line files: '
          f'{(kt - k0) / ct:.2f}')
PY
echo
printf -- '- check: %s\n' "${check[@]}"
if [ -n "$ready" ]; then
    echo
    echo "Output in place against command ended, kumiro combine of the 20 workbooks into .xlsx:"
    echo
    echo "$ready"
fi
if [ -n "$timeline" ]; then
    echo
    echo "$trace_runs traced kumiro combines of the 20 workbooks into .xlsx (strace -f of execve, openat, exit_group):"
    echo
    echo "$timeline"
fi
if [ $excel_ok = 0 ]; then
    echo
    if [ -f "$work/excel-failure" ]; then
        echo "kumiro's Excel combine of the .$books workbooks failed:"
        sed 's/^/    /' "$work/excel-failure"
    else
        echo "kumiro's Excel combine made a workbook without the expected 60 sheets (see check)."
    fi
    exit 1
fi
