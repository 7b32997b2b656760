#!/usr/bin/env bash
# Real documents nobody here wrote, combined into .docx, .odt and PDF by the command line: each
# input's part must look as the input saved alone by the office (fonts, sizes, alignment, page
# setup, columns, headers and footers, nothing lost) and every one must combine, the PDF too.
# Read back without the office (bench/fidelity).
# Skipped (77) where the corpus is not beside the checkout.
set -euo pipefail
kumiro=$(realpath "$1")
corpus=$2/word
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -d "$corpus" ] || { echo "no corpus at $corpus: skipped"; exit 77; }
work=$(mktemp -d /tmp/kumiro-fidelity.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/tmp"
# A heading with its own look, a section of three columns, a table first in the body, headers
# in their own fonts, a first page of its own, footnotes (which the PDF export once could not lay out).
for f in poi_SampleDoc.doc poi_Bug53453Section.doc poi_TestTableColumns.docx poi_Headers.docx poi_DiffFirstPageHeadFoot-doc.doc \
    poi_footnote.doc; do
    cp "$corpus/$f" "$work/in/"
done
export TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
KUMIRO="$kumiro" "$root/bench/fidelity/run" "$work/in" --formats docx,odt,pdf --group 8 \
    --only failed,lost,font,size,bold,italic,color,align,page,orient,margins,columns,header,footer,tables,pictures,footnotes,comments
