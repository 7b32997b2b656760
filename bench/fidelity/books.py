"""Workbooks read back without the office: .xlsx and .ods as XML, .xls with xlrd and its BIFF records.
Each reader gives a Book: sheets with their cells (value and formula), the look of each cell, row
heights and column widths, merges, comments, conditional formats, validations, charts, pictures and
pivots; names; and every text of the file that names a path."""
import datetime
import math
import re
import struct
import zipfile
import xml.etree.ElementTree as ET

import xlrd
import xlrd.compdoc

# What a path of the box, of a copy the office made, or of a file on disk looks like inside a workbook.
PATH = re.compile(r"/tmp/|input-\d+|file:", re.I)


class Sheet:
    def __init__(self, name):
        self.name = name
        self.cells = {}  # (row, col) -> (value, formula or None)
        self.fonts = {}  # (row, col) -> (face, size, bold, italic, colour)
        self.heights = {}  # row -> points, rows of a height of their own
        self.shown = {}  # row -> points, any row whose height the file states
        self.widths = {}  # col -> width as the format stores it
        self.merges = set()
        self.counts = dict(comments=0, cf=0, dv=0, charts=0, pictures=0, pivots=0)


class Book:
    def __init__(self):
        self.sheets = []
        self.names = []  # (name, sheet index or -1, content)
        self.paths = []  # texts naming a path
        self.date1904 = False

    def sheet(self, name):
        return next((s for s in self.sheets if s.name == name), None)


def read(path):
    ext = path.rsplit(".", 1)[-1].lower()
    return {"xlsx": read_xlsx, "xlsm": read_xlsx, "ods": read_ods, "xls": read_xls}[ext](path)


def number(text):
    try:
        v = float(text)
        return v if math.isfinite(v) else text
    except (TypeError, ValueError):
        return text


def same_value(a, b):
    if isinstance(a, float) and isinstance(b, float):
        return math.isclose(a, b, rel_tol=1e-9, abs_tol=1e-9)
    return a == b


def serial_date(value, date1904):
    base = datetime.datetime(1904, 1, 1) if date1904 else datetime.datetime(1899, 12, 30)
    try:
        return (base + datetime.timedelta(days=value)).isoformat(timespec="seconds")
    except (OverflowError, ValueError):
        return value


DATE_IDS = set(range(14, 23)) | {45, 46, 47}


def is_date_format(code):
    code = re.sub(r'"[^"]*"|\\.|\[[^\]]*\]', "", code or "")
    return bool(re.search(r"[dmyhs]", code, re.I)) and not re.fullmatch(r"[#0.,%E+\-\s]*", code)


def scan_paths(book, text, where):
    for m in PATH.finditer(text):
        book.paths.append("%s: …%s…" % (where, text[max(0, m.start() - 30):m.end() + 40]))


# --- .xlsx ---------------------------------------------------------------------------------------

def local(tag):
    return tag.rsplit("}", 1)[-1]


def children(el, name):
    return [c for c in el if local(c.tag) == name]


def child(el, name):
    return next((c for c in el if local(c.tag) == name), None)


def attr(el, name):
    for k, v in el.attrib.items():
        if local(k) == name:
            return v
    return None


def cell_ref(ref):
    m = re.match(r"([A-Z]+)(\d+)", ref)
    col = 0
    for ch in m.group(1):
        col = col * 26 + ord(ch) - 64
    return int(m.group(2)) - 1, col - 1


def rels_of(z, part):
    folder, name = part.rsplit("/", 1) if "/" in part else ("", part)
    rels = (folder + "/" if folder else "") + "_rels/" + name + ".rels"
    out = {}
    if rels not in z.namelist():
        return out
    for r in ET.fromstring(z.read(rels)):
        target = r.get("Target")
        if r.get("TargetMode") != "External":
            target = normpath(folder, target)
        out[r.get("Id")] = (r.get("Type").rsplit("/", 1)[-1], target, r.get("TargetMode"))
    return out


