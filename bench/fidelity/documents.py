"""Fidelity of the Word combine: each input's part of the output against the input saved alone by
the office in the same format, both read from their XML (.docx, .odt) or pdfinfo (.pdf), never
through the office. Prints a table per group and format, and totals; exits 1 on any difference
(or, with --only KEY,KEY, on a difference of those kinds)."""
import difflib
import os
import re
import subprocess
import sys
import tempfile
import zipfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(__file__))
import common  # noqa: E402

W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
A = "{http://schemas.openxmlformats.org/drawingml/2006/main}"
R = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "draw": "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0",
    "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0",
}
O = {k: "{%s}" % v for k, v in NS.items()}

# What a paragraph and a section are compared on; "look" is the paragraph's runs.
PARA_KEYS = ("align", "indent", "spacing", "line", "hyphen")
RUN_KEYS = ("font", "size", "bold", "italic", "color")
SECTION_KEYS = ("page", "orient", "margins", "columns", "header", "footer")


# What an unset value means, so that "not said" and "said as the default" compare equal.
UNSET = {"bold": False, "italic": False, "color": "auto", "align": "left", "indent": 0, "spacing": (0, 0),
         "line": None, "hyphen": False}
SINGLE = (("auto", 240.0), "100%")


def canon(keys, values):
    out = []
    for k, v in zip(keys, values):
        if v is None:
            v = UNSET.get(k)
        if k == "indent" and isinstance(v, tuple) and not any(v):
            v = 0
        if k == "line" and v in SINGLE:
            v = None
        if k == "align" and v == "start":
            v = "left"
        out.append(v)
    return tuple(out)


class Para:
    """A paragraph: its text, its runs' looks (merged where equal), its own look, its section."""

    def __init__(self, text, runs, look, section, where):
        runs = merge_runs([(t, canon(RUN_KEYS, l)) for t, l in runs])
        look = canon(PARA_KEYS, look)
        self.text, self.runs, self.look, self.section, self.where = text, runs, look, section, where
        self.tables = self.pictures = self.footnotes = self.endnotes = self.comments = 0


def norm_text(t):
    return re.sub(r"\s+", " ", t).strip()


def merge_runs(runs):
    out = []
    for text, look in runs:
        if not text:
            continue
        if out and out[-1][1] == look:
            out[-1] = (out[-1][0] + text, look)
        else:
            out.append((text, look))
    return out


def num(v, scale=1.0):
    try:
        return round(float(v) * scale, 1)
    except (TypeError, ValueError):
        return None


def header_look(paras):
    """A header's or footer's paragraphs; numbers aside, since a page number field shows the
    page it was last laid out on."""
    digits = lambda t: re.sub(r"\d+", "#", t)
    return tuple((digits(p.text), tuple((digits(t), l) for t, l in p.runs), p.look) for p in paras if p.text)


# ---- .docx ----------------------------------------------------------------------------------

def on_off(el):
    if el is None:
        return None
    return el.get(W + "val", "true") not in ("0", "false", "off")


