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
#include <QStandardPaths>

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kumiro {

namespace {

// Moves a file out of the way, to the trash or else beside it under a free name; the new
// place, or empty when neither could be done.
QString keepAside(const QString& path)
{
    // The trash goes into the user's data folder, which must be there first (without it
    // Qt takes the current folder for the trash).
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    if (QFile::moveToTrash(path, &inTrash))
        return inTrash.isEmpty() ? QStringLiteral("ごみ箱") : QFileInfo(inTrash).absoluteFilePath();
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    for (int n = 2; n < 1000; ++n) {
        const QString aside = info.absoluteDir().filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix));
        // A hard link never replaces anything that is there.
        if (::link(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) == 0) {
            ::unlink(QFile::encodeName(path).constData());
            return aside;
        }
        if (errno != EEXIST)
            break;
    }
    return QString();
}

} // namespace

QString oldFileText(const QString& target, const QString& oldFile)
{
    if (oldFile.isEmpty())
        return QString();
    if (oldFile.contains(QStringLiteral("/Trash/")) || oldFile.contains(QStringLiteral("/.Trash-")) ||
        oldFile == u"ごみ箱")
        return QStringLiteral("元の %1 はごみ箱に移しました。　").arg(QDir::toNativeSeparators(target));
    return QStringLiteral("元の %1 は %2 として残しました。　")
        .arg(QDir::toNativeSeparators(target), QDir::toNativeSeparators(oldFile));
}

ReplaceResult replaceFile(const QString& target, const std::function<QString(const QString&)>& write, OldFile old)
{
    const QFileInfo info(target);
    if (const QString refusal = outputRefusal(target); !refusal.isEmpty())
        return {ReplaceResult::WriteFailed, refusal, {}};
    if (!info.absoluteDir().exists())
        return {ReplaceResult::FolderNotWritable, plainSystemReason(ENOENT), {}};
    if (const int error = folderWriteError(info.absolutePath()))
        return {ReplaceResult::FolderNotWritable, plainSystemReason(error), {}};

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
        return {ReplaceResult::WriteFailed, reason, {}};
    }
    ReplaceResult done;
    if (old == OldFile::Keep && QFileInfo::exists(target)) {
        done.oldFile = keepAside(target);
        if (done.oldFile.isEmpty()) {
            QFile::remove(temp);
            return {ReplaceResult::RenameFailed,
                    QStringLiteral("元のファイルをごみ箱にも別の名前にも移せないため、置き換えません。"),
                    {}};
        }
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        QFile::remove(temp);
        return {ReplaceResult::RenameFailed, plainSystemReason(error), done.oldFile};
    }
    return done;
}

} // namespace kumiro