def normpath(folder, target):
    if target.startswith("/"):
        return target[1:]
    parts = (folder.split("/") if folder else []) + target.split("/")
    out = []
    for p in parts:
        if p == "..":
            out.pop()
        elif p and p != ".":
            out.append(p)
    return "/".join(out)


def xlsx_styles(z):
    fonts, xfs, fmts = [], [], {}
    if "xl/styles.xml" not in z.namelist():
        return fonts, xfs, fmts
    root = ET.fromstring(z.read("xl/styles.xml"))
    for n in root.iter():
        if local(n.tag) == "numFmt":
            fmts[int(n.get("numFmtId"))] = n.get("formatCode")
    for f in children(child(root, "fonts") or ET.Element("x"), "font"):
        props = {local(c.tag): c for c in f}
        colour = props.get("color")
        colour = None if colour is None else tuple(sorted(colour.attrib.items()))
        fonts.append((attr(props["name"], "val") if "name" in props else None,
                      float(props["sz"].get("val")) if "sz" in props else None,
                      "b" in props and props["b"].get("val", "1") not in ("0", "false"),
                      "i" in props and props["i"].get("val", "1") not in ("0", "false"), colour))
    for x in children(child(root, "cellXfs") or ET.Element("x"), "xf"):
        fid, nid = int(x.get("fontId", 0)), int(x.get("numFmtId", 0))
        xfs.append((fonts[fid] if fid < len(fonts) else None,
                    nid in DATE_IDS or is_date_format(fmts.get(nid))))
    return fonts, xfs, fmts


def read_xlsx(path):
    from openpyxl.formula.translate import Translator
    book = Book()
    with zipfile.ZipFile(path) as z:
        names = z.namelist()
        for n in names:
            if n.endswith((".xml", ".rels", ".vml")):
                scan_paths(book, z.read(n).decode("utf-8", "replace"), n)
        strings = []
        if "xl/sharedStrings.xml" in names:
            for si in ET.fromstring(z.read("xl/sharedStrings.xml")):
                strings.append("".join(t.text or "" for t in si.iter() if local(t.tag) == "t"))
        _, xfs, _ = xlsx_styles(z)
        wb = ET.fromstring(z.read("xl/workbook.xml"))
        pr = child(wb, "workbookPr")
        book.date1904 = pr is not None and pr.get("date1904") in ("1", "true")
        rels = rels_of(z, "xl/workbook.xml")
        for s in children(child(wb, "sheets"), "sheet"):
            kind, part, _ = rels[attr(s, "id")]
            if kind != "worksheet":
                continue
            sheet = Sheet(s.get("name"))
            book.sheets.append(sheet)
            xlsx_sheet(z, part, sheet, strings, xfs, book.date1904, Translator)
        for d in children(child(wb, "definedNames") or ET.Element("x"), "definedName"):
            book.names.append((d.get("name"), int(d.get("localSheetId", -1)), (d.text or "").strip()))
    return book


def xlsx_cell(c, strings, xfs, date1904, shared, Translator):
    t, v, f = c.get("t", "n"), child(c, "v"), child(c, "f")
    text = v.text if v is not None else None
    if t == "inlineStr":
        text = "".join(x.text or "" for x in c.iter() if local(x.tag) == "t")
    xf = xfs[int(c.get("s", 0))] if xfs and int(c.get("s", 0)) < len(xfs) else (None, False)
    if text is None:
        value = None
    elif t == "s":
        value = strings[int(text)]
    elif t == "b":
        value = text in ("1", "true")
    elif t in ("str", "inlineStr", "e"):
        value = text
    else:
        value = number(text)
        if xf[1] and isinstance(value, float):
            value = serial_date(value, date1904)
    formula = None
    if f is not None:
        formula = f.text
        if f.get("t") == "shared":
            si = f.get("si")
            if f.text:
                shared[si] = (f.text, c.get("r"))
            elif si in shared:
                try:
                    formula = Translator("=" + shared[si][0], origin=shared[si][1]).translate_formula(c.get("r"))[1:]
                except Exception:  # a formula the translator cannot parse stays unknown
                    formula = "?"
    return value, formula, xf[0]


