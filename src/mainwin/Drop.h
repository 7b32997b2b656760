#pragma once

#include "app/Kinds.h"

#include <QString>
#include <QStringList>

#include <optional>

class QDropEvent;

namespace kumiro {

struct SettingsRecord;

// Why a drop on the main window is refused.
enum class DropRefusal {
    None,
    SeveralFolders, // files of more than one folder
    MixedKinds, // files of more than one kind
    NotKumiros, // a file no kind lists, or folders dropped with anything else
    UnreadableFolder, // the folder cannot be listed: told as the picker tells it
    OtherFolder, // files of another folder or kind than the order being built
};

// What a drop opens: the kind and its data folder, and the dropped files to put in the
// order list (none when a folder was dropped); or why it is refused.
struct DropChoice {
    DropRefusal refusal = DropRefusal::None;
    Kind kind = Kind::Text;
    QString folder;
    QStringList names; // in the order they were dropped
    bool refused() const { return refusal != DropRefusal::None; }
};

// Decides what dropped local paths open. Files must be files the listing would show (ordinary,
// not hidden) and match the enabled patterns of one kind, all in one folder. One folder alone
// opens as the data folder of `current`, or of Text when no kind was chosen yet. When several
// things are wrong, a path that is not the program's is told first, then several folders,
// then several kinds.
// The local paths a drag from a file manager carries, taken as a copy (a move would let the
// file manager delete them); none when it carries anything else or cannot be copied.
QStringList copiedDrop(QDropEvent& event);

DropChoice chooseDrop(const QStringList& paths, const SettingsRecord& settings, std::optional<Kind> current);

inline const QString kDropTitle = QStringLiteral("ドロップ確認");
// Dropped files go into the order being built, at the drop point; the order belongs to one
// data folder, so files of another folder (or kind) are refused while it has entries. With
// no order yet, the files' folder is opened first, as the picker would open it.
enum class DropPlacement { Insert, OpenFirst, Refuse };
DropPlacement placeDrop(const DropChoice& choice, int orderEntries, std::optional<Kind> listedKind,
                        const QString& listedFolder);

// The message of a refusal other than UnreadableFolder; `opened` words it for files given to
// the program ("open with", `kumiro FILE...`), which were never dropped.
QString dropRefusalText(DropRefusal refusal, bool opened = false);
inline const QString kOpenedTitle = QStringLiteral("ファイル確認");

} // namespace kumiro