class Docx:
    def __init__(self, path):
        self.z = zipfile.ZipFile(path)
        self.styles = {}
        self.default_para = None
        self.defaults_r, self.defaults_p = {}, {}
        self.theme = self.read_theme()
        if "word/styles.xml" in self.z.namelist():
            self.read_styles(ET.fromstring(self.z.read("word/styles.xml")))
        self.rels = self.read_rels("word/_rels/document.xml.rels")

    def read_theme(self):
        fonts = {}
        for name in self.z.namelist():
            if name.startswith("word/theme/") and name.endswith(".xml"):
                t = ET.fromstring(self.z.read(name))
                for kind in ("major", "minor"):
                    f = t.find(".//%s%sFont/%slatin" % (A, kind, A))
                    if f is not None:
                        fonts[kind + "HAnsi"] = fonts[kind + "Ascii"] = f.get("typeface")
        return fonts

    def read_rels(self, name):
        if name not in self.z.namelist():
            return {}
        return {r.get("Id"): r.get("Target") for r in ET.fromstring(self.z.read(name))}

    def rpr(self, rpr):
        d = {}
        if rpr is None:
            return d
        f = rpr.find(W + "rFonts")
        if f is not None:
            font = f.get(W + "ascii") or f.get(W + "hAnsi")
            if font is None and (f.get(W + "asciiTheme") or f.get(W + "hAnsiTheme")):
                font = self.theme.get(f.get(W + "asciiTheme") or f.get(W + "hAnsiTheme"))
            if font:
                d["font"] = font
        sz = rpr.find(W + "sz")
        if sz is not None:
            d["size"] = num(sz.get(W + "val"), 0.5)
        for key, tag in (("bold", "b"), ("italic", "i")):
            v = on_off(rpr.find(W + tag))
            if v is not None:
                d[key] = v
        c = rpr.find(W + "color")
        if c is not None:
            d["color"] = (c.get(W + "val") or "auto").lower().replace("000000", "auto")
        return d

    def ppr(self, ppr):
        d = {}
        if ppr is None:
            return d
        jc = ppr.find(W + "jc")
        if jc is not None:
            v = jc.get(W + "val")
            d["align"] = {"both": "justify", "start": "left", "end": "right", "distribute": "justify"}.get(v, v)
        ind = ppr.find(W + "ind")
        if ind is not None:
            d["indent"] = tuple(num(ind.get(W + k)) for k in ("left", "right", "firstLine", "hanging"))
            d["indent"] = tuple(x or 0 for x in d["indent"])
        sp = ppr.find(W + "spacing")
        if sp is not None:
            before, after = num(sp.get(W + "before")), num(sp.get(W + "after"))
            old = d.get("spacing", (0, 0))
            d["spacing"] = (before if before is not None else old[0], after if after is not None else old[1])
            if sp.get(W + "line"):
                d["line"] = (sp.get(W + "lineRule") or "auto", num(sp.get(W + "line")))
        h = ppr.find(W + "suppressAutoHyphens")
        if h is not None:
            d["hyphen"] = not on_off(h)
        return d

    def read_styles(self, root):
        dd = root.find(W + "docDefaults")
        if dd is not None:
            self.defaults_r = self.rpr(dd.find(W + "rPrDefault/" + W + "rPr"))
            self.defaults_p = self.ppr(dd.find(W + "pPrDefault/" + W + "pPr"))
        for s in root.findall(W + "style"):
            sid = s.get(W + "styleId")
            based = s.find(W + "basedOn")
            self.styles[sid] = {
                "type": s.get(W + "type"),
                "based": based.get(W + "val") if based is not None else None,
                "r": self.rpr(s.find(W + "rPr")),
                "p": self.ppr(s.find(W + "pPr")),
            }
            if s.get(W + "type") == "paragraph" and s.get(W + "default") in ("1", "true"):
                self.default_para = sid

    def chain(self, sid, key, seen=()):
        s = self.styles.get(sid)
        if s is None or sid in seen:
            return {}
        d = dict(self.chain(s["based"], key, seen + (sid,))) if s["based"] else {}
        d.update(s[key])
        return d

    def paragraphs(self, body, section_of):
        """Paragraphs of a body (tables flattened), each with its section."""
        out = []
        self.walk(body, out, section_of, 0)
        return out

    def walk(self, el, out, section_of, depth):
        for child in el:
            if child.tag == W + "p":
                out.append(self.para(child, section_of(child), depth))
            elif child.tag == W + "tbl":
                start = len(out)
                self.walk_table(child, out, section_of, depth + 1)
                if len(out) > start:
                    out[start].tables += 1
                elif out:
                    out[-1].tables += 1
            elif child.tag in (W + "sdt", W + "sdtContent", W + "customXml", W + "smartTag"):
                self.walk(child, out, section_of, depth)

    def walk_table(self, tbl, out, section_of, depth):
        for tr in tbl.findall(W + "tr"):
            for tc in tr.findall(W + "tc"):
                self.walk(tc, out, section_of, depth)

    def para(self, p, section, depth):
        ppr = p.find(W + "pPr")
        ps = ppr.find(W + "pStyle") if ppr is not None else None
        sid = ps.get(W + "val") if ps is not None else self.default_para
        look = dict(self.defaults_p)
        look.update(self.chain(sid, "p"))
        look.update(self.ppr(ppr))
        base_r = dict(self.defaults_r)
        base_r.update(self.chain(sid, "r"))
        runs, texts = [], []
        pictures = footnotes = endnotes = comments = 0
        for r in p.iter(W + "r"):
            rpr = r.find(W + "rPr")
            d = dict(base_r)
            rs = rpr.find(W + "rStyle") if rpr is not None else None
            if rs is not None:
                d.update(self.chain(rs.get(W + "val"), "r"))
            d.update(self.rpr(rpr))
            t = "".join(x.text or "" for x in r if x.tag in (W + "t",)) + "\t" * len(r.findall(W + "tab"))
            runs.append((t, tuple(d.get(k) for k in RUN_KEYS)))
            texts.append(t)
            pictures += len(r.findall(".//" + W + "drawing")) + len(r.findall(W + "pict"))
            footnotes += len(r.findall(W + "footnoteReference"))
            endnotes += len(r.findall(W + "endnoteReference"))
            comments += len(r.findall(W + "commentReference"))
        para = Para(norm_text("".join(texts)), merge_runs(runs), tuple(look.get(k) for k in PARA_KEYS), section, depth)
        para.pictures, para.footnotes, para.endnotes, para.comments = pictures, footnotes, endnotes, comments
        return para

    def part(self, target):
        name = "word/" + target
        if name not in self.z.namelist():
            return ""
        root = ET.fromstring(self.z.read(name))
        paras = [self.para(p, None, 0) for p in root.iter(W + "p")]
        return header_look(paras)

    def section(self, sp):
        if sp is None:
            return {}
        d = {}
        sz = sp.find(W + "pgSz")
        if sz is not None:
            d["page"] = (num(sz.get(W + "w")), num(sz.get(W + "h")))
            d["orient"] = sz.get(W + "orient") or ("landscape" if d["page"][0] and d["page"][1] and d["page"][0] > d["page"][1] else "portrait")
        m = sp.find(W + "pgMar")
        if m is not None:
            d["margins"] = tuple(num(m.get(W + k)) for k in ("top", "right", "bottom", "left"))
        c = sp.find(W + "cols")
        d["columns"] = int(c.get(W + "num", "1")) if c is not None else 1
        for kind in ("header", "footer"):
            refs = {ref.get(W + "type"): ref.get(R + "id") for ref in sp.findall(W + kind + "Reference")}
            rid = refs.get("default")
            d[kind] = self.part(self.rels.get(rid, "")) if rid else ()
        return d

    def read(self):
        root = ET.fromstring(self.z.read("word/document.xml"))
        body = root.find(W + "body")
        # A paragraph carrying sectPr ends its section; the body's own sectPr ends the last one.
        ends = [el.find(W + "pPr/" + W + "sectPr") if el.tag == W + "p" else None for el in body]
        sections = [self.section(sp) for sp in ends if sp is not None]
        sections.append(self.section(body.find(W + "sectPr")))
        out, i = [], 0
        for el, end in zip(body, ends):
            self.walk([el], out, lambda e, s=sections[i]: s, 0)
            i += end is not None
        return out


