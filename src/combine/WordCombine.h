#pragma once

#include "CommandProgress.h"
#include "Office.h"

namespace kumiro {

// Every input inserted in order into a new document, each followed by a page-starting
// section break, saved as Word 97. Returns false when cancelled, before anything is
// written; throws OfficeError when the office or an input fails, writing nothing then too.
bool combineWord(Office& office, const QStringList& inputs, const QString& outputPath,
                 const CommandProgress& progress = {});

} // namespace kumiro
