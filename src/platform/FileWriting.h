#pragma once

#include <QFile>
#include <QString>

#include <unistd.h>

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

// 0 when a file can be made in `folder` (tried without leaving one), else the errno.
inline int folderWriteError(const QString& folder)
{
    const QString probe = folder + QStringLiteral("/.~kumiro-probe-%1").arg(getpid());
    bool named = false;
    const int fd = openUnnamed(folder, probe, named);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (named)
        ::unlink(QFile::encodeName(probe).constData());
    return 0;
}

// Writes all of `size` bytes; 0, or the errno of the write that failed (ENOSPC for a write
// that wrote nothing).
inline int writeAll(int fd, const char* data, qint64 size)
{
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

} // namespace kumiro