# ---- .odt -----------------------------------------------------------------------------------

def odt_len(v):
    """A length in points."""
    if not v:
        return None
    m = re.match(r"(-?[\d.]+)(pt|cm|mm|in|px)?", v)
    if not m:
        return None
    factor = {"pt": 1, "cm": 28.3465, "mm": 2.83465, "in": 72, "px": 0.75, None: 1}[m.group(2)]
    return round(float(m.group(1)) * factor, 1)


class Odt:
    def __init__(self, path):
        self.z = zipfile.ZipFile(path)
        self.styles_root = ET.fromstring(self.z.read("styles.xml"))
        self.content = ET.fromstring(self.z.read("content.xml"))
        self.fonts = {}
        for root in (self.styles_root, self.content):
            for f in root.iter(O["style"] + "font-face"):
                self.fonts[f.get(O["style"] + "name")] = (f.get(O["svg"] + "font-family") or "").strip("'\"")
        self.named, self.auto, self.defaults = {}, {}, {}
        for root in (self.styles_root, self.content):
            for s in root.iter(O["style"] + "style"):
                key = (s.get(O["style"] + "family"), s.get(O["style"] + "name"))
                self.named.setdefault(key, s)
            for d in root.iter(O["style"] + "default-style"):
                self.defaults[d.get(O["style"] + "family")] = d
        # automatic styles of content.xml shadow styles.xml's of the same name
        ast = self.content.find(O["office"] + "automatic-styles")
        if ast is not None:
            for s in ast.findall(O["style"] + "style"):
                self.named[(s.get(O["style"] + "family"), s.get(O["style"] + "name"))] = s
        self.layouts = {l.get(O["style"] + "name"): l for l in self.styles_root.iter(O["style"] + "page-layout")}
        self.masters = {m.get(O["style"] + "name"): m for m in self.styles_root.iter(O["style"] + "master-page")}

    def props(self, s, kind):
        d = {}
        if s is None:
            return d
        e = s.find(O["style"] + kind + "-properties")
        if e is None:
            return d
        if kind == "text":
            if e.get(O["style"] + "font-name"):
                d["font"] = self.fonts.get(e.get(O["style"] + "font-name"), e.get(O["style"] + "font-name"))
            elif e.get(O["fo"] + "font-family"):
                d["font"] = e.get(O["fo"] + "font-family").strip("'\"")
            size = e.get(O["fo"] + "font-size")
            if size:
                d["size"] = ("%", float(size[:-1])) if size.endswith("%") else odt_len(size)
            if e.get(O["fo"] + "font-weight"):
                d["bold"] = e.get(O["fo"] + "font-weight") not in ("normal", "400")
            if e.get(O["fo"] + "font-style"):
                d["italic"] = e.get(O["fo"] + "font-style") in ("italic", "oblique")
            if e.get(O["fo"] + "color"):
                d["color"] = e.get(O["fo"] + "color").lower().lstrip("#").replace("000000", "auto")
            if e.get(O["style"] + "use-window-font-color") == "true":
                d["color"] = "auto"
        else:
            a = e.get(O["fo"] + "text-align")
            if a:
                d["align"] = {"start": "left", "end": "right"}.get(a, a)
            if any(e.get(O["fo"] + k) is not None for k in ("margin-left", "margin-right", "text-indent")):
                d["indent"] = tuple(odt_len(e.get(O["fo"] + k)) or 0 for k in ("margin-left", "margin-right", "text-indent"))
            if e.get(O["fo"] + "margin-top") is not None or e.get(O["fo"] + "margin-bottom") is not None:
                d["spacing"] = (odt_len(e.get(O["fo"] + "margin-top")) or 0, odt_len(e.get(O["fo"] + "margin-bottom")) or 0)
            for k in ("line-height",):
                if e.get(O["fo"] + k):
                    d["line"] = e.get(O["fo"] + k)
            if e.get(O["style"] + "line-height-at-least"):
                d["line"] = "atleast " + e.get(O["style"] + "line-height-at-least")
        if kind == "text" and e.get(O["fo"] + "hyphenate") is not None:
            d["hyphen"] = e.get(O["fo"] + "hyphenate") == "true"
        return d

    def resolved(self, family, name, kind, seen=()):
        if name is None or (family, name) in seen:
            d = {}
            if family in self.defaults:
                d = self.props(self.defaults[family], kind)
            return d
        s = self.named.get((family, name))
        if s is None:
            return self.resolved(family, None, kind)
        parent = s.get(O["style"] + "parent-style-name")
        d = self.resolved(family, parent, kind, seen + ((family, name),))
        own = self.props(s, kind)
        if isinstance(own.get("size"), tuple):
            base = d.get("size") or 12.0
            own["size"] = round(base * own["size"][1] / 100, 1)
        d.update(own)
        return d

    def master_of(self, family, name, seen=()):
        s = self.named.get((family, name))
        if s is None or name in seen:
            return None
        m = s.get(O["style"] + "master-page-name")
        if m is not None:
            return m
        return None

    def section(self, master):
        m = self.masters.get(master)
        if m is None:
            return {}
        layout = self.layouts.get(m.get(O["style"] + "page-layout-name"))
        d = {}
        lp = layout.find(O["style"] + "page-layout-properties") if layout is not None else None
        if lp is not None:
            d["page"] = (odt_len(lp.get(O["fo"] + "page-width")), odt_len(lp.get(O["fo"] + "page-height")))
            d["orient"] = lp.get(O["style"] + "print-orientation") or "portrait"
            d["margins"] = tuple(odt_len(lp.get(O["fo"] + "margin-" + k)) for k in ("top", "right", "bottom", "left"))
            cols = lp.find(O["style"] + "columns")
            d["columns"] = int(cols.get(O["fo"] + "column-count", "1")) if cols is not None else 1
        for kind in ("header", "footer"):
            h = m.find(O["style"] + kind)
            d[kind] = header_look(self.paras_of(h, None)) if h is not None else ()
        return d

    def paras_of(self, el, section):
        out = []
        if el is not None:
            self.walk(el, out, [section], 0, None)
        return out

    def walk(self, el, out, sec, depth, section_cols):
        for child in el:
            tag = child.tag
            if tag in (O["text"] + "p", O["text"] + "h"):
                style = child.get(O["text"] + "style-name")
                master = self.master_of("paragraph", style)
                if master:
                    sec[0] = dict(self.section(master))
                section = sec[0]
                if section_cols and section is not None:
                    section = dict(section, columns=section_cols)
                out.append(self.para(child, section, depth))
            elif tag == O["table"] + "table":
                start = len(out)
                self.walk(child, out, sec, depth + 1, section_cols)
                if len(out) > start:
                    out[start].tables += 1
            elif tag == O["text"] + "section":
                cols = None
                st = self.named.get(("section", child.get(O["text"] + "style-name")))
                if st is not None:
                    c = st.find(".//" + O["style"] + "columns")
                    if c is not None:
                        cols = int(c.get(O["fo"] + "column-count", "1"))
                self.walk(child, out, sec, depth, cols if cols and cols > 1 else section_cols)
            elif tag in (O["text"] + "list", O["text"] + "list-item", O["text"] + "list-header",
                         O["table"] + "table-row", O["table"] + "table-cell", O["table"] + "table-rows",
                         O["table"] + "table-header-rows", O["text"] + "soft-page-break"):
                self.walk(child, out, sec, depth, section_cols)

    def para(self, p, section, depth):
        style = p.get(O["text"] + "style-name")
        look = self.resolved("paragraph", style, "paragraph")
        hyph = self.resolved("paragraph", style, "text").get("hyphen")
        if hyph is not None:
            look["hyphen"] = hyph
        base = self.resolved("paragraph", style, "text")
        runs = []
        counts = {"pictures": 0, "footnotes": 0, "endnotes": 0, "comments": 0}

        def visit(el, rlook):
            if el.text:
                runs.append((el.text, rlook))
            for c in el:
                if c.tag == O["text"] + "span":
                    d = dict(rlook_d[0])
                    d.update(self.span_look(c.get(O["text"] + "style-name"), d))
                    saved = rlook_d[0]
                    rlook_d[0] = d
                    visit(c, tuple(d.get(k) for k in RUN_KEYS))
                    rlook_d[0] = saved
                elif c.tag == O["text"] + "s":
                    runs.append((" " * int(c.get(O["text"] + "c", "1")), rlook))
                elif c.tag == O["text"] + "tab":
                    runs.append(("\t", rlook))
                elif c.tag == O["text"] + "note":
                    counts["footnotes" if c.get(O["text"] + "note-class") == "footnote" else "endnotes"] += 1
                elif c.tag == O["office"] + "annotation":
                    counts["comments"] += 1
                elif c.tag == O["draw"] + "frame":
                    counts["pictures"] += 1 if c.find(O["draw"] + "image") is not None or c.find(O["draw"] + "object") is not None else 0
                elif c.tag in (O["text"] + "a", O["text"] + "bookmark-ref", O["text"] + "hidden-text"):
                    visit(c, rlook)
                if c.tail:
                    runs.append((c.tail, rlook))

        if isinstance(base.get("size"), tuple):
            base["size"] = None
        rlook_d = [base]
        visit(p, tuple(base.get(k) for k in RUN_KEYS))
        para = Para(norm_text("".join(t for t, _ in runs)), merge_runs(runs),
                    tuple(look.get(k) for k in PARA_KEYS), section, depth)
        for k, v in counts.items():
            setattr(para, k, v)
        return para

    def span_look(self, name, base):
        d = self.resolved("text", name, "text")
        if isinstance(d.get("size"), tuple):
            d["size"] = round((base.get("size") or 12) * d["size"][1] / 100, 1)
        # a text style resolves from the text family's defaults, which hold nothing of the paragraph
        return {k: v for k, v in d.items() if v is not None}

    def read(self):
        body = self.content.find(O["office"] + "body/" + O["office"] + "text")
        first = None
        for el in body.iter():
            if el.tag in (O["text"] + "p", O["text"] + "h"):
                first = self.master_of("paragraph", el.get(O["text"] + "style-name"))
                break
        sec = [self.section(first or "Standard")]
        out = []
        self.walk(body, out, sec, 0, None)
        return out


