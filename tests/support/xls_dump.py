"""Prints an .xls workbook as JSON, read by xlrd (independent of the office that wrote it):
per sheet its cells (values and formula results), merged ranges, column widths, comments
and the font of A1; the workbook's names."""
import json
import sys

import xlrd

path = [a for a in sys.argv[1:] if a != "--all"][0]
book = xlrd.open_workbook(path, formatting_info=True)
out = []
for sheet in book.sheets():
    cells = [[sheet.cell_value(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
    widths = {str(c): info.width for c, info in sheet.colinfo_map.items()}
    font = ""
    if sheet.nrows and sheet.ncols:
        xf = book.xf_list[sheet.cell_xf_index(0, 0)]
        f = book.font_list[xf.font_index]
        font = "%s %g" % (f.name, f.height / 20)
    out.append({"name": sheet.name, "cells": cells, "merged": [list(m) for m in sheet.merged_cells],
                "widths": widths, "comments": sorted(n.text for n in sheet.cell_note_map.values()),
                "fontA1": font})
json.dump({"sheets": out, "names": sorted([n.name, n.scope] for n in book.name_obj_list)} if "--all" in sys.argv
          else out, sys.stdout, ensure_ascii=False)
