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

// The mounted volumes a user keeps files on, root first; pseudo file systems left out.
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
