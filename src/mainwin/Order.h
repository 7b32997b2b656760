#pragma once

#include <QStringList>

class QWidget;

namespace kumiro {

class MessageBoxes;

// "OK" under the order list takes 2 to 100 names; any other count is refused with the
// message that says why. True when the count is taken.
bool orderCountTaken(qsizetype count, MessageBoxes& messages, QWidget* owner);
// Tells the user that the order was confirmed.
void tellOrderConfirmed(MessageBoxes& messages, QWidget* owner);

// The order's names as files of the data folder they were listed in.
QStringList orderFiles(const QString& folder, const QStringList& names);

// What the half-second timer does to the buttons under the lists, from the two lists' sizes.
struct OrderButtonStates {
    bool confirm; // "OK"
    bool clearOrder; // "初期化"
    bool clearAllOn; // "全初期化" is switched on (the timer never switches it off)
};
OrderButtonStates orderButtonStates(int leftCount, int rightCount);

} // namespace kumiro
