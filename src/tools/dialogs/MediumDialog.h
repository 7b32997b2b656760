#pragma once

#include "platform/Mounts.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QListWidget;
class QPushButton;

namespace kumiro {

struct Platform;

// The chooser of the disk a backup goes to, when several are there.
class MediumDialog : public QDialog {
    Q_OBJECT
public:
    MediumDialog(const QList<Volume>& media, QString helpFile, Platform& platform, QWidget* parent = nullptr);

    // The folder of the disk chosen; empty when none is.
    QString chosen() const;

private:
    enum Button { Ok, Cancel, Help, Count };
    void Command1_Click(int index);

    QList<Volume> media_;
    const QString helpFile_;
    Platform& platform_;
    QListWidget* List1 = nullptr; // the disks to choose from
    std::array<QPushButton*, Count> Command1{};
};

// The disk the backup goes to: the one there is, or the one the user picks in the chooser
// (nothing when the user cancels); empty when there is none. `exec` shows the chooser.
std::optional<QString> chooseMedium(const QList<Volume>& media, const std::function<void(QDialog&)>& exec,
                                    const QString& helpFile, Platform& platform, QWidget* owner);

} // namespace kumiro
