#pragma once

#include <QString>

#include <array>

namespace kumiro {

class SettingsStore;

inline constexpr int kWord = 0;
inline constexpr int kExcel = 1;
inline constexpr int kText = 2;
inline constexpr int kKinds = 3;

inline const QString kSectionConfig = QStringLiteral("Config");
inline const QString kSectionPosition = QStringLiteral("Position");
inline const QString kSectionKumiro = QStringLiteral("Kumiro");

template <std::size_t Rows>
using ExtTable = std::array<std::array<QString, 2>, Rows>;

// The working copy of every stored setting; each member is named after its key.
struct SettingsRecord {
    QString OptLogo, OptDbl, OptCent, OptLAct, OptLATab;
    QString F_Height, F_Width, G_Left, G_Top;
    std::array<QString, kKinds> KumiroFile, OptDouki, DataFol, FolderName;
    ExtTable<2> OptWkaku;
    ExtTable<2> OptEkaku;
    ExtTable<6> OptTkaku;
};

// "DataFol(2)"
QString kindKey(const QString& prefix, int i);
// "OptTkaku(1,0)"
QString tableKey(const QString& prefix, int i, int j);

struct ScreenTwips {
    double width = 0;
    double height = 0;
};

// Reads one key; an empty or missing value is replaced by the default, in the store too.
QString loadWithDefault(SettingsStore& store, const QString& app, const QString& section,
                        const QString& key, const QString& defaultText);

// Centred edge as stored text: (screen - window) / 2, negative when the window is larger.
QString centredEdge(double screen, const QString& windowSize);

// Everything after OptLogo, in the order the store is read at start-up.
void loadRemainingSettings(SettingsRecord& rec, SettingsStore& store, const QString& app,
                           const QString& programFolder, ScreenTwips screen);

} // namespace kumiro
