#include "OrderPanel.h"

#include "DragReorder.h"
#include "MainLayout.h"
#include "Order.h"
#include "platform/Look.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

namespace kumiro {

namespace {

QRect px(const QRectF& twips)
{
    return twipsRect(twips.left(), twips.top(), twips.width(), twips.height());
}

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

QStringList rowTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// A button between or under the lists: the designed caption, and a name that says what it
// does (a screen reader would speak an arrow as an arrow).
struct ButtonText {
    const char* object;
    const char16_t* caption;
    const char16_t* tip;
};

} // namespace

OrderPanel::OrderPanel(MessageBoxes& messages, QWidget* parent) : QWidget(parent), messages_(messages)
{
    setObjectName(QStringLiteral("client"));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    setPalette(grey);
    setAutoFillBackground(true);

    buildLists();
    buildButtons();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &OrderPanel::Timer1_Timer);
    // A change shows at once, so nobody waits for the next tick to press "OK".
    for (QListWidget* list : {List1, List2}) {
        QAbstractItemModel* rows = list->model();
        connect(rows, &QAbstractItemModel::rowsInserted, this, &OrderPanel::Timer1_Timer);
        connect(rows, &QAbstractItemModel::rowsRemoved, this, &OrderPanel::Timer1_Timer);
        connect(rows, &QAbstractItemModel::modelReset, this, &OrderPanel::Timer1_Timer);
    }
    switchOffOrderButtons();
    Timer1->start();
}

OrderPanel::~OrderPanel()
{
    // The lists empty themselves as they go, after the panel's own part is gone.
    for (QListWidget* list : {List1, List2})
        list->model()->disconnect(this);
}

void OrderPanel::buildLists()
{
    const MainLayout initial = initialMainLayout();
    QPalette dark = palette();
    dark.setColor(QPalette::Base, kListGrey);
    dark.setColor(QPalette::Text, QColor(255, 255, 128));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List2 = new QListWidget(this);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setSelectionMode(QAbstractItemView::SingleSelection);
    for (auto [list, tip] :
         {std::pair{List1, QStringLiteral(" 現在のリスト ")}, std::pair{List2, QStringLiteral(" くみろ順のリスト ")}}) {
        list->setToolTip(tip);
        list->setAccessibleName(tip.trimmed());
        list->setFont(windowFont(kPGothic, 11.25));
        list->setPalette(dark);
    }
    List1->setGeometry(px(initial.list1));
    List2->setGeometry(px(initial.list2));
    List1->viewport()->installEventFilter(this);
    List2->viewport()->installEventFilter(this);
    List2->installEventFilter(this);
}