# ---- comparing ------------------------------------------------------------------------------

def read(path):
    ext = os.path.splitext(path)[1].lower()
    return Docx(path).read() if ext == ".docx" else Odt(path).read()


def pdf_pages(path):
    try:
        out = subprocess.run(["pdfinfo", path], capture_output=True, text=True, timeout=60).stdout
        return int(re.search(r"^Pages:\s+(\d+)", out, re.M).group(1))
    except Exception:
        return None


def align(alone_lists, output):
    """Pairs each input's paragraphs with the output's by their text, input after input (so that
    an input's empty paragraphs pair with its own, not with the one before's); returns per input
    [(alone_para, output_para or None, output index)] and the first output paragraph it owns."""
    texts = [p.text for p in output]
    result, first_out, pos = [], [], 0
    for paras in alone_lists:
        m = difflib.SequenceMatcher(None, [p.text for p in paras], texts[pos:], autojunk=False)
        pairs = {}
        for a, b, n in m.get_matching_blocks():
            for k in range(n):
                pairs[a + k] = pos + b + k
        got = [(p, output[pairs[i]] if i in pairs else None, pairs.get(i)) for i, p in enumerate(paras)]
        result.append(got)
        js = sorted(pairs.values())
        first_out.append(js[0] if js else None)
        if js:
            pos = js[-1] + 1
    return result, first_out


