#include "Shell.h"

#include <QDesktopServices>
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

} // namespace kumiro
