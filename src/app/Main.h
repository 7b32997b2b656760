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
    // True once the program is asked to end (a signal): start-up goes no further.
    std::function<bool()> askedToEnd;
};

// Start-up: program folder current, titles and help path, the whole settings record,
// the splash when OptLogo is on, icon names, then the main window; nothing after the
// splash when the program was asked to end meanwhile.
void Main(ProgramState& state, const MainWindows& windows);

} // namespace kumiro