def xlsx_sheet(z, part, sheet, strings, xfs, date1904, Translator):
    shared = {}
    for _, el in ET.iterparse(z.open(part)):
        tag = local(el.tag)
        if tag == "c":
            value, formula, font = xlsx_cell(el, strings, xfs, date1904, shared, Translator)
            at = cell_ref(el.get("r"))
            if value is not None or formula is not None:
                sheet.cells[at] = (value, formula)
                sheet.fonts[at] = font
            el.clear()
        elif tag == "row":
            if el.get("ht"):
                sheet.shown[int(el.get("r")) - 1] = float(el.get("ht"))
            if el.get("customHeight") in ("1", "true") and el.get("ht"):
                sheet.heights[int(el.get("r")) - 1] = float(el.get("ht"))
            el.clear()
        elif tag == "col" and el.get("width"):
            for c in range(int(el.get("min")) - 1, min(int(el.get("max")), 1024)):
                sheet.widths[c] = round(float(el.get("width")), 2)
        elif tag == "mergeCell":
            sheet.merges.add(el.get("ref"))
        elif tag == "conditionalFormatting":
            sheet.counts["cf"] += len(children(el, "cfRule"))
        elif tag == "dataValidation":
            sheet.counts["dv"] += 1
    for kind, target, mode in rels_of(z, part).values():
        if mode == "External" or target not in z.namelist():
            continue
        if kind == "comments":
            sheet.counts["comments"] += sum(1 for n in ET.fromstring(z.read(target)).iter() if local(n.tag) == "comment")
        elif kind == "pivotTable":
            sheet.counts["pivots"] += 1
        elif kind == "drawing":
            for n in ET.fromstring(z.read(target)).iter():
                if local(n.tag) == "pic":
                    sheet.counts["pictures"] += 1
                elif local(n.tag) == "chart":
                    sheet.counts["charts"] += 1


# --- .ods ----------------------------------------------------------------------------------------

TABLE = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"
OFFICE = "urn:oasis:names:tc:opendocument:xmlns:office:1.0"
STYLE = "urn:oasis:names:tc:opendocument:xmlns:style:1.0"
FO = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
CALCEXT = "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"


def q(ns, name):
    return "{%s}%s" % (ns, name)


def length_pt(text):
    m = re.fullmatch(r"([\d.]+)(in|cm|mm|pt|pc)", text or "")
    if not m:
        return None
    return round(float(m.group(1)) * {"in": 72, "cm": 72 / 2.54, "mm": 72 / 25.4, "pt": 1, "pc": 12}[m.group(2)], 2)


