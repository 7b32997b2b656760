#!/usr/bin/env bash
# Real documents nobody here wrote, combined into .docx, .odt and PDF by the command line: each
# input's part must look as the input saved alone by the office (fonts, sizes, alignment, page
# setup, columns, headers and footers, nothing lost), every one must combine, and the PDF must
# have the pages the inputs have alone. Read back without the office (bench/fidelity).
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
# in their own fonts, a comment and footnotes (which the PDF export once could not lay out).
for f in poi_SampleDoc.doc poi_Bug53453Section.doc poi_TestTableColumns.docx poi_Headers.docx \
    poi_comment.docx poi_footnote.doc odf_headerfooter.odt poi_watermark.doc; do
    cp "$corpus/$f" "$work/in/"
done
export TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
KUMIRO="$kumiro" "$root/bench/fidelity/run" "$work/in" --formats docx,odt,pdf --group 8 \
    --only failed,lost,font,size,align,page,orient,margins,columns,header,footer,pdf_pages_differ