def compare(alone, output_pairs, own):
    """Differences of one input: counts by kind, and examples."""
    diff = {k: 0 for k in ("paragraphs", "lost", "font", "size", "bold", "italic", "color") + PARA_KEYS + SECTION_KEYS}
    examples = []
    diff["paragraphs"] = len(alone)
    for a, o, _ in output_pairs:
        if o is None:
            if a.text:
                diff["lost"] += 1
                examples.append("lost: %r" % a.text[:40])
            continue
        # runs: compare looks over the text, run by run
        ar, orr = a.runs, o.runs
        seen = set()
        for (ta, la), (to, lo) in zip(ar, orr):
            for k, (x, y) in enumerate(zip(la, lo)):
                key = RUN_KEYS[k]
                if x != y and key not in seen:
                    seen.add(key)
                    diff[key] += 1
                    if len(examples) < 6:
                        examples.append("%s %r: %r -> %r" % (key, a.text[:30], x, y))
        if [t for t, _ in ar] != [t for t, _ in orr] and "font" not in seen and len(ar) != len(orr):
            # differently split runs: some run's look changed
            la = {l for _, l in ar}
            lo = {l for _, l in orr}
            if la != lo:
                for k in range(len(RUN_KEYS)):
                    if {l[k] for l in la} != {l[k] for l in lo} and RUN_KEYS[k] not in seen:
                        seen.add(RUN_KEYS[k])
                        diff[RUN_KEYS[k]] += 1
        for k, key in enumerate(PARA_KEYS):
            if a.look[k] != o.look[k]:
                diff[key] += 1
                if len(examples) < 8:
                    examples.append("%s %r: %r -> %r" % (key, a.text[:30], a.look[k], o.look[k]))
        if a.section is not None and o.section is not None:
            for key in SECTION_KEYS:
                if a.section.get(key) != o.section.get(key):
                    diff[key] += 1
                    if len(examples) < 10 and diff[key] == 1:
                        examples.append("%s %r: %r -> %r" % (key, a.text[:30], str(a.section.get(key))[:60], str(o.section.get(key))[:60]))
    for key in ("tables", "pictures", "footnotes", "endnotes", "comments"):
        have = sum(getattr(p, key) for p in alone)
        got = sum(getattr(p, key) for p in own)
        diff[key] = max(0, have - got)
        if have != got:
            examples.append("%s: %d alone, %d here" % (key, have, got))
    return diff, examples


