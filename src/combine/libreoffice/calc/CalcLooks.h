// A workbook's look across a combine: a source's cells keep their font in a workbook whose
// default and styles are another's.
#pragma once

#include "common/Uno.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <vector>

namespace kumiro::lo {

// A source, before its first sheet is copied into `target`. The first source's default font
// becomes the target's (a workbook has one); where a style of the target would give a source's
// cells another font (another default, a style of the same name), the font they have becomes
// their own formatting. Only the source in memory changes.
void keepLookApart(const Reference<css::sheet::XSpreadsheetDocument>& source,
                   const Reference<css::sheet::XSpreadsheetDocument>& target, bool first);

// The fonts of the cells of `area`, row by row, and the same set on them again as their own.
std::vector<Sequence<Any>> cellFonts(const Reference<css::table::XCellRange>& area);
void setCellFonts(const Reference<css::table::XCellRange>& area, const std::vector<Sequence<Any>>& fonts);

} // namespace kumiro::lo
