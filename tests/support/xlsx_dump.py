"""Prints an .xlsx workbook's cached cell values and names as JSON, read from its XML alone
(no office): {"sheets": [{"name", "cells"}], "names": [[name, scope]]}, like xls_dump.py."""
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
workbook = ET.fromstring(book.read("xl/workbook.xml"))
sheets = []
for sheet in workbook.findall("m:sheets/m:sheet", NS):
    target = targets[sheet.get("{%s}id" % NS["r"])].lstrip("/")
    root = ET.fromstring(book.read(target if target.startswith("xl/") else "xl/" + target))
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
                   "cells": [[values.get((r, c), "") for c in range(cols)] for r in range(rows)]})
names = sorted([n.get("name").replace("_xlnm.", ""), int(n.get("localSheetId", -1))]
               for n in workbook.findall("m:definedNames/m:definedName", NS))
json.dump({"sheets": sheets, "names": names}, sys.stdout, ensure_ascii=False)
