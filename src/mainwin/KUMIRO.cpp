#include "KUMIRO.h"

#include "CombineRun.h"
#include "OfficeRunner.h"
#include "Order.h"
#include "ListedFolder.h"
#include "MainLayout.h"
#include "OrderPanel.h"
#include "about/INFO_VER.h"
#include "app/HelpTopics.h"
#include "app/Paths.h"
#include "app/ProgramState.h"
#include "app/TextValues.h"
#include "platform/Icons.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "settings/SETTEI.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QToolBar>

namespace kumiro {

KUMIRO::KUMIRO(ProgramState& state, Platform& platform, OfficeRunner& office, Probes probes, QWidget* parent)
    : QMainWindow(parent), state_(state), platform_(platform), office_(office), probes_(std::move(probes)),
      data_(state, platform, office, {this, execModal, backupMedia, [this] { listed_->follow(); }})
{
    setObjectName(QStringLiteral("KUMIRO"));
    setWindowTitle(title());
    setWindowIcon(programIcon());
    // Drops over the lists and buttons come here too: none of them takes drops.
    setAcceptDrops(true);
    endProgram = [] { QApplication::exit(0); };
    execModal = [](QDialog& dialog) { dialog.exec(); };
    backupMedia = removableMedia;

    panel_ = new OrderPanel(platform_.messages, this);
    panel_->setDragPicture(joinPath(state_.ProgramFolder, QStringLiteral("drag_drop.ico")));
    connect(panel_, &OrderPanel::orderConfirmed, this, &KUMIRO::takeConfirmedOrder);
    connect(panel_, &OrderPanel::helpRequested, this,
            [this] { platform_.help.show(this, state_.HelpFile, HelpCommand::Context, HelpTopic::Order); });
    panel_->installEventFilter(this);
    listed_ = new ListedFolder(state_, platform_, office_, *panel_, *this);
    setCentralWidget(panel_);
    buildMenus();
    buildToolbar();

    Form_Load();
}

KUMIRO::~KUMIRO() = default;

SETTEI* KUMIRO::settingsDialog() const
{
    return settei_;
}

int KUMIRO::menuBarHeight() const
{
    return menuBar()->sizeHint().height();
}

double KUMIRO::outerHeightTwips() const
{
    return pixelsToTwips(height() - menuBarHeight()) + kFrameHeightTwips;
}

double KUMIRO::outerWidthTwips() const
{
    return pixelsToTwips(width()) + kFrameWidthTwips;
}

void KUMIRO::Form_Load()
{
    enableCombine(false);

    probes_.readAppearanceScheme(state_.AppearanceScheme);

    // A size that is not a number or does not fit 16 bits gives the default.
    const double xpExtra = probes_.windowsName() == u"Windows XP" && state_.AppearanceScheme.isEmpty() ? 120 : 0;
    const qint16 height = windowSizeTwips(state_.set, Key::F_Height, xpExtra);
    const qint16 width = windowSizeTwips(state_.set, Key::F_Width);
    resize(twipsToPixels(width - kFrameWidthTwips), twipsToPixels(height - kFrameHeightTwips) + menuBarHeight());

    if (isOn(state_.set.OptCent)) {
        move(centredOnScreen(size()));
        // Centred again, frame included, once the window manager has framed the window.
        centreFramePending_ = true;
    } else
        move(twipsToPixels(leadingNumber(state_.set.G_Left)), twipsToPixels(leadingNumber(state_.set.G_Top)));

    // The resize handler lays out the controls from here on (resizeEvent).
    MainWndProc();
}

bool KUMIRO::MainWndProc()
{
    Toolbar1->setGeometry(0, 0, width(), twipsToPixels(kToolbarHeightTwips));
    return panel_->layOut(outerHeightTwips(), outerWidthTwips());
}

void KUMIRO::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    MainWndProc();
    centreFrameIfPending();
}

void KUMIRO::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    centreFrameIfPending();
}

void KUMIRO::centreFrameIfPending()
{
    if (!centreFramePending_ || !isVisible() || frameGeometry().size() == size())
        return;
    centreFramePending_ = false;
    move(centredOnScreen(frameGeometry().size()));
}

void KUMIRO::mnuFileOpen_Click(Kind kind)
{
    listed_->pick(kind, execModal);
}

void KUMIRO::takeConfirmedOrder(const QStringList& names)
{
    state_.Order.confirm(orderFiles(state_.set.DataFol[state_.CurKind], names));
    enableCombine(true);
}

void KUMIRO::mnuFileKumiro_Click()
{
    // A folder confirmed in the picker since "OK" voided the order: combining nothing
    // must not be reported as done.
    if (!state_.Order.isConfirmed()) {
        platform_.messages.show(this, MsgIcon::Critical, QStringLiteral("選択ファイルの確認"),
                                QStringLiteral("くみろ順で指定されたファイルが存在しません。　"));
        commonFinish();
        return;
    }
    const QStringList inputs = state_.Order.files();
    if (const auto gone = goneFromOrder(state_.CurKind, inputs)) {
        showMessage(platform_.messages, this, *gone);
        listed_->follow();
        return;
    }
    const bool done =
        runCombine(state_.CurKind, inputs, outputPathOf(state_.set, state_.CurKind), platform_, office_, this);
    listed_->follow();
    if (done)
        commonFinish();
}

void KUMIRO::enableCombine(bool on)
{
    toolCombine_->setEnabled(on);
    mnuFileKumiro->setEnabled(on);
}

void KUMIRO::commonFinish()
{
    state_.Order.voidOrder();
    enableCombine(false);
}

void KUMIRO::mnuOptSettei_Click()
{
    // Modeless, and only one: a second call shows the open dialog with its edits.
    if (!settei_) {
        settei_ = new SETTEI(state_.settings(), state_.HelpFile, platform_, this);
        settei_->setAttribute(Qt::WA_DeleteOnClose);
    }
    settei_->show();
    settei_->raise();
    settei_->activateWindow();
}

void KUMIRO::mnuHelpAbout_Click()
{
    INFO_VER about(platform_, this);
    execModal(about);
}

void KUMIRO::mnuHelpContext_KeyWord_Click(HelpCommand command)
{
    platform_.help.show(this, state_.HelpFile, command, 0);
}

bool KUMIRO::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && (watched == panel_ || watched == Toolbar1)) {
        if (isOn(state_.set.OptDbl))
            mnuFileEnd_Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void KUMIRO::saveGeometry()
{
    // Position of the frame and the outer size as the layout measures it: the same
    // measures Form_Load restores, so the window neither creeps nor grows between runs.
    auto& s = state_.set;
    s.G_Top = numberText(pixelsToTwips(y()));
    s.G_Left = numberText(pixelsToTwips(x()));
    s.F_Height = numberText(outerHeightTwips());
    s.F_Width = numberText(outerWidthTwips());
    for (Key key : {Key::G_Top, Key::G_Left, Key::F_Height, Key::F_Width})
        state_.saveSetting(key);
}

void KUMIRO::mnuFileEnd_Click()
{
    const MsgAnswer answer =
        platform_.messages.show(this, MsgIcon::Question, QStringLiteral("終了確認"),
                                QStringLiteral("「くみろ君 for Windows」 を終了しますか？　"), MsgButtons::OkCancel);
    if (answer != MsgAnswer::Ok)
        return;
    endNow();
}

void KUMIRO::closeEvent(QCloseEvent* event)
{
    event->accept();
    endNow();
}

void KUMIRO::endNow()
{
    if (ending_)
        return;
    ending_ = true;
    saveGeometry();
    if (endProgram)
        endProgram();
}

} // namespace kumiro
