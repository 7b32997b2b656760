#pragma once

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace kumiro {

struct ProgramState;
struct Platform;
class DriveList;
class FolderList;

// The data folder picker of the current kind.
class SEL_FOLD : public QDialog {
    Q_OBJECT
public:
    SEL_FOLD(ProgramState& state, Platform& platform, QWidget* parent = nullptr);

    static QString baseCaption() { return QStringLiteral("データフォルダの指定"); }

    // Runs when the picker is made: caption, data folder check, lists on the folder.
    void Form_Load();
    void Drive1_Change();
    void Command1_Click(int index);

    QLabel* Label1;
    DriveList* Drive1;
    FolderList* Dir1;
    std::array<QPushButton*, 3> Command1;

    void reject() override; // Escape and the frame close count as キャンセル

private:
    ProgramState& state_;
    Platform& platform_;
};

} // namespace kumiro