def run_group(office, inputs, fmt, work, details):
    out = os.path.join(work, "combined." + fmt)
    code, err, secs = common.combine("word", inputs, out)
    rows, totals = [], {}
    if code != 0:
        return [[os.path.basename(f), fmt, "FAILED", err.splitlines()[0][:100] if err else code] for f in inputs], {"failed": len(inputs)}, secs, err
    alone = office.save(inputs, fmt)
    if fmt == "pdf":
        pages = [pdf_pages(alone[f]) if alone[f] else None for f in inputs]
        got = pdf_pages(out)
        want = sum(p or 0 for p in pages)
        rows = [[os.path.basename(f), fmt, "pages alone %s" % p] for f, p in zip(inputs, pages)]
        rows.append(["(group)", fmt, "pages %s against %d alone" % (got, want)])
        return rows, {"pdf_groups": 1, "pdf_pages_differ": int(got != want)}, secs, err
    output = read(out)
    alone_lists = [read(alone[f]) if alone[f] else [] for f in inputs]
    pairs, first = align(alone_lists, output)
    starts = [x if x is not None else len(output) for x in first] + [len(output)]
    for i, f in enumerate(inputs):
        own = output[starts[i]:max(starts[i], min(s for s in starts[i + 1:]))]
        d, ex = compare(alone_lists[i], pairs[i], own)
        for k, v in d.items():
            totals[k] = totals.get(k, 0) + v
        bad = {k: v for k, v in d.items() if v and k != "paragraphs"}
        rows.append([os.path.basename(f), fmt, d["paragraphs"], " ".join("%s=%d" % kv for kv in bad.items()) or "same"])
        if details and ex:
            for e in ex:
                rows.append(["", "", "", "  " + e])
        totals["inputs_differ"] = totals.get("inputs_differ", 0) + int(bool(bad))
    totals["inputs"] = len(inputs)
    return rows, totals, secs, err


