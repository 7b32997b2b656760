#include "SettingsStore.h"
#include "platform/OutputPath.h"

#include "IniFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kumiro {

SettingsStore::SettingsStore(QString root) : root_(std::move(root)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString SettingsStore::filePath(const QString& app) const
{
    return QDir(root_).filePath(app + u'/' + app + QStringLiteral(".ini"));
}

QString SettingsStore::brokenCopy(const QString& app) const
{
    settingsFor(app);
    auto it = brokenCopies_.find(app);
    return it == brokenCopies_.end() ? QString() : it->second;
}

namespace {

// A copy of a broken file beside it, made once: a file that could not be mended (say, a
// save that keeps failing) does not gather a new copy at every start.
QString keptCopyOf(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    const QDir dir = info.absoluteDir();
    for (const QString& name : dir.entryList({info.fileName() + QStringLiteral(".broken-*")}, QDir::Files)) {
        QFile old(dir.filePath(name));
        if (old.size() == bytes.size() && old.open(QIODevice::ReadOnly) && old.readAll() == bytes)
            return old.fileName();
    }
    const QString copy =
        path + QStringLiteral(".broken-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QFile::copy(path, copy) ? copy : QString();
}

QString setAside(const QString& path)
{
    const QString aside =
        path + QStringLiteral(".broken-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QFile::rename(path, aside) ? aside : QString();
}

} // namespace

QString SettingsStore::refusal(const QString& app) const
{
    auto it = refusals_.find(app);
    if (it == refusals_.end())
        it = refusals_.emplace(app, outputRefusal(filePath(app), LinkWrite::Through)).first;
    return it->second;
}

QSettings& SettingsStore::settingsFor(const QString& app) const
{
    auto it = open_.find(app);
    if (it != open_.end())
        return *it->second;

    const QString path = filePath(app);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        // The next save rewrites the file from what could be read; keep the original
        // beside it so that a damaged file loses nothing.
        const QByteArray bytes = file.readAll();
        if (parseIni(bytes).broken()) {
            // A link to a file that is not ours is never written through: the link is set
            // aside, and what it points at stays as it is.
            const QString copy = QFileInfo(path).isSymLink() ? setAside(path) : keptCopyOf(path, bytes);
            if (!copy.isEmpty())
                brokenCopies_[app] = copy;
        }
    }
    auto settings = std::make_unique<QSettings>(path, plainIniFormat());
    settings->setFallbacksEnabled(false);
    return *open_.emplace(app, std::move(settings)).first->second;
}

QString SettingsStore::read(const QString& app, const QString& section, const QString& key) const
{
    if (const auto it = unsaved_.find(app + u'/' + section + u'/' + key); it != unsaved_.end())
        return it->second;
    if (!refusal(app).isEmpty())
        return QString();
    const QVariant v = settingsFor(app).value(section + u'/' + key);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

bool SettingsStore::save(const QString& app, const QString& section, const QString& key, const QString& text)
{
    if (readOnly_ || !refusal(app).isEmpty()) {
        unsaved_[app + u'/' + section + u'/' + key] = text;
        if (readOnly_)
            return true;
        writeError_ = true;
        return false;
    }
    QSettings& s = settingsFor(app);
    s.setValue(section + u'/' + key, text);
    s.sync();
    const bool ok = s.status() == QSettings::NoError;
    if (!ok)
        writeError_ = true;
    return ok;
}

} // namespace kumiro
