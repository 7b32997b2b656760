#pragma once

#include "combine/Office.h"

#include <QString>

namespace kumiro {

// The file a conversion writes: the source's extension replaced by the target's
// ("memo.doc" -> "memo.txt"; "report.docx" -> "report.txt"; "notes" -> "notes.txt").
QString convertedPath(const QString& path, int index);
QString convertedPathTo(const QString& path, WordFormat format);

// The dialog filter and the completion message of each conversion.
QString convertFilter(int index);
QString convertDoneText(int index);

// Converts one file with an office instance of its own; throws OfficeError.
void ConvertFile(Office& office, const QString& path, int index);
// The same to any Word format; returns the file written.
QString convertFileTo(Office& office, const QString& path, WordFormat format);

} // namespace kumiro