class OdsStyles:
    """Cell looks, row heights and column widths by style name, common styles under automatic ones."""

    def __init__(self, roots):
        self.styles, self.faces, self.default = {}, {}, {}
        for root in roots:
            for n in root.iter():
                if n.tag == q(STYLE, "font-face"):
                    self.faces[n.get(q(STYLE, "name"))] = n.get("{urn:oasis:names:tc:opendocument:xmlns:"
                                                                "svg-compatible:1.0}font-family", "").strip("'")
                elif n.tag == q(STYLE, "style"):
                    self.styles[(n.get(q(STYLE, "family")), n.get(q(STYLE, "name")))] = n
                elif n.tag == q(STYLE, "default-style") and n.get(q(STYLE, "family")) == "table-cell":
                    self.default = self.text_props(n)

    @staticmethod
    def text_props(style):
        out = {}
        for p in style:
            if p.tag == q(STYLE, "text-properties"):
                for key, name in (("face", q(STYLE, "font-name")), ("size", q(FO, "font-size")),
                                  ("weight", q(FO, "font-weight")), ("style", q(FO, "font-style")),
                                  ("colour", q(FO, "color"))):
                    if p.get(name) is not None:
                        out[key] = p.get(name)
        return out

    def font(self, name):
        props, seen = {}, set()
        while name and name not in seen:
            seen.add(name)
            style = self.styles.get(("table-cell", name))
            if style is None:
                break
            for k, v in self.text_props(style).items():
                props.setdefault(k, v)
            name = style.get(q(STYLE, "parent-style-name")) or ("Default" if name != "Default" else None)
        for k, v in self.default.items():
            props.setdefault(k, v)
        face = props.get("face")
        # Black and the automatic colour look alike (the office's own save of an .ods writes either).
        colour = None if props.get("colour") in (None, "#000000") else props.get("colour")
        return (self.faces.get(face, face), length_pt(props.get("size")), props.get("weight") == "bold",
                props.get("style") == "italic", colour)

    def prop(self, family, name, key):
        style = self.styles.get((family, name))
        for p in style if style is not None else []:
            if p.get(q(STYLE, key)) is not None:
                return p
        return None


def ods_value(cell):
    kind = cell.get(q(OFFICE, "value-type"))
    shown = "\n".join("".join(p.itertext()) for p in cell if p.tag == q(TEXT, "p"))
    if cell.get(q(CALCEXT, "value-type")) == "error":
        return shown
    if kind in ("float", "percentage", "currency"):
        return number(cell.get(q(OFFICE, "value")))
    if kind == "date":
        return cell.get(q(OFFICE, "date-value"))
    if kind == "time":
        return cell.get(q(OFFICE, "time-value"))
    if kind == "boolean":
        return cell.get(q(OFFICE, "boolean-value")) == "true"
    if kind == "string":
        return cell.get(q(OFFICE, "string-value"), shown)
    return None


def read_ods(path):
    book = Book()
    with zipfile.ZipFile(path) as z:
        for n in z.namelist():
            if n.endswith((".xml", ".rdf")):
                scan_paths(book, z.read(n).decode("utf-8", "replace"), n)
        content = ET.fromstring(z.read("content.xml"))
        styles = OdsStyles([ET.fromstring(z.read("styles.xml")), content])
    body = content.find(q(OFFICE, "body")).find(q(OFFICE, "spreadsheet"))
    tables = body.findall(q(TABLE, "table"))
    index = {t.get(q(TABLE, "name")): i for i, t in enumerate(tables)}
    for t in tables:
        sheet = Sheet(t.get(q(TABLE, "name")))
        book.sheets.append(sheet)
        ods_table(t, sheet, styles)
        ods_names(book, t.find(q(TABLE, "named-expressions")), index[sheet.name])
    ods_names(book, body.find(q(TABLE, "named-expressions")), -1)
    for p in body.iter(q(TABLE, "data-pilot-table")):
        target = (p.get(q(TABLE, "target-range-address")) or "").lstrip("$").split(".")[0].strip("'")
        if target in index:
            book.sheets[index[target]].counts["pivots"] += 1
    return book


def ods_names(book, names, scope):
    if names is None:
        return
    for n in names:
        content = n.get(q(TABLE, "cell-range-address")) or n.get(q(TABLE, "expression")) or ""
        book.names.append((n.get(q(TABLE, "name")), scope, content))


