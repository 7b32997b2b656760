#include "KUMIRO.h"

#include "app/FileListing.h"
#include "MainLayout.h"
#include "OfficeRunner.h"
#include "Order.h"
#include "about/INFO_VER.h"
#include "app/Kinds.h"
#include "app/Paths.h"
#include "app/PlatformProbes.h"
#include "app/ProgramState.h"
#include "app/TextValues.h"
#include "platform/FolderList.h"
#include "platform/Icons.h"
#include "platform/Look.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "settings/SEL_FOLD.h"
#include "settings/SETTEI.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

namespace kumiro {

namespace {

// The frame around the client area that stored sizes include: borders, caption and menu
// bar. Stored sizes are outer sizes, so the client area keeps its proportions whatever
// the window manager draws around it.
constexpr double kFrameWidthTwips = 120;
constexpr double kFrameHeightTwips = 660;
constexpr double kToolbarHeightTwips = 360;

void setTip(QWidget* w, const QString& tip)
{
    w->setToolTip(tip);
    w->setAccessibleName(tip.trimmed());
}

QRect px(const QRectF& twips)
{
    return twipsRect(twips.left(), twips.top(), twips.width(), twips.height());
}

} // namespace

KUMIRO::KUMIRO(ProgramState& state, Platform& platform, OfficeRunner& office, Probes probes, QWidget* parent)
    : QMainWindow(parent), state_(state), platform_(platform), office_(office), probes_(std::move(probes))
{
    setObjectName(QStringLiteral("KUMIRO"));
    setWindowTitle(title());
    setWindowIcon(programIcon());
    // Drops over the lists and buttons come here too: none of them takes drops.
    setAcceptDrops(true);
    endProgram = [] { QApplication::exit(0); };
    execModal = [](QDialog& dialog) { dialog.exec(); };
    backupMedia = removableMedia;

    buildControls();
    buildMenus();
    buildToolbar();

    // What another program does in the listed folder shows too.
    folderWatch_ = new QFileSystemWatcher(this);
    connect(folderWatch_, &QFileSystemWatcher::directoryChanged, this, &KUMIRO::followListedFolder);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &KUMIRO::Timer1_Timer);
    // A change shows at once, so nobody waits for the next tick to press "OK".
    for (QListWidget* list : {List1, List2}) {
        QAbstractItemModel* rows = list->model();
        connect(rows, &QAbstractItemModel::rowsInserted, this, &KUMIRO::Timer1_Timer);
        connect(rows, &QAbstractItemModel::rowsRemoved, this, &KUMIRO::Timer1_Timer);
        connect(rows, &QAbstractItemModel::modelReset, this, &KUMIRO::Timer1_Timer);
    }

    Form_Load();
    Timer1->start();
}

KUMIRO::~KUMIRO()
{
    // The lists empty themselves as they go, after this window's own part is gone.
    for (QListWidget* list : {List1, List2})
        list->model()->disconnect(this);
}

