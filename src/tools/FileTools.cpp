#include "FileTools.h"

#include "app/Paths.h"
#include "app/SettingsRecord.h"
#include "combine/ExcelCombine.h"
#include "combine/WordCombine.h"
#include "platform/FileModes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kumiro {

QString resolveBeside(const QString& chosenFile, const QString& typed)
{
    if (QDir::isAbsolutePath(typed))
        return typed;
    return QFileInfo(chosenFile).absoluteDir().filePath(typed);
}

FileResult copyReplacing(const QString& source, const QString& destination)
{
    const QFileInfo from(source), to(destination);
    if (!from.isFile())
        return {false, QStringLiteral("コピー元のファイルがありません。")};
    if (to.exists() && to.canonicalFilePath() == from.canonicalFilePath())
        return {false, QStringLiteral("コピー元とコピー先が同じファイルです。")};
    if (to.isDir())
        return {false, QStringLiteral("同じ名前のフォルダがあります。")};
    if (!to.absoluteDir().exists())
        return {false, QStringLiteral("コピー先のフォルダがありません。")};
    // Beside the destination first, then renamed over it: a failed copy loses nothing.
    const QString temp = to.absoluteDir().filePath(
        QStringLiteral(".~kumiro-%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
    QFile in(source);
    if (!in.copy(temp)) {
        const QString reason = in.errorString();
        QFile::remove(temp);
        return {false, reason};
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(destination).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temp);
        return {false, reason};
    }
    return {};
}

FileResult renameKeeping(const QString& source, const QString& destination)
{
    if (!QFileInfo(source).isFile())
        return {false, QStringLiteral("元のファイルがありません。")};
    if (QFileInfo::exists(destination))
        return {false, QStringLiteral("同じ名前のファイルが既にあります。")};
    if (!QFileInfo(destination).absoluteDir().exists())
        return {false, QStringLiteral("変更先のフォルダがありません。")};
    QFile file(source);
    if (!file.rename(destination))
        return {false, file.errorString()};
    return {};
}

FileResult deletePermanently(const QString& path)
{
    QFile file(path);
    if (!file.remove())
        return {false, file.errorString()};
    return {};
}

QList<BackupCopy> backupCopies(const SettingsRecord& s, const QString& backupFolder)
{
    return {{wordOutputPath(s.FolderName[0], s.KumiroFile[0]),
             joinPath(backupFolder, s.KumiroFile[0] + QStringLiteral(".doc"))},
            {excelOutputPath(s.FolderName[1], s.KumiroFile[1]),
             joinPath(backupFolder, s.KumiroFile[1] + QStringLiteral(".xls"))}};
}

} // namespace kumiro
