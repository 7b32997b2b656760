// What each source workbook holds against what its copied sheets hold, counted cheaply.
#pragma once

#include "CalcNames.h"

#include <QStringList>

namespace kumiro::lo {

// One sentence a source that lost something: sheets, cells with values, formulas, names
// (`names`: had and defined, in the order of `copies`), pictures and charts, comments, and
// pivot tables (kept as values).
QStringList calcShortfalls(const Reference<css::sheet::XSpreadsheetDocument>& target,
                           const std::vector<SheetCopies>& copies, const std::vector<std::pair<int, int>>& names);

} // namespace kumiro::lo
