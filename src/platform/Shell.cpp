#include "Shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace kumiro {

namespace {
// The desktop file registered for a URL scheme, asked of xdg-mime with an argument list.
bool hasHandler(const QString& scheme)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime,
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForFinished(5000)) {
        query.kill();
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}
} // namespace

bool DesktopShell::hasMailHandler()
{
    return hasHandler(QStringLiteral("mailto"));
}

bool DesktopShell::hasBrowser()
{
    return hasHandler(QStringLiteral("https")) || hasHandler(QStringLiteral("http"));
}

bool DesktopShell::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool showInFileManager(const QString& path, int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    // The URI fully encoded: a name with blanks or Japanese is still one file.
    call << QStringList{QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded())}
         << QString();
    return bus.call(call, QDBus::Block, timeoutMs).type() == QDBusMessage::ReplyMessage;
}

bool DesktopShell::showFile(const QString& path)
{
    return showInFileManager(path) || open(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

} // namespace kumiro
