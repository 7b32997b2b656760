// The main window: size and place, layout on resize, ending, the buttons' timer, menus and
// toolbar, and a text combine through the window.
#include "app/ProgramState.h"
#include "mainwin/KUMIRO.h"
#include "support/Controls.h"
#include "support/MainWindow.h"
#include "support/Picker.h"
#include "support/StoredKeys.h"
#include "mainwin/MainLayout.h"
#include "platform/Twips.h"
#include "settings/SEL_FOLD.h"
#include "settings/SETTEI.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

using namespace kumiro;
using namespace kumiro::test;

class TestMainWin : public QObject, private MainWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpWindow(); }

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
        const MainWindowParts p(w);
        QCOMPARE(w.outerHeightTwips(), 9000.0);
        QCOMPARE(w.outerWidthTwips(), 12000.0);
        auto at = [](const QRectF& r) { return twipsRect(r.x(), r.y(), r.width(), r.height()); };
        QCOMPARE(p.left->geometry(), at(mainLayoutFor(9000, 12000)->list1));

        w.resize(twipsToPixels(15000), w.height() + twipsToPixels(1500));
        QCoreApplication::sendPostedEvents();
        QResizeEvent resize(w.size(), w.size());
        QCoreApplication::sendEvent(&w, &resize);
        const auto expected = mainLayoutFor(w.outerHeightTwips(), w.outerWidthTwips());
        QCOMPARE(p.right->geometry(), at(expected->list2));
        QCOMPARE(p.help->geometry(), at(expected->command1[3]));

        // Too low: nothing moves.
        const QRect before = p.left->geometry();
        w.resize(w.width(), w.menuBar()->sizeHint().height() + twipsToPixels(900));
        QCoreApplication::sendPostedEvents();
        QResizeEvent low(w.size(), w.size());
        QCoreApplication::sendEvent(&w, &low);
        QVERIFY(!mainLayoutFor(w.outerHeightTwips(), w.outerWidthTwips()));
        QCOMPARE(p.left->geometry(), before);
    }

    // --- load, geometry, ending ------------------------------------------------------

    void opensAtTheStoredSizeAndPlaceWithCombiningOff()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows"));
        QCOMPARE(w.pos(), QPoint(twipsToPixels(1500), twipsToPixels(600)));
        QVERIFY(!w.windowIcon().isNull());
        QVERIFY(!p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());
        QVERIFY(!p.tool(QStringLiteral("くみろ実行"))->isEnabled());
        for (QPushButton* b : {p.ok, p.clearAll, p.clearOrder})
            QVERIFY(!b->isEnabled());
        QVERIFY(p.help->isEnabled());
    }

    void windowsXpClassicLookIsTaller()
    {
        Probes xp;
        xp.windowsName = [] { return QStringLiteral("Windows XP"); };
        xp.readAppearanceScheme = [](QString&) {};
        KUMIRO classic(*state_, platform_->platform, *office_, xp);
        QCOMPARE(classic.outerHeightTwips(), 9120.0);
        QCOMPARE(classic.outerWidthTwips(), 12000.0);

        xp.readAppearanceScheme = [](QString& scheme) { scheme = QStringLiteral("Windows Standard"); };
        KUMIRO themed(*state_, platform_->platform, *office_, xp);
        QCOMPARE(themed.outerHeightTwips(), 9000.0);
        // The extra height is added before the 16-bit conversion.
        state_->AppearanceScheme.clear();
        state_->set.F_Height = QStringLiteral("32700");
        xp.readAppearanceScheme = [](QString&) {};
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
        const MainWindowParts p(w);
        QCOMPARE(w.outerHeightTwips(), 9000.0);
        QCOMPARE(w.outerWidthTwips(), 12000.0);
    }

    void centringIgnoresTheStoredPlaceButSavesIt()
    {
        state_->set.OptCent = QStringLiteral("1");
        state_->set.F_Width = QStringLiteral("6000");
        state_->set.F_Height = QStringLiteral("4500");
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
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
        const MainWindowParts p(w);
        int ended = 0;
        w.endProgram = [&] { ++ended; };
        w.resize(twipsToPixels(9000), twipsToPixels(6000));
        w.move(twipsToPixels(300), twipsToPixels(450));

        platform_->messages.answers = {MsgAnswer::Cancel};
        p.menu(QStringLiteral("くみろ君 の終了(&X)..."))->trigger();
        QCOMPARE(platform_->messages.shown.size(), 1);
        const auto& asked = platform_->messages.shown[0];
        QCOMPARE(asked.title, QStringLiteral("終了確認"));
        QCOMPARE(asked.text, QStringLiteral("「くみろ君 for Windows」 を終了しますか？　"));
        QCOMPARE(asked.icon, MsgIcon::Question);
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        QCOMPARE(ended, 0);
        QVERIFY(store_->read(QStringLiteral("kumiro"), kSectionPosition, QStringLiteral("G_Top")).isEmpty());

        p.menu(QStringLiteral("くみろ君 の終了(&X)..."))->trigger();
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
            const MainWindowParts p(w);
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
        const MainWindowParts p(w);
        int ended = 0;
        w.endProgram = [&] { ++ended; };
        QTest::mouseDClick(w.centralWidget(), Qt::LeftButton, {}, QPoint(3, w.centralWidget()->height() - 3));
        QTest::mouseDClick(p.toolbar, Qt::LeftButton, {}, QPoint(p.toolbar->width() - 3, 5));
        QVERIFY(platform_->messages.shown.isEmpty());

        state_->set.OptDbl = QStringLiteral("1");
        platform_->messages.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
        QTest::mouseDClick(p.toolbar, Qt::LeftButton, {}, QPoint(p.toolbar->width() - 3, 5));
        QCOMPARE(ended, 0);
        QTest::mouseDClick(w.centralWidget(), Qt::LeftButton, {}, QPoint(3, w.centralWidget()->height() - 3));
        QCOMPARE(platform_->messages.shown.size(), 2);
        QCOMPARE(ended, 1);
    }

    // --- timer, menus, toolbar -------------------------------------------------------

    void timerRules()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        QCOMPARE(p.timer->interval(), 500);
        QVERIFY(p.timer->isActive());
        auto state = [&] {
            return QString::fromLatin1("%1%2%3")
                .arg(int(p.ok->isEnabled()))
                .arg(int(p.clearAll->isEnabled()))
                .arg(int(p.clearOrder->isEnabled()));
        };
        QCOMPARE(state(), QStringLiteral("000"));
        // Every change of a list shows at once, without waiting for a tick.
        p.right->addItem(QStringLiteral("a.txt"));
        QCOMPARE(state(), QStringLiteral("011"));
        p.right->addItem(QStringLiteral("b.txt"));
        QCOMPARE(state(), QStringLiteral("111"));
        // Emptied lists: "全初期化" stays as it was.
        p.right->clear();
        QCOMPARE(state(), QStringLiteral("010"));
        p.clearAll->setEnabled(false);
        p.left->addItems({QStringLiteral("x"), QStringLiteral("y")});
        QCOMPARE(state(), QStringLiteral("010"));
        // A handler's own disabling lasts until the next tick.
        p.clearAll->setEnabled(false);
        QCOMPARE(state(), QStringLiteral("000"));
        QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("010"), 2000);
    }

    void menusAndToolbarCaptionsAndShortcuts()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
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
        QCOMPARE(p.menu(QStringLiteral("各種設定(&K)"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
        QCOMPARE(p.menu(QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"))->shortcut(), QKeySequence(Qt::Key_F1));

        const auto actions = p.toolbar->actions();
        QCOMPARE(actions.size(), 17);
        QStringList buttons;
        for (QAction* a : actions) {
            buttons << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
            if (!a->isSeparator())
                QVERIFY2(a->icon().pixmap(16).toImage().pixelColor(8, 8).alpha() > 0 ||
                             a->icon().pixmap(16).toImage().pixelColor(4, 4).alpha() > 0,
                         qPrintable(a->text()));
        }
        QCOMPARE(buttons,
                 (QStringList{QStringLiteral("-"), QStringLiteral(" Word ﾌｧｲﾙの一覧を開く "),
                              QStringLiteral(" Excel ﾌｧｲﾙの一覧を開く "), QStringLiteral(" Text ﾌｧｲﾙの一覧を開く "),
                              QStringLiteral("-"), QStringLiteral(" くみろ実行 "), QStringLiteral("-"),
                              QStringLiteral(" ｺﾋﾟｰ "), QStringLiteral(" 名前の変更 "), QStringLiteral(" ﾊﾞｯｸｱｯﾌﾟ "),
                              QStringLiteral("-"), QStringLiteral(" 削除 "), QStringLiteral("-"),
                              QStringLiteral(" 各種設定 "), QStringLiteral("-"), QStringLiteral(" ﾊﾞｰｼﾞｮﾝ情報 "),
                              QStringLiteral(" ﾍﾙﾌﾟ ")}));
        QCOMPARE(p.left->accessibleName(), QStringLiteral("現在のリスト"));
        QCOMPARE(p.add->toolTip(), QStringLiteral(" 追加 "));
    }

    void helpCommands()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        p.tool(QStringLiteral("ﾍﾙﾌﾟ"))->trigger();
        p.menu(QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"))->trigger();
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
        const MainWindowParts p(w);
        p.tool(QStringLiteral("各種設定"))->trigger();
        SETTEI* first = w.settingsDialog();
        QVERIFY(first && first->isVisible() && !first->isModal());
        named<QLineEdit>(*first, QStringLiteral("くみろﾌｧｲﾙ名（Ｗ編）"))->setText(QStringLiteral("unsaved"));
        p.menu(QStringLiteral("各種設定(&K)"))->trigger();
        QCOMPARE(w.settingsDialog(), first);
        QCOMPARE(named<QLineEdit>(*first, QStringLiteral("くみろﾌｧｲﾙ名（Ｗ編）"))->text(), QStringLiteral("unsaved"));
        // Closed by its frame: discarded, and the next opening loads afresh.
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.settingsDialog());
        p.menu(QStringLiteral("各種設定(&K)"))->trigger();
        QCOMPARE(named<QLineEdit>(*w.settingsDialog(), QStringLiteral("くみろﾌｧｲﾙ名（Ｗ編）"))->text(),
                 state_->set.KumiroFile[0]);
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

        const MainWindowParts p(w);
        w.execModal = [](QDialog& d) { PickerParts(d).ok->click(); };
        // The count, 一括 and the order answered OK; the completion with "フォルダを開く".
        platform_->messages.answers = {MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::OpenFolder};
        p.menu(QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."))->trigger();
        p.addAll->click();
        p.ok->setEnabled(true);
        p.ok->click(); // OK
        QVERIFY(p.tool(QStringLiteral("くみろ実行"))->isEnabled());
        p.tool(QStringLiteral("くみろ実行"))->trigger();

        QFile result(out + QStringLiteral("/NewText.txt"));
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), QByteArray("first\r\nsecond\r\nthird\r\n"));
        const auto& done = platform_->messages.shown.last();
        QCOMPARE(done.title, QStringLiteral("完了確認"));
        // It says where the file went, and opens that folder when asked.
        QCOMPARE(done.text,
                 QStringLiteral("選択した Text ファイルの 「くみろ」 が完了しました。　\r\r") + out +
                     QStringLiteral("/NewText.txt"));
        QCOMPARE(done.buttons, MsgButtons::OkOpenFolder);
        QCOMPARE(platform_->shell.shownFiles, QStringList{out + QStringLiteral("/NewText.txt")});
        QCOMPARE(state_->Order.files().value(0), QString());
        QVERIFY(!p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());
        QVERIFY(!p.tool(QStringLiteral("くみろ実行"))->isEnabled());
    }

    void failedCombineKeepsTheOrder()
    {
        state_->CurKind = Kind::Text;
        state_->set.FolderName[2] = dir_->filePath(QStringLiteral("missing-folder"));
        state_->set.KumiroFile[2] = QStringLiteral("NewText");
        QFile a(QDir(data_).filePath(QStringLiteral("1.txt")));
        QVERIFY(a.open(QIODevice::WriteOnly));
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        p.right->addItems({QStringLiteral("1.txt"), QStringLiteral("1.txt")});
        p.ok->click();
        // An empty input writes nothing and so cannot fail: give it a line.
        a.write("x\n");
        a.close();
        p.menu(QStringLiteral("くみろ実行(&G)"))->trigger();
        const auto& failed = platform_->messages.shown.last();
        QCOMPARE(failed.icon, MsgIcon::Critical);
        QCOMPARE(failed.title, QStringLiteral("出力確認"));
        QCOMPARE(failed.text,
                 QStringLiteral("くみろ先のフォルダ ") + dir_->filePath(QStringLiteral("missing-folder")) +
                     QStringLiteral(" に書き込めません。　\r\rフォルダがありません。"));
        QCOMPARE(state_->Order.files().value(1), data_ + QStringLiteral("/1.txt"));
        QVERIFY(p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());

        // A file of the confirmed order that is gone since is named before anything starts;
        // the order stays for the user to mend.
        state_->set.FolderName[2] = dir_->path();
        QVERIFY(QFile::remove(QDir(data_).filePath(QStringLiteral("1.txt"))));
        p.menu(QStringLiteral("くみろ実行(&G)"))->trigger();
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("ファイル確認"));
        QVERIFY2(platform_->messages.shown.last().text.contains(data_ + QStringLiteral("/1.txt")),
                 qPrintable(platform_->messages.shown.last().text));
        QVERIFY(!QFile::exists(dir_->filePath(QStringLiteral("NewText.txt"))));
        QVERIFY(p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());
        // For Word, before any office is asked for.
        state_->CurKind = Kind::Word;
        state_->Order.confirm(QStringList{data_ + QStringLiteral("/gone.doc"), data_ + QStringLiteral("/gone.doc")});
        p.menu(QStringLiteral("くみろ実行(&G)"))->trigger();
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("ファイル確認"));
        QVERIFY(platform_->messages.shown.last().text.startsWith(QStringLiteral("ファイル ") + data_));
        state_->CurKind = Kind::Text;

        // An order voided by the picker is not combined, and not reported as done.
        state_->Order.voidOrder();
        p.menu(QStringLiteral("くみろ実行(&G)"))->trigger();
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("選択ファイルの確認"));
        QVERIFY(!p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestMainWin)
#include "test_mainwin.moc"
