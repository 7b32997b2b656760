#include "DriveList.h"

#include <QSet>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace kumiro {

QList<Volume> userVolumes()
{
    static const QSet<QByteArray> pseudo = {
        "proc",        "sysfs",    "devpts",     "devtmpfs", "cgroup",    "cgroup2",  "securityfs",  "debugfs",
        "tracefs",     "pstore",   "bpf",        "mqueue",   "hugetlbfs", "configfs", "fusectl",     "autofs",
        "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",     "ramfs",     "squashfs", "fuse.portal", "fuse.gvfsd-fuse"};
    QList<Volume> volumes{{QStringLiteral("/"), QString()}};
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        const QString root = s.rootPath();
        if (!s.isValid() || pseudo.contains(s.fileSystemType()))
            continue;
        if (root == u'/') {
            volumes[0].name = s.name().isEmpty() ? QString::fromLocal8Bit(s.device()) : s.name();
            continue;
        }
        // System mounts under /proc, /sys, /dev and /run (but removable media under
        // /run/media) and the boot partitions are no place for the user's files.
        const bool system = root.startsWith(QStringLiteral("/proc")) || root.startsWith(QStringLiteral("/sys")) ||
            root.startsWith(QStringLiteral("/dev")) || root.startsWith(QStringLiteral("/boot")) ||
            (root.startsWith(QStringLiteral("/run")) && !root.startsWith(QStringLiteral("/run/media/")));
        if (system)
            continue;
        volumes.append({root, s.name().isEmpty() ? QString::fromLocal8Bit(s.device()) : s.name()});
    }
    std::sort(volumes.begin() + 1, volumes.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
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
