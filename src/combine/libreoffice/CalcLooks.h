// A workbook's look across a combine: a source's cells keep their font in a workbook whose
// default and styles are another's.
#pragma once

#include "Uno.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

namespace kumiro::lo {

// A source, before its first sheet is copied into `target`. The first source's default font
// becomes the target's (a workbook has one). Returns whether a style of the target could give
// the source's cells another font (another default, a style of the same name).
bool keepLookApart(const Reference<css::sheet::XSpreadsheetDocument>& source,
                   const Reference<css::sheet::XSpreadsheetDocument>& target, bool first);

// A sheet of `source` just copied into `target` as its sheet `copy`, where keepLookApart said
// fonts could change: its cells get the font they had as their own formatting, and rows fitted
// to their font keep their height.
void keepFontOfCopy(const Reference<css::sheet::XSpreadsheetDocument>& source, const Any& sheet,
                    const Reference<css::sheet::XSpreadsheetDocument>& target, sal_Int16 copy);

} // namespace kumiro::lo
