"""Prints an .xlsx workbook's cached cell values, names and pivot tables as JSON, read from its
XML alone (no office): {"sheets": [{"name", "cells", "pivots": [{"name", "location",
"source"}]}], "names": [[name, scope]]}, like xls_dump.py."""
import posixpath
import json
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships"}
REL = "{http://schemas.openxmlformats.org/package/2006/relationships}Relationship"

book = zipfile.ZipFile(sys.argv[1])
shared = []
if "xl/sharedStrings.xml" in book.namelist():
    for si in ET.fromstring(book.read("xl/sharedStrings.xml")).findall("m:si", NS):
        shared.append("".join(t.text or "" for t in si.iter("{%s}t" % NS["m"])))
targets = {r.get("Id"): r.get("Target") for r in ET.fromstring(book.read("xl/_rels/workbook.xml.rels")).iter(REL)}


def related(part, kind):
    """The parts that `part` relates to with a relationship of this kind."""
    rels = posixpath.join(posixpath.dirname(part), "_rels", posixpath.basename(part) + ".rels")
    if rels not in book.namelist():
        return []
    return [posixpath.normpath(posixpath.join(posixpath.dirname(part), r.get("Target")))
            for r in ET.fromstring(book.read(rels)).iter(REL) if r.get("Type").endswith("/" + kind)]


def pivots(part):
    out = []
    for table in related(part, "pivotTable"):
        root = ET.fromstring(book.read(table))
        source = ""
        for cache in related(table, "pivotCacheDefinition"):
            ws = ET.fromstring(book.read(cache)).find("m:cacheSource/m:worksheetSource", NS)
            if ws is not None:
                source = "%s!%s" % (ws.get("sheet"), ws.get("ref"))
        out.append({"name": root.get("name"), "location": root.find("m:location", NS).get("ref"), "source": source})
    return out

workbook = ET.fromstring(book.read("xl/workbook.xml"))
sheets = []
for sheet in workbook.findall("m:sheets/m:sheet", NS):
    target = targets[sheet.get("{%s}id" % NS["r"])].lstrip("/")
    target = target if target.startswith("xl/") else "xl/" + target
    root = ET.fromstring(book.read(target))
    values = {}
    for c in root.iter("{%s}c" % NS["m"]):
        v = c.find("m:v", NS)
        kind = c.get("t", "n")
        if kind == "inlineStr":
            value = "".join(t.text or "" for t in c.iter("{%s}t" % NS["m"]))
        elif v is None:
            continue
        elif kind == "s":
            value = shared[int(v.text)]
        elif kind in ("str", "e"):
            value = v.text or ""
        else:
            value = float(v.text)
        col, row = re.match(r"([A-Z]+)(\d+)", c.get("r")).groups()
        col = sum((ord(ch) - 64) * 26 ** i for i, ch in enumerate(reversed(col))) - 1
        values[(int(row) - 1, col)] = value
    rows = max((r for r, _ in values), default=-1) + 1
    cols = max((c for _, c in values), default=-1) + 1
    sheets.append({"name": sheet.get("name"),
                   "cells": [[values.get((r, c), "") for c in range(cols)] for r in range(rows)],
                   "pivots": pivots(target)})
names = sorted([n.get("name").replace("_xlnm.", ""), int(n.get("localSheetId", -1))]
               for n in workbook.findall("m:definedNames/m:definedName", NS))
json.dump({"sheets": sheets, "names": names}, sys.stdout, ensure_ascii=False)
