#include "DragReorder.h"

#include <QListWidget>

namespace kumiro {

qint16 ListIndexAtY(int rowHeight, int topIndex, int rowCount, int y)
{
    const int h = rowHeight > 0 ? rowHeight : 1;
    // Integer division rounds toward zero: up to one row above the list still counts as
    // the first visible row.
    qint16 r = qint16(topIndex + y / h);
    r = MinInt(r, qint16(rowCount - 1));
    return r < 0 ? 0 : r;
}

qint16 ListIndexAtY(const QListWidget& list, int y)
{
    const int rowHeight = list.count() > 0 ? list.sizeHintForRow(0) : list.fontMetrics().height();
    const QModelIndex top = list.indexAt(QPoint(1, 1));
    return ListIndexAtY(rowHeight, top.isValid() ? top.row() : 0, list.count(), y);
}

void MoveListItem(QListWidget& list, qint16 from, qint16 to)
{
    if (from == to || from < 0 || to < 0 || from >= list.count() || to >= list.count())
        return;
    const QString kept = list.item(from)->text();
    if (from > to) {
        for (int i = from; i >= to + 1; --i)
            list.item(i)->setText(list.item(i - 1)->text());
    } else {
        for (int i = from; i <= to - 1; ++i)
            list.item(i)->setText(list.item(i + 1)->text());
    }
    list.item(to)->setText(kept);
}

} // namespace kumiro
