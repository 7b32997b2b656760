// The Word side: documents, the insertion point and the application, on an office of their own.
#pragma once

#include "combine/Office.h"

#include <memory>

namespace kumiro::lo {

class Session;

// A Word application on `session`, an office of its own that it ends.
std::unique_ptr<WordApplication> newWordApplication(std::unique_ptr<Session> session);

} // namespace kumiro::lo
