#pragma once

#include "Message.h"

#include <QString>

class QWidget;

namespace kumiro {

// Every report to the user goes through here. Texts are kept exactly as written,
// carriage returns included; only the display turns them into line breaks.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(QWidget* parent, MsgIcon icon, const QString& title, const QString& text,
                           MsgButtons buttons = MsgButtons::Ok) = 0;
};

class QtMessageBoxes : public MessageBoxes {
public:
    MsgAnswer show(QWidget* parent, MsgIcon icon, const QString& title, const QString& text,
                   MsgButtons buttons = MsgButtons::Ok) override;
};

// One report, worked out by a plain function and shown by a window.
inline MsgAnswer showMessage(MessageBoxes& boxes, QWidget* parent, const Message& m,
                             MsgButtons buttons = MsgButtons::Ok)
{
    return boxes.show(parent, m.icon, m.title, m.text, buttons);
}

// The window a box for `widget` is placed on: the nearest shown window among it and its
// parents, else the active window, else the shown main window.
QWidget* visibleOwner(QWidget* widget);

} // namespace kumiro
