#pragma once

#include <QFile>
#include <QString>

#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

namespace kumiro {

// The system's reason for a failed file operation in words a user understands; the
// system's own text follows for the rare ones.
// Header-only: the office driver, a module of its own, uses it too.
inline QString plainSystemReason(int error, bool reading = false)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return reading ? QStringLiteral("読み取る権限がありません。") : QStringLiteral("書き込む権限がありません。");
    case EROFS: return QStringLiteral("読み取り専用のディスクです。");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ディスクの空きが足りません。");
    case EFBIG: return QStringLiteral("ファイルが大きすぎます。");
    case ENOENT: return reading ? QStringLiteral("ファイルがありません。") : QStringLiteral("フォルダがありません。");
    case ENOTDIR: return QStringLiteral("フォルダではありません。");
    case EISDIR: return QStringLiteral("同じ名前のフォルダがあります。");
    case EIO: return QStringLiteral("ディスクの読み書きに失敗しました。");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Bytes a user may still write in the folder, or -1 when it cannot be told.
inline qint64 freeBytes(const QString& folder)
{
    struct statvfs fs {};
    if (statvfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return -1;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

// "(必要 約 X KB、空き Y KB)" for a message about room on a disk.
inline QString roomText(qint64 needed, qint64 free)
{
    auto kb = [](qint64 bytes) { return QString::number((bytes + 1023) / 1024); };
    return QStringLiteral("（必要 約 %1 KB、空き %2 KB）").arg(kb(needed), kb(qMax<qint64>(free, 0)));
}

} // namespace kumiro
