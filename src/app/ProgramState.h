#pragma once

#include "Kinds.h"
#include "SettingsStore.h"
#include "SettingsTable.h"

#include <QString>
#include <QStringList>

#include <optional>

#include <array>

namespace kumiro {

inline constexpr int kMaxOrder = 100;

// Every value that lives for the whole run. Main makes one and hands it to the windows.
struct ProgramState {
    explicit ProgramState(SettingsStore& s, QString programFolder)
        : store(s), ProgramFolder(programFolder), FallbackFolder(std::move(programFolder))
    {
    }

    // Writes the record's present value of one key (see SettingsTable.h for i and j).
    bool saveSetting(Key key, int i = -1, int j = -1) { return kumiro::saveSetting(store, AppTitle, set, key, i, j); }

    SettingsStore& store;
    QString ProgramFolder; // no trailing separator
    // Where a missing data or output folder falls back to: the program folder, or the
    // user's documents folder when the program folder is not the user's to write in.
    QString FallbackFolder;

    SettingsRecord set;
    QString AppTitle;
    QString HelpFile;

    // The confirmed combine order (OrderFile(0..OrderLast) of old): the files in order, set
    // by the order list's "OK"; voided only through voidOrder (a folder confirmed, a
    // combine done).
    std::optional<QStringList> Order;
    void voidOrder() { Order.reset(); }
    Kind CurKind = Kind::Word;
    QString AppearanceScheme;
};

} // namespace kumiro
