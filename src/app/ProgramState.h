#pragma once

#include "SettingsRecord.h"
#include "SettingsStore.h"

#include <QString>

#include <array>

namespace kumiro {

inline constexpr int kMaxOrder = 100;

// Every value that lives for the whole run. Main makes one and hands it to the windows.
struct ProgramState {
    explicit ProgramState(SettingsStore& s, QString programFolder)
        : store(s), ProgramFolder(programFolder), FallbackFolder(std::move(programFolder))
    {
    }

    QString read(const QString& section, const QString& key) const
    {
        return store.read(AppTitle, section, key);
    }
    bool save(const QString& section, const QString& key, const QString& text)
    {
        return store.save(AppTitle, section, key, text);
    }

    SettingsStore& store;
    QString ProgramFolder; // no trailing separator
    // Where a missing data or output folder falls back to: the program folder, or the
    // user's documents folder when the program folder is not the user's to write in.
    QString FallbackFolder;

    SettingsRecord set;
    QString AppTitle;
    QString HelpFile;
    std::array<QString, kKinds> OpenIcon;

    std::array<QString, kMaxOrder> OrderFile;
    qint16 OrderLast = 0;
    quint8 CurKind = 0;
    quint8 FolderChosen = 0;
    QString SelectedFile;
    QString AppearanceScheme;
};

} // namespace kumiro
