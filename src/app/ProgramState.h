#pragma once

#include "ConfirmedOrder.h"
#include "Kinds.h"
#include "SettingsStore.h"
#include "SettingsTable.h"
#include "StoredSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

#include <array>

namespace kumiro {

// Every value that lives for the whole run. Main makes one and hands it to the windows.
struct ProgramState {
    explicit ProgramState(SettingsStore& s, QString programFolder)
        : store(s), ProgramFolder(programFolder), FallbackFolder(std::move(programFolder))
    {
    }

    // Writes the record's present value of one key (see SettingsTable.h for i and j).
    bool saveSetting(Key key, int i = -1, int j = -1) { return settings().save(key, i, j); }
    // What the settings dialogs and the folder picker take of it.
    StoredSettings settings() { return {set, store, AppTitle, FallbackFolder}; }

    SettingsStore& store;
    QString ProgramFolder; // no trailing separator
    // Where a missing data or output folder falls back to: the program folder, or the
    // user's documents folder when the program folder is not the user's to write in.
    QString FallbackFolder;

    SettingsRecord set;
    QString AppTitle;
    QString HelpFile;

    ConfirmedOrder Order;
    Kind CurKind = Kind::Word;
    QString AppearanceScheme;
};

} // namespace kumiro
