#pragma once

#include "app/Kinds.h"
#include "app/StoredSettings.h"

#include <QDialog>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kumiro {

class ConfirmedOrder;
struct Platform;
class DriveList;
class FolderList;

// Makes `folder` the kind's data folder, stored at once, and voids the confirmed order: its
// files were named in the folder that was current. The picker's "OK" and a drop on the
// main window both choose a folder this way.
void confirmDataFolder(const StoredSettings& settings, ConfirmedOrder& order, Kind kind, const QString& folder);

// Command1 of the picker.
struct PickerButton {
    enum { Ok, Cancel, Help, Count };
};

// The data folder picker of one kind. "OK" stores the folder as the kind's data folder and
// voids the confirmed order.
class SEL_FOLD : public QDialog {
    Q_OBJECT
public:
    // `order` is the one "OK" voids; `helpFile` the help the ヘルプ button opens.
    SEL_FOLD(Kind kind, const StoredSettings& settings, ConfirmedOrder& order, QString helpFile, Platform& platform,
             QWidget* parent = nullptr);

    static QString baseCaption() { return QStringLiteral("データフォルダの指定"); }

    void reject() override; // Escape and the frame close count as キャンセル

    // The folder confirmed with "OK"; nothing when the picker was cancelled.
    const std::optional<QString>& chosenFolder() const { return chosen_; }

private:
    static constexpr double kPathRowTwips = 420;
    // Runs when the picker is made: caption, data folder check, lists on the folder.
    void Form_Load();
    void Drive1_Change();
    void Command1_Click(int index);

    QLabel* Label1 = nullptr; // the prompt above the lists
    QLineEdit* Path1 = nullptr; // the folder's whole path, which may be typed or pasted
    DriveList* Drive1 = nullptr; // the drives (mounts)
    FolderList* Dir1 = nullptr; // the folders of the drive, opened at the chosen one
    std::array<QPushButton*, PickerButton::Count> Command1{}; // OK, キャンセル, ヘルプ

    Kind kind_;
    std::optional<QString> chosen_;
    StoredSettings settings_; // a view of the program's state
    ConfirmedOrder& order_;
    QString helpFile_;
    Platform& platform_;
};

} // namespace kumiro
