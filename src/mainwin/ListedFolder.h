#pragma once

#include "app/Kinds.h"
#include "mainwin/Drop.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QDialog;
class QFileSystemWatcher;
class QWidget;

namespace kumiro {

struct Platform;
struct ProgramState;
class OfficeRunner;
class OrderPanel;

// The data folder the main window lists: listing it (the picker's "OK", a drop, files given
// to the program), following what other programs do in it, and where dropped files go.
class ListedFolder : public QObject {
    Q_OBJECT
public:
    // `window` owns the messages and takes the kind's caption.
    ListedFolder(ProgramState& state, Platform& platform, OfficeRunner& office, OrderPanel& panel, QWidget& window);

    // Lists a data folder the user has just chosen in the left list, empties the order list
    // and tells the count.
    void list(Kind kind, const QString& folder);
    // The folder picker of `kind`, shown by `exec`; its "OK" lists the folder chosen. A
    // cancelled picker leaves the lists and any confirmed order to the previous kind.
    void pick(Kind kind, const std::function<void(QDialog&)>& exec);
    // Both lists as the listed folder is now: a file gone (deleted, renamed, moved by
    // another program) leaves them, a new one joins the left list. The confirmed order is
    // not touched: the combine names a file of it that is gone.
    void follow();

    // What dropped (or opened) paths open and where they go.
    std::pair<DropChoice, DropPlacement> place(const QStringList& paths) const;
    // Takes them there: refused with its message, or listed first and put into the order
    // before `row`. `opened` words a refusal for files given to the program.
    void take(const DropChoice& choice, DropPlacement placement, int row, bool opened = false);

private:
    ProgramState& state_;
    Platform& platform_;
    OfficeRunner& office_;
    OrderPanel& panel_;
    QWidget& window_;
    // The kind last listed in this window; a dropped folder opens as its data folder.
    std::optional<Kind> listedKind_;
    QString listedFolder_;
    QFileSystemWatcher* watch_ = nullptr;
};

} // namespace kumiro
