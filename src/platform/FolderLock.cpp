#include "FolderLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <cerrno>

namespace kumiro {

FolderLock::FolderLock([[maybe_unused]] const QString& folder, [[maybe_unused]] int waitMs,
                       [[maybe_unused]] const std::function<bool()>& stop)
{
#ifndef _WIN32
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    const QDeadlineTimer deadline(waitMs);
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            // A file system without locks: as if the folder could not be opened.
            ::close(fd_);
            fd_ = -1;
            return;
        }
        if (stop && stop()) {
            status_ = Stopped;
            break;
        }
        if (deadline.hasExpired()) {
            status_ = Busy;
            break;
        }
        QThread::msleep(20);
    }
    if (status_ != Held) {
        ::close(fd_);
        fd_ = -1;
    }
#endif
}

FolderLock::~FolderLock()
{
#ifndef _WIN32
    if (fd_ >= 0)
        ::close(fd_); // closing lets go of the lock
#endif
}

} // namespace kumiro
