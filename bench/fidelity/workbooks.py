"""Workbooks: each input of a combine against itself saved alone by the office, in every output
format, read back without the office (books.py). Prints a table per group and totals per format;
exits 1 when any difference is found (--strict: also when an input's difference goes unsaid).

workbooks.py [--formats xls,xlsx,ods] [--group N] [--keep DIR] -- FILE..."""
import os
import re
import shutil
import signal
import sys
import tempfile

import books
import common

FILTERS = {"xls": "MS Excel 97", "xlsx": "Calc MS Excel 2007 XML", "ods": "calc8"}
COLUMNS = ["values", "formulas", "lost", "names", "font", "look", "heights", "widths", "merges", "comments", "cf",
           "dv", "charts", "pictures", "pivots"]
# What this harness holds the combine to: a difference in these fails a run.
FAULTS = ["values", "lost", "names", "font", "heights"]
TIMEOUT = int(os.environ.get("KUMIRO_FIDELITY_TIMEOUT", "600"))
BOX = re.compile(r"/tmp/|input-\d+", re.I)


def sheet_map(out, alones, inputs):
    """The output's sheets of each input: inputs in order, each with as many sheets as alone."""
    at, mapping = 0, {}
    for f in inputs:
        n = len(alones[f].sheets) if alones[f] else 0
        mapping[f] = out.sheets[at:at + n]
        at += n
    return mapping if at == len(out.sheets) else None


def normalise(formula, renames):
    if formula is None:
        return None
    for theirs, ours in renames:
        formula = formula.replace("'%s'" % theirs.replace("'", "''"), "\0%s\0" % ours)
        formula = re.sub(r"(?<![\w.'])%s(?=[!.])" % re.escape(theirs), "\0%s\0" % ours, formula)
    # Quoted only where the name needs it, as both sides write it.
    return re.sub("\0([^\0]*)\0", lambda m: m.group(1) if re.fullmatch(r"[A-Za-z_]\w*", m.group(1))
                  else "'%s'" % m.group(1).replace("'", "''"), formula)


def compare_sheets(alone, got, original, renames, diffs, examples):
    for at, (value, formula) in alone.cells.items():
        if at not in got.cells:
            if value not in (None, ""):
                diffs["lost"] += 1
                examples.append("%s!%s lost (%r)" % (alone.name, at, value))
            continue
        v2, f2 = got.cells[at]
        # What the office's own save of the input lost (a text result saved as 0) is not the combine's.
        kept = original is not None and at in original.cells and books.same_value(original.cells[at][0], v2)
        if not books.same_value(value, v2) and not kept:
            diffs["values"] += 1
            examples.append("%s!%s %r -> %r  %s" % (alone.name, at, value, v2, f2 or ""))
        if normalise(formula, renames) != normalise(f2, renames) and formula is not None:
            diffs["formulas"] += 1
            if len(examples) < 400:
                examples.append("%s!%s formula %s -> %s" % (alone.name, at, formula, f2))
        f1, f2 = alone.fonts.get(at), got.fonts.get(at)
        # The office's own save of an .ods drops some workbooks' default font: the input's counts.
        f0 = original.fonts.get(at) if original is not None else None
        if f1 and f2:
            if f1[:2] != f2[:2] and (f0 is None or f0[:2] != f2[:2]):
                diffs["font"] += 1
                examples.append("%s!%s font %s -> %s" % (alone.name, at, f1[:2], f2[:2]))
            elif f1[2:] != f2[2:]:
                diffs["look"] += 1
    for r, h in alone.heights.items():
        if abs((got.heights.get(r) or got.shown.get(r) or 0) - h) > 0.06:
            diffs["heights"] += 1
            if diffs["heights"] < 4:
                examples.append("%s row %d height %s -> %s" % (alone.name, r + 1, h, got.heights.get(r)))
    for c, w in alone.widths.items():
        if w is not None and abs((got.widths.get(c) or 0) - w) > 0.06:
            diffs["widths"] += 1
    diffs["merges"] += len(alone.merges ^ got.merges)
    for k, v in alone.counts.items():
        diffs[k] += abs(v - got.counts[k])


def compare_names(alone_book, out, sheets, renames, diffs, examples, claimed):
    index = {id(s): i for i, s in enumerate(out.sheets)}
    scope_of = lambda s: -1 if s < 0 or s >= len(sheets) else index[id(sheets[s])]
    have = {(n.upper(), s): c for n, s, c in out.names}
    for name, scope, content in alone_book.names:
        # The office's own save writes a name of another workbook as an empty name: nothing to keep.
        if not content:
            continue
        want = scope_of(scope)
        found = [(k, c) for k, c in have.items()
                 if k[1] == want and re.fullmatch(re.escape(name.upper()) + r"(_\d+)?", k[0])
                 and k[0] not in claimed]
        if not found:
            diffs["names"] += 1
            examples.append("name %s (sheet %d) missing" % (name, scope))
            continue
        exact = [f for f in found if f[0][0] == name.upper()]
        (key, got) = (exact or found)[0]
        claimed.add(key[0]) if want < 0 else None
        if content and not got:
            diffs["names"] += 1
            examples.append("name %s empty (was %s)" % (name, content))
        elif ("[outside]" in got or "file:" in got) and not ("[outside]" in content or "file:" in content):
            diffs["names"] += 1
            examples.append("name %s points outside: %s" % (name, got))


