#pragma once

// What the settings dialog's tabs hold as the user left them, and the rules by which "OK"
// and "適用" store them: plain values, so the rules are the same whoever fills them in.
#include "app/Kinds.h"

#include <QList>
#include <QString>

#include <array>

namespace kumiro {

struct StoredSettings;

struct GeneralForm {
    bool logo = false;
    bool doubleClickEnds = false;
    bool centre = false;
    bool lastTab = false;
    int currentTab = 0;
};

struct KindForm {
    bool syncFolder = false;
    QString fileName;
    // The folder the tab's list shows; empty when it could open none.
    QString shownFolder;
    // Word and Excel: one flag per pattern of the kind, and the output's extension.
    QList<bool> patternsOn;
    QString outputExtension;
    // Text: the six rows, row 0 being *.txt.
    std::array<QString, 6> textPatterns;
    std::array<bool, 6> textPatternsOn{};
};

// True for a Text pattern that counts as none: empty, one blank or one ideographic blank.
bool isBlankPattern(const QString& pattern);

// Stores the general tab: the flags, and the tab to open next when "最後のアクティブタブ" is on.
void saveGeneralForm(StoredSettings settings, const GeneralForm& form);
// Stores one kind's tab. A synchronised output folder is the data folder; a blank Text
// pattern is stored off whatever its box says.
void saveKindForm(StoredSettings settings, Kind kind, const KindForm& form);

} // namespace kumiro
