#pragma once

#include "SettingsRecord.h"

#include <QString>

namespace kumiro {

class SettingsStore;

// Every stored setting, by the name of its member in SettingsRecord.
enum class Key {
    OptLogo,
    OptDbl,
    OptCent,
    F_Height,
    F_Width,
    G_Left,
    G_Top,
    OptLAct,
    OptLATab,
    KumiroFile,
    OptDouki,
    DataFol,
    FolderName,
    OptWkaku,
    OptEkaku,
    OptTkaku,
    KumiroExt,
};
inline constexpr std::size_t kKeyCount = std::size_t(Key::KumiroExt) + 1;
// Word's and Excel's pattern rows of old, before the later formats' rows.
inline constexpr int kOldPatternRows = 2;

// The key as stored: "OptDbl", "DataFol(2)" (i: the kind), "OptTkaku(1,0)" (i: the row,
// j: 0 the pattern, 1 its flag).
QString keyName(Key key, int i = -1, int j = -1);
const QString& keySection(Key key);
// The record's member for that key.
QString& valueOf(SettingsRecord& settings, Key key, int i = -1, int j = -1);
const QString& valueOf(const SettingsRecord& settings, Key key, int i = -1, int j = -1);

// The main window's stored outer height (F_Height) or width (F_Width) in twips as a 16-bit
// number, `extra` added; the key's default plus `extra` when the stored text is not a
// number or the sum does not fit 16 bits.
qint16 windowSizeTwips(const SettingsRecord& settings, Key key, double extra = 0);

// Writes the record's value of one key to the store.
bool saveSetting(SettingsStore& store, const QString& app, const SettingsRecord& settings, Key key, int i = -1,
                 int j = -1);

struct ScreenTwips {
    double width = 0;
    double height = 0;
};

// OptLogo, read first and alone so that the splash can show before anything else is read.
void loadLogoSetting(SettingsRecord& settings, SettingsStore& store, const QString& app);

// Everything after OptLogo, in the order the store is read at start-up. A missing value
// takes its default, in the store too; the window's edges default to centred on `screen`,
// in memory only; `fallbackFolder` is the default of every folder.
void loadRemainingSettings(SettingsRecord& settings, SettingsStore& store, const QString& app,
                           const QString& fallbackFolder, ScreenTwips screen);

// Centred edge as stored text: (screen - window) / 2, negative when the window is larger.
QString centredEdge(double screen, const QString& windowSize);

} // namespace kumiro