void OrderPanel::buildButtons()
{
    const MainLayout initial = initialMainLayout();
    const QFont font = windowFont(kUiGothic, 9);
    auto make = [&](const ButtonText& t, const QRectF& place) {
        auto* b = new QPushButton(QString::fromUtf16(t.caption), this);
        b->setObjectName(QString::fromLatin1(t.object));
        b->setToolTip(QString::fromUtf16(t.tip));
        b->setAccessibleName(b->toolTip().trimmed());
        b->setFont(font);
        b->setGeometry(px(place));
        return b;
    };
    const std::array<ButtonText, ListButtonCount> c2 = {{{"Command2_Add", u"－>", u" 追加 "},
                                                         {"Command2_Up", u"↑", u" 上へ移動 "},
                                                         {"Command2_Down", u"↓", u" 下へ移動 "},
                                                         {"Command2_AddAll", u"一括", u" 一括 "},
                                                         {"Command2_Remove", u"削除", u" 削除 "}}};
    for (int i = 0; i < ListButtonCount; ++i) {
        Command2[i] = make(c2[i], initial.command2[i]);
        connect(Command2[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
    }
    const std::array<ButtonText, OrderButtonCount> c1 = {{{"Command1_Confirm", u"OK", u" OK "},
                                                          {"Command1_ClearAll", u"全初期化", u" 全初期化 "},
                                                          {"Command1_ClearOrder", u"初期化", u" 初期化 "},
                                                          {"Command1_Help", u"ヘルプ", u" ヘルプ "}}};
    for (int i = 0; i < OrderButtonCount; ++i) {
        Command1[i] = make(c1[i], initial.command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
}

bool OrderPanel::layOut(double heightTwips, double widthTwips)
{
    const auto layout = mainLayoutFor(heightTwips, widthTwips);
    if (!layout)
        return false;
    for (int i = 0; i < OrderButtonCount; ++i)
        Command1[i]->setGeometry(px(layout->command1[i]));
    for (int i = 0; i < ListButtonCount; ++i)
        Command2[i]->setGeometry(px(layout->command2[i]));
    List1->setGeometry(px(layout->list1));
    List2->setGeometry(px(layout->list2));
    return true;
}

void OrderPanel::showListing(const QStringList& names)
{
    List1->clear();
    List2->clear();
    List1->addItems(names);
    // The list scrolls sideways to its widest name by itself.
}

void OrderPanel::followListing(const QStringList& present)
{
    if (rowTexts(List1) != present) {
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

void OrderPanel::insertIntoOrder(int row, const QStringList& names)
{
    List2->insertItems(std::clamp(row, 0, List2->count()), names);
}

int OrderPanel::orderRows() const
{
    return List2->count();
}

int OrderPanel::orderRowAt(const QWidget* from, QPoint pos) const
{
    const QModelIndex under = List2->indexAt(List2->viewport()->mapFrom(from, pos));
    return under.isValid() ? under.row() : List2->count();
}

void OrderPanel::switchOffOrderButtons()
{
    for (int i : {Confirm, ClearAll, ClearOrder})
        Command1[i]->setEnabled(false);
}

void OrderPanel::allowOnlyClearAll()
{
    for (QPushButton* b : Command1)
        b->setEnabled(false);
    Command1[ClearAll]->setEnabled(true);
}

void OrderPanel::Timer1_Timer()
{
    const OrderButtonStates on = orderButtonStates(List1->count(), List2->count());
    Command1[Confirm]->setEnabled(on.confirm);
    Command1[ClearOrder]->setEnabled(on.clearOrder);
    if (on.clearAllOn)
        Command1[ClearAll]->setEnabled(true);
}

void OrderPanel::Command2_Click(int index)
{
    switch (index) {
    case Add: addSelected(); break;
    case Up: moveSelected(-1); break;
    case Down: moveSelected(1); break;
    case AddAll: addAll(); break;
    case Remove: removeSelected(); break;
    default: break;
    }
}

void OrderPanel::addSelected()
{
    // A current row without a selection (the list regaining focus) is no choice either.
    if (List1->selectedItems().isEmpty()) {
        messages_.show(this, MsgIcon::Exclamation, QStringLiteral("追加ファイルの確認"),
                       QStringLiteral("追加するファイル名を左側の 「現在のリスト」 の中から指定して下さい。　"));
        return;
    }
    // Every selected row, even past 100: "OK" holds the order to its limit.
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->isSelected())
            List2->addItem(List1->item(i)->text());
    }
}

void OrderPanel::moveSelected(int by)
{
    const int i = selectedRow(List2);
    if (i < 0) {
        if (by < 0)
            messages_.show(
                this, MsgIcon::Exclamation, QStringLiteral("上方移動ファイルの確認"),
                QStringLiteral("上方へ移動するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));
        else
            messages_.show(
                this, MsgIcon::Exclamation, QStringLiteral("下方移動ファイルの確認"),
                QStringLiteral("下方へ移動するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));
        return;
    }
    if (i + by >= 0 && i + by < List2->count())
        swapRows(List2, i, i + by);
}

void OrderPanel::addAll()
{
    const MsgAnswer answer =
        messages_.show(this, MsgIcon::Question, QStringLiteral("一括追加確認"),
                       QStringLiteral("右側の 「くみろ順のリスト」 を全てクリアして\r\r"
                                      "左側の 「現在のリスト」 の全てを追加します。　よろしいですか？　"),
                       MsgButtons::OkCancel);
    if (answer != MsgAnswer::Ok)
        return;
    List2->clear();
    List2->addItems(rowTexts(List1));
}

void OrderPanel::removeSelected()
{
    const int i = selectedRow(List2);
    if (i < 0) {
        messages_.show(this, MsgIcon::Exclamation, QStringLiteral("削除ファイルの確認"),
                       QStringLiteral("削除するファイル名を右側の 「くみろ順のリスト」 の中から指定して下さい。　"));
        return;
    }
    delete List2->takeItem(i);
    // The row that took its place (or the new last one) is next: Delete again goes on.
    List2->setFocus();
    List2->setCurrentRow(std::min(i, List2->count() - 1));
}

void OrderPanel::List1_DblClick()
{
    if (QListWidgetItem* item = List1->currentItem())
        List2->addItem(item->text());
}

void OrderPanel::Command1_Click(int index)
{
    switch (index) {
    case Confirm: confirm(); break;
    case ClearAll: {
        if (messages_.show(this, MsgIcon::Question, QStringLiteral("初期化確認"),
                           QStringLiteral("全てのリストを初期化しますか？　"), MsgButtons::OkCancel) == MsgAnswer::Ok) {
            List1->clear();
            List2->clear();
        }
        switchOffOrderButtons();
        break;
    }
    case ClearOrder: {
        if (messages_.show(this, MsgIcon::Question, QStringLiteral("初期化確認"),
                           QStringLiteral("右側の 「くみろ順のリスト」 を初期化しますか？　"),
                           MsgButtons::OkCancel) == MsgAnswer::Ok)
            List2->clear();
        Command1[Confirm]->setEnabled(false);
        Command1[ClearOrder]->setEnabled(false);
        break;
    }
    case Help: emit helpRequested(); break;
    default: break;
    }
}

void OrderPanel::confirm()
{
    const QStringList names = rowTexts(List2);
    if (!orderCountTaken(names.size(), messages_, this))
        return;
    emit orderConfirmed(names);
    tellOrderConfirmed(messages_, this);
}

void OrderPanel::List2_MouseDown(int y)
{
    DragFrom = ListIndexAtY(*List2, y);
    const QPixmap picture(dragPicture_);
    if (!picture.isNull())
        List2->viewport()->setCursor(QCursor(picture, 1, 1));
}

void OrderPanel::List2_MouseUp(int y)
{
    MoveListItem(*List2, DragFrom, ListIndexAtY(*List2, y));
    List2->viewport()->unsetCursor();
}

bool OrderPanel::eventFilter(QObject* watched, QEvent* event)
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
            Command2_Click(Remove);
        else if (ctrl && key->key() == Qt::Key_Up)
            Command2_Click(Up);
        else if (ctrl && key->key() == Qt::Key_Down)
            Command2_Click(Down);
        else
            return false;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kumiro
