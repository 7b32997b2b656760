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
    ExtTable<2> OptWkaku;
    ExtTable<2> OptEkaku;
    ExtTable<6> OptTkaku;
};

// The output a kind's combine writes: its output folder, its name and the kind's extension.
QString outputPathOf(const SettingsRecord& settings, Kind kind);

} // namespace kumiro
