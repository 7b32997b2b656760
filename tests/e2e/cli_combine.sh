#!/usr/bin/env bash
# The command line without any display: three .docx combined into a PDF and three .xlsx into
# an .xlsx, each output read back by another reader (pdftotext; the command-line office into
# flat XML) and compared input by input; 150 documents into one, in order.
set -euo pipefail
kumiro=$(realpath "$1")
fixtures=$(cd "$(dirname "$0")/../fixtures" && pwd)
office=${KUMIRO_OFFICE_PROGRAM_DIR:-/usr/lib/libreoffice/program}
work=$(mktemp -d /tmp/kumiro-e2e-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY LC_ALL LC_MESSAGES
export LANG=C
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/share" # a replaced output's trash
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# An office of the test's own for making inputs and reading outputs.
convert() {
    local format=$1 outdir=$2; shift 2
    mkdir -p "$work/profile/tmp"
    TMPDIR="$work/profile/tmp" "$office/soffice" -env:UserInstallation=file://"$work/profile" \
        --headless --norestore --convert-to "$format" --outdir "$outdir" "$@" >/dev/null 2>&1
}

# Word: three documents made from text by the command line's own conversion.
for n in 1 2 3; do printf '第%s章 E2E-WORD-%s\n本文 %s\n' "$n" "$n" "$n" > "w$n.txt"; done
"$kumiro" convert --to docx w1.txt w2.txt w3.txt 2>/dev/null || fail "convert to docx"
for n in 1 2 3; do [ -s "w$n.docx" ] || fail "w$n.docx missing"; done
"$kumiro" combine -o all.pdf w1.docx w2.docx w3.docx 2>err.txt || { cat err.txt >&2; fail "word combine"; }
grep -q 'all.pdf' err.txt || fail "completion message without the file name"
text=$(pdftotext -layout all.pdf -)
order=$(printf '%s\n' "$text" | grep -o 'E2E-WORD-[0-9]' | tr '\n' ' ')
[ "$order" = "E2E-WORD-1 E2E-WORD-2 E2E-WORD-3 " ] || fail "PDF holds '$order'"
for n in 1 2 3; do printf '%s\n' "$text" | grep -q "本文 $n" || fail "PDF lacks 本文 $n"; done
pages=$(pdfinfo all.pdf | sed -n 's/^Pages: *//p')
[ "$pages" -eq 3 ] || fail "PDF has $pages pages: each document starts one, and no empty page ends it"
[ "$(wc -l < err.txt)" -eq 1 ] || { cat err.txt >&2; fail "a completion line with more than the file name"; }
# Again: the PDF is replaced, the old one in the trash, and the line says so.
"$kumiro" combine -o all.pdf w1.docx w2.docx w3.docx 2>err.txt || { cat err.txt >&2; fail "word combine again"; }
grep -q '^kumiro: replaced .*all.pdf with 3 files; the old file was moved to the trash$' err.txt \
    || { cat err.txt >&2; fail "the replace is not told"; }
[ -s "$work/share/Trash/files/all.pdf" ] || fail "the old PDF is not in the trash"
# The same documents into .docx and .odt, read back as flat XML by the office.
for format in docx odt; do
    "$kumiro" combine -o "all.$format" w1.docx w2.docx w3.docx 2>/dev/null || fail "word combine to $format"
    mkdir -p "read/$format"
    convert fodt "$work/read/$format" "all.$format"
    order=$(grep -o 'E2E-WORD-[0-9]' "read/$format/all.fodt" | tr '\n' ' ')
    [ "$order" = "E2E-WORD-1 E2E-WORD-2 E2E-WORD-3 " ] || fail "$format holds '$order'"
done

# Excel: three workbooks of two sheets each, made by the office from flat XML.
for n in 1 2 3; do
    cat > "b$n.fods" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:body><office:spreadsheet>
<table:table table:name="売上"><table:table-row><table:table-cell office:value-type="string"><text:p>E2E-BOOK-$n-A</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="$n"><text:p>$n</text:p></table:table-cell></table:table-row></table:table>
<table:table table:name="Sheet$n"><table:table-row><table:table-cell office:value-type="string"><text:p>E2E-BOOK-$n-B</text:p></table:table-cell></table:table-row></table:table>
</office:spreadsheet></office:body></office:document>
XML
done
convert xlsx "$work" b1.fods b2.fods b3.fods
for n in 1 2 3; do [ -s "b$n.xlsx" ] || fail "b$n.xlsx missing"; done
for format in xlsx ods; do
"$kumiro" combine -o "all.$format" b1.xlsx b2.xlsx b3.xlsx 2>err.txt || { cat err.txt >&2; fail "excel combine to $format"; }
mkdir -p "read/$format"
convert fods "$work/read/$format" "all.$format"
/usr/bin/python3 - "$work/read/$format/all.fods" <<'PY' || fail "workbook ($format) differs"
import sys, xml.etree.ElementTree as ET
ns = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0", "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
sheets = ET.parse(sys.argv[1]).getroot().findall(".//table:table", ns)
got = [(s.get("{%s}name" % ns["table"]), " ".join(p.text or "" for p in s.findall(".//text:p", ns))) for s in sheets]
want = ["E2E-BOOK-%d-%s" % (n, part) for n in (1, 2, 3) for part in "AB"]
firsts = [cells.split(" ")[0] for _, cells in got]
if firsts != want:
    sys.exit("sheets hold %r" % got)
names = [name for name, _ in got]
if len(set(names)) != len(names) or any(len(n) > 31 for n in names):
    sys.exit("sheet names %r" % names)
PY
done
# A pivot table the combine cannot lay out again: it completes and says so on standard error,
# in the user's language, even when asked to be quiet.
LANG=ja_JP.UTF-8 "$kumiro" combine -q -o pivot.xlsx b1.xlsx "$fixtures/pivotgroup.xlsx" 2>err.txt \
    || { cat err.txt >&2; fail "excel combine with a pivot table"; }
grep -q 'pivotgroup.xlsx の ピボットテーブル 1 個は値として取り込みました。' err.txt \
    || { cat err.txt >&2; fail "the pivot table's loss is not told"; }
"$kumiro" combine -o pivot.ods b1.xlsx "$fixtures/pivotgroup.xlsx" 2>err.txt \
    || { cat err.txt >&2; fail "excel combine with a pivot table into .ods"; }
grep -q 'pivotgroup.xlsx: took in pivot tables (1) as values.' err.txt \
    || { cat err.txt >&2; fail "the pivot table's loss is not told in English"; }

# More documents than the window's order list holds: each a page of the PDF, in the order
# given (not the order of their names), and nothing said with -q.
mkdir many
for n in $(seq 1 150); do printf 'MANY-%03d\n' "$n" > "many/$((1000 - n)).txt"; done
convert doc "$work/many" many/*.txt
order=()
for n in $(seq 1 150); do order+=("many/$((1000 - n)).doc"); done
"$kumiro" combine -q -o many.pdf "${order[@]}" >out.txt 2>err.txt || { cat err.txt >&2; fail "150 documents"; }
[ ! -s out.txt ] && [ ! -s err.txt ] || fail "-q said: $(cat out.txt err.txt)"
got=$(pdftotext many.pdf - | grep -o 'MANY-[0-9]*' | tr '\n' ' ')
want=$(for n in $(seq 1 150); do printf 'MANY-%03d ' "$n"; done)
[ "$got" = "$want" ] || fail "the 150 documents came out as '$got'"

# An installation that lacks the office's component: the command names it and writes nothing.
mkdir lone
cp "$kumiro" "$(dirname "$kumiro")/kumiro_libreoffice.so" lone/
if lone/kumiro combine -o lone.docx w1.docx w2.docx 2>err.txt; then fail "combined without the component"; fi
grep -q 'lone/kumiro_office.so' err.txt || { cat err.txt >&2; fail "the missing component not named"; }
[ ! -e lone.docx ] || fail "a combine without the component wrote its output"

echo "command line: 3 documents into PDF ($pages pages), .docx and .odt; 3 workbooks into .xlsx and .ods; 150 documents into PDF; read back"
