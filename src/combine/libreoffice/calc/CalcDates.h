// Dates across workbooks of two date systems: a workbook counts its dates from 1899-12-30 or,
// as some older ones do, from 1904-01-01, and a copied cell keeps its number.
#pragma once

#include "common/Uno.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

namespace kumiro::lo {

// After `sheet` of `target` was copied from `source`: where the two count from other days,
// the copy's dates (constants shown as dates) move by the difference, so that they show the
// days they showed in their own workbook. The combined workbook keeps the usual count from
// 1899-12-30, so that only the rare older workbooks' dates move.
void keepDates(const Reference<css::sheet::XSpreadsheetDocument>& source,
               const Reference<css::sheet::XSpreadsheetDocument>& target, const Reference<css::uno::XInterface>& sheet);

} // namespace kumiro::lo
