// Files or a folder dropped on the main window from a file manager.
#include "KUMIRO.h"

#include "Drop.h"
#include "ListedFolder.h"
#include "OrderPanel.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

namespace kumiro {

namespace {

// The local paths a drag carries; none when it carries anything but local files.
QStringList droppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

// Dropped files are only ever copied: a move would let the file manager delete them.
bool takeAsCopy(QDropEvent& event)
{
    if (!(event.possibleActions() & Qt::CopyAction))
        return false;
    event.setDropAction(Qt::CopyAction);
    return true;
}

} // namespace

void KUMIRO::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedPaths(event->mimeData()).isEmpty() && takeAsCopy(*event))
        event->accept();
    else
        event->ignore();
}

void KUMIRO::dragMoveEvent(QDragMoveEvent* event)
{
    // Again on every move: a modifier key may propose a move instead.
    if (!droppedPaths(event->mimeData()).isEmpty() && takeAsCopy(*event))
        event->accept();
    else
        event->ignore();
}

void KUMIRO::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty() || !takeAsCopy(*event)) {
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