def ods_table(table, sheet, styles):
    col = 0
    for c in table.iter(q(TABLE, "table-column")):
        n = int(c.get(q(TABLE, "number-columns-repeated"), 1))
        p = styles.prop("table-column", c.get(q(TABLE, "style-name")), "column-width")
        for i in range(col, min(col + n, 1024)):
            if p is not None:
                sheet.widths[i] = length_pt(p.get(q(STYLE, "column-width")))
        col += n
    row = 0
    validations = set()
    for r in table.iter(q(TABLE, "table-row")):
        n = int(r.get(q(TABLE, "number-rows-repeated"), 1))
        p = styles.prop("table-row", r.get(q(TABLE, "style-name")), "row-height")
        custom = p is not None and p.get(q(STYLE, "use-optimal-row-height")) == "false"
        cells = [c for c in r if c.tag in (q(TABLE, "table-cell"), q(TABLE, "covered-table-cell"))]
        filled = any(len(c) or c.attrib for c in cells if c.tag == q(TABLE, "table-cell"))
        for k in range(n if (filled or custom) and n < 1000 else 1):
            if p is not None:
                sheet.shown[row + k] = length_pt(p.get(q(STYLE, "row-height")))
            if custom:
                sheet.heights[row + k] = length_pt(p.get(q(STYLE, "row-height")))
            if filled:
                ods_row(cells, row + k, sheet, styles, validations, k == 0)
        row += n
    sheet.counts["dv"] = len(validations)
    for n in table.iter():
        if n.tag == q(CALCEXT, "conditional-format"):
            sheet.counts["cf"] += sum(1 for x in n if x.tag in (q(CALCEXT, "condition"), q(CALCEXT, "color-scale"),
                                                                   q(CALCEXT, "data-bar"), q(CALCEXT, "icon-set"),
                                                                   q(CALCEXT, "date-is")))
        elif n.tag == "{urn:oasis:names:tc:opendocument:xmlns:drawing:1.0}frame":
            kinds = {local(x.tag) for x in n}
            if "object" in kinds:
                sheet.counts["charts"] += 1
            elif "image" in kinds:
                sheet.counts["pictures"] += 1


def ods_row(cells, row, sheet, styles, validations, first):
    col = 0
    for c in cells:
        n = int(c.get(q(TABLE, "number-columns-repeated"), 1))
        if c.tag == q(TABLE, "table-cell") and (len(c) or c.get(q(OFFICE, "value-type"))):
            value, formula = ods_value(c), c.get(q(TABLE, "formula"))
            for k in range(min(n, 1024)):
                if value is not None or formula is not None:
                    sheet.cells[(row, col + k)] = (value, formula)
                    sheet.fonts[(row, col + k)] = styles.font(c.get(q(TABLE, "style-name")))
            if first and c.find(q(OFFICE, "annotation")) is not None:
                sheet.counts["comments"] += n
        if c.get(q(TABLE, "content-validation-name")):
            validations.add(c.get(q(TABLE, "content-validation-name")))
        spans = int(c.get(q(TABLE, "number-columns-spanned"), 1)), int(c.get(q(TABLE, "number-rows-spanned"), 1))
        if spans != (1, 1):
            sheet.merges.add((row, col, spans))
        col += n


# --- .xls ----------------------------------------------------------------------------------------

def read_xls(path):
    book = Book()
    with open(path, "rb") as f:
        data = f.read()
    try:
        wb = xlrd.open_workbook(file_contents=data, formatting_info=True, on_demand=False,
                                logfile=open("/dev/null", "w"))
    except Exception:  # xlrd reads the look of BIFF8 only
        wb = xlrd.open_workbook(file_contents=data, logfile=open("/dev/null", "w"))
    book.date1904 = wb.datemode == 1
    for sh in wb.sheets():
        sheet = Sheet(sh.name)
        book.sheets.append(sheet)
        xls_sheet(wb, sh, sheet)
    for n in wb.name_obj_list:
        content = "" if not n.raw_formula else (n.result.text if n.result is not None else "?")
        if n.result is not None and n.result.kind in (xlrd.oREF, xlrd.oREL) and any(
                r.coords[0] < 0 for r in n.result.value or []):
            content = "[outside]" + content
        if n.raw_formula and n.raw_formula[0] in (0x39, 0x59, 0x79):
            content = "[outside]" + content
        book.names.append((n.name, n.scope, content))
    biff_records(book, data)
    return book


