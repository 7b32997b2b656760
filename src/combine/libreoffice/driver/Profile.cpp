// The prepared profile: set up once by an office of its own, then kept in the user's cache.
#include "Profile.h"
#include "OfficeProcess.h"
#include "Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace kumiro::lo {

namespace {

// Raised when the seed changes, so that profiles prepared from an older seed are not used.
constexpr int kSeedRevision = 3;

// Settings every private office starts with. The version marks first-start work as done;
// no lock files are written beside documents (a killed office would leave them in the way);
// macros never run; links to other files or programs (DDE, external references, linked
// sections) are never updated, so a document keeps the values it was saved with; and should
// the office's empty network ever not be had, every address goes to a proxy that refuses.
QByteArray profileSeed(const QString& version)
{
    struct Item {
        const char* path;
        const char* name;
        QString value;
    };
    const Item items[] = {
        {"/org.openoffice.Setup/Product", "ooSetupLastVersion", version},
        {"/org.openoffice.Office.Common/Misc", "UseLocking", QStringLiteral("false")},
        {"/org.openoffice.Office.Common/Security/Scripting", "MacroSecurityLevel", QStringLiteral("3")},
        {"/org.openoffice.Office.Common/Security/Scripting", "DisableMacrosExecution", QStringLiteral("true")},
        {"/org.openoffice.Office.Common/Security/Scripting", "BlockUntrustedRefererLinks", QStringLiteral("true")},
        {"/org.openoffice.Office.Calc/Content/Update", "Link", QStringLiteral("1")}, // never
        {"/org.openoffice.Office.Writer/Content/Update", "Link", QStringLiteral("0")}, // never
        {"/org.openoffice.Inet/Settings", "ooInetProxyType", QStringLiteral("1")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPProxyName", QStringLiteral("127.0.0.1")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPProxyPort", QStringLiteral("9")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPSProxyName", QStringLiteral("127.0.0.1")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPSProxyPort", QStringLiteral("9")},
        {"/org.openoffice.Inet/Settings", "ooInetFTPProxyName", QStringLiteral("127.0.0.1")},
        {"/org.openoffice.Inet/Settings", "ooInetFTPProxyPort", QStringLiteral("9")},
        {"/org.openoffice.Inet/Settings", "ooInetNoProxy", QString()},
    };
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                                 "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                                 "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n");
    for (const Item& item : items)
        xml += QStringLiteral(
                   "<item oor:path=\"%1\"><prop oor:name=\"%2\" oor:op=\"fuse\"><value>%3</value></prop></item>\n")
                   .arg(QLatin1String(item.path), QLatin1String(item.name), item.value.toHtmlEscaped());
    xml += QStringLiteral("</oor:items>\n");
    return xml.toUtf8();
}

} // namespace

QString ProfileCache::preparedProfile()
{
    const QString programDir = officeDir(options_);
    const QString version = installedVersion(programDir);
    const QString cache = options_.cacheDir.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/kumiro")
        : options_.cacheDir;
    const QString ready = cache + QStringLiteral("/libreoffice-%1-r%2").arg(version).arg(kSeedRevision);
    if (QFileInfo::exists(ready + QStringLiteral("/ready")))
        return ready;
    if (unsaved_ && unsaved_->isValid())
        return unsaved_->path();

    QTemporaryDir seed;
    QDir().mkpath(seed.path() + QStringLiteral("/user"));
    QFile xcu(seed.path() + QStringLiteral("/user/registrymodifications.xcu"));
    if (xcu.open(QIODevice::WriteOnly)) {
        xcu.write(profileSeed(version));
        xcu.close();
    }
    // Let one office set the profile up, then keep what it made.
    Session session(options_, seed.path());
    session.end(true);
    const QString made = session.profileDir();
    QDir(cache).mkpath(QStringLiteral("."));
    const QString staging = ready + QStringLiteral(".tmp-%1").arg(getpid());
    QDir(staging).removeRecursively();
    if (copyTree(made, staging)) {
        QFile(staging + QStringLiteral("/ready")).open(QIODevice::WriteOnly);
        // A finished profile is only ever renamed into place, marker included: one
        // without the marker is a leftover. One with it is another instance's, which
        // may be in use, so it stays and ours goes.
        if (!QFileInfo::exists(ready + QStringLiteral("/ready")))
            QDir(ready).removeRecursively();
        if (!QDir().rename(staging, ready))
            QDir(staging).removeRecursively();
    } else {
        QDir(staging).removeRecursively();
    }
    if (QFileInfo::exists(ready + QStringLiteral("/ready")))
        return ready;
    // The cache cannot be written: keep the prepared profile for as long as this
    // office lives, so later commands still start quickly.
    unsaved_ = std::make_unique<QTemporaryDir>(privateProfileTemplate());
    if (!unsaved_->isValid() || !copyTree(made, unsaved_->path())) {
        // An office started without these settings would leave lock files beside the
        // user's documents and allow macros: the command stops here instead.
        unsaved_.reset();
        throw OfficeError(
            OfficeError::Setup,
            QStringLiteral(
                "LibreOffice の作業用フォルダを用意できません。　ディスクの空きと書き込み権限を確かめて下さい。"));
    }
    QDir(unsaved_->path() + QStringLiteral("/tmp")).removeRecursively();
    return unsaved_->path();
}

} // namespace kumiro::lo
