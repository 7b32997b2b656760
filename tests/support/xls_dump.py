"""Prints an .xls workbook as JSON, read by xlrd (independent of the office that wrote it)."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
out = []
for sheet in book.sheets():
    cells = [[sheet.cell_value(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
    widths = {str(c): info.width for c, info in sheet.colinfo_map.items()}
    out.append({"name": sheet.name, "cells": cells, "merged": [list(m) for m in sheet.merged_cells],
                "widths": widths})
json.dump(out, sys.stdout, ensure_ascii=False)
