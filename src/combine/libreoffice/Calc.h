// The Excel side: sheets, workbooks and the application, on an office of their own.
#pragma once

#include "combine/Office.h"

#include <memory>

namespace kumiro::lo {

class Session;

// An Excel application on `session`, an office of its own that it ends.
std::unique_ptr<ExcelApplication> newExcelApplication(std::unique_ptr<Session> session);

} // namespace kumiro::lo
