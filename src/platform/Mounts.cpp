#include "Mounts.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace kumiro {

namespace {

// The kernel writes a blank, a tab, a newline and a backslash in a path as \040, \011,
// \012 and \134.
QString unescaped(const QByteArray& field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto octal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            bytes.append(char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            bytes.append(field[i]);
        }
    }
    return QFile::decodeName(bytes);
}

// Kinds that a device-like source may still carry but that hold no user's files.
bool isPseudoType(const QString& type)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("tmpfs"),     QStringLiteral("ramfs"),   QStringLiteral("devtmpfs"), QStringLiteral("overlay"),
        QStringLiteral("proc"),      QStringLiteral("sysfs"),   QStringLiteral("devpts"),   QStringLiteral("autofs"),
        QStringLiteral("cgroup"),    QStringLiteral("cgroup2"), QStringLiteral("mqueue"),   QStringLiteral("debugfs"),
        QStringLiteral("securityfs")};
    return pseudo.contains(type);
}

QString userName()
{
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString readLine(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readLine()).trimmed() : QString();
}

} // namespace

bool isInside(const QString& path, const QString& folder)
{
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.size() > prefix.size() && path.startsWith(prefix);
}

QList<MountInfo> parseMountInfo(const QByteArray& text)
{
    QList<MountInfo> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        // id, parent, major:minor, root, mount point, options, optional fields..., "-",
        // type, source, options of the file system.
        const qsizetype dash = f.indexOf("-", 6);
        if (dash < 0 || f.size() < dash + 3)
            continue;
        MountInfo m;
        m.device = QString::fromLatin1(f[2]);
        m.fsRoot = unescaped(f[3]);
        m.mountPoint = unescaped(f[4]);
        m.readOnly = f[5].split(',').contains("ro");
        m.fsType = unescaped(f[dash + 1]);
        m.source = unescaped(f[dash + 2]);
        mounts.append(m);
    }
    return mounts;
}

QList<MountInfo> readMountInfo()
{
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    // The file reports no size: read until its end.
    return f.open(QIODevice::ReadOnly) ? parseMountInfo(f.readAll()) : QList<MountInfo>();
}

QList<MountInfo> deviceMounts(const QList<MountInfo>& mounts)
{
    QList<MountInfo> out;
    QSet<QString> devices;
    for (qsizetype i = 0; i < mounts.size(); ++i) {
        const MountInfo& m = mounts[i];
        const bool hidden = std::any_of(mounts.begin() + i + 1, mounts.end(),
                                        [&](const MountInfo& later) { return later.mountPoint == m.mountPoint; });
        if (hidden || m.fsRoot != u'/' || !m.source.startsWith(QStringLiteral("/dev/")) || isPseudoType(m.fsType))
            continue;
        // The first mount of a device is its own; a later one shows the same files again.
        if (devices.contains(m.device))
            continue;
        devices.insert(m.device);
        out.append(m);
    }
    return out;
}

QList<Volume> removableMediaOf(const QList<MountInfo>& mounts, const QString& user,
                               const std::function<bool(const QString&)>& removable)
{
    QList<Volume> media;
    for (const MountInfo& m : deviceMounts(mounts)) {
        if (m.readOnly)
            continue;
        const bool forUser = !user.isEmpty() &&
            (isInside(m.mountPoint, QStringLiteral("/media/") + user) ||
             isInside(m.mountPoint, QStringLiteral("/run/media/") + user));
        const qsizetype slash = m.mountPoint.lastIndexOf(u'/');
        const bool rightUnderMedia = m.mountPoint.left(slash) == u"/media";
        if (forUser || (rightUnderMedia && removable(m.device)))
            media.append({m.mountPoint, m.mountPoint.mid(slash + 1)});
    }
    std::sort(media.begin(), media.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return media;
}

QList<Volume> removableMedia()
{
    return removableMediaOf(readMountInfo(), userName(),
                            [](const QString& device) { return isRemovableDevice(device); });
}

bool isRemovableDevice(const QString& device, const QString& sysRoot)
{
    QString node = QFileInfo(sysRoot + QStringLiteral("/dev/block/") + device).canonicalFilePath();
    if (node.isEmpty())
        return false;
    if (QFileInfo::exists(node + QStringLiteral("/partition")))
        node = QFileInfo(node).path();
    return readLine(node + QStringLiteral("/removable")) == u'1';
}

} // namespace kumiro
