// The main window's order list: building, reordering, clearing and confirming the order.
#include "DragReorder.h"
#include "KUMIRO.h"
#include "Order.h"
#include "app/Paths.h"
#include "app/ProgramState.h"
#include "platform/Platform.h"

#include <QAction>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

namespace kumiro {

namespace {

// The selected row of a single-selection list, or -1.
int selectedRow(const QListWidget* list)
{
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

void swapRows(QListWidget* list, int a, int b)
{
    const QString text = list->item(a)->text();
    list->item(a)->setText(list->item(b)->text());
    list->item(b)->setText(text);
    list->setFocus();
    list->setCurrentRow(b);
}

} // namespace

void KUMIRO::Command2_Click(int index)
{
    auto& msg = platform_.messages;
    switch (index) {
    case ListButton::Add: {
        // A current row without a selection (the list regaining focus) is no choice either.
        if (List1->selectedItems().isEmpty()) {
            msg.show(this, MsgIcon::Exclamation, QStringLiteral("追加ファイルの確認"),
                     QStringLiteral("追加するファイル名を左側の 「現在のリスト」 の中から指定して下さい。　"));
            return;
        }
        // Every selected row, even past 100: "OK" holds the order to its limit.
        for (int i = 0; i < List1->count(); ++i) {
            if (List1->item(i)->isSelected())
                List2->addItem(List1->item(i)->text());
        }
        break;
    }
    case ListButton::Up: {
        const int i = selectedRow(List2);
        if (i < 0) {
            msg.show(
                this, MsgIcon::Exclamation, QStringLiteral("上方移動ファイルの確認"),
                QStringLiteral("上方へ移動するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));
            return;
        }
        if (i > 0)
            swapRows(List2, i, i - 1);
        break;
    }
    case ListButton::Down: {
        const int i = selectedRow(List2);
        if (i < 0) {
            msg.show(
                this, MsgIcon::Exclamation, QStringLiteral("下方移動ファイルの確認"),
                QStringLiteral("下方へ移動するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));
            return;
        }
        if (i + 1 < List2->count())
            swapRows(List2, i, i + 1);
        break;
    }
    case ListButton::AddAll: {
        const MsgAnswer answer =
            msg.show(this, MsgIcon::Question, QStringLiteral("一括追加確認"),
                     QStringLiteral("右側の 「くみろ順のリスト」 を全てクリアして\r\r"
                                    "左側の 「現在のリスト」 の全てを追加します。　よろしいですか？　"),
                     MsgButtons::OkCancel);
        if (answer != MsgAnswer::Ok)
            return;
        List2->clear();
        for (int i = 0; i < List1->count(); ++i)
            List2->addItem(List1->item(i)->text());
        break;
    }
    case ListButton::Remove: {
        const int i = selectedRow(List2);
        if (i < 0) {
            msg.show(this, MsgIcon::Exclamation, QStringLiteral("削除ファイルの確認"),
                     QStringLiteral("削除するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));
            return;
        }
        delete List2->takeItem(i);
        // The row that took its place (or the new last one) is next: Delete again goes on.
        List2->setFocus();
        List2->setCurrentRow(std::min(i, List2->count() - 1));
        break;
    }
    default: break;
    }
}

void KUMIRO::List1_DblClick()
{
    if (QListWidgetItem* item = List1->currentItem())
        List2->addItem(item->text());
}

void KUMIRO::Command1_Click(int index)
{
    auto& msg = platform_.messages;
    switch (index) {
    case OrderButton::Confirm: {
        QStringList names;
        for (int i = 0; i < List2->count(); ++i)
            names << List2->item(i)->text();
        if (confirmOrder(state_, names, msg, this))
            enableCombine(true);
        break;
    }
    case OrderButton::ClearAll: {
        if (msg.show(this, MsgIcon::Question, QStringLiteral("初期化確認"),
                     QStringLiteral("全てのリストを初期化しますか？　"), MsgButtons::OkCancel) == MsgAnswer::Ok) {
            List1->clear();
            List2->clear();
        }
        for (int i : {OrderButton::Confirm, OrderButton::ClearAll, OrderButton::ClearOrder})
            Command1[i]->setEnabled(false);
        break;
    }
    case OrderButton::ClearOrder: {
        if (msg.show(this, MsgIcon::Question, QStringLiteral("初期化確認"),
                     QStringLiteral("右側の 「くみろ順のリスト」 を初期化しますか？　"),
                     MsgButtons::OkCancel) == MsgAnswer::Ok)
            List2->clear();
        Command1[OrderButton::Confirm]->setEnabled(false);
        Command1[OrderButton::ClearOrder]->setEnabled(false);
        break;
    }
    case OrderButton::Help: platform_.help.show(this, state_.HelpFile, HelpCommand::Context, 6); break;
    default: break;
    }
}

void KUMIRO::List2_MouseDown(int y)
{
    DragFrom = ListIndexAtY(*List2, y);
    // Loaded at every press: a missing picture leaves the standard pointer.
    const QPixmap picture(joinPath(state_.ProgramFolder, QStringLiteral("drag_drop.ico")));
    if (!picture.isNull())
        List2->viewport()->setCursor(QCursor(picture, 1, 1));
}

void KUMIRO::List2_MouseUp(int y)
{
    MoveListItem(*List2, DragFrom, ListIndexAtY(*List2, y));
    List2->viewport()->unsetCursor();
}

} // namespace kumiro
