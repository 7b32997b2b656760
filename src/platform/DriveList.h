#pragma once

#include "Mounts.h"

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace kumiro {

// One mounted file system as the system lists it.
struct Mount {
    QString root;
    QString label; // volume label, may be empty
    bool device = true; // a block device's own file system (deviceMounts), not a bind or a pseudo one
};

// The volumes an office worker keeps files on, root first: the root, the volume of the home
// folder, and the device mounts inside /media, /run/media and /mnt, with their labels.
// Binds, system, container and pseudo mounts are left out.
QList<Volume> userVolumesOf(const QList<Mount>& mounts, const QString& home);
// The same for the lines of a mountinfo, without labels.
QList<Volume> userVolumesFrom(const QList<MountInfo>& mounts, const QString& home);
// The user's places after the root: the home folder and its Documents (when it is a folder
// of its own), named as a file chooser names them.
QList<Volume> withPlaces(QList<Volume> volumes, const QString& home, const QString& documents);
// The same for this machine's mounts and the user's home, with labels and places.
QList<Volume> userVolumes();

// The root of the volume that holds the path: the longest root that is a prefix of it.
QString volumeRootFor(const QList<Volume>& volumes, const QString& path);

// The drive list: one row per mounted volume, shown as its root and name.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    void setVolumes(const QList<Volume>& volumes);
    // Selects the volume that holds the path, without announcing a change.
    void setPath(const QString& path);
    QString drive() const;

Q_SIGNALS:
    // The user chose another volume.
    void driveChanged(const QString& root);

private:
    QList<Volume> volumes_;
};

} // namespace kumiro
