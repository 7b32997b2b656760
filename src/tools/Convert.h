#pragma once

#include "combine/Office.h"

#include <QString>

namespace kumiro {

// The file a conversion writes: the source's extension replaced by the target's
// ("memo.doc" -> "memo.txt"; "report.docx" -> "report.txt"; "notes" -> "notes.txt"), in
// `folder` when one is given, else beside the source.
QString convertedPathTo(const QString& path, WordFormat format, const QString& folder = {});

// The dialog filter and the completion message of a conversion to the format.
QString convertFilter(WordFormat to);
QString convertDoneText(WordFormat to);

// What a conversion wrote, and where the file it replaced went (the trash), if any.
struct Conversion {
    QString output;
    QString oldFile;
};

// Refuses, with OfficeError, a file that cannot be converted to the format: missing,
// unreadable, of another type, or whose converted file would be itself or may not be
// written. Before any office is asked for.
void checkConvertible(const QString& path, WordFormat format, const QString& folder = {});

// Converts one file with an office instance of its own; throws OfficeError. A file that is
// there already goes to the trash first; the source itself is never written over.
Conversion convertFileTo(Office& office, const QString& path, WordFormat format, const QString& folder = {});

} // namespace kumiro
