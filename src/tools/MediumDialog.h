#pragma once

#include "platform/Mounts.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QListWidget;
class QPushButton;

namespace kumiro {

struct ProgramState;
struct Platform;

// The help topic of the backup.
inline constexpr int kBackupHelpContext = 24;

// The chooser of the disk a backup goes to, when several are there.
class MediumDialog : public QDialog {
    Q_OBJECT
public:
    MediumDialog(const QList<Volume>& media, ProgramState& state, Platform& platform, QWidget* parent = nullptr);

    // The folder of the disk chosen; empty when none is.
    QString chosen() const;

private:
    enum Button { Ok, Cancel, Help, Count };
    void Command1_Click(int index);

    QList<Volume> media_;
    ProgramState& state_;
    Platform& platform_;
    QListWidget* List1 = nullptr;
    std::array<QPushButton*, Count> Command1{};
};

// The disk the backup goes to: the one there is, or the one the user picks in the chooser
// (nothing when the user cancels); empty when there is none. `exec` shows the chooser.
std::optional<QString> chooseMedium(const QList<Volume>& media, const std::function<void(QDialog&)>& exec,
                                    ProgramState& state, Platform& platform, QWidget* owner);

} // namespace kumiro
