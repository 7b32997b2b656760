// The Word side: documents, the insertion point and the application, on an office of their own.
#pragma once

#include "combine/Office.h"

#include <memory>

namespace kumiro::lo {

// A Word application on an office of its own, started from the prepared `profile`.
std::unique_ptr<WordApplication> newWordApplication(const OfficeOptions& options, const QString& profile);

} // namespace kumiro::lo
