#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>

class QListWidget;
class QPushButton;
class QTimer;

namespace kumiro {

class MessageBoxes;

// The main window's grey client area: the listed folder's files (List1, "現在のリスト"),
// the order being built (List2, "くみろ順のリスト"), the buttons between the lists
// (Command2) and under them (Command1), reordering by dragging, and the rules of all of
// them. "OK" hands the order out as orderConfirmed; the panel never keeps a confirmed order.
class OrderPanel : public QWidget {
    Q_OBJECT
public:
    explicit OrderPanel(MessageBoxes& messages, QWidget* parent = nullptr);
    ~OrderPanel() override;

    // Places the lists and buttons for a window of this outer size in twips; false, and
    // nothing moved, when the window is too low.
    bool layOut(double heightTwips, double widthTwips);
    // The picture the pointer shows while a row of the order is dragged; read at every
    // press, so a missing file leaves the standard pointer.
    void setDragPicture(const QString& path) { dragPicture_ = path; }

    // A folder just listed: its files on the left, the order emptied.
    void showListing(const QStringList& names);
    // The listed folder as it is now: the left list follows it (its selection kept), and
    // names that are gone leave the order.
    void followListing(const QStringList& present);
    // Names put into the order before `row`; at the end when `row` is past it.
    void insertIntoOrder(int row, const QStringList& names);
    int orderRows() const;
    // The order row under `pos`, a point of `from`; the end of the order below its last row
    // or off the list.
    int orderRowAt(const QWidget* from, QPoint pos) const;
    // "OK", "全初期化" and "初期化" off until the timer switches them on again.
    void switchOffOrderButtons();
    // Every button under the lists off but "全初期化": a listed path is too long.
    void allowOnlyClearAll();

signals:
    // "OK" with 2 to 100 names, in order. The order is confirmed when the receivers return:
    // the panel says so then.
    void orderConfirmed(const QStringList& names);
    // "ヘルプ" under the lists.
    void helpRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Command2: the buttons between the lists.
    enum ListButton { Add, Up, Down, AddAll, Remove, ListButtonCount };
    // Command1: the buttons under the lists.
    enum OrderButton { Confirm, ClearAll, ClearOrder, Help, OrderButtonCount };

    void buildLists();
    void buildButtons();
    // Sets the order buttons from the lists' sizes: at every change of a list, and on the
    // timer's ticks, which also undo a handler's own disabling.
    void Timer1_Timer();
    void Command2_Click(int index);
    void Command1_Click(int index);
    void addSelected();
    void moveSelected(int by);
    void addAll();
    void removeSelected();
    void confirm();
    void List1_DblClick();
    void List2_MouseDown(int y);
    void List2_MouseUp(int y);

    MessageBoxes& messages_;
    QString dragPicture_;
    qint16 DragFrom = 0; // the row a drag in List2 started on
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    std::array<QPushButton*, ListButtonCount> Command2{};
    std::array<QPushButton*, OrderButtonCount> Command1{};
    QTimer* Timer1 = nullptr; // the half-second tick of the order buttons
};

} // namespace kumiro
