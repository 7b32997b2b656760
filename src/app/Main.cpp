#include "Main.h"

#include "Paths.h"
#include "ProgramState.h"
#include "TextValues.h"

#include <QDir>

namespace kumiro {

void Main(ProgramState& state, const MainWindows& windows)
{
    QDir::setCurrent(state.ProgramFolder);
    state.AppTitle = kAppTitle;
    state.HelpFile = joinPath(state.ProgramFolder, kHelpFileName);

    loadLogoSetting(state.set, state.store, state.AppTitle);
    if (isOn(state.set.OptLogo) && windows.showSplashModal)
        windows.showSplashModal();
    if (windows.askedToEnd && windows.askedToEnd())
        return;

    loadRemainingSettings(state.set, state.store, state.AppTitle, state.FallbackFolder,
                          windows.screen ? windows.screen() : ScreenTwips{});

    if (windows.showMainWindow)
        windows.showMainWindow();
}

} // namespace kumiro
