#pragma once

#include <QtGlobal>

class QListWidget;

namespace kumiro {

inline qint16 MinInt(qint16 a, qint16 b)
{
    return a <= b ? a : b;
}

// The row under a vertical position y (pixels from the top of the rows): never below 0,
// never past the last row.
qint16 ListIndexAtY(int rowHeight, int topIndex, int rowCount, int y);
qint16 ListIndexAtY(const QListWidget& list, int y);

// Moves the text of row `from` to row `to`; the rows between shift by one.
void MoveListItem(QListWidget& list, qint16 from, qint16 to);

} // namespace kumiro
