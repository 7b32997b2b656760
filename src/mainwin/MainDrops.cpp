// Files or a folder dropped on the main window from a file manager.
#include "KUMIRO.h"

#include "Drop.h"
#include "ListedFolder.h"
#include "OrderPanel.h"

#include <QDropEvent>
#include <QTimer>

namespace kumiro {

void KUMIRO::dragEnterEvent(QDragEnterEvent* event)
{
    event->setAccepted(!copiedDrop(*event).isEmpty());
}

void KUMIRO::dragMoveEvent(QDragMoveEvent* event)
{
    // Again on every move: a modifier key may propose a move instead.
    event->setAccepted(!copiedDrop(*event).isEmpty());
}

void KUMIRO::dropEvent(QDropEvent* event)
{
    const QStringList paths = copiedDrop(*event);
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    // Where in the order: the row under the pointer, else the end.
    const int row = panel_->orderRowAt(this, event->position().toPoint());
    const auto [choice, placement] = listed_->place(paths);
    if (choice.refused())
        event->ignore();
    else
        event->accept();
    // The file manager waits until the drop returns: messages and the listing come after.
    QTimer::singleShot(0, this, [this, choice, placement, row] { listed_->take(choice, placement, row); });
}

void KUMIRO::openFiles(const QStringList& paths)
{
    const auto [choice, placement] = listed_->place(paths);
    listed_->take(choice, placement, panel_->orderRows(), true);
}

} // namespace kumiro
