#include "ReplaceFile.h"
#include "Interrupt.h"
#include "Leftovers.h"
#include "OutputPath.h"

#include "FileWriting.h"
#include "SystemErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>

namespace kumiro {

ReplaceResult replaceFile(const QString& target, const std::function<QString(const QString&)>& write)
{
    const QFileInfo info(target);
    if (const QString refusal = outputRefusal(target); !refusal.isEmpty())
        return {ReplaceResult::WriteFailed, refusal};
    if (!info.absoluteDir().exists())
        return {ReplaceResult::FolderNotWritable, plainSystemReason(ENOENT)};
    if (const int error = folderWriteError(info.absolutePath()))
        return {ReplaceResult::FolderNotWritable, plainSystemReason(error)};

    // Where the file system has no unnamed files the temporary has this name until it is
    // renamed; noted, so that a start after a crash removes it.
    const QString temp = partialFileName(info.absolutePath());
    notePartialFile(temp);
    struct Forget {
        QString path;
        ~Forget() { forgetPartialFile(path); }
    } forget{temp};
    QString reason;
    try {
        reason = write(temp);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    // A program asked to end keeps the old file: the command did not finish.
    if (reason.isEmpty() && interruptSignal() != 0)
        reason = QStringLiteral("中止しました。");
    if (!reason.isEmpty()) {
        QFile::remove(temp);
        return {ReplaceResult::WriteFailed, reason};
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        QFile::remove(temp);
        return {ReplaceResult::RenameFailed, plainSystemReason(error)};
    }
    return {};
}

} // namespace kumiro
