#include "DriveList.h"

#include <QDir>
#include <QSignalBlocker>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>

namespace kumiro {

QList<Volume> userVolumesOf(const QList<Mount>& mounts, const QString& home)
{
    QList<Mount> sorted = mounts;
    std::sort(sorted.begin(), sorted.end(), [](const Mount& a, const Mount& b) { return a.root < b.root; });
    QList<Volume> volumes{{QStringLiteral("/"), QString()}};
    // The home folder's volume: the deepest mount that holds it, whatever it is (a bind of
    // the user's folder in a container holds the user's files all the same).
    QString homeRoot;
    for (const Mount& m : sorted) {
        if (m.root != u'/' && (home == m.root || isInside(home, m.root)) && m.root.size() > homeRoot.size())
            homeRoot = m.root;
    }
    for (const Mount& m : sorted) {
        if (m.root == u'/') {
            volumes[0].name = m.label;
            continue;
        }
        const bool user = m.root == homeRoot ||
            (m.device &&
             (isInside(m.root, QStringLiteral("/media")) || isInside(m.root, QStringLiteral("/run/media")) ||
              isInside(m.root, QStringLiteral("/mnt"))));
        const bool known =
            std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == m.root; });
        if (user && !known)
            volumes.append({m.root, m.label});
    }
    return volumes;
}

QList<Volume> userVolumesFrom(const QList<MountInfo>& mounts, const QString& home)
{
    const QList<MountInfo> devices = deviceMounts(mounts);
    QList<Mount> seen;
    for (const MountInfo& m : mounts) {
        const bool device = std::any_of(devices.begin(), devices.end(), [&](const MountInfo& d) {
            return d.mountPoint == m.mountPoint && d.device == m.device;
        });
        seen.append({m.mountPoint, QString(), device});
    }
    return userVolumesOf(seen, home);
}

QList<Volume> withPlaces(QList<Volume> volumes, const QString& home, const QString& documents)
{
    QList<Volume> places;
    if (!home.isEmpty() && home != u'/')
        places.append({home, QStringLiteral("ホーム")});
    if (!documents.isEmpty() && documents != home && isInside(documents, home))
        places.append({documents, QStringLiteral("ドキュメント")});
    int at = volumes.isEmpty() ? 0 : 1; // after the root
    for (const Volume& place : places) {
        const bool known =
            std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == place.root; });
        if (!known)
            volumes.insert(at++, place);
    }
    return volumes;
}

QList<Volume> userVolumes()
{
    QList<Volume> volumes = userVolumesFrom(readMountInfo(), QDir::homePath());
    for (Volume& v : volumes)
        v.name = QStorageInfo(v.root).name();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return withPlaces(volumes, QDir::cleanPath(QDir::homePath()),
                      QFileInfo(documents).isDir() ? QDir::cleanPath(documents) : QString());
}

QString volumeRootFor(const QList<Volume>& volumes, const QString& path)
{
    QString best;
    for (const Volume& v : volumes) {
        const bool holds =
            v.root == u'/' || path == v.root || path.startsWith(v.root.endsWith(u'/') ? v.root : v.root + u'/');
        if (holds && v.root.size() > best.size())
            best = v.root;
    }
    return best;
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < volumes_.size())
            Q_EMIT driveChanged(volumes_[index].root);
    });
}

void DriveList::setVolumes(const QList<Volume>& volumes)
{
    const QSignalBlocker block(this);
    volumes_ = volumes;
    clear();
    for (const Volume& v : volumes_)
        addItem(v.name.isEmpty() ? v.root : v.root + QStringLiteral("  [") + v.name + u']');
}

void DriveList::setPath(const QString& path)
{
    const QString root = volumeRootFor(volumes_, path);
    for (int i = 0; i < volumes_.size(); ++i) {
        if (volumes_[i].root == root) {
            const QSignalBlocker block(this);
            setCurrentIndex(i);
            return;
        }
    }
}

QString DriveList::drive() const
{
    const int i = currentIndex();
    return i >= 0 && i < volumes_.size() ? volumes_[i].root : QString();
}

} // namespace kumiro