def xls_sheet(wb, sh, sheet):
    fonts = getattr(wb, "font_list", None) or []
    xfs = getattr(wb, "xf_list", None) or []
    for r in range(sh.nrows):
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            value = cell.value
            if cell.ctype == xlrd.XL_CELL_ERROR:
                value = xlrd.error_text_from_code.get(value, "#ERR%d" % value)
            elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                value = bool(value)
            elif cell.ctype == xlrd.XL_CELL_DATE:
                value = serial_date(value, wb.datemode == 1)
            sheet.cells[(r, c)] = (value, None)
            if xfs and cell.xf_index is not None:
                f = fonts[xfs[cell.xf_index].font_index]
                sheet.fonts[(r, c)] = (f.name, f.height / 20, bool(f.bold), bool(f.italic), f.colour_index)
    for r, info in getattr(sh, "rowinfo_map", {}).items():
        if info.height_mismatch:
            sheet.heights[r] = info.height / 20
    for c, info in getattr(sh, "colinfo_map", {}).items():
        sheet.widths[c] = info.width
    sheet.merges = set(sh.merged_cells)
    sheet.counts["comments"] = len(getattr(sh, "cell_note_map", {}) or {})


def virtual_path(raw):
    """A SUPBOOK's encoded path as a path: volume, root, separators and parents."""
    raw = re.sub("\x01([A-Za-z@])", lambda m: "//" if m.group(1) == "@" else m.group(1) + ":", raw)
    return raw.replace("\x02", "/").replace("\x03", "/").replace("\x04", "../").translate(
        {c: None for c in range(32)})


def biff_records(book, data):
    """Per sheet: charts and pictures (OBJ), conditional formats, validations, pivots; in the globals:
    the other workbooks it names (SUPBOOK) and any text naming a path."""
    try:
        doc = xlrd.compdoc.CompDoc(data, logfile=open("/dev/null", "w"))
        stream = doc.get_named_stream("Workbook") or doc.get_named_stream("Book")
    except Exception:
        return
    if not stream:
        return
    for enc in ("latin-1", "utf-16-le"):
        for shift in ((0, 1) if enc == "utf-16-le" else (0,)):
            scan_paths(book, stream[shift:].decode(enc, "replace"), "Workbook")
    offsets, pos, depth, sheet = [], 0, 0, None
    sheets = iter(book.sheets)
    while pos + 4 <= len(stream):
        rtype, size = struct.unpack_from("<HH", stream, pos)
        body = stream[pos + 4:pos + 4 + size]
        if rtype == 0x0085 and len(body) >= 6 and body[5] == 0:  # BOUNDSHEET of a worksheet
            offsets.append(struct.unpack_from("<I", body)[0])
        elif rtype == 0x0809:
            depth += 1
            if depth == 1 and pos in offsets:
                sheet = next(sheets, None)
            elif depth == 1:
                sheet = None
        elif rtype == 0x000A:
            depth -= 1
        elif rtype == 0x01AE and len(body) >= 4:  # SUPBOOK
            count, kind = struct.unpack_from("<HH", body)
            if kind not in (0x0401, 0x3A01) and len(body) > 4:
                wide = body[4] & 1
                raw = body[5:5 + kind * (2 if wide else 1)].decode("utf-16-le" if wide else "latin-1", "replace")
                book.paths.append("SUPBOOK: " + virtual_path(raw))
        elif sheet is not None and depth == 1:
            if rtype == 0x005D and len(body) >= 6:  # OBJ: its common data gives the kind
                ot = struct.unpack_from("<H", body, 4)[0]
                if ot == 5:
                    sheet.counts["charts"] += 1
                elif ot == 8:
                    sheet.counts["pictures"] += 1
            elif rtype == 0x01B1:
                sheet.counts["cf"] += 1
            elif rtype == 0x01BE:
                sheet.counts["dv"] += 1
            elif rtype == 0x00B0:
                sheet.counts["pivots"] += 1
        pos += 4 + size