void KUMIRO::buildControls()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    QPalette grey = client_->palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    client_->setPalette(grey);
    client_->setAutoFillBackground(true);
    setCentralWidget(client_);

    const MainLayout initial = initialMainLayout();
    const QFont listFont = windowFont(kPGothic, 11.25);
    const QFont buttonFont = windowFont(kUiGothic, 9);

    QPalette dark = palette();
    dark.setColor(QPalette::Base, kListGrey);
    dark.setColor(QPalette::Text, QColor(255, 255, 128));

    List1 = new QListWidget(client_);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTip(List1, QStringLiteral(" 現在のリスト "));
    List2 = new QListWidget(client_);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setSelectionMode(QAbstractItemView::SingleSelection);
    setTip(List2, QStringLiteral(" くみろ順のリスト "));
    for (QListWidget* list : {List1, List2}) {
        list->setFont(listFont);
        list->setPalette(dark);
    }
    List1->setGeometry(px(initial.list1));
    List2->setGeometry(px(initial.list2));

    const std::array<std::pair<const char16_t*, const char16_t*>, ListButton::Count> c2 = {{{u"－>", u" 追加 "},
                                                                                            {u"↑", u" 上へ移動 "},
                                                                                            {u"↓", u" 下へ移動 "},
                                                                                            {u"一括", u" 一括 "},
                                                                                            {u"削除", u" 削除 "}}};
    for (int i = 0; i < ListButton::Count; ++i) {
        Command2[i] = new QPushButton(QString::fromUtf16(c2[i].first), client_);
        Command2[i]->setObjectName(QStringLiteral("Command2_%1").arg(i));
        Command2[i]->setToolTip(QString::fromUtf16(c2[i].second));
        Command2[i]->setAccessibleName(Command2[i]->text());
        Command2[i]->setFont(buttonFont);
        Command2[i]->setGeometry(px(initial.command2[i]));
        connect(Command2[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
    }
    const std::array<const char16_t*, OrderButton::Count> c1 = {u"OK", u"全初期化", u"初期化", u"ヘルプ"};
    for (int i = 0; i < OrderButton::Count; ++i) {
        const QString caption = QString::fromUtf16(c1[i]);
        Command1[i] = new QPushButton(caption, client_);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        Command1[i]->setToolTip(u' ' + caption + u' ');
        Command1[i]->setAccessibleName(caption);
        Command1[i]->setFont(buttonFont);
        Command1[i]->setGeometry(px(initial.command1[i]));
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    client_->installEventFilter(this);
    List1->viewport()->installEventFilter(this);
    List2->viewport()->installEventFilter(this);
    List2->installEventFilter(this);
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

    probes_.readAppearanceScheme(state_);

    // A size that is not a number or does not fit 16 bits gives the default.
    const double xpExtra = probes_.windowsName() == u"Windows XP" && state_.AppearanceScheme.isEmpty() ? 120 : 0;
    const auto storedHeight = wholeNumber(state_.set.F_Height);
    const qint16 height = (storedHeight ? toInt16(*storedHeight + xpExtra) : std::nullopt).value_or(9000 + xpExtra);
    const qint16 width = toInt16(state_.set.F_Width).value_or(12000);
    resize(twipsToPixels(width - kFrameWidthTwips), twipsToPixels(height - kFrameHeightTwips) + menuBarHeight());

    if (isOn(state_.set.OptCent)) {
        move(centredOnScreen(size()));
        // Centred again, frame included, once the window manager has framed the window.
        centreFramePending_ = true;
    } else
        move(twipsToPixels(leadingNumber(state_.set.G_Left)), twipsToPixels(leadingNumber(state_.set.G_Top)));

    // The resize handler lays out the controls from here on (resizeEvent).
    MainWndProc();

    for (int i : {OrderButton::Confirm, OrderButton::ClearAll, OrderButton::ClearOrder})
        Command1[i]->setEnabled(false);
}

bool KUMIRO::MainWndProc()
{
    const auto layout = mainLayoutFor(outerHeightTwips(), outerWidthTwips());
    Toolbar1->setGeometry(0, 0, width(), twipsToPixels(kToolbarHeightTwips));
    if (!layout)
        return false;
    for (int i = 0; i < OrderButton::Count; ++i)
        Command1[i]->setGeometry(px(layout->command1[i]));
    for (int i = 0; i < ListButton::Count; ++i)
        Command2[i]->setGeometry(px(layout->command2[i]));
    List1->setGeometry(px(layout->list1));
    List2->setGeometry(px(layout->list2));
    return true;
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

void KUMIRO::Timer1_Timer()
{
    const OrderButtonStates on = orderButtonStates(List1->count(), List2->count());
    Command1[OrderButton::Confirm]->setEnabled(on.confirm);
    Command1[OrderButton::ClearOrder]->setEnabled(on.clearOrder);
    if (on.clearAllOn)
        Command1[OrderButton::ClearAll]->setEnabled(true);
}

void KUMIRO::mnuFileOpen_Click(Kind kind)
{
    std::optional<QString> folder;
    {
        SEL_FOLD picker(kind, state_, platform_, this);
        const QString iconFile = joinPath(state_.ProgramFolder, kindInfo(kind).openIcon);
        const QIcon icon(iconFile);
        picker.setWindowIcon(QFileInfo(iconFile).isFile() && !icon.isNull() ? icon : programIcon());
        execModal(picker);
        folder = picker.chosenFolder();
    }
    // Cancelled: the lists and any confirmed order still belong to the previous kind.
    if (!folder)
        return;

    listDataFolder(kind, *folder);
}

void KUMIRO::listDataFolder(Kind kind, const QString& folder)
{
    state_.CurKind = kind;
    listedKind_ = kind;
    // A Word or Excel list means an office soon: it starts while the user builds the order.
    if (kind == Kind::Text)
        office_.release();
    else
        office_.prepare();
    List1->clear();
    List2->clear();
    setWindowTitle(title() + kindInfo(kind).captionSuffix);
    if (!listedFolder_.isEmpty())
        folderWatch_->removePath(listedFolder_);
    listedFolder_ = folder;
    folderWatch_->addPath(folder);

    const QStringList names = listKindFiles(state_.set, kind, folder);
    List1->addItems(names);

    platform_.messages.show(this, MsgIcon::Information, kFileCountTitle,
                            fileCountText(List1->count(), kind, countUnnamableFiles(state_.set, kind, folder)));

    if (anyPathTooLong(folder, names)) {
        platform_.messages.show(this, MsgIcon::Exclamation, kPathTooLongTitle, pathTooLongText());
        for (QPushButton* b : Command1)
            b->setEnabled(false);
        Command1[OrderButton::ClearAll]->setEnabled(true);
    }
    // The list scrolls sideways to its widest name by itself.
}

void KUMIRO::followListedFolder()
{
    if (!listedKind_ || listedFolder_.isEmpty())
        return;
    const QStringList present = listKindFiles(state_.set, *listedKind_, listedFolder_);
    QStringList shown;
    for (int i = 0; i < List1->count(); ++i)
        shown << List1->item(i)->text();
    if (shown != present) {
        QStringList selected;
        for (const QListWidgetItem* item : List1->selectedItems())
            selected << item->text();
        List1->clear();
        List1->addItems(present);
        for (int i = 0; i < List1->count(); ++i)
            List1->item(i)->setSelected(selected.contains(List1->item(i)->text()));
    }
    for (int i = List2->count() - 1; i >= 0; --i) {
        if (!present.contains(List2->item(i)->text()))
            delete List2->takeItem(i);
    }
}

SETTEI* KUMIRO::settingsDialog() const
{
    return settei_;
}

void KUMIRO::mnuOptSettei_Click()
{
    // Modeless, and only one: a second call shows the open dialog with its edits.
    if (!settei_) {
        settei_ = new SETTEI(state_, platform_, this);
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

void KUMIRO::mnuHelpContext_KeyWord_Click(int index)
{
    if (index == 0)
        platform_.help.show(this, state_.HelpFile, HelpCommand::Index, 0);
    else if (index == 1)
        platform_.help.show(this, state_.HelpFile, HelpCommand::Contents, 0);
}

bool KUMIRO::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == List1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        List1_DblClick();
        return false;
    }
    if (watched == List2->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            List2_MouseDown(static_cast<QMouseEvent*>(event)->position().toPoint().y());
        else if (event->type() == QEvent::MouseButtonRelease)
            List2_MouseUp(static_cast<QMouseEvent*>(event)->position().toPoint().y());
        return false;
    }
    if (watched == List2 && event->type() == QEvent::KeyPress) {
        // The buttons' keys, with the buttons' rules and messages.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() == Qt::ControlModifier;
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier)
            Command2_Click(ListButton::Remove);
        else if (ctrl && key->key() == Qt::Key_Up)
            Command2_Click(ListButton::Up);
        else if (ctrl && key->key() == Qt::Key_Down)
            Command2_Click(ListButton::Down);
        else
            return false;
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick && (watched == client_ || watched == Toolbar1)) {
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
