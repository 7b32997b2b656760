// A toolbar's buttons from a table.
#pragma once

#include <functional>
#include <initializer_list>

class QAction;
class QToolBar;

namespace kumiro {

// One button: its tooltip (empty: a separator), what it does, and where its owner keeps it.
struct ToolButton {
    const char16_t* tip;
    std::function<void()> click;
    QAction** kept = nullptr;
};

// Adds `buttons` to `bar` in order; the pictures are numbered in the order of the buttons.
void addToolButtons(QToolBar* bar, std::initializer_list<ToolButton> buttons);

} // namespace kumiro
