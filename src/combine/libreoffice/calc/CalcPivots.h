// Pivot tables across a combine: a sheet copy arrives with its pivot tables' values only.
#pragma once

#include "CalcNames.h"

namespace kumiro::lo {

// Once every sheet is in place and computed: each pivot table of each source made again at
// its place on the copy of its sheet, reading the copy of its source range, with the
// source's fields, functions, filter and options. One that would not show what it shows in
// its source (a grouping, a field used twice, a source that is no range of the workbook)
// stays as the values the copy brought; the count of pivot tables tells the user.
void keepPivots(const Reference<css::sheet::XSpreadsheetDocument>& target, const std::vector<SheetCopies>& copies);

} // namespace kumiro::lo
