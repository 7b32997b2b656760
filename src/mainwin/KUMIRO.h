#pragma once

#include "app/Kinds.h"
#include "app/PlatformProbes.h"
#include "mainwin/DataMenu.h"
#include "platform/Help.h"
#include "platform/Mounts.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>

class QAction;
class QDialog;
class QToolBar;

namespace kumiro {

struct ProgramState;
struct Platform;
class SETTEI;
class OfficeRunner;
class OrderPanel;
class ListedFolder;

// The main window: the frame, its menus and toolbar, and the commands they give. The lists
// and the order's buttons are the OrderPanel in its client area.
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

    void mnuFileOpen_Click(Kind kind);
    void mnuFileKumiro_Click();
    void mnuFileEnd_Click();
    void mnuOptSettei_Click();
    void mnuHelpContext_KeyWord_Click(HelpCommand command);
    void mnuHelpAbout_Click();

    // The resize layout for the window's present size (the window procedure of old, which
    // saw every size change); false when it is too low.
    bool MainWndProc();

    // The order's names, confirmed by the panel's "OK", as files of the data folder.
    void takeConfirmedOrder(const QStringList& names);
    // What every combine leaves: the order used up, to be confirmed again.
    void commonFinish();
    void enableCombine(bool on);

    void buildMenus();
    void buildToolbar();
    int menuBarHeight() const;
    void endNow();
    void centreFrameIfPending();

    ProgramState& state_;
    Platform& platform_;
    OfficeRunner& office_;
    Probes probes_;
    DataMenu data_;
    OrderPanel* panel_ = nullptr;
    bool ending_ = false;
    bool centreFramePending_ = false;
    ListedFolder* listed_ = nullptr;
    QPointer<SETTEI> settei_;

    QToolBar* Toolbar1 = nullptr; // the toolbar above the lists
    QAction* mnuFileKumiro = nullptr;
    QAction* toolCombine_ = nullptr; // the toolbar's くみろ実行
};

} // namespace kumiro
