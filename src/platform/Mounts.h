#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace kumiro {

// One line of the kernel's mountinfo.
struct MountInfo {
    QString device; // the file system's "major:minor", "8:17"
    QString fsRoot; // the folder of the file system seen here: "/" unless a bind mount
    QString mountPoint;
    QString fsType; // "ext4", "tmpfs", "overlay"
    QString source; // "/dev/sdb1", "tmpfs", "nas:/export"
    bool readOnly = false;
};

// The lines of a mountinfo text in mount order, paths with their escapes (\040) decoded;
// a line not of that form is skipped.
QList<MountInfo> parseMountInfo(const QByteArray& text);
// This process's mounts; none where the system keeps no mountinfo.
QList<MountInfo> readMountInfo();

// The mounts that are a block device's own file system, once each, where they are seen:
// not a bind of a folder or a file, not a second mount of a device mounted before, not a
// pseudo, memory, overlay or network file system, and not hidden by a later mount on the
// same path.
QList<MountInfo> deviceMounts(const QList<MountInfo>& mounts);

// A volume the user may choose: where it is mounted, and its name.
struct Volume {
    QString root; // "/", "/media/usb"
    QString name; // label or device, may be empty
};

// The media a backup can go to, by path: the writable device mounts in the user's
// removable-media folders (/media/USER/..., /run/media/USER/...), and those right under
// /media (/media/floppy) whose device `removable` says is removable. Named by their folder.
QList<Volume> removableMediaOf(const QList<MountInfo>& mounts, const QString& user,
                               const std::function<bool(const QString& device)>& removable);
// The same for this machine, its user and its devices.
QList<Volume> removableMedia();

// Whether the block device "major:minor" is removable, as the system's device tree under
// `sysRoot` tells; a partition is as removable as its disk.
bool isRemovableDevice(const QString& device, const QString& sysRoot = QStringLiteral("/sys"));

// Whether the path lies inside the folder, not on it nor beside it ("/media/x" is in
// "/media"; "/mediastore" is not).
bool isInside(const QString& path, const QString& folder);

} // namespace kumiro
