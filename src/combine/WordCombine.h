#pragma once

#include "CommandProgress.h"
#include "Office.h"

namespace kumiro {

// Every input inserted in order into a new document, each followed by a page-starting
// section break (but for the last one in a PDF, which would print an empty page), saved in
// the format the output's extension names (.docx, .odt, .pdf, .rtf, else Word 97). What the
// inputs lost on the way goes to `shortfalls`, one sentence an input. Returns false when
// cancelled, before anything is written; throws OfficeError when the office or an input
// fails, writing nothing then too. With `keptOldFile` a file that was at the output goes
// to the trash (or beside it) rather than being replaced, and where it went is put there.
bool combineWord(Office& office, const QStringList& inputs, const QString& outputPath,
                 const CommandProgress& progress = {}, QStringList* shortfalls = nullptr,
                 QString* keptOldFile = nullptr);

} // namespace kumiro