def main(argv):
    details = "--details" in argv
    argv = [a for a in argv if a != "--details"]
    only = None
    if "--only" in argv:
        i = argv.index("--only")
        only = argv[i + 1].split(",")
        del argv[i:i + 2]
    files, formats, group, keep = common.parse_args(argv, ["docx", "odt", "pdf"], 4)
    office = common.AloneOffice()
    grand = {}
    said = []
    try:
        for fmt in formats:
            for g in common.groups(files, group):
                work = tempfile.mkdtemp(prefix="kumiro-fidelity-group-")
                rows, totals, secs, err = run_group(office, g, fmt, work, details)
                print(common.table(rows, ["input", "format", "paragraphs", "differences"]))
                if err:
                    said.append(err)
                    print("  said: " + err.replace("\n", "\n        "))
                print("  %.1f s\n" % secs)
                for k, v in totals.items():
                    grand.setdefault(fmt, {})[k] = grand.get(fmt, {}).get(k, 0) + v
                if keep:
                    os.makedirs(keep, exist_ok=True)
                    subprocess.run(["cp", "-r", work, keep])
                subprocess.run(["rm", "-rf", work])
    finally:
        office.close()
    print("Totals")
    bad = 0
    for fmt, t in grand.items():
        print("  %s: %s" % (fmt, " ".join("%s=%d" % kv for kv in sorted(t.items()))))
        for k, v in t.items():
            if k in ("paragraphs", "inputs", "pdf_groups"):
                continue
            if only is None or k in only:
                bad += v
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
