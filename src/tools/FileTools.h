#pragma once

#include <QString>
#include <QStringList>

namespace kumiro {

// A name typed without a folder refers to the folder of the chosen file.
QString resolveBeside(const QString& chosenFile, const QString& typed);

struct FileResult {
    bool ok = true;
    QString reason; // the system's words, or ours, when not ok
};

// Copies, replacing an existing destination only with a complete copy; a file is not
// copied onto itself.
FileResult copyReplacing(const QString& source, const QString& destination);
// Renames, never onto an existing file.
FileResult renameKeeping(const QString& source, const QString& destination);
FileResult deletePermanently(const QString& path);

} // namespace kumiro
