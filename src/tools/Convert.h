#pragma once

#include <QString>

namespace kumiro {

class Office;

// The file a conversion writes: the source's extension replaced by the target's
// ("memo.doc" -> "memo.txt"; "report.docx" -> "report.txt"; "notes" -> "notes.txt").
QString convertedPath(const QString& path, int index);

// The dialog filter and the completion message of each conversion.
QString convertFilter(int index);
QString convertDoneText(int index);

// Converts one file with an office instance of its own; throws OfficeError.
void ConvertFile(Office& office, const QString& path, int index);

} // namespace kumiro
