#pragma once

#include "tools/FileTools.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace kumiro {

class MessageBoxes;
struct SettingsRecord;

struct BackupCopy {
    QString source;
    QString target;
};
// The Word and then the Excel output, as the combines save them, onto the disk.
QList<BackupCopy> backupCopies(const SettingsRecord& settings, const QString& backupFolder);

using CopyFile = std::function<FileResult(const QString& source, const QString& target)>;
// The folder of the disk the backup goes to: empty when there is none; nothing when the
// user chose none of several.
using FindMedium = std::function<std::optional<QString>()>;

// The backup command: asks for the disk, looks for it, copies each output onto it, and says
// when it is done. A missing disk or a copy that fails is asked for again as often as the
// user answers OK; copies made are not repeated. False when the user gave up.
bool runBackup(const SettingsRecord& settings, const FindMedium& findMedium, MessageBoxes& messages, QWidget* owner,
               const CopyFile& copy = copyReplacing);

} // namespace kumiro
