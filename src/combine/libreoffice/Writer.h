// The Word side: documents, the insertion point and the application, on an office of their own.
#pragma once

#include "Session.h"
#include "combine/Office.h"

#include <memory>

namespace kumiro::lo {

// A Word application on `session`, an office of its own that it ends,
// or hands to `retire` when its command is done.
std::unique_ptr<WordApplication> newWordApplication(std::unique_ptr<Session> session, Retire retire = {});

} // namespace kumiro::lo
