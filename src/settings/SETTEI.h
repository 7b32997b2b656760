#pragma once

#include "app/Kinds.h"
#include "app/SettingsRecord.h"
#include "app/StoredSettings.h"
#include "settings/SettingsForm.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kumiro {

struct Platform;
class DriveList;
class FolderList;

// Check1: the general tab's boxes.
struct GeneralBox {
    enum { Logo, Centre, LastTab, DoubleClickEnds, Count };
};
// Command1 of the settings dialog.
struct SettingsButton {
    enum { Ok, Cancel, Apply, Help, Count };
};
// The tabs: the general one, then one per kind in the kinds' order.
inline constexpr int kGeneralTab = 0;
constexpr int tabOf(Kind kind)
{
    return indexOf(kind) + 1;
}

// The settings dialog: general options and, per kind, the output file, its folder and the
// file patterns listed. Modeless; it works on the program's settings record.
class SETTEI : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` is the window the centring option moves.
    // `helpFile` is the help the ヘルプ button opens.
    SETTEI(const StoredSettings& settings, QString helpFile, Platform& platform, QWidget* mainWindow);

    static QString caption() { return QStringLiteral("各種設定"); }

    void reject() override; // Escape and the frame close count as キャンセル

private:
    void Form_Load();
    void Check2_Click(int index);
    void Check3_Click(int index);
    void Command1_Click(int index);
    void Drive1_Change(int index);
    void SaveGeneralOptions();
    void SaveKindOptions(Kind kind);
    // The tabs as the user left them.
    GeneralForm generalForm() const;
    KindForm kindForm(Kind kind) const;

    QTabWidget* SSTab1 = nullptr; // the general tab and one per kind
    std::array<QCheckBox*, GeneralBox::Count> Check1{}; // the general tab's boxes
    std::array<QLineEdit*, 3> Text1{}; // per kind: the output file's name
    std::array<DriveList*, 3> Drive1{}; // per kind: the output folder's drive (mount)
    std::array<FolderList*, 3> Dir1{}; // per kind: the output folder's list
    // The output folder's whole path, which may be typed or pasted (above Dir1).
    std::array<QLineEdit*, 3> Path1{};
    std::array<QCheckBox*, 3> Check5{}; // per kind: "ﾌｫﾙﾀﾞの同期", the output folder follows the data folder
    std::array<QGroupBox*, 3> Frame1{}; // per kind: the patterns' frame, "ﾌｧｲﾙの拡張子"
    std::array<QCheckBox*, 4> Check2{}; // Word's patterns: *.doc, *.rtf, *.docx, *.odt
    std::array<QCheckBox*, 5> Check3{}; // Excel's: *.xls, *.csv, *.xlsx, *.xlsm, *.ods
    std::array<QComboBox*, 2> Combo1{}; // Word's and Excel's output format ("保存形式")
    std::array<QCheckBox*, 6> Check4{}; // Text's patterns on or off; row 0 is *.txt
    std::array<QLineEdit*, 6> Text2{}; // Text's patterns as typed (row 0 hidden)
    std::array<QPushButton*, SettingsButton::Count> Command1{}; // OK, キャンセル, 適用, ヘルプ

    void buildGeneralTab();
    void buildKindTab(Kind kind);
    // A kind's tab, below the folders: Word's and Excel's patterns and output format, or
    // Text's six patterns.
    void buildOfficePatterns(Kind kind, QWidget* page);
    void buildTextPatterns();
    QCheckBox* patternBox(QWidget* frame, const QString& caption, double top);
    // Only the two patterns of old are refused both off; the later ones are extras.
    template <std::size_t N>
    void refuseBothOff(std::array<QCheckBox*, N>& boxes, ExtTable<N>& table, int index, const QString& first,
                       const QString& second);

    StoredSettings settings_; // a view of the program's state
    QString helpFile_;
    Platform& platform_;
    QWidget* mainWindow_;
    bool loading_ = false;
};

// The longest Text pattern the settings take; its box shows all of it.
inline constexpr int kTextPatternLength = 16;

} // namespace kumiro
