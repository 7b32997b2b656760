// The Excel side: sheets, workbooks and the application, on an office of their own.
#pragma once

#include "combine/Office.h"

#include <memory>

namespace kumiro::lo {

// An Excel application on an office of its own, started from the prepared `profile`.
std::unique_ptr<ExcelApplication> newExcelApplication(const OfficeOptions& options, const QString& profile);

} // namespace kumiro::lo
