// What a workbook holds of other files and programs (DDE, references into other files, web
// services): values, never fetched again.
#pragma once

#include "common/Uno.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

namespace kumiro::lo {

// Turns every formula of a loaded source that reads another file or program into the value
// it was saved with. The office would fetch them again as soon as the sheet is copied, and
// whatever the user can read (a file the workbook names) would land in the combined file.
// Only the source in memory changes. Returns how many formulas became values.
int keepLinkedValues(const Reference<css::sheet::XSpreadsheetDocument>& doc);

} // namespace kumiro::lo