def output_faults(out, alone_books):
    """Names of the output that are empty or doubled beyond what the inputs had; paths of the box."""
    seen, doubled, empty = set(), 0, 0
    for name, scope, content in out.names:
        key = (name.upper(), scope)
        doubled += key in seen
        seen.add(key)
        empty += not content
    empty -= sum(1 for b in alone_books if b for n, s, c in b.names if not c)
    leaks = [p for p in out.paths if BOX.search(p)]
    return max(doubled, 0), max(empty, 0), leaks


def said(stderr, path):
    return os.path.basename(path) in stderr


def run_group(group, fmt, office, work, keep, totals, rows):
    alone_paths = office.save(group, fmt, FILTERS[fmt])
    alones = {f: (books.read(p) if p else None) for f, p in alone_paths.items()}
    output = os.path.join(keep or work, "group-%d.%s" % (run_group.count, fmt))
    rc, stderr, seconds = common.combine("excel", group, output, TIMEOUT)
    print("\n## group %d, .%s: exit %d, %.1f s" % (run_group.count, fmt, rc, seconds))
    for line in stderr.splitlines():
        print("   said: " + line)
    if rc != 0 or not os.path.exists(output):
        totals[fmt]["failed"] += 1
        return
    out = books.read(output)
    mapping = sheet_map(out, alones, group)
    if mapping is None:
        print("   the output has %d sheets, the inputs alone %d" % (
            len(out.sheets), sum(len(a.sheets) for a in alones.values() if a)))
        totals[fmt]["failed"] += 1
        return
    doubled, empty, leaks = output_faults(out, alones.values())
    claimed = set()
    for f in group:
        diffs, examples = dict.fromkeys(COLUMNS, 0), []
        if alones[f] is None:
            print("   %s: not saved alone" % f)
            continue
        renames = [(g.name, a.name) for a, g in zip(alones[f].sheets, mapping[f]) if a.name != g.name]
        try:
            original = books.read(f)
        except Exception:  # a reader that cannot read the input compares with alone only
            original = None
        for a, g in zip(alones[f].sheets, mapping[f]):
            o = original.sheet(a.name) if original else None
            compare_sheets(a, g, o, renames, diffs, examples)
        compare_names(alones[f], out, mapping[f], renames, diffs, examples,
                      claimed)
        silent = any(diffs[k] for k in FAULTS) and not said(stderr, f)
        cells = sum(len(s.cells) for s in alones[f].sheets)
        rows.append([fmt, os.path.basename(f), cells] + [diffs[k] for k in COLUMNS] + ["silent" if silent else ""])
        for k in COLUMNS:
            totals[fmt][k] += diffs[k]
        totals[fmt]["cells"] += cells
        totals[fmt]["silent"] += silent
        for e in examples[:12]:
            print("   %s: %s" % (os.path.basename(f), e))
    totals[fmt]["doubled"] += doubled
    totals[fmt]["empty"] += empty
    totals[fmt]["paths"] += len(leaks)
    print("   output: %d doubled names, %d empty names, %d paths of the box" % (doubled, empty, len(leaks)))
    for p in leaks[:5]:
        print("   path: " + p)


def main(argv):
    files, formats, size, keep = common.parse_args(argv, ["xls", "xlsx", "ods"], 5)
    if not files:
        print(__doc__, file=sys.stderr)
        return 2
    work = tempfile.mkdtemp(prefix="kumiro-workbooks-")
    # Inputs under names of the harness's own: the check for an input's path looks for this folder.
    staged = []
    for f in files:
        dst = os.path.join(work, "inputs", os.path.basename(f))
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(f, dst)
        staged.append(dst)
    office = common.AloneOffice()
    # A folder to keep the alone versions in between runs (they cost minutes of office time).
    cache = os.environ.get("KUMIRO_FIDELITY_ALONE")
    if cache:
        shutil.rmtree(office.root, ignore_errors=True)
        os.makedirs(cache, exist_ok=True)
        office.root, office.profile = cache, "file://" + os.path.join(cache, "profile")
        office.close = lambda: None
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    totals = {fmt: dict.fromkeys(COLUMNS + ["cells", "silent", "failed", "doubled", "empty", "paths"], 0)
              for fmt in formats}
    rows = []
    try:
        run_group.count = 0
        for group in common.groups(staged, size):
            run_group.count += 1
            for fmt in formats:
                run_group(group, fmt, office, work, keep, totals, rows)
    finally:
        office.close()
        shutil.rmtree(work, ignore_errors=True)
    print()
    print(common.table(rows, ["fmt", "input", "cells"] + COLUMNS + ["said"]))
    print()
    keys = ["failed", "cells"] + COLUMNS + ["doubled", "empty", "paths", "silent"]
    print(common.table([[fmt] + [totals[fmt][k] for k in keys] for fmt in formats], ["fmt"] + keys))
    bad = any(totals[f][k] for f in formats for k in FAULTS + ["failed", "doubled", "empty", "paths"])
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
