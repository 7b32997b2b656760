#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kumiro {

// A file in `folder` without a name yet, for writing; -1 with errno when the folder cannot
// be written. It gets a name only when it is complete (linkUnnamed), so a program killed
// meanwhile leaves nothing in the user's folder. Where the file system has no unnamed files,
// `fallbackName` is made instead (and `named` tells so).
// Header-only: the office driver, a module of its own, uses it too.
inline int openUnnamed(const QString& folder, const QString& fallbackName, bool& named)
{
    named = false;
    int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    named = true;
    return ::open(QFile::encodeName(fallbackName).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

// Gives an unnamed file its name; fails when the name is taken.
inline bool linkUnnamed(int fd, const QString& path)
{
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, self, AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_FOLLOW) == 0;
}

} // namespace kumiro
