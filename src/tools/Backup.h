#pragma once

#include "FileTools.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace kumiro {

class MessageBoxes;
struct SettingsRecord;

// The removable disk the backup writes to.
inline const QString kBackupFolder = QStringLiteral("/media/floppy");

struct BackupCopy {
    QString source;
    QString target;
};
// The Word and then the Excel output, as the combines save them, onto the disk.
QList<BackupCopy> backupCopies(const SettingsRecord& settings, const QString& backupFolder);

using CopyFile = std::function<FileResult(const QString& source, const QString& target)>;

// The backup command: asks for the disk, copies each output onto it, and says when it is
// done. A copy that fails is asked for again as often as the user answers OK; copies made
// are not repeated. False when the user gave up.
bool runBackup(const SettingsRecord& settings, const QString& backupFolder, MessageBoxes& messages, QWidget* owner,
               const CopyFile& copy = copyReplacing);

} // namespace kumiro
