#include "ReplaceFile.h"

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
    if (!info.absoluteDir().exists())
        return {ReplaceResult::FolderNotWritable, plainSystemReason(ENOENT)};
    if (const int error = folderWriteError(info.absolutePath()))
        return {ReplaceResult::FolderNotWritable, plainSystemReason(error)};

    const QString temp = info.absoluteDir().filePath(
        QStringLiteral(".~kumiro-%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
    QString reason;
    try {
        reason = write(temp);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
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
