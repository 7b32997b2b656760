// A workbook's look across a combine: cells shown in a source's default style keep its font
// in a workbook whose default is another's.
#pragma once

#include "Uno.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

namespace kumiro::lo {

// A source, before its first sheet is copied into `target`. The first source's default font
// becomes the target's (a workbook has one); a later source with another default gets a cell
// style of its own (named after `name`) for its cells in the default style, their own
// formatting (a bold, coloured or larger header) kept. Only the source in memory changes.
void keepLookApart(const Reference<css::sheet::XSpreadsheetDocument>& source,
                   const Reference<css::sheet::XSpreadsheetDocument>& target, bool first, const QString& name);

} // namespace kumiro::lo
