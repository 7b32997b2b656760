#pragma once

#include "SettingsStore.h"
#include "SettingsTable.h"

#include <QString>

namespace kumiro {

// The settings as the settings dialogs and the folder picker use them: the record, where a
// changed key is written, and the folder a missing one falls back to. A view of the
// program's state, made by it.
struct StoredSettings {
    SettingsRecord& set;
    SettingsStore& store;
    const QString& app;
    const QString& fallbackFolder;

    // Writes the record's present value of one key (see SettingsTable.h for i and j).
    bool save(Key key, int i = -1, int j = -1) const { return saveSetting(store, app, set, key, i, j); }
};

} // namespace kumiro
