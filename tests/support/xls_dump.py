"""Prints an .xls workbook as JSON, read by xlrd (independent of the office that wrote it):
per sheet its cells (values and formula results), merged ranges, column widths, comments,
the font of A1 and of every cell with a value; the workbook's names."""
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
    # How each cell with a value looks: number format, font colour, bottom border.
    looks = {}
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            if sheet.cell_type(r, c) in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            xf = book.xf_list[sheet.cell_xf_index(r, c)]
            looks["%d,%d" % (r, c)] = [book.format_map[xf.format_key].format_str,
                                       book.colour_map.get(book.font_list[xf.font_index].colour_index),
                                       xf.border.bottom_line_style]
    # The font of each cell with a value: name, size, bold, italic, colour.
    fonts = {}
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            if sheet.cell_type(r, c) not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                f = book.font_list[book.xf_list[sheet.cell_xf_index(r, c)].font_index]
                fonts["%d,%d" % (r, c)] = [f.name, f.height / 20, bool(f.bold), bool(f.italic),
                                           book.colour_map.get(f.colour_index)]
    heights = {str(r): info.height for r, info in sheet.rowinfo_map.items() if info.height != sheet.default_row_height}
    out.append({"name": sheet.name, "cells": cells, "datemode": book.datemode, "merged": [list(m) for m in sheet.merged_cells],
                "widths": widths, "comments": sorted(n.text for n in sheet.cell_note_map.values()),
                "fontA1": font, "looks": looks, "fonts": fonts, "heights": heights,
                "links": sorted([h.frowx, h.fcolx, h.url_or_path] for h in sheet.hyperlink_list),
                "printArea": [list(ref.coords[2:]) for n in book.name_obj_list
                              if n.name == "Print_Area" and n.scope == book.sheet_names().index(sheet.name)
                              and n.result is not None for ref in n.result.value]})
json.dump({"sheets": out, "names": sorted([n.name, n.scope] for n in book.name_obj_list)} if "--all" in sys.argv
          else out, sys.stdout, ensure_ascii=False)
