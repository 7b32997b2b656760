#pragma once

#include "app/Kinds.h"
#include "app/PlatformProbes.h"
#include "mainwin/Drop.h"
#include "platform/Message.h"
#include "platform/Mounts.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QDialog;
class QFileSystemWatcher;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolBar;

namespace kumiro {

struct ProgramState;
struct Platform;
class SETTEI;
class OfficeRunner;

// Command2: the buttons between the lists.
struct ListButton {
    enum { Add, Up, Down, AddAll, Remove, Count };
};
// Command1: the buttons under the lists.
struct OrderButton {
    enum { Confirm, ClearAll, ClearOrder, Help, Count };
};
// Toolbar1's buttons by number; the numbers between them are separators.
struct ToolButton {
    enum {
        OpenWord = 2,
        OpenExcel,
        OpenText,
        Combine = 6,
        Copy = 8,
        Rename,
        Backup,
        Delete = 12,
        Settings = 14,
        About = 16,
        HelpContents,
        Count
    };
};

// The main window.
class KUMIRO : public QMainWindow {
    Q_OBJECT
public:
    // `office` runs the Word and Excel commands.
    KUMIRO(ProgramState& state, Platform& platform, OfficeRunner& office, Probes probes = {},
           QWidget* parent = nullptr);
    ~KUMIRO() override;

    static QString title() { return QStringLiteral("くみろ君 for Windows"); }

    // G_Top, G_Left, F_Height, F_Width in twips, in that order.
    void saveGeometry();
    // Outer height and width in twips, as the layout and the settings measure them.
    double outerHeightTwips() const;
    double outerWidthTwips() const;
    // The settings dialog while it is open.
    SETTEI* settingsDialog() const;
    // Files given to the program ("open with", or on its command line) go into the order as
    // files dropped on the window do.
    void openFiles(const QStringList& paths);

    // How the program ends; tests replace it.
    std::function<void()> endProgram;
    // Shows a modal dialog (the picker, the copy and rename dialogs, the About box); tests
    // drive them without a modal loop.
    std::function<void(QDialog&)> execModal;
    // The removable disks mounted now, where the backup can write.
    std::function<QList<Volume>()> backupMedia;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files or a folder dropped from a file manager open as the picker would open them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Sizes and places the window from the settings; runs when the window is created.
    void Form_Load();
    // Sets the order buttons from the lists' sizes: at every change of a list, and on the
    // timer's ticks, which also undo a handler's own disabling.
    void Timer1_Timer();
    void Toolbar1_ButtonClick(int button);

    // The order list (OrderList.cpp).
    void Command2_Click(int index);
    void Command1_Click(int index);
    void List1_DblClick();
    void List2_MouseDown(int y);
    void List2_MouseUp(int y);

    void mnuFileOpen_Click(Kind kind);
    void mnuFileKumiro_Click();
    void mnuFileEnd_Click();
    void mnuDataConvert_Click(int index);
    void mnuDataCopy_Click();
    void mnuDataRename_Click();
    void mnuDataBackup_Click();
    void mnuDataDelete_Click();
    void mnuOptSettei_Click();
    void mnuHelpContext_KeyWord_Click(int index);
    void mnuHelpAbout_Click();

    // Runs the resize layout for the window's present size; false when it is too low.
    bool MainWndProc();

    // What dropped paths open and where they go; and taking them there (MainDrops.cpp).
    std::pair<DropChoice, DropPlacement> placeDropped(const QStringList& paths) const;
    void takeDropped(const DropChoice& choice, DropPlacement placement, int row, bool opened = false);

    // Lists a data folder the user has just chosen (the picker's "OK" or a drop) in the left
    // list, empties the order list and tells the count.
    void listDataFolder(Kind kind, const QString& folder);
    // Both lists as the listed folder is now: a file gone (deleted, renamed, moved by
    // another program) leaves them, a new one joins the left list. The confirmed order is
    // not touched: the combine names a file of it that is gone.
    void followListedFolder();
    // The combine of the current kind (CombineCommand.cpp); true when it completed.
    bool runTextCombine();
    bool runOfficeCombine();
    // The shared file dialog for copy, rename and delete: one file of any kind or output
    // format, opened in dialogFolder().
    QString chooseDataFile(const QString& title);
    // Where the file dialogs open: the program folder when it is the user's to write in,
    // else the current kind's data folder.
    QString dialogFolder() const;
    // Copy and rename: a file chosen in the shared dialog, then the dialog for its new name.
    template <typename Dialog> void askForNewName(const QString& title);
    void commonFinish();
    // A completion that names what it wrote, and opens its folder when asked.
    void showDone(const Message& done, const QString& written);
    void enableCombine(bool on);

    void buildControls();
    void buildMenus();
    void buildToolbar();
    int menuBarHeight() const;
    void endNow();
    void centreFrameIfPending();

    ProgramState& state_;
    Platform& platform_;
    OfficeRunner& office_;
    Probes probes_;
    QWidget* client_ = nullptr;
    bool ending_ = false;
    bool centreFramePending_ = false;
    qint16 DragFrom = 0;
    // The kind last listed in this window; a dropped folder opens as its data folder.
    std::optional<Kind> listedKind_;
    QString listedFolder_;
    QFileSystemWatcher* folderWatch_ = nullptr;
    QPointer<SETTEI> settei_;

    QToolBar* Toolbar1 = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    std::array<QPushButton*, ListButton::Count> Command2{};
    std::array<QPushButton*, OrderButton::Count> Command1{};
    QTimer* Timer1 = nullptr;

    std::array<QAction*, 3> mnuFileOpen{};
    QAction* mnuFileKumiro = nullptr;
    QAction* mnuFileEnd = nullptr;
    std::array<QAction*, 3> mnuDataConvert{};
    QAction* mnuDataCopy = nullptr;
    QAction* mnuDataRename = nullptr;
    QAction* mnuDataBackup = nullptr;
    QAction* mnuDataDelete = nullptr;
    QAction* mnuOptSettei = nullptr;
    std::array<QAction*, 2> mnuHelpContext_KeyWord{};
    QAction* mnuHelpAbout = nullptr;
    // Toolbar buttons by number (ToolButton); separators are null.
    std::array<QAction*, ToolButton::Count> toolbarButtons{};
};

} // namespace kumiro
