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

    state.set.OptLogo = loadWithDefault(state.store, state.AppTitle, kSectionConfig,
                                        QStringLiteral("OptLogo"), QStringLiteral("1"));
    if (isOn(state.set.OptLogo) && windows.showSplashModal)
        windows.showSplashModal();

    loadRemainingSettings(state.set, state.store, state.AppTitle, state.FallbackFolder,
                          windows.screen ? windows.screen() : ScreenTwips{});

    state.OpenIcon = {QStringLiteral("OPENWORD.ICO"), QStringLiteral("OPENEXCEL.ICO"),
                      QStringLiteral("OPENTEXT.ICO")};

    if (windows.showMainWindow)
        windows.showMainWindow();
}

} // namespace kumiro
