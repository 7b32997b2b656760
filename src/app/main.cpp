#include "about/INITDISP.h"
#include "app/Main.h"
#include "cli/CommandLine.h"
#include "app/Paths.h"
#include "app/ProgramState.h"
#include "mainwin/KUMIRO.h"
#include "mainwin/OfficeRunner.h"
#include "platform/Look.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

using namespace kumiro;

namespace {

int runCommandLineProgram(int argc, char** argv, const QStringList& arguments)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kAppTitle);
    SettingsStore store(SettingsStore::defaultRoot());
    const QString folder = programFolder();
    CliContext context{store,
                       folder,
                       [&] { return loadOffice(folder); },
                       {},
                       {},
                       ::isatty(2) == 1,
                       qEnvironmentVariable("LANG").startsWith(QStringLiteral("ja"))};
    context.out = [](const QString& line) { std::fprintf(stdout, "%s\n", line.toUtf8().constData()); };
    context.err = [](const QString& line) {
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        std::fflush(stderr);
    };
    return runCommandLine(parseCommandLine(arguments), context);
}

} // namespace

int main(int argc, char** argv)
{
    // An office that dies while the bridge writes to its pipe must be an error the
    // command reports, not a signal that ends the program.
    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit makes a write fail with EFBIG, which is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    // A command runs without a window, and without a display.
    {
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        if (isCommandLine(arguments))
            return runCommandLineProgram(argc, argv, arguments);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(kAppTitle);
    installFontSubstitutions();
    QApplication::setFont(windowFont(kUiGothic, 9));
    // Qt's own dialogs (the file dialog) speak Japanese like the rest of the program.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    SettingsStore store(SettingsStore::defaultRoot());
    ProgramState state(store, programFolder());
    state.FallbackFolder = fallbackFolder(state.ProgramFolder, isWritableFolder(state.ProgramFolder));
    QtMessageBoxes messages;
    QtFileDialogs files;
    QtHelpViewer help(messages);
    DesktopShell shell;
    Platform platform{messages, files, help, shell};
    OfficeRunner office(messages, [&] { return loadOffice(state.ProgramFolder); });

    std::unique_ptr<KUMIRO> mainWindow;
    MainWindows windows;
    windows.showSplashModal = [] {
        INITDISP splash;
        splash.exec();
    };
    windows.showMainWindow = [&] {
        mainWindow = std::make_unique<KUMIRO>(state, platform, office);
        mainWindow->show();
    };
    windows.screen = [] { return ScreenTwips{screenWidthTwips(), screenHeightTwips()}; };
    Main(state, windows);

    if (store.hadWriteError()) {
        messages.show(mainWindow.get(), MsgIcon::Exclamation, QStringLiteral("設定確認"),
                      QStringLiteral("設定ファイル 「") + store.filePath(state.AppTitle) +
                          QStringLiteral("」 に書き込めません。　\r\r変更した設定は保存されません。　"));
    }
    // For the start-up benchmark: leave as soon as the main window is up.
    if (qEnvironmentVariableIsSet("KUMIRO_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QApplication::exit(0); });
    return QApplication::exec();
}
