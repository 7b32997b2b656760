#pragma once

#include "Kinds.h"

#include <QString>

#include <array>

namespace kumiro {

template <std::size_t Rows>
using ExtTable = std::array<std::array<QString, 2>, Rows>; // [row][0] pattern, [row][1] flag

// The working copy of every stored setting; each member is named after its key, and what
// each means is said beside its row in SettingsTable.cpp.
struct SettingsRecord {
    QString OptLogo, OptDbl, OptCent, OptLAct, OptLATab;
    QString F_Height, F_Width, G_Left, G_Top;
    PerKind<QString> KumiroFile, OptDouki, DataFol, FolderName;
    ExtTable<4> OptWkaku; // rows 2 and 3 (*.docx, *.odt) after the two of old
    ExtTable<5> OptEkaku; // rows 2 to 4 (*.xlsx, *.xlsm, *.ods) after the two of old
    ExtTable<6> OptTkaku;
    std::array<QString, 2> KumiroExt; // Word's and Excel's output format, as an extension
};

// The output a kind's combine writes: its output folder, its name and the extension of its
// output format.
QString outputPathOf(const SettingsRecord& settings, Kind kind);
// Its extension, with the dot: ".doc" unless another format was chosen.
QString outputExtensionOf(const SettingsRecord& settings, Kind kind);

} // namespace kumiro
