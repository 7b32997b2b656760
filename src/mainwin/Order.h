#pragma once

#include <QStringList>

class QWidget;

namespace kumiro {

class MessageBoxes;
struct ProgramState;

// "OK" under the order list: 2 to 100 names (in the current kind's data folder) become the
// confirmed order; any other count is refused with the message that says why. True when
// the order was confirmed, and the user was told so.
bool confirmOrder(ProgramState& state, const QStringList& names, MessageBoxes& messages, QWidget* owner);

// The confirmed order's files, in order.
QStringList confirmedOrder(const ProgramState& state);
// False once the order was voided (a folder confirmed in the picker) or used by a combine.
bool hasConfirmedOrder(const ProgramState& state);
// What a combine leaves: the order used up, to be confirmed again.
void forgetOrder(ProgramState& state);

// What the half-second timer does to the buttons under the lists, from the two lists' sizes.
struct OrderButtonStates {
    bool confirm; // "OK"
    bool clearOrder; // "初期化"
    bool clearAllOn; // "全初期化" is switched on (the timer never switches it off)
};
OrderButtonStates orderButtonStates(int leftCount, int rightCount);

} // namespace kumiro
