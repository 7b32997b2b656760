// Excel on an office of its own: each operation one step of Kumiro's component inside it.
#pragma once

#include "Session.h"
#include "combine/Office.h"

#include <memory>

namespace kumiro::lo {

// An Excel application on `session`, an office of its own that it ends, or hands to
// `retire` when its command is done.
std::unique_ptr<ExcelApplication> newExcelApplication(std::unique_ptr<Session> session, Retire retire = {});

} // namespace kumiro::lo
