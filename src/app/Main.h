#pragma once

#include "SettingsTable.h"

#include <functional>

namespace kumiro {

struct ProgramState;

inline const QString kAppTitle = QStringLiteral("kumiro");
inline const QString kHelpFileName = QStringLiteral("KUMIRO.html");

// The windows Main shows, supplied by the program (and by tests).
struct MainWindows {
    std::function<void()> showSplashModal;
    std::function<void()> showMainWindow;
    std::function<ScreenTwips()> screen;
};

// Start-up: program folder current, titles and help path, the whole settings record,
// the splash when OptLogo is on, icon names, then the main window.
void Main(ProgramState& state, const MainWindows& windows);

} // namespace kumiro
