#include "FileModes.h"

#include <QFile>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kumiro {

#ifndef _WIN32
namespace {
mode_t currentUmask()
{
    // Read, not set: umask() would change it for every thread for a moment.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
        }
    }
    return 022;
}
} // namespace
#endif

void giveUsualPermissions([[maybe_unused]] const QString& file, [[maybe_unused]] const QString& replaced)
{
#ifndef _WIN32
    struct stat old {};
    const mode_t mode =
        ::stat(QFile::encodeName(replaced).constData(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    ::chmod(QFile::encodeName(file).constData(), mode);
#endif
}

} // namespace kumiro
