#pragma once

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace kumiro::test {

// Pipe sockets of this user in /tmp that nobody listens on any more: what a killed office
// leaves behind.
inline QStringList staleSockets()
{
    QStringList stale;
    const QString prefix = QStringLiteral("OSL_PIPE_%1_").arg(getuid());
    for (const QFileInfo& info : QDir(QStringLiteral("/tmp")).entryInfoList({prefix + u'*'}, QDir::System)) {
        const QByteArray path = QFile::encodeName(info.absoluteFilePath());
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof addr.sun_path)
            continue;
        std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 && errno == ECONNREFUSED)
            stale << info.fileName();
        ::close(fd);
    }
    return stale;
}

// The office's own temporaries ("lu" + letters + ".tmp") in a folder.
inline QStringList officeTemporaries(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^lu[0-9A-Za-z]+\\.tmp$"));
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).filter(name);
}

} // namespace kumiro::test
