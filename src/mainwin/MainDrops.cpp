// Files or a folder dropped on the main window from a file manager.
#include "KUMIRO.h"

#include "Drop.h"
#include "OrderPanel.h"
#include "app/FileListing.h"
#include "app/ProgramState.h"
#include "app/TextValues.h"
#include "platform/FolderList.h"
#include "platform/Platform.h"
#include "settings/SEL_FOLD.h"

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
    const auto [choice, placement] = placeDropped(paths);
    if (choice.refused())
        event->ignore();
    else
        event->accept();
    // The file manager waits until the drop returns: messages and the listing come after.
    QTimer::singleShot(0, this, [this, choice, placement, row] { takeDropped(choice, placement, row); });
}

void KUMIRO::openFiles(const QStringList& paths)
{
    const auto [choice, placement] = placeDropped(paths);
    takeDropped(choice, placement, panel_->orderRows(), true);
}

std::pair<DropChoice, DropPlacement> KUMIRO::placeDropped(const QStringList& paths) const
{
    DropChoice choice = chooseDrop(paths, state_.set, listedKind_);
    const QString listedFolder = listedKind_ ? state_.set.DataFol[*listedKind_] : QString();
    const DropPlacement placement =
        choice.refused() ? DropPlacement::Refuse : placeDrop(choice, panel_->orderRows(), listedKind_, listedFolder);
    if (!choice.refused() && placement == DropPlacement::Refuse)
        choice.refusal = DropRefusal::OtherFolder;
    return {choice, placement};
}

void KUMIRO::takeDropped(const DropChoice& choice, DropPlacement placement, int row, bool opened)
{
    if (choice.refusal == DropRefusal::UnreadableFolder) {
        platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                                folderUnreadableText(choice.folder));
        return;
    }
    if (choice.refused()) {
        platform_.messages.show(this, MsgIcon::Exclamation, opened ? kOpenedTitle : kDropTitle,
                                dropRefusalText(choice.refusal, opened));
        return;
    }
    if (placement == DropPlacement::OpenFirst) {
        confirmDataFolder(state_, choice.kind, choice.folder);
        listDataFolder(choice.kind, choice.folder);
    }
    // Added, not confirmed: the user still checks the order and presses "OK".
    panel_->insertIntoOrder(row, choice.names);
}

} // namespace kumiro
