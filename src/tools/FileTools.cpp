#include "FileTools.h"

#include "platform/ReplaceFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QFileInfo>

namespace kumiro {

QString resolveBeside(const QString& chosenFile, const QString& typed)
{
    if (QDir::isAbsolutePath(typed))
        return typed;
    return QFileInfo(chosenFile).absoluteDir().filePath(typed);
}

namespace {

FileResult copyFile(const QString& source, const QString& destination, OldFile old)
{
    const QFileInfo from(source), to(destination);
    if (!from.isFile())
        return {false, QStringLiteral("コピー元のファイルがありません。"), {}};
    if (to.exists() && to.canonicalFilePath() == from.canonicalFilePath())
        return {false, QStringLiteral("コピー元とコピー先が同じファイルです。"), {}};
    if (to.isDir())
        return {false, QStringLiteral("同じ名前のフォルダがあります。"), {}};
    if (!to.absoluteDir().exists())
        return {false, QStringLiteral("コピー先のフォルダがありません。"), {}};
    // Beside the destination first, then renamed over it: a failed copy loses nothing.
    const ReplaceResult r = replaceFile(
        destination,
        [&](const QString& temp) {
            QFile in(source);
            return in.copy(temp) ? QString() : in.errorString();
        },
        old);
    if (!r.ok())
        return {false, r.reason, {}};
    return {true, {}, r.oldFile};
}

} // namespace

FileResult copyReplacing(const QString& source, const QString& destination)
{
    return copyFile(source, destination, OldFile::Replace);
}

FileResult copyKeepingOld(const QString& source, const QString& destination)
{
    return copyFile(source, destination, OldFile::Keep);
}

FileResult renameKeeping(const QString& source, const QString& destination)
{
    if (!QFileInfo(source).isFile())
        return {false, QStringLiteral("元のファイルがありません。"), {}};
    if (QFileInfo::exists(destination))
        return {false, QStringLiteral("同じ名前のファイルが既にあります。"), {}};
    if (!QFileInfo(destination).absoluteDir().exists())
        return {false, QStringLiteral("変更先のフォルダがありません。"), {}};
    QFile file(source);
    if (!file.rename(destination))
        return {false, file.errorString(), {}};
    return {};
}

FileResult deleteToTrash(const QString& path)
{
    // The trash goes into the user's data folder, which must be there first (without it Qt
    // takes the current folder for the trash).
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    if (QFile::moveToTrash(path, &inTrash))
        return {true, {}, inTrash};
    return deletePermanently(path);
}

FileResult deletePermanently(const QString& path)
{
    QFile file(path);
    if (!file.remove())
        return {false, file.errorString(), {}};
    return {};
}

} // namespace kumiro
