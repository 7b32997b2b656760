#include "KUMIRO.h"

#include "Drop.h"
#include "app/FileListing.h"
#include "MainLayout.h"
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
#include "tools/Backup.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
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
    backupFolder = kBackupFolder;

    buildControls();
    buildMenus();
    buildToolbar();

    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &KUMIRO::Timer1_Timer);

    Form_Load();
    Timer1->start();
}

KUMIRO::~KUMIRO() = default;

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
}

void KUMIRO::buildMenus()
{
    auto item = [this](QMenu* menu, const QString& caption, auto handler, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuFileOpen[0] = item(
        mnuFile, QStringLiteral("Word ﾌｧｲﾙの一覧を開く(&W)..."), [this] { mnuFileOpen_Click(0); },
        QKeySequence(Qt::CTRL | Qt::Key_W));
    mnuFileOpen[1] = item(
        mnuFile, QStringLiteral("Excel ﾌｧｲﾙの一覧を開く(&E)..."), [this] { mnuFileOpen_Click(1); },
        QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuFileOpen[2] = item(
        mnuFile, QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."), [this] { mnuFileOpen_Click(2); },
        QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuFile->addSeparator();
    mnuFileKumiro = item(
        mnuFile, QStringLiteral("くみろ実行(&G)"), [this] { mnuFileKumiro_Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_G));
    mnuFile->addSeparator();
    mnuFileEnd = item(mnuFile, QStringLiteral("くみろ君 の終了(&X)..."), [this] { mnuFileEnd_Click(); });

    QMenu* mnuDataManager = menuBar()->addMenu(QStringLiteral("ﾃﾞｰﾀ管理(&M)"));
    QMenu* mnuDataConv = mnuDataManager->addMenu(QStringLiteral("変換(&C)"));
    mnuDataConvert[0] =
        item(mnuDataConv, QStringLiteral("*.doc or *.rtf → *.txt(&T)..."), [this] { mnuDataConvert_Click(0); });
    mnuDataConvert[1] = item(mnuDataConv, QStringLiteral("*.txt → *.doc(&D)..."), [this] { mnuDataConvert_Click(1); });
    mnuDataConvert[2] = item(mnuDataConv, QStringLiteral("*.txt → *.rtf(&R)..."), [this] { mnuDataConvert_Click(2); });
    mnuDataManager->addSeparator();
    mnuDataCopy = item(mnuDataManager, QStringLiteral("ｺﾋﾟｰ(&C)..."), [this] { mnuDataCopy_Click(); });
    mnuDataRename = item(mnuDataManager, QStringLiteral("名前の変更(&R)..."), [this] { mnuDataRename_Click(); });
    mnuDataBackup = item(mnuDataManager, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."), [this] { mnuDataBackup_Click(); });
    mnuDataManager->addSeparator();
    mnuDataDelete = item(mnuDataManager, QStringLiteral("削除(&D)..."), [this] { mnuDataDelete_Click(); });

    QMenu* mnuOption = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    mnuOptSettei = item(
        mnuOption, QStringLiteral("各種設定(&K)"), [this] { mnuOptSettei_Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_K));

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuHelpContext_KeyWord[0] = item(
        mnuHelp, QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"), [this] { mnuHelpContext_KeyWord_Click(0); },
        QKeySequence(Qt::Key_F1));
    mnuHelpContext_KeyWord[1] = item(mnuHelp, QStringLiteral("目次(&C)"), [this] { mnuHelpContext_KeyWord_Click(1); });
    mnuHelp->addSeparator();
    mnuHelpAbout = item(mnuHelp, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), [this] { mnuHelpAbout_Click(); });
}

void KUMIRO::buildToolbar()
{
    Toolbar1 = new QToolBar(client_);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setAccessibleName(QStringLiteral("ツールバー"));
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->installEventFilter(this);

    // Button number -> tooltip; an empty tooltip is a separator.
    const std::array<const char16_t*, ToolButton::Count> tips = {nullptr,
                                                                 u"",
                                                                 u" Word ﾌｧｲﾙの一覧を開く ",
                                                                 u" Excel ﾌｧｲﾙの一覧を開く ",
                                                                 u" Text ﾌｧｲﾙの一覧を開く ",
                                                                 u"",
                                                                 u" くみろ実行 ",
                                                                 u"",
                                                                 u" ｺﾋﾟｰ ",
                                                                 u" 名前の変更 ",
                                                                 u" ﾊﾞｯｸｱｯﾌﾟ ",
                                                                 u"",
                                                                 u" 削除 ",
                                                                 u"",
                                                                 u" 各種設定 ",
                                                                 u"",
                                                                 u" ﾊﾞｰｼﾞｮﾝ情報 ",
                                                                 u" ﾍﾙﾌﾟ "};
    int image = 0;
    for (int button = 1; button < ToolButton::Count; ++button) {
        const QString tip = QString::fromUtf16(tips[button]);
        if (tip.isEmpty()) {
            Toolbar1->addSeparator();
            continue;
        }
        ++image;
        const QString resource = QStringLiteral(":/toolbar/%1.svg").arg(image, 2, 10, QChar(u'0'));
        QAction* a = Toolbar1->addAction(QIcon(svgPixmap(resource, 16)), tip.trimmed());
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, button] { Toolbar1_ButtonClick(button); });
        toolbarButtons[button] = a;
    }
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

void KUMIRO::Toolbar1_ButtonClick(int button)
{
    switch (button) {
    case ToolButton::OpenWord: mnuFileOpen_Click(0); break;
    case ToolButton::OpenExcel: mnuFileOpen_Click(1); break;
    case ToolButton::OpenText: mnuFileOpen_Click(2); break;
    case ToolButton::Combine: mnuFileKumiro_Click(); break;
    case ToolButton::Copy: mnuDataCopy_Click(); break;
    case ToolButton::Rename: mnuDataRename_Click(); break;
    case ToolButton::Backup: mnuDataBackup_Click(); break;
    case ToolButton::Delete: mnuDataDelete_Click(); break;
    case ToolButton::Settings: mnuOptSettei_Click(); break;
    case ToolButton::About: mnuHelpAbout_Click(); break;
    case ToolButton::HelpContents: mnuHelpContext_KeyWord_Click(1); break;
    default: break;
    }
}

void KUMIRO::mnuFileOpen_Click(int index)
{
    const Kind kind = kindOf(index);
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
    List1->clear();
    List2->clear();
    setWindowTitle(title() + kindInfo(kind).captionSuffix);

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

namespace {

// The local paths a drag carries; none when it carries anything but local files.
QStringList droppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

// Dropped files are only ever copied: a move would let the file manager delete them.
bool takeAsCopy(QDropEvent& event)
{
    if (!(event.possibleActions() & Qt::CopyAction))
        return false;
    event.setDropAction(Qt::CopyAction);
    return true;
}

} // namespace

void KUMIRO::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedPaths(event->mimeData()).isEmpty() && takeAsCopy(*event))
        event->accept();
    else
        event->ignore();
}

void KUMIRO::dragMoveEvent(QDragMoveEvent* event)
{
    // Again on every move: a modifier key may propose a move instead.
    if (!droppedPaths(event->mimeData()).isEmpty() && takeAsCopy(*event))
        event->accept();
    else
        event->ignore();
}

void KUMIRO::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty() || !takeAsCopy(*event)) {
        event->ignore();
        return;
    }
    const DropChoice choice = chooseDrop(paths, state_.set, listedKind_);
    if (choice.refused())
        event->ignore();
    else
        event->accept();
    // The file manager waits until the drop returns: messages and the listing come after.
    QTimer::singleShot(0, this, [this, choice] {
        if (choice.refusal == DropRefusal::UnreadableFolder) {
            platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                                    folderUnreadableText(choice.folder));
            return;
        }
        if (choice.refused()) {
            platform_.messages.show(this, MsgIcon::Exclamation, kDropTitle, dropRefusalText(choice.refusal));
            return;
        }
        confirmDataFolder(state_, choice.kind, choice.folder);
        listDataFolder(choice.kind, choice.folder);
        // Appended, not confirmed: the user still checks the order and presses "OK".
        List2->addItems(choice.names);
    });
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
