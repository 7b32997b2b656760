#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kumiro {

struct Platform;

// Command1 of the copy and rename dialogs.
struct EntryButton {
    enum { Ok, Cancel, Help, Count };
};

// What the copy and the rename dialogs share: a prompt, the source name, an entry for the
// new name, and OK / キャンセル / ヘルプ.
class NameEntryDialog : public QDialog {
    Q_OBJECT
public:
    struct Texts {
        QString caption;
        QString label1;
        std::array<QString, 3> labels; // Label2, Label3, Label4 ("" for the source name)
        std::array<QString, 3> tips; // their tooltips
        QString entryTip;
        int sourceLabel; // 2 or 3: the label that shows the source name
    };

protected:
    virtual void Command1_Click(int index) = 0;

    std::array<QLabel*, 5> Label{}; // Label1..Label4 at 1..4
    QLineEdit* Text1 = nullptr; // the new name
    std::array<QPushButton*, EntryButton::Count> Command1{};

    // `file` is the file the dialog works on; its name is shown as the source.
    NameEntryDialog(QString file, QString helpFile, Platform& platform, QWidget* parent, const Texts& texts);
    // Shows the source file's name in its label, fitted to the label's present width.
    void showSourceName();

    const QString file_;
    const QString helpFile_;
    Platform& platform_;
    int sourceLabel_;
};

} // namespace kumiro
