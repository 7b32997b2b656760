// References between the sheets of one source, kept pointing at that source's copies.
#pragma once

#include "common/Uno.h"

#include <map>

namespace kumiro::lo {

// `formula` (as the office writes it in its own notation) with every sheet of `copyOf` named
// as its copy; string constants and other sheets stay as they are.
rtl::OUString renameSheetsIn(const rtl::OUString& formula, const std::map<rtl::OUString, rtl::OUString>& copyOf);

} // namespace kumiro::lo
