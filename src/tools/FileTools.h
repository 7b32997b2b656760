#pragma once

#include <QString>
#include <QStringList>

namespace kumiro {

// A name typed without a folder refers to the folder of the chosen file.
QString resolveBeside(const QString& chosenFile, const QString& typed);

struct FileResult {
    bool ok = true;
    QString reason; // the system's words, or ours, when not ok
    QString oldFile; // where a file that was at the destination went (the trash), if any
};

// Copies, replacing an existing destination only with a complete copy; a file is not
// copied onto itself. The backup's copy: its way back is the combined file itself.
FileResult copyReplacing(const QString& source, const QString& destination);
// The same for the user's copy command: a file at the destination goes to the trash first.
FileResult copyKeepingOld(const QString& source, const QString& destination);
// Renames, never onto an existing file.
FileResult renameKeeping(const QString& source, const QString& destination);
FileResult deletePermanently(const QString& path);
// The user's delete: to the desktop's trash (where it went is oldFile), or where there is no
// trash for the file, for good.
FileResult deleteToTrash(const QString& path);

} // namespace kumiro
