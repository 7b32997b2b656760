// The main window: size and place, layout on resize, timer, menus and toolbar, listing.
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "mainwin/DragReorder.h"
#include "mainwin/Drop.h"
#include "app/FileListing.h"
#include "mainwin/KUMIRO.h"
#include "mainwin/MainLayout.h"
#include "platform/FolderList.h"
#include "platform/Twips.h"
#include "settings/SEL_FOLD.h"
#include "settings/SETTEI.h"
#include "mainwin/OfficeRunner.h"
#include "mainwin/Order.h"
#include "support/StoredKeys.h"
#include "support/ScriptedPlatform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>
#include <QTimer>
#include <QToolBar>

#include <unistd.h>

using namespace kumiro;
using namespace kumiro::test;

namespace kumiro {

// Names a refusal in a failed comparison.
char* toString(DropRefusal refusal)
{
    static const char* const names[] = {"None", "SeveralFolders", "MixedKinds", "NotKumiros", "UnreadableFolder"};
    return qstrdup(names[int(refusal)]);
}

} // namespace kumiro

namespace {

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
}

QStringList rows(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// What a file manager's drag carries: the paths as file URLs.
std::unique_ptr<QMimeData> fileUrls(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// How far a drag got with the window, and the action it was given.
struct DragOutcome {
    bool entered = false;
    bool dropped = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// Enters, moves over the order list and drops, as a file manager's drag would; then lets the
// window act on the drop.
DragOutcome dragOnto(QWidget& window, const QMimeData& data,
                     Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                     Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    DragOutcome outcome;
    const QPoint at(window.width() * 3 / 4, window.height() / 2);
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(&window, &enter);
    outcome.entered = enter.isAccepted();
    if (!outcome.entered)
        return outcome;
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(&window, &move);
    QDropEvent drop(at, offered, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(&window, &drop);
    outcome.dropped = drop.isAccepted();
    outcome.action = drop.dropAction();
    QCoreApplication::processEvents();
    return outcome;
}

} // namespace

class TestMainWin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("config")));
        data_ = dir_->filePath(QStringLiteral("data"));
        QDir().mkpath(data_);
        state_ = std::make_unique<ProgramState>(*store_, dir_->path());
        state_->AppTitle = QStringLiteral("kumiro");
        state_->HelpFile = dir_->filePath(QStringLiteral("KUMIRO.html"));
        auto& s = state_->set;
        s.OptCent = QStringLiteral("0");
        s.OptDbl = QStringLiteral("0");
        s.F_Height = QStringLiteral("9000");
        s.F_Width = QStringLiteral("12000");
        s.G_Top = QStringLiteral("600");
        s.G_Left = QStringLiteral("1500");
        s.OptWkaku = {{{QStringLiteral("*.doc"), QStringLiteral("1")}, {QStringLiteral("*.rtf"), QStringLiteral("1")}}};
        s.OptEkaku = {{{QStringLiteral("*.xls"), QStringLiteral("1")}, {QStringLiteral("*.csv"), QStringLiteral("1")}}};
        s.OptTkaku = {};
        s.OptTkaku[0] = {QStringLiteral("*.txt"), QStringLiteral("1")};
        s.DataFol.fill(data_);
        platform_ = std::make_unique<test::ScriptedPlatform>();
        office_ =
            std::make_unique<OfficeRunner>(platform_->messages, [this] { return loadOffice(state_->ProgramFolder); });
    }

    // --- order rules, without a window ---------------------------------------------

    void orderIsConfirmedForTwoToAHundredNames()
    {
        test::ScriptedMessageBoxes messages;
        state_->CurKind = Kind::Excel;
        state_->set.DataFol[Kind::Excel] = QStringLiteral("/data/");
        QStringList names;
        for (int n : {0, 1, 101}) {
            names.clear();
            for (int i = 0; i < n; ++i)
                names << QStringLiteral("f%1.xls").arg(i);
            QVERIFY(!confirmOrder(*state_, names, messages, nullptr));
            QCOMPARE(messages.shown.last().icon, MsgIcon::Critical);
        }
        QCOMPARE(messages.shown[0].title, QStringLiteral("選択ファイルの確認"));
        QCOMPARE(messages.shown[2].title, QStringLiteral("選択ファイル数の確認"));
        QVERIFY(!hasConfirmedOrder(*state_));

        QVERIFY(confirmOrder(*state_, {QStringLiteral("b.xls"), QStringLiteral("a.csv")}, messages, nullptr));
        QCOMPARE(messages.shown.last().title, QStringLiteral("くみろ順確認"));
        QCOMPARE(confirmedOrder(*state_), (QStringList{QStringLiteral("/data/b.xls"), QStringLiteral("/data/a.csv")}));
        QVERIFY(hasConfirmedOrder(*state_));
        forgetOrder(*state_);
        QVERIFY(!hasConfirmedOrder(*state_));
    }

    void timerEnablesTheOrderButtonsFromTheListSizes()
    {
        struct Case {
            int left, right;
            bool confirm, clearOrder, clearAllOn;
        };
        for (const Case& c :
             {Case{0, 0, false, false, false}, Case{1, 0, false, false, false}, Case{2, 0, false, false, true},
              Case{0, 1, false, true, true}, Case{0, 2, true, true, true}, Case{5, 100, true, true, true}}) {
            const OrderButtonStates s = orderButtonStates(c.left, c.right);
            QCOMPARE(s.confirm, c.confirm);
            QCOMPARE(s.clearOrder, c.clearOrder);
            QCOMPARE(s.clearAllOn, c.clearAllOn);
        }
    }

    // --- resize layout -------------------------------------------------------------

    void layoutOfTheDefaultWindow()
    {
        const auto l = mainLayoutFor(9000, 12000);
        QVERIFY(l);
        const double lefts[] = {3235, 4645, 6055, 7465};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(l->command1[i], QRectF(lefts[i], 7810, 1300, 300));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(l->command2[i], QRectF(5678, 3040 + i * 450, 645, 345));
        QCOMPARE(l->list1, QRectF(120, 525, 5398, 7140));
        QCOMPARE(l->list2, QRectF(6483, 525, 5278, 7140));

        // Odd sizes give fractional placements.
        QCOMPARE(mainLayoutFor(9001, 12001)->command2[0].topLeft(), QPointF(5678.5, 3040.5));
    }

    void layoutBoundaryAndNarrowWindows()
    {
        const auto atBoundary = mainLayoutFor(1860, 12000);
        QVERIFY(atBoundary);
        QCOMPARE(atBoundary->list1.height(), 0.0);
        QCOMPARE(atBoundary->command1[0].top(), 670.0);
        QVERIFY(!mainLayoutFor(1859, 12000));
        // Too narrow for the lists: they shrink to nothing instead of a negative width.
        const auto narrow = mainLayoutFor(9000, 800);
        QCOMPARE(narrow->list1.width(), 0.0);
        QCOMPARE(narrow->list2.width(), 0.0);
    }

    void windowFollowsItsSize()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        QCOMPARE(w.outerHeightTwips(), 9000.0);
        QCOMPARE(w.outerWidthTwips(), 12000.0);
        auto at = [](const QRectF& r) { return twipsRect(r.x(), r.y(), r.width(), r.height()); };
        QCOMPARE(w.List1->geometry(), at(mainLayoutFor(9000, 12000)->list1));

        w.resize(twipsToPixels(15000), w.height() + twipsToPixels(1500));
        QCoreApplication::sendPostedEvents();
        QResizeEvent resize(w.size(), w.size());
        QCoreApplication::sendEvent(&w, &resize);
        const auto expected = mainLayoutFor(w.outerHeightTwips(), w.outerWidthTwips());
        QCOMPARE(w.List2->geometry(), at(expected->list2));
        QCOMPARE(w.Command1[3]->geometry(), at(expected->command1[3]));

        // Too low: nothing moves.
        const QRect before = w.List1->geometry();
        w.resize(w.width(), w.menuBar()->sizeHint().height() + twipsToPixels(900));
        QVERIFY(!w.MainWndProc());
        QCOMPARE(w.List1->geometry(), before);
    }

    // --- load, geometry, ending ------------------------------------------------------

    void opensAtTheStoredSizeAndPlaceWithCombiningOff()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows"));
        QCOMPARE(w.pos(), QPoint(twipsToPixels(1500), twipsToPixels(600)));
        QVERIFY(!w.windowIcon().isNull());
        QVERIFY(!w.mnuFileKumiro->isEnabled());
        QVERIFY(!w.toolbarButtons[6]->isEnabled());
        for (int i = 0; i < 3; ++i)
            QVERIFY(!w.Command1[i]->isEnabled());
        QVERIFY(w.Command1[3]->isEnabled());
    }

    void windowsXpClassicLookIsTaller()
    {
        Probes xp;
        xp.windowsName = [] { return QStringLiteral("Windows XP"); };
        xp.readAppearanceScheme = [](ProgramState&) {};
        KUMIRO classic(*state_, platform_->platform, *office_, xp);
        QCOMPARE(classic.outerHeightTwips(), 9120.0);
        QCOMPARE(classic.outerWidthTwips(), 12000.0);

        xp.readAppearanceScheme = [](ProgramState& s) { s.AppearanceScheme = QStringLiteral("Windows Standard"); };
        KUMIRO themed(*state_, platform_->platform, *office_, xp);
        QCOMPARE(themed.outerHeightTwips(), 9000.0);
        // The extra height is added before the 16-bit conversion.
        state_->AppearanceScheme.clear();
        state_->set.F_Height = QStringLiteral("32700");
        xp.readAppearanceScheme = [](ProgramState&) {};
        KUMIRO tooTall(*state_, platform_->platform, *office_, xp);
        QCOMPARE(tooTall.outerHeightTwips(), 9120.0);
    }

    void unusableStoredSizeGivesTheDefault_data()
    {
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::newRow("not a number") << "tall"
                                      << "";
        QTest::newRow("beyond 16 bits") << "32768"
                                        << "99999";
        QTest::newRow("trailing garbage") << "9000px"
                                          << "12000 twips";
    }

    void unusableStoredSizeGivesTheDefault()
    {
        QFETCH(QString, height);
        QFETCH(QString, width);
        state_->set.F_Height = height;
        state_->set.F_Width = width;
        KUMIRO w(*state_, platform_->platform, *office_);
        QCOMPARE(w.outerHeightTwips(), 9000.0);
        QCOMPARE(w.outerWidthTwips(), 12000.0);
    }

    void centringIgnoresTheStoredPlaceButSavesIt()
    {
        state_->set.OptCent = QStringLiteral("1");
        state_->set.F_Width = QStringLiteral("6000");
        state_->set.F_Height = QStringLiteral("4500");
        KUMIRO w(*state_, platform_->platform, *office_);
        const QSize screen(twipsToPixels(screenWidthTwips()), twipsToPixels(screenHeightTwips()));
        QCOMPARE(w.pos(), QPoint((screen.width() - w.width()) / 2, (screen.height() - w.height()) / 2));

        int ended = 0;
        w.endProgram = [&] { ++ended; };
        w.close();
        QCOMPARE(ended, 1);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionPosition, QStringLiteral("G_Left")),
                 QString::number(pixelsToTwips(w.x())));
    }

    void exitAsksFirstCloseNeverAsks()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        int ended = 0;
        w.endProgram = [&] { ++ended; };
        w.resize(twipsToPixels(9000), twipsToPixels(6000));
        w.move(twipsToPixels(300), twipsToPixels(450));

        platform_->messages.answers = {MsgAnswer::Cancel};
        w.mnuFileEnd->trigger();
        QCOMPARE(platform_->messages.shown.size(), 1);
        const auto& asked = platform_->messages.shown[0];
        QCOMPARE(asked.title, QStringLiteral("終了確認"));
        QCOMPARE(asked.text, QStringLiteral("「くみろ君 for Windows」 を終了しますか？　"));
        QCOMPARE(asked.icon, MsgIcon::Question);
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        QCOMPARE(ended, 0);
        QVERIFY(store_->read(QStringLiteral("kumiro"), kSectionPosition, QStringLiteral("G_Top")).isEmpty());

        w.mnuFileEnd->trigger();
        QCOMPARE(ended, 1);
        auto stored = [&](const char* key) {
            return store_->read(QStringLiteral("kumiro"), kSectionPosition, QString::fromLatin1(key));
        };
        QCOMPARE(stored("G_Top"), QStringLiteral("450"));
        QCOMPARE(stored("G_Left"), QStringLiteral("300"));
        QCOMPARE(stored("F_Height"), QString::number(w.outerHeightTwips()));
        QCOMPARE(stored("F_Width"), QStringLiteral("9120")); // outer: the frame added

        // The frame's close button never asks.
        KUMIRO other(*state_, platform_->platform, *office_);
        other.endProgram = [&] { ++ended; };
        QCloseEvent event;
        QCoreApplication::sendEvent(&other, &event);
        QCOMPARE(platform_->messages.shown.size(), 2);
        QCOMPARE(ended, 2);
    }

    void geometrySurvivesARestartUnchanged()
    {
        for (int run = 0; run < 2; ++run) {
            KUMIRO w(*state_, platform_->platform, *office_);
            w.endProgram = [] {};
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.close();
            auto& s = state_->set;
            const QString app = QStringLiteral("kumiro");
            s.G_Top = store_->read(app, kSectionPosition, QStringLiteral("G_Top"));
            s.G_Left = store_->read(app, kSectionPosition, QStringLiteral("G_Left"));
            s.F_Height = store_->read(app, kSectionPosition, QStringLiteral("F_Height"));
            s.F_Width = store_->read(app, kSectionPosition, QStringLiteral("F_Width"));
            QCOMPARE(s.F_Height, QStringLiteral("9000"));
            QCOMPARE(s.F_Width, QStringLiteral("12000"));
            QCOMPARE(s.G_Top, QStringLiteral("600"));
            QCOMPARE(s.G_Left, QStringLiteral("1500"));
        }
    }

    void doubleClickExitsOnlyWhenSwitchedOn()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        int ended = 0;
        w.endProgram = [&] { ++ended; };
        QTest::mouseDClick(w.centralWidget(), Qt::LeftButton, {}, QPoint(3, w.centralWidget()->height() - 3));
        QTest::mouseDClick(w.Toolbar1, Qt::LeftButton, {}, QPoint(w.Toolbar1->width() - 3, 5));
        QVERIFY(platform_->messages.shown.isEmpty());

        state_->set.OptDbl = QStringLiteral("1");
        platform_->messages.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
        QTest::mouseDClick(w.Toolbar1, Qt::LeftButton, {}, QPoint(w.Toolbar1->width() - 3, 5));
        QCOMPARE(ended, 0);
        QTest::mouseDClick(w.centralWidget(), Qt::LeftButton, {}, QPoint(3, w.centralWidget()->height() - 3));
        QCOMPARE(platform_->messages.shown.size(), 2);
        QCOMPARE(ended, 1);
    }

    // --- timer, menus, toolbar -------------------------------------------------------

    void timerRules()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        QCOMPARE(w.Timer1->interval(), 500);
        QVERIFY(w.Timer1->isActive());
        auto state = [&] {
            return QString::fromLatin1("%1%2%3")
                .arg(int(w.Command1[0]->isEnabled()))
                .arg(int(w.Command1[1]->isEnabled()))
                .arg(int(w.Command1[2]->isEnabled()));
        };
        w.Timer1_Timer();
        QCOMPARE(state(), QStringLiteral("000"));
        w.List2->addItem(QStringLiteral("a.txt"));
        w.Timer1_Timer();
        QCOMPARE(state(), QStringLiteral("011"));
        w.List2->addItem(QStringLiteral("b.txt"));
        w.Timer1_Timer();
        QCOMPARE(state(), QStringLiteral("111"));
        // Emptied lists: "全初期化" stays as it was.
        w.List2->clear();
        w.Timer1_Timer();
        QCOMPARE(state(), QStringLiteral("010"));
        w.Command1[1]->setEnabled(false);
        w.List1->addItems({QStringLiteral("x"), QStringLiteral("y")});
        w.Timer1_Timer();
        QCOMPARE(state(), QStringLiteral("010"));
    }

    void menusAndToolbarCaptionsAndShortcuts()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        QStringList titles;
        for (QAction* a : w.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles,
                 (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("ﾃﾞｰﾀ管理(&M)"), QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"),
                              QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
        QStringList file;
        for (QAction* a : w.menuBar()->actions()[0]->menu()->actions())
            file << (a->isSeparator() ? QStringLiteral("-") : a->text() + u'|' + a->shortcut().toString());
        QCOMPARE(file,
                 (QStringList{QStringLiteral("Word ﾌｧｲﾙの一覧を開く(&W)...|Ctrl+W"),
                              QStringLiteral("Excel ﾌｧｲﾙの一覧を開く(&E)...|Ctrl+E"),
                              QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)...|Ctrl+T"), QStringLiteral("-"),
                              QStringLiteral("くみろ実行(&G)|Ctrl+G"), QStringLiteral("-"),
                              QStringLiteral("くみろ君 の終了(&X)...|")}));
        QCOMPARE(w.mnuOptSettei->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
        QCOMPARE(w.mnuHelpContext_KeyWord[0]->shortcut(), QKeySequence(Qt::Key_F1));

        const auto actions = w.Toolbar1->actions();
        QCOMPARE(actions.size(), 17);
        for (int button : {1, 5, 7, 11, 13, 15})
            QVERIFY2(actions[button - 1]->isSeparator(), qPrintable(QString::number(button)));
        QCOMPARE(w.toolbarButtons[4]->toolTip(), QStringLiteral(" Text ﾌｧｲﾙの一覧を開く "));
        QCOMPARE(w.toolbarButtons[16]->toolTip(), QStringLiteral(" ﾊﾞｰｼﾞｮﾝ情報 "));
        for (int button = 1; button <= 17; ++button) {
            if (QAction* a = w.toolbarButtons[button]) {
                QCOMPARE(a, actions[button - 1]);
                QCOMPARE(a->icon().pixmap(16).toImage().pixelColor(8, 8).alpha() > 0 ||
                             a->icon().pixmap(16).toImage().pixelColor(4, 4).alpha() > 0,
                         true);
            }
        }
        QCOMPARE(w.List1->accessibleName(), QStringLiteral("現在のリスト"));
        QCOMPARE(w.Command2[0]->toolTip(), QStringLiteral(" 追加 "));
    }

    void helpCommands()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        w.toolbarButtons[17]->trigger();
        w.mnuHelpContext_KeyWord[0]->trigger();
        w.mnuHelpContext_KeyWord_Click(7);
        const auto& calls = platform_->help.calls;
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].command, HelpCommand::Contents);
        QCOMPARE(calls[1].command, HelpCommand::Index);
        QCOMPARE(calls[1].helpFile, state_->HelpFile);
    }

    void settingsDialogIsModelessAndSingle()
    {
        state_->set.FolderName.fill(data_);
        KUMIRO w(*state_, platform_->platform, *office_);
        w.toolbarButtons[14]->trigger();
        SETTEI* first = w.settingsDialog();
        QVERIFY(first && first->isVisible() && !first->isModal());
        first->Text1[0]->setText(QStringLiteral("unsaved"));
        w.mnuOptSettei->trigger();
        QCOMPARE(w.settingsDialog(), first);
        QCOMPARE(first->Text1[0]->text(), QStringLiteral("unsaved"));
        // Closed by its frame: discarded, and the next opening loads afresh.
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.settingsDialog());
        w.mnuOptSettei->trigger();
        QCOMPARE(w.settingsDialog()->Text1[0]->text(), state_->set.KumiroFile[0]);
    }

    // --- listing ---------------------------------------------------------------------

    void wildcards()
    {
        QVERIFY(wildcardMatch(u"Report.TXT", u"*.txt"));
        QVERIFY(wildcardMatch(u"a.b.txt", u"*.txt"));
        QVERIFY(!wildcardMatch(u"a.txt.bak", u"*.txt"));
        QVERIFY(wildcardMatch(u"memo1.log", u"memo?.*"));
        QVERIFY(!wildcardMatch(u"memo12.log", u"memo?.log"));
        QVERIFY(wildcardMatch(u"データ.ＴＸＴ", u"*.ｔｘｔ"));
        QVERIFY(wildcardMatch(u"[x].txt", u"[x].txt"));
        QVERIFY(!wildcardMatch(u"x.txt", u"[x].txt"));
        QVERIFY(wildcardMatch(u"", u"*"));
        QVERIFY(wildcardMatch(u"aaaaaaaaaaaaaaaaaaaaaaaaaaab", u"*a*a*a*a*a*b"));
    }

    void searchListsVisibleFilesSortedIgnoringCase()
    {
        for (const char* name : {"b.txt", "A.TXT", "c.Txt", ".hidden.txt", "notes.log", "a.txt"})
            touch(QDir(data_).filePath(QString::fromLatin1(name)));
        QDir(data_).mkpath(QStringLiteral("folder.txt"));
        touch(QDir(data_).filePath(QStringLiteral("folder.txt/inner.txt")));
        QFile::link(QStringLiteral("/nonexistent"), QDir(data_).filePath(QStringLiteral("broken.txt")));
        QCOMPARE(searchFolder(data_, QStringLiteral("*.txt")),
                 (QStringList{QStringLiteral("A.TXT"), QStringLiteral("a.txt"), QStringLiteral("b.txt"),
                              QStringLiteral("c.Txt")}));
        QVERIFY(searchFolder(dir_->filePath(QStringLiteral("missing")), QStringLiteral("*")).isEmpty());
    }

    // A name that is not UTF-8 cannot be listed by name; it is counted and told, never
    // silently missing.
    void namesThatAreNotTextAreCounted()
    {
        touch(QDir(data_).filePath(QStringLiteral("good.txt")));
        for (const char* raw : {"bad\xff.txt", "\x93\xfa\x96\x7b.txt", "other\xfe.log"}) {
            const int fd = ::open((QFile::encodeName(data_) + '/' + raw).constData(), O_CREAT | O_WRONLY, 0600);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        QCOMPARE(listKindFiles(state_->set, Kind::Text, data_), QStringList{QStringLiteral("good.txt")});
        QCOMPARE(countUnnamableFiles(state_->set, Kind::Text, data_), 2);
        QCOMPARE(fileCountText(1, Kind::Text, 2),
                 QStringLiteral("同一のフォルダの中から 1 個 の Text ファイルを読み取りました。　\r\r"
                                "ファイル名の文字コードが正しくないため、表示できないファイルが 2 個 あります。　"
                                "ファイル名を変更して下さい。　"));
        QCOMPARE(fileCountText(1, Kind::Text),
                 QStringLiteral("同一のフォルダの中から 1 個 の Text ファイルを読み取りました。　"));
        // Qt cannot name them either, so the temporary folder could not remove them.
        for (const char* raw : {"bad\xff.txt", "\x93\xfa\x96\x7b.txt", "other\xfe.log"})
            ::unlink((QFile::encodeName(data_) + '/' + raw).constData());
    }

    void patternsPerKindAndFlag()
    {
        SettingsRecord s = state_->set;
        QCOMPARE(kindPatterns(s, Kind::Word), (QStringList{QStringLiteral("*.doc"), QStringLiteral("*.rtf")}));
        s.OptWkaku[1][1] = QStringLiteral("0");
        QCOMPARE(kindPatterns(s, Kind::Word), QStringList{QStringLiteral("*.doc")});
        s.OptWkaku[0][1] = QStringLiteral("0");
        QCOMPARE(kindPatterns(s, Kind::Word), QStringList{QStringLiteral("*.rtf")});
        s.OptWkaku[1][1] = QStringLiteral("1");
        QCOMPARE(kindPatterns(s, Kind::Word), QStringList{QStringLiteral("*.rtf")});
        s.OptEkaku[0][1] = QStringLiteral("2"); // anything but "1" is off
        QCOMPARE(kindPatterns(s, Kind::Excel), QStringList{QStringLiteral("*.csv")});

        // Text: .log at position 2 and .txt again at position 4 list .txt, .log, .txt.
        s.OptTkaku[2] = {QStringLiteral("*.log"), QStringLiteral("1")};
        s.OptTkaku[4] = {QStringLiteral("*.TXT"), QStringLiteral("1")};
        s.OptTkaku[3] = {QStringLiteral("*.md"), QStringLiteral("0")};
        s.OptTkaku[5] = {QString(), QStringLiteral("1")};
        touch(QDir(data_).filePath(QStringLiteral("one.txt")));
        touch(QDir(data_).filePath(QStringLiteral("two.log")));
        touch(QDir(data_).filePath(QStringLiteral("three.md")));
        QCOMPARE(listKindFiles(s, Kind::Text, data_),
                 (QStringList{QStringLiteral("one.txt"), QStringLiteral("two.log"), QStringLiteral("one.txt")}));
        s.OptTkaku[0][1] = QStringLiteral("0");
        s.OptTkaku[2][1] = QStringLiteral("0");
        s.OptTkaku[4][1] = QStringLiteral("0");
        QVERIFY(listKindFiles(s, Kind::Text, data_).isEmpty());
    }

    void listingAFolderThroughThePicker()
    {
        touch(QDir(data_).filePath(QStringLiteral("b.txt")));
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        touch(QDir(data_).filePath(QStringLiteral("c.doc")));
        KUMIRO w(*state_, platform_->platform, *office_);
        w.List2->addItem(QStringLiteral("stale"));
        QString pickerTitle;
        w.execModal = [&](QDialog& dialog) {
            auto& picker = static_cast<SEL_FOLD&>(dialog);
            pickerTitle = picker.windowTitle();
            QVERIFY(!picker.windowIcon().isNull());
            picker.Command1[0]->click();
        };
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);

        QCOMPARE(pickerTitle, QStringLiteral("データフォルダの指定 ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(w.List1), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
        QCOMPARE(w.List2->count(), 0);
        QCOMPARE(state_->CurKind, Kind::Text);
        QVERIFY(!state_->Order);
        QCOMPARE(platform_->messages.shown.size(), 1);
        QCOMPARE(platform_->messages.shown[0].title, QStringLiteral("ファイル数確認"));
        QCOMPARE(platform_->messages.shown[0].icon, MsgIcon::Information);
        QCOMPARE(platform_->messages.shown[0].text,
                 QStringLiteral("同一のフォルダの中から 2 個 の Text ファイルを読み取りました。　"));

        // Word through its toolbar button: the count message is shown for 0 files too.
        w.toolbarButtons[2]->trigger();
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("同一のフォルダの中から 1 個 の Word ファイルを読み取りました。　"));
        std::ignore = QFile::remove(QDir(data_).filePath(QStringLiteral("c.doc")));
        w.toolbarButtons[2]->trigger();
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("同一のフォルダの中から 0 個 の Word ファイルを読み取りました。　"));
        QCOMPARE(w.List1->count(), 0);
    }

    // The left list regains focus after the picker and the count message close, and gets
    // a current row without a selection: "－>" must still say that nothing is chosen.
    void addWithAFocusedButUnselectedListSaysSo()
    {
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        touch(QDir(data_).filePath(QStringLiteral("b.txt")));
        KUMIRO w(*state_, platform_->platform, *office_);
        w.execModal = [](QDialog& d) { static_cast<SEL_FOLD&>(d).Command1[PickerButton::Ok]->click(); };
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.mnuFileOpen_Click(2);
        w.List1->setFocus();
        w.List1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QVERIFY(w.List1->currentRow() >= 0 && w.List1->selectedItems().isEmpty());
        w.Command2[ListButton::Add]->click();
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("追加ファイルの確認"));
        QCOMPARE(w.List2->count(), 0);
        w.List1->item(1)->setSelected(true);
        w.Command2[ListButton::Add]->click();
        QCOMPARE(rows(w.List2), QStringList{QStringLiteral("b.txt")});
    }

    void cancellingThePickerLeavesEverythingAsItWas()
    {
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        KUMIRO w(*state_, platform_->platform, *office_);
        w.execModal = [](QDialog& d) {
            auto& picker = static_cast<SEL_FOLD&>(d);
            picker.Command1[0]->click();
        };
        w.mnuFileOpen_Click(2);
        w.List2->addItem(QStringLiteral("a.txt"));
        state_->Order = QStringList{QStringLiteral("kept"), QString()};
        const QString title = w.windowTitle();

        w.execModal = [](QDialog& d) {
            auto& picker = static_cast<SEL_FOLD&>(d);
            picker.Command1[1]->click();
        };
        w.mnuFileOpen_Click(0);
        // The window frame's close counts as Cancel too.
        w.execModal = [](QDialog& d) {
            auto& picker = static_cast<SEL_FOLD&>(d);
            picker.reject();
        };
        w.mnuFileOpen_Click(1);

        QCOMPARE(state_->CurKind, Kind::Text);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(rows(w.List1), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(rows(w.List2), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(state_->Order.value_or(QStringList()).size(), 2);
        QCOMPARE(state_->Order.value_or(QStringList()).value(0), QStringLiteral("kept"));
    }

    void longPathWarnsOnceAfterTheCount()
    {
        QString deep = data_;
        while (deep.size() < 250)
            deep += QStringLiteral("/") + QString(qMin(60, int(250 - deep.size() - 1)), u'd');
        QVERIFY(deep.size() == 250);
        QVERIFY(QDir().mkpath(deep));
        touch(deep + QStringLiteral("/a.txt"));
        touch(deep + QStringLiteral("/b.txt"));
        state_->set.DataFol[2] = deep;

        KUMIRO w(*state_, platform_->platform, *office_);
        w.execModal = [](QDialog& d) {
            auto& picker = static_cast<SEL_FOLD&>(d);
            picker.Command1[0]->click();
        };
        w.mnuFileOpen_Click(2);
        const auto& shown = platform_->messages.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QStringLiteral("ファイル数確認"));
        QCOMPARE(shown[1].title, QStringLiteral("文字数制限確認"));
        QCOMPARE(shown[1].icon, MsgIcon::Exclamation);
        QCOMPARE(shown[1].text, pathTooLongText());
        QVERIFY(shown[1].text.contains(QStringLiteral("　\r\rファイル名")));
        QCOMPARE(w.List1->count(), 2);
        QVERIFY(!w.Command1[0]->isEnabled());
        QVERIFY(w.Command1[1]->isEnabled());
        QVERIFY(!w.Command1[2]->isEnabled());
        QVERIFY(!w.Command1[3]->isEnabled());

        QVERIFY(!anyPathTooLong(QString(249, u'x'), {QStringLiteral("12345")}));
        QVERIFY(anyPathTooLong(QString(249, u'x'), {QStringLiteral("123456")}));
    }

    void unreadableFolderListsNothing()
    {
        if (geteuid() == 0)
            QSKIP("root reads every folder");
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        QFile::setPermissions(data_, QFile::WriteOwner);
        QVERIFY(searchFolder(data_, QStringLiteral("*.txt")).isEmpty());
        QFile::setPermissions(data_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // --- drops from a file manager ------------------------------------------------------

    void dropOfFilesChoosesTheirKindAndFolder()
    {
        const QDir data(data_);
        for (const char* name : {"b.txt", "A.txt", "c.TXT", "w.doc", "v.RTF", "e.xls", "d.csv"})
            touch(data.filePath(QString::fromLatin1(name)));
        const SettingsRecord& s = state_->set;

        // Names in the listing's order whatever order the drag gave them in.
        DropChoice c = chooseDrop({data.filePath("c.TXT"), data.filePath("b.txt"), data.filePath("A.txt")}, s, {});
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Text);
        QCOMPARE(c.folder, data_);
        QCOMPARE(c.names, (QStringList{"A.txt", "b.txt", "c.TXT"}));

        // Either pattern of a kind; the kind that was listed before does not matter.
        c = chooseDrop({data.filePath("w.doc"), data.filePath("v.RTF")}, s, Kind::Text);
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Word);
        QCOMPARE(c.names, (QStringList{"v.RTF", "w.doc"}));
        c = chooseDrop({data.filePath("d.csv"), data.filePath("e.xls")}, s, Kind::Word);
        QCOMPARE(c.kind, Kind::Excel);

        // The folder is stored clean, as the picker stores it.
        c = chooseDrop({data_ + QStringLiteral("/.//e.xls")}, s, {});
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.folder, data_);
        QCOMPARE(c.names, QStringList{"e.xls"});
    }

    void dropOfAFolderOpensItForTheListedKind()
    {
        const QString other = dir_->filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(other));
        const SettingsRecord& s = state_->set;

        DropChoice c = chooseDrop({other + u'/'}, s, std::nullopt);
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Text);
        QCOMPARE(c.folder, other);
        QVERIFY(c.names.isEmpty());

        c = chooseDrop({other}, s, Kind::Excel);
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Excel);
        QCOMPARE(c.folder, other);
    }

    void dropRefusals_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<DropRefusal>("refusal");
        const QString a = QStringLiteral("data/a.txt");
        const QString b = QStringLiteral("data/b.txt");
        const QString w = QStringLiteral("data/w.doc");
        const QString other = QStringLiteral("other/c.txt");
        const QString picture = QStringLiteral("data/p.png");
        QTest::newRow("two folders") << QStringList{a, other} << DropRefusal::SeveralFolders;
        QTest::newRow("two kinds") << QStringList{a, w} << DropRefusal::MixedKinds;
        QTest::newRow("no kind's file") << QStringList{picture} << DropRefusal::NotKumiros;
        QTest::newRow("no kind's file among others") << QStringList{a, picture, b} << DropRefusal::NotKumiros;
        QTest::newRow("hidden file") << QStringList{QStringLiteral("data/.h.txt")} << DropRefusal::NotKumiros;
        QTest::newRow("missing file") << QStringList{QStringLiteral("data/gone.txt")} << DropRefusal::NotKumiros;
        QTest::newRow("file and folder") << QStringList{a, QStringLiteral("other")} << DropRefusal::NotKumiros;
        QTest::newRow("two folders dropped")
            << QStringList{QStringLiteral("data"), QStringLiteral("other")} << DropRefusal::NotKumiros;
        QTest::newRow("nothing") << QStringList{} << DropRefusal::NotKumiros;
        // Not the program's is told before the folders, the folders before the kinds.
        QTest::newRow("no kind's file elsewhere")
            << QStringList{a, QStringLiteral("other/p.png")} << DropRefusal::NotKumiros;
        QTest::newRow("two kinds in two folders") << QStringList{w, other} << DropRefusal::SeveralFolders;
    }

    void dropRefusals()
    {
        QFETCH(QStringList, paths);
        QFETCH(DropRefusal, refusal);
        const QDir root(dir_->path());
        QVERIFY(root.mkpath(QStringLiteral("other")));
        for (const char* name :
             {"data/a.txt", "data/b.txt", "data/w.doc", "data/p.png", "data/.h.txt", "other/c.txt", "other/p.png"})
            touch(root.filePath(QString::fromLatin1(name)));
        QStringList absolute;
        for (const QString& path : paths)
            absolute << root.filePath(path);

        for (std::optional<Kind> current : {std::optional<Kind>(), std::optional<Kind>(Kind::Word)}) {
            const DropChoice c = chooseDrop(absolute, state_->set, current);
            QCOMPARE(c.refusal, refusal);
            QVERIFY(c.refused());
            QVERIFY(c.names.isEmpty());
        }
    }

    void dropFollowsThePatternsInTheSettings()
    {
        const QDir data(data_);
        for (const char* name : {"a.doc", "b.rtf", "c.log"})
            touch(data.filePath(QString::fromLatin1(name)));
        SettingsRecord s = state_->set;
        QCOMPARE(chooseDrop({data.filePath("b.rtf")}, s, {}).kind, Kind::Word);

        // A pattern switched off lists nothing, so its files are no kind's.
        s.OptWkaku[1][1] = QStringLiteral("0");
        QCOMPARE(chooseDrop({data.filePath("b.rtf")}, s, {}).refusal, DropRefusal::NotKumiros);
        QCOMPARE(chooseDrop({data.filePath("a.doc")}, s, {}).refusal, DropRefusal::None);
        // An empty Text pattern switched on matches nothing.
        s.OptTkaku[1] = {QString(), QStringLiteral("1")};
        QCOMPARE(chooseDrop({data.filePath("c.log")}, s, {}).refusal, DropRefusal::NotKumiros);
        // A user pattern for Text: its files become Text files.
        s.OptTkaku[2] = {QStringLiteral("*.LOG"), QStringLiteral("1")};
        QCOMPARE(chooseDrop({data.filePath("c.log")}, s, {}).kind, Kind::Text);
        // A file that two kinds list is the current kind when that is one of them, else the
        // first in the kinds' order: the same answer as the command line's.
        s.OptTkaku[3] = {QStringLiteral("*.doc"), QStringLiteral("1")};
        QCOMPARE(chooseDrop({data.filePath("a.doc")}, s, {}).kind, Kind::Word);
        QCOMPARE(chooseDrop({data.filePath("a.doc")}, s, Kind::Text).kind, Kind::Text);
        int unknown = -1;
        QCOMPARE(kindOfNames(s, {QStringLiteral("a.doc")}, std::nullopt, unknown), std::optional<Kind>(Kind::Word));
    }

    void dropOfAnUnreadableFolderIsRefused()
    {
        if (geteuid() == 0)
            QSKIP("root reads every folder");
        const QString locked = dir_->filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        touch(locked + QStringLiteral("/a.txt"));
        QFile::setPermissions(locked, QFile::ExeOwner);
        const DropChoice folder = chooseDrop({locked}, state_->set, Kind::Text);
        const DropChoice file = chooseDrop({locked + QStringLiteral("/a.txt")}, state_->set, {});
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(folder.refusal, DropRefusal::UnreadableFolder);
        QCOMPARE(folder.folder, locked);
        QCOMPARE(file.refusal, DropRefusal::UnreadableFolder);

        // The window tells it as the picker does, and keeps the stored folder.
        QFile::setPermissions(locked, QFile::ExeOwner);
        KUMIRO w(*state_, platform_->platform, *office_);
        const auto data = fileUrls({locked});
        const DragOutcome outcome = dragOnto(w, *data);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!outcome.dropped);
        QCOMPARE(platform_->messages.shown.size(), 1);
        QCOMPARE(platform_->messages.shown[0].title, QStringLiteral("フォルダ確認"));
        QCOMPARE(platform_->messages.shown[0].text,
                 QStringLiteral("フォルダ ") + locked +
                     QStringLiteral(" を開けません。　\r\r読み取る権限がありません。"));
        QCOMPARE(state_->set.DataFol[Kind::Text], data_);
    }

    void droppedFilesAreListedAndAppendedToTheOrder()
    {
        const QDir data(data_);
        for (const char* name : {"c.txt", "B.txt", "a.txt", "d.doc"})
            touch(data.filePath(QString::fromLatin1(name)));
        const QString before = dir_->filePath(QStringLiteral("before"));
        state_->set.DataFol[Kind::Text] = before;
        state_->Order = QStringList{QStringLiteral("kept"), QStringLiteral("kept too")};

        KUMIRO w(*state_, platform_->platform, *office_);
        // Drops over the lists reach the window: neither list takes drops itself.
        QVERIFY(w.acceptDrops());
        for (QListWidget* list : {w.List1, w.List2})
            QVERIFY(!list->acceptDrops() && !list->viewport()->acceptDrops());
        w.List2->addItem(QStringLiteral("stale"));

        // Shift asks the file manager for a move: the window still only copies.
        const auto dragged = fileUrls({data.filePath("c.txt"), data.filePath("a.txt")});
        const DragOutcome outcome = dragOnto(w, *dragged, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier);
        QVERIFY(outcome.entered);
        QVERIFY(outcome.dropped);
        QCOMPARE(outcome.action, Qt::CopyAction);

        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(w.List1), (QStringList{"a.txt", "B.txt", "c.txt"}));
        QCOMPARE(rows(w.List2), (QStringList{"a.txt", "c.txt"}));
        const auto& shown = platform_->messages.shown;
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, MsgIcon::Information);
        QCOMPARE(shown[0].title, QStringLiteral("ファイル数確認"));
        QCOMPARE(shown[0].text, QStringLiteral("同一のフォルダの中から 3 個 の Text ファイルを読み取りました。　"));
        QCOMPARE(state_->CurKind, Kind::Text);
        QCOMPARE(state_->set.DataFol[Kind::Text], data_);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, kindKey(QStringLiteral("DataFol"), 2)), data_);
        // The old order is void and the new one is not confirmed until "OK".
        QVERIFY(!state_->Order);
        QVERIFY(!hasConfirmedOrder(*state_));

        w.Timer1_Timer();
        QVERIFY(w.Command1[OrderButton::Confirm]->isEnabled());
        w.Command1[OrderButton::Confirm]->click();
        QCOMPARE(confirmedOrder(*state_), (QStringList{data.filePath("a.txt"), data.filePath("c.txt")}));

        // A Word file next: the lists start again for Word.
        const auto word = fileUrls({data.filePath("d.doc")});
        QVERIFY(dragOnto(w, *word).dropped);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Word ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(w.List1), QStringList{"d.doc"});
        QCOMPARE(rows(w.List2), QStringList{"d.doc"});
        QCOMPARE(shown.last().text, QStringLiteral("同一のフォルダの中から 1 個 の Word ファイルを読み取りました。　"));
        QVERIFY(!hasConfirmedOrder(*state_));
    }

    void droppedFolderOpensForTheKindListedLast()
    {
        const QString other = dir_->filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(other));
        touch(other + QStringLiteral("/x.doc"));
        touch(other + QStringLiteral("/y.txt"));
        touch(QDir(data_).filePath(QStringLiteral("a.doc")));
        state_->CurKind = Kind::Word; // what a new window finds, though no kind was listed yet

        KUMIRO w(*state_, platform_->platform, *office_);
        const auto folder = fileUrls({other});
        QVERIFY(dragOnto(w, *folder).dropped);
        QCOMPARE(state_->CurKind, Kind::Text);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(w.List1), QStringList{"y.txt"});
        QCOMPARE(w.List2->count(), 0);
        QCOMPARE(state_->set.DataFol[Kind::Text], other);
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("同一のフォルダの中から 1 個 の Text ファイルを読み取りました。　"));

        // After Word is listed through the picker, a dropped folder is Word's.
        w.execModal = [](QDialog& d) { static_cast<SEL_FOLD&>(d).Command1[PickerButton::Ok]->click(); };
        w.mnuFileOpen_Click(0);
        QCOMPARE(rows(w.List1), QStringList{"a.doc"});
        w.List2->addItem(QStringLiteral("a.doc"));
        QVERIFY(dragOnto(w, *folder).dropped);
        QCOMPARE(rows(w.List1), QStringList{"x.doc"});
        QCOMPARE(w.List2->count(), 0);
        QCOMPARE(state_->set.DataFol[Kind::Word], other);
        QCOMPARE(state_->set.DataFol[Kind::Text], other);
    }

    void refusedDropsChangeNothing()
    {
        const QDir root(dir_->path());
        QVERIFY(root.mkpath(QStringLiteral("other")));
        for (const char* name : {"data/a.txt", "data/b.txt", "data/w.doc", "data/p.png", "other/c.txt"})
            touch(root.filePath(QString::fromLatin1(name)));
        const QString a = root.filePath("data/a.txt");

        KUMIRO w(*state_, platform_->platform, *office_);
        w.execModal = [](QDialog& d) { static_cast<SEL_FOLD&>(d).Command1[PickerButton::Ok]->click(); };
        w.mnuFileOpen_Click(2);
        w.List2->addItems({"b.txt", "a.txt"});
        w.Command1_Click(OrderButton::Confirm);
        const QStringList order = confirmedOrder(*state_);
        const QString title = w.windowTitle();
        const QString stored = store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(2)"));
        auto& shown = platform_->messages.shown;
        shown.clear();

        auto unchanged = [&] {
            QCOMPARE(w.windowTitle(), title);
            QCOMPARE(rows(w.List1), (QStringList{"a.txt", "b.txt"}));
            QCOMPARE(rows(w.List2), (QStringList{"b.txt", "a.txt"}));
            QCOMPARE(confirmedOrder(*state_), order);
            QVERIFY(hasConfirmedOrder(*state_));
            for (Kind kind : kAllKinds)
                QCOMPARE(state_->set.DataFol[kind], data_);
            QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(2)")), stored);
        };

        struct Case {
            QStringList paths;
            QString text;
        };
        const QString severalFolders = QStringLiteral(
            "ドロップされたファイルが複数のフォルダにあります。　同じフォルダのファイルだけをドロップして下さい。　");
        const QString mixedKinds = QStringLiteral(
            "ドロップされたファイルの種類が混在しています。　同じ種類のファイルだけをドロップして下さい。　");
        const QString notKumiros = QStringLiteral("ドロップされたファイルはくみろの対象ではありません。　");
        for (const Case& c :
             {Case{{a, root.filePath("other/c.txt")}, severalFolders},
              Case{{a, root.filePath("data/w.doc")}, mixedKinds}, Case{{root.filePath("data/p.png")}, notKumiros},
              Case{{a, root.filePath("other")}, notKumiros}}) {
            const auto data = fileUrls(c.paths);
            const DragOutcome outcome = dragOnto(w, *data);
            QVERIFY(outcome.entered);
            QVERIFY(!outcome.dropped);
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].icon, MsgIcon::Exclamation);
            QCOMPARE(shown[0].title, QStringLiteral("ドロップ確認"));
            QCOMPARE(shown[0].text, c.text);
            unchanged();
            shown.clear();
        }

        // Not local files, or no files at all: refused as the drag enters, without a word.
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.txt")), QUrl::fromLocalFile(a)});
        QMimeData text;
        text.setText(a);
        QMimeData empty;
        empty.setUrls({});
        for (const QMimeData* data : {&web, &text, &empty})
            QVERIFY(!dragOnto(w, *data).entered);
        // A drag that can only move the files would have the file manager delete them.
        const auto local = fileUrls({a});
        QVERIFY(!dragOnto(w, *local, Qt::MoveAction).entered);
        QVERIFY(shown.isEmpty());
        unchanged();
    }

    // --- order list --------------------------------------------------------------------

    void addMoveAndRemoveRows()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        auto& shown = platform_->messages.shown;
        w.List1->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});

        w.Command2[0]->click();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("追加ファイルの確認"));
        QCOMPARE(shown[0].text,
                 QStringLiteral("追加するファイル名を左側の 「現在のリスト」 の中から指定して下さい。　"));
        QCOMPARE(w.List2->count(), 0);

        // Selected rows go in ascending order whatever order they were picked in.
        w.List1->setCurrentRow(2, QItemSelectionModel::Select);
        w.List1->setCurrentRow(0, QItemSelectionModel::Select);
        w.Command2[0]->click();
        w.List1_DblClick(); // the current row, "a", once more
        QCOMPARE(rows(w.List2), (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("a")}));

        for (int button : {1, 2, 4}) {
            w.Command2[button]->click();
            QCOMPARE(shown.last().icon, MsgIcon::Exclamation);
        }
        QCOMPARE(shown[1].title, QStringLiteral("上方移動ファイルの確認"));
        QCOMPARE(shown[2].title, QStringLiteral("下方移動ファイルの確認"));
        QCOMPARE(shown[3].title, QStringLiteral("削除ファイルの確認"));
        QCOMPARE(shown[3].text,
                 QStringLiteral("削除するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));

        w.List2->setCurrentRow(1);
        w.Command2[1]->click();
        QCOMPARE(rows(w.List2), (QStringList{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("a")}));
        QCOMPARE(w.List2->selectedItems().first()->text(), QStringLiteral("c"));
        QCOMPARE(w.List2->currentRow(), 0);
        w.Command2[1]->click(); // at the top: nothing, no message
        w.Command2[2]->click();
        w.Command2[2]->click();
        w.Command2[2]->click(); // at the bottom: nothing
        QCOMPARE(rows(w.List2), (QStringList{QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(w.List2->currentRow(), 2);
        QCOMPARE(shown.size(), 4);

        w.Command2[4]->click();
        QCOMPARE(rows(w.List2), (QStringList{QStringLiteral("a"), QStringLiteral("a")}));
        QVERIFY(w.List2->selectedItems().isEmpty());
    }

    void addAllAsksFirst()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        for (int i = 0; i < 120; ++i)
            w.List1->addItem(QStringLiteral("f%1.txt").arg(i));
        w.List2->addItem(QStringLiteral("old"));
        platform_->messages.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
        w.Command2[3]->click();
        QCOMPARE(rows(w.List2), QStringList{QStringLiteral("old")});
        const auto& asked = platform_->messages.shown[0];
        QCOMPARE(asked.title, QStringLiteral("一括追加確認"));
        QCOMPARE(asked.text,
                 QStringLiteral("右側の 「くみろ順のリスト」 を全てクリアして\r\r"
                                "左側の 「現在のリスト」 の全てを追加します。　よろしいですか？　"));
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        w.Command2[3]->click();
        QCOMPARE(rows(w.List2), rows(w.List1));
    }

    void confirmingTheOrder()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        state_->CurKind = Kind::Text;
        auto& shown = platform_->messages.shown;

        w.Command1_Click(0);
        QCOMPARE(shown.last().title, QStringLiteral("選択ファイルの確認"));
        QCOMPARE(shown.last().icon, MsgIcon::Critical);
        w.List2->addItem(QStringLiteral("x.txt"));
        w.Command1_Click(0);
        QCOMPARE(shown.last().text,
                 QStringLiteral(
                     "くみろ順で指定されたファイルの数は \"１個\" だけです。　複数のファイルを選択して下さい。　"));

        // A duplicate is kept as it is, with its full path.
        w.List2->addItem(QStringLiteral("x.txt"));
        w.Command1_Click(0);
        QCOMPARE(shown.last().title, QStringLiteral("くみろ順確認"));
        QCOMPARE(shown.last().text, QStringLiteral("くみろ順を確定しました。　くみろ実行を選択して下さい。　"));
        QCOMPARE(state_->Order.value_or(QStringList()).size(), 2);
        QCOMPARE(state_->Order.value_or(QStringList()).value(0), data_ + QStringLiteral("/x.txt"));
        QCOMPARE(state_->Order.value_or(QStringList()).value(1), data_ + QStringLiteral("/x.txt"));
        QVERIFY(w.mnuFileKumiro->isEnabled());
        QVERIFY(w.toolbarButtons[6]->isEnabled());

        // 100 rows are accepted; 101 are refused and the 100 stay confirmed.
        w.List2->clear();
        for (int i = 0; i < 100; ++i)
            w.List2->addItem(QStringLiteral("%1.txt").arg(i));
        w.Command1_Click(0);
        QCOMPARE(state_->Order.value_or(QStringList()).size(), 100);
        QCOMPARE(state_->Order.value_or(QStringList()).value(99), data_ + QStringLiteral("/99.txt"));
        w.List2->addItem(QStringLiteral("100.txt"));
        w.Command1_Click(0);
        QCOMPARE(shown.last().text,
                 QStringLiteral("くみろ順で指定されたファイルの数が \"100個\" を超えています。　\r\r"
                                "これ以上のファイル数を扱う場合は、数回に分けて実行して下さい。　"));
        QCOMPARE(state_->Order.value_or(QStringList()).size(), 100);

        // Edits after "OK" do not reach the order.
        w.List2->clear();
        QCOMPARE(state_->Order.value_or(QStringList()).value(0), data_ + QStringLiteral("/0.txt"));
    }

    void clearingAndHelp()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        w.List1->addItems({QStringLiteral("a"), QStringLiteral("b")});
        w.List2->addItems({QStringLiteral("a"), QStringLiteral("b")});
        w.Timer1_Timer();
        platform_->messages.answers = {MsgAnswer::Cancel, MsgAnswer::Cancel, MsgAnswer::Ok, MsgAnswer::Ok};

        w.Command1_Click(1);
        QCOMPARE(platform_->messages.shown.last().text, QStringLiteral("全てのリストを初期化しますか？　"));
        QCOMPARE(w.List1->count() + w.List2->count(), 4);
        QVERIFY(!w.Command1[0]->isEnabled() && !w.Command1[1]->isEnabled() && !w.Command1[2]->isEnabled());
        w.Timer1_Timer();
        QVERIFY(w.Command1[0]->isEnabled() && w.Command1[1]->isEnabled());

        w.Command1_Click(2);
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("右側の 「くみろ順のリスト」 を初期化しますか？　"));
        QCOMPARE(w.List2->count(), 2);
        QVERIFY(!w.Command1[0]->isEnabled() && w.Command1[1]->isEnabled() && !w.Command1[2]->isEnabled());

        w.Command1_Click(2);
        QCOMPARE(w.List2->count(), 0);
        QCOMPARE(w.List1->count(), 2);
        w.Command1_Click(1);
        QCOMPARE(w.List1->count(), 0);

        w.Command1[3]->click();
        QCOMPARE(platform_->help.calls.last().context, 6);
        QCOMPARE(platform_->help.calls.last().command, HelpCommand::Context);
    }

    // --- drag reordering ------------------------------------------------------------

    void rowUnderThePointer()
    {
        QCOMPARE(ListIndexAtY(16, 3, 10, 40), qint16(5));
        QCOMPARE(ListIndexAtY(16, 0, 4, 500), qint16(3)); // below the last row
        QCOMPARE(ListIndexAtY(16, 0, 4, -10), qint16(0)); // less than a row above
        QCOMPARE(ListIndexAtY(16, 5, 10, -10), qint16(5));
        QCOMPARE(ListIndexAtY(16, 5, 10, -20), qint16(4)); // one full row above
        QCOMPARE(ListIndexAtY(16, 2, 10, -100), qint16(0));
        QCOMPARE(ListIndexAtY(16, 0, 0, 30), qint16(0)); // empty list
        QCOMPARE(ListIndexAtY(0, 0, 3, 30), qint16(2)); // no row height yet
    }

    void moveShiftsTheRowsBetween()
    {
        QListWidget list;
        list.addItems(
            {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
        MoveListItem(list, 4, 1);
        QCOMPARE(rows(&list), (QStringList{"0", "4", "1", "2", "3"}));
        MoveListItem(list, 0, 3);
        QCOMPARE(rows(&list), (QStringList{"4", "1", "2", "0", "3"}));
        MoveListItem(list, 2, 2);
        MoveListItem(list, 0, 9); // out of range: nothing
        QCOMPARE(rows(&list), (QStringList{"4", "1", "2", "0", "3"}));
    }

    void draggingWithTheMouse()
    {
        QFile::copy(qEnvironmentVariable("KUMIRO_PROGRAM_DIR") + QStringLiteral("/drag_drop.ico"),
                    dir_->filePath(QStringLiteral("drag_drop.ico")));
        KUMIRO w(*state_, platform_->platform, *office_);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.List2->addItems({"r0", "r1", "r2", "r3", "r4"});
        QWidget* view = w.List2->viewport();
        auto centre = [&](int row) { return w.List2->visualItemRect(w.List2->item(row)).center(); };

        // Right button, row 4 onto row 1; the pointer shows the drag picture meanwhile.
        QTest::mousePress(view, Qt::RightButton, {}, centre(4));
        QCOMPARE(view->cursor().shape(), Qt::BitmapCursor);
        QTest::mouseRelease(view, Qt::RightButton, {}, centre(1));
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(rows(w.List2), (QStringList{"r0", "r4", "r1", "r2", "r3"}));

        // A click without moving changes nothing; a release far below goes to the end.
        QTest::mouseClick(view, Qt::LeftButton, {}, centre(2));
        QCOMPARE(rows(w.List2), (QStringList{"r0", "r4", "r1", "r2", "r3"}));
        QTest::mousePress(view, Qt::LeftButton, {}, centre(0));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(5, view->height() - 2));
        QCOMPARE(rows(w.List2), (QStringList{"r4", "r1", "r2", "r3", "r0"}));

        // Without the picture the standard pointer stays.
        QFile::remove(dir_->filePath(QStringLiteral("drag_drop.ico")));
        QTest::mousePress(view, Qt::LeftButton, {}, centre(1));
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseRelease(view, Qt::LeftButton, {}, centre(1));
    }

    // --- the text combine through the window -------------------------------------------

    void combiningTextFilesEndToEnd()
    {
        QFile a(QDir(data_).filePath(QStringLiteral("1.txt")));
        QVERIFY(a.open(QIODevice::WriteOnly));
        a.write("first\nsecond");
        a.close();
        QFile b(QDir(data_).filePath(QStringLiteral("2.txt")));
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.write("third\r\n");
        b.close();
        const QString out = dir_->filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        state_->set.FolderName[2] = out;
        state_->set.KumiroFile[2] = QStringLiteral("NewText");

        KUMIRO w(*state_, platform_->platform, *office_);
        w.execModal = [](QDialog& d) {
            auto& picker = static_cast<SEL_FOLD&>(d);
            picker.Command1[0]->click();
        };
        w.mnuFileOpen_Click(2);
        w.Command2[3]->click(); // 一括, answered OK
        w.Command1[0]->setEnabled(true);
        w.Command1[0]->click(); // OK
        QVERIFY(w.toolbarButtons[6]->isEnabled());
        w.toolbarButtons[6]->trigger();

        QFile result(out + QStringLiteral("/NewText.txt"));
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), QByteArray("first\r\nsecond\r\nthird\r\n"));
        const auto& done = platform_->messages.shown.last();
        QCOMPARE(done.title, QStringLiteral("完了確認"));
        QCOMPARE(done.text, QStringLiteral("選択した Text ファイルの 「くみろ」 が完了しました。　"));
        QCOMPARE(state_->Order.value_or(QStringList()).value(0), QString());
        QVERIFY(!w.mnuFileKumiro->isEnabled());
        QVERIFY(!w.toolbarButtons[6]->isEnabled());
    }

    void failedCombineKeepsTheOrder()
    {
        state_->CurKind = Kind::Text;
        state_->set.FolderName[2] = dir_->filePath(QStringLiteral("missing-folder"));
        state_->set.KumiroFile[2] = QStringLiteral("NewText");
        QFile a(QDir(data_).filePath(QStringLiteral("1.txt")));
        QVERIFY(a.open(QIODevice::WriteOnly));
        KUMIRO w(*state_, platform_->platform, *office_);
        w.List2->addItems({QStringLiteral("1.txt"), QStringLiteral("1.txt")});
        w.Command1_Click(0);
        // An empty input writes nothing and so cannot fail: give it a line.
        a.write("x\n");
        a.close();
        w.mnuFileKumiro_Click();
        const auto& failed = platform_->messages.shown.last();
        QCOMPARE(failed.icon, MsgIcon::Critical);
        QCOMPARE(failed.title, QStringLiteral("出力確認"));
        QCOMPARE(failed.text,
                 QStringLiteral("くみろ先のフォルダ ") + dir_->filePath(QStringLiteral("missing-folder")) +
                     QStringLiteral(" に書き込めません。　\r\rフォルダがありません。"));
        QCOMPARE(state_->Order.value_or(QStringList()).value(1), data_ + QStringLiteral("/1.txt"));
        QVERIFY(w.mnuFileKumiro->isEnabled());

        // An order voided by the picker is not combined, and not reported as done.
        state_->voidOrder();
        w.mnuFileKumiro_Click();
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("選択ファイルの確認"));
        QVERIFY(!w.mnuFileKumiro->isEnabled());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<test::ScriptedPlatform> platform_;
    std::unique_ptr<OfficeRunner> office_;
    QString data_;
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestMainWin)
#include "test_mainwin.moc"
