// The order panel: its rules without a window, the buttons between and under the lists, and
// reordering with the mouse, on the panel alone; and the order it confirms, in the window.
#include "app/HelpTopics.h"
#include "app/ProgramState.h"
#include "mainwin/DragReorder.h"
#include "mainwin/KUMIRO.h"
#include "mainwin/Order.h"
#include "mainwin/OrderPanel.h"
#include "platform/ButtonKeys.h"
#include "support/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kumiro;
using namespace kumiro::test;

class TestOrder : public QObject, private MainWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpWindow(); }

    // --- order rules, without a window ---------------------------------------------

    void orderIsConfirmedForTwoToAHundredNames()
    {
        test::ScriptedMessageBoxes messages;
        for (int n : {0, 1, 101}) {
            QVERIFY(!orderCountTaken(n, messages, nullptr));
            QCOMPARE(messages.shown.last().icon, MsgIcon::Critical);
        }
        QCOMPARE(messages.shown[0].title, QStringLiteral("選択ファイルの確認"));
        QCOMPARE(messages.shown[2].title, QStringLiteral("選択ファイル数の確認"));
        QVERIFY(orderCountTaken(2, messages, nullptr));
        QVERIFY(orderCountTaken(100, messages, nullptr));
        QCOMPARE(messages.shown.size(), 3);

        ConfirmedOrder order;
        QVERIFY(!order.isConfirmed());
        order.confirm(orderFiles(QStringLiteral("/data/"), {QStringLiteral("b.xls"), QStringLiteral("a.csv")}));
        QCOMPARE(order.files(), (QStringList{QStringLiteral("/data/b.xls"), QStringLiteral("/data/a.csv")}));
        QVERIFY(order.isConfirmed());
        order.voidOrder();
        QVERIFY(!order.isConfirmed());
        QVERIFY(order.files().isEmpty());
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

    // --- order list --------------------------------------------------------------------

    void addMoveAndRemoveRows()
    {
        OrderPanel panel(platform_->messages);
        const OrderPanelParts p(panel);
        auto& shown = platform_->messages.shown;
        panel.showListing({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});

        p.add->click();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("追加ファイルの確認"));
        QCOMPARE(shown[0].text,
                 QStringLiteral("追加するファイル名を左側の 「現在のリスト」 の中から指定して下さい。　"));
        QCOMPARE(p.right->count(), 0);

        // Selected rows go in ascending order whatever order they were picked in.
        p.left->setCurrentRow(2, QItemSelectionModel::Select);
        p.left->setCurrentRow(0, QItemSelectionModel::Select);
        p.add->click();
        // A double-click adds the row under the pointer, "a", once more.
        QTest::mouseDClick(p.left->viewport(), Qt::LeftButton, {}, p.left->visualItemRect(p.left->item(0)).center());
        QCOMPARE(rows(p.right), (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("a")}));

        for (QPushButton* button : {p.up, p.down, p.remove}) {
            button->click();
            QCOMPARE(shown.last().icon, MsgIcon::Exclamation);
        }
        QCOMPARE(shown[1].title, QStringLiteral("上方移動ファイルの確認"));
        QCOMPARE(shown[2].title, QStringLiteral("下方移動ファイルの確認"));
        QCOMPARE(shown[3].title, QStringLiteral("削除ファイルの確認"));
        QCOMPARE(shown[3].text,
                 QStringLiteral("削除するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));

        p.right->setCurrentRow(1);
        p.up->click();
        QCOMPARE(rows(p.right), (QStringList{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("a")}));
        QCOMPARE(p.right->selectedItems().first()->text(), QStringLiteral("c"));
        QCOMPARE(p.right->currentRow(), 0);
        p.up->click(); // at the top: nothing, no message
        p.down->click();
        p.down->click();
        p.down->click(); // at the bottom: nothing
        QCOMPARE(rows(p.right), (QStringList{QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(p.right->currentRow(), 2);
        QCOMPARE(shown.size(), 4);

        p.remove->click();
        QCOMPARE(rows(p.right), (QStringList{QStringLiteral("a"), QStringLiteral("a")}));
        // The last row gone, the new last one is chosen; removing goes on row after row.
        QCOMPARE(p.right->currentRow(), 1);
        QCOMPARE(p.right->selectedItems().size(), 1);
        p.right->setCurrentRow(0);
        p.remove->click();
        QCOMPARE(p.right->currentRow(), 0);
        p.remove->click();
        QVERIFY(p.right->selectedItems().isEmpty());
    }

    void addAllAsksFirst()
    {
        OrderPanel panel(platform_->messages);
        const OrderPanelParts p(panel);
        for (int i = 0; i < 120; ++i)
            p.left->addItem(QStringLiteral("f%1.txt").arg(i));
        p.right->addItem(QStringLiteral("old"));
        platform_->messages.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
        p.addAll->click();
        QCOMPARE(rows(p.right), QStringList{QStringLiteral("old")});
        const auto& asked = platform_->messages.shown[0];
        QCOMPARE(asked.title, QStringLiteral("一括追加確認"));
        QCOMPARE(asked.text,
                 QStringLiteral("右側の 「くみろ順のリスト」 を全てクリアして\r\r"
                                "左側の 「現在のリスト」 の全てを追加します。　よろしいですか？　"));
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        p.addAll->click();
        QCOMPARE(rows(p.right), rows(p.left));
    }

    void confirmingTheOrder()
    {
        OrderPanel panel(platform_->messages);
        const OrderPanelParts p(panel);
        QSignalSpy confirmed(&panel, &OrderPanel::orderConfirmed);
        auto& shown = platform_->messages.shown;
        auto last = [&] { return confirmed.last().at(0).toStringList(); };

        // Fewer than two rows cannot be confirmed: "OK" is off (its messages are the rules' own).
        QVERIFY(!p.ok->isEnabled());
        p.right->addItem(QStringLiteral("x.txt"));
        QVERIFY(!p.ok->isEnabled());

        // A duplicate is kept as it is.
        p.right->addItem(QStringLiteral("x.txt"));
        p.ok->click();
        QCOMPARE(shown.last().title, QStringLiteral("くみろ順確認"));
        QCOMPARE(shown.last().text, QStringLiteral("くみろ順を確定しました。　くみろ実行を選択して下さい。　"));
        QCOMPARE(last(), (QStringList{QStringLiteral("x.txt"), QStringLiteral("x.txt")}));

        // 100 rows are accepted; 101 are refused, and nothing is handed out.
        p.right->clear();
        for (int i = 0; i < 100; ++i)
            p.right->addItem(QStringLiteral("%1.txt").arg(i));
        p.ok->click();
        QCOMPARE(last().size(), 100);
        QCOMPARE(last().value(99), QStringLiteral("99.txt"));
        p.right->addItem(QStringLiteral("100.txt"));
        p.ok->click();
        QCOMPARE(shown.last().text,
                 QStringLiteral("くみろ順で指定されたファイルの数が \"100個\" を超えています。　\r\r"
                                "これ以上のファイル数を扱う場合は、数回に分けて実行して下さい。　"));
        QCOMPARE(confirmed.size(), 2);
    }

    // The window makes the panel's order the confirmed one, as files of the data folder,
    // and offers the combine; edits after "OK" do not reach it.
    void theWindowKeepsTheConfirmedOrder()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        state_->CurKind = Kind::Text;
        QVERIFY(!p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());
        p.right->addItems({QStringLiteral("x.txt"), QStringLiteral("y.txt")});
        p.ok->click();
        QCOMPARE(state_->Order.files(),
                 (QStringList{data_ + QStringLiteral("/x.txt"), data_ + QStringLiteral("/y.txt")}));
        QVERIFY(p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());
        QVERIFY(p.tool(QStringLiteral("くみろ実行"))->isEnabled());
        p.right->clear();
        QCOMPARE(state_->Order.files().size(), 2);

        p.help->click();
        QCOMPARE(platform_->help.calls.last().context, HelpTopic::Order);
        QCOMPARE(platform_->help.calls.last().command, HelpCommand::Context);
    }

    void clearingAndHelp()
    {
        OrderPanel panel(platform_->messages);
        const OrderPanelParts p(panel);
        QSignalSpy help(&panel, &OrderPanel::helpRequested);
        panel.showListing({QStringLiteral("a"), QStringLiteral("b")});
        p.right->addItems({QStringLiteral("a"), QStringLiteral("b")});
        platform_->messages.answers = {MsgAnswer::Cancel, MsgAnswer::Cancel, MsgAnswer::Ok, MsgAnswer::Ok};

        p.clearAll->click();
        QCOMPARE(platform_->messages.shown.last().text, QStringLiteral("全てのリストを初期化しますか？　"));
        QCOMPARE(p.left->count() + p.right->count(), 4);
        QVERIFY(!p.ok->isEnabled() && !p.clearAll->isEnabled() && !p.clearOrder->isEnabled());
        QTRY_VERIFY(p.ok->isEnabled() && p.clearAll->isEnabled());

        p.clearOrder->click();
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("右側の 「くみろ順のリスト」 を初期化しますか？　"));
        QCOMPARE(p.right->count(), 2);
        QVERIFY(!p.ok->isEnabled() && p.clearAll->isEnabled() && !p.clearOrder->isEnabled());

        QTRY_VERIFY(p.clearOrder->isEnabled());
        p.clearOrder->click();
        QCOMPARE(p.right->count(), 0);
        QCOMPARE(p.left->count(), 2);
        p.clearAll->click();
        QCOMPARE(p.left->count(), 0);

        p.help->click();
        QCOMPARE(help.size(), 1);
    }

    // The order list's keys and Return on a focused button do what the buttons do, with
    // their rules.
    void keysOfTheOrderList()
    {
        installButtonKeys(*qApp);
        OrderPanel w(platform_->messages);
        QSignalSpy help(&w, &OrderPanel::helpRequested);
        const OrderPanelParts p(w);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto& shown = platform_->messages.shown;
        p.right->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        p.right->setFocus();
        QTest::keyClick(p.right, Qt::Key_Delete);
        QCOMPARE(shown.last().title, QStringLiteral("削除ファイルの確認"));
        p.right->setCurrentRow(2);
        QTest::keyClick(p.right, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(rows(p.right), (QStringList{"a", "c", "b"}));
        QTest::keyClick(p.right, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(p.right, Qt::Key_Down, Qt::ControlModifier); // at the bottom: nothing
        QCOMPARE(rows(p.right), (QStringList{"a", "b", "c"}));
        QTest::keyClick(p.right, Qt::Key_Delete);
        QCOMPARE(rows(p.right), (QStringList{"a", "b"}));
        QCOMPARE(shown.size(), 1);

        // Return on a focused button presses it; Return in a list presses nothing.
        p.right->setCurrentRow(1);
        p.up->setFocus();
        QTest::keyClick(p.up, Qt::Key_Return);
        QTRY_COMPARE(rows(p.right), (QStringList{"b", "a"}));
        p.left->setFocus();
        QTest::keyClick(p.left, Qt::Key_Return);
        QCOMPARE(shown.size(), 1);
        p.help->setFocus();
        QTest::keyClick(p.help, Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_COMPARE(help.size(), 1);
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
        OrderPanel w(platform_->messages);
        w.setDragPicture(dir_->filePath(QStringLiteral("drag_drop.ico")));
        const OrderPanelParts p(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        p.right->addItems({"r0", "r1", "r2", "r3", "r4"});
        QWidget* view = p.right->viewport();
        auto centre = [&](int row) { return p.right->visualItemRect(p.right->item(row)).center(); };

        // Right button, row 4 onto row 1; the pointer shows the drag picture meanwhile.
        QTest::mousePress(view, Qt::RightButton, {}, centre(4));
        QCOMPARE(view->cursor().shape(), Qt::BitmapCursor);
        QTest::mouseRelease(view, Qt::RightButton, {}, centre(1));
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(rows(p.right), (QStringList{"r0", "r4", "r1", "r2", "r3"}));

        // A click without moving changes nothing; a release far below goes to the end.
        QTest::mouseClick(view, Qt::LeftButton, {}, centre(2));
        QCOMPARE(rows(p.right), (QStringList{"r0", "r4", "r1", "r2", "r3"}));
        QTest::mousePress(view, Qt::LeftButton, {}, centre(0));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(5, view->height() - 2));
        QCOMPARE(rows(p.right), (QStringList{"r4", "r1", "r2", "r3", "r0"}));

        // Without the picture the standard pointer stays.
        QFile::remove(dir_->filePath(QStringLiteral("drag_drop.ico")));
        QTest::mousePress(view, Qt::LeftButton, {}, centre(1));
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseRelease(view, Qt::LeftButton, {}, centre(1));
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestOrder)
#include "test_order.moc"
