#!/usr/bin/env bash
# Public workbooks combined into .xls, .xlsx and .ods, each against itself saved alone by the
# office and read back without it: no value changed or lost, no name empty, doubled, missing or
# pointing outside, no path of the office's private copies, fonts and row heights kept
# (bench/fidelity/workbooks.py). Skipped where the corpus is not beside the checkout.
set -euo pipefail
kumiro=$(realpath "$1")
source=$(cd "$(dirname "$0")/../.." && pwd)
corpus="$source/../shared/corpus/excel"
if [ ! -d "$corpus" ]; then
    echo "SKIP: no workbook corpus at $corpus"
    exit 77
fi
work=$(mktemp -d /tmp/kumiro-e2e-fidelity.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY LC_ALL LC_MESSAGES
export LANG=C
export XDG_CONFIG_HOME="$work/config"
# Copies of the test's own: the corpus stays as it is.
slice=(poi_FormulaSheetRange-xlsx.xlsx poi_simple-monthly-budget.xlsx poi_3dFormulas.xls poi_57893-many-merges.xlsx)
for f in "${slice[@]}"; do
    cp "$corpus/$f" "$work/"
    chmod u+w "$work/$f"
done
cd "$work"
# A group that once took minutes fails here, not at the suite's timeout.
KUMIRO_FIDELITY_TIMEOUT=120 KUMIRO="$kumiro" "$source/bench/fidelity/run" --group "${#slice[@]}" "${slice[@]}"
