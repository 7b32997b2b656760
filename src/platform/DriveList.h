#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

#include <map>

namespace kumiro {

struct Volume {
    QString root; // "/", "/media/usb"
    QString name; // label or device, may be empty
};

// One mounted file system as the system lists it.
struct Mount {
    QString root;
    QString label; // volume label, may be empty
};

// The volumes an office worker keeps files on, root first: the root, the volume of the home
// folder, and removable or user mounts under /media, /run/media and /mnt, with their labels.
// System, container and pseudo mounts are left out.
QList<Volume> userVolumesOf(const QList<Mount>& mounts, const QString& home);
// The same for this machine's mounts and the user's home.
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
