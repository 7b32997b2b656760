#include "about/INITDISP.h"
#include "app/Main.h"
#include "cli/ArgumentNames.h"
#include "cli/CombineOutput.h"
#include "cli/CommandLine.h"
#include "cli/Language.h"
#include "cli/WindowStart.h"
#include "app/Paths.h"
#include "app/ProgramState.h"
#include "mainwin/KUMIRO.h"
#include "mainwin/OfficeRunner.h"
#include "mainwin/ProgressWindow.h"
#include "platform/ButtonKeys.h"
#include "platform/Interrupt.h"
#include "platform/Leftovers.h"
#include "platform/Look.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "platform/WindowHandover.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

using namespace kumiro;

namespace {

int runCommandLineProgram(int argc, char** argv, const ArgumentNames& names, bool japanese)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kAppTitle);
    SettingsStore store(SettingsStore::defaultRoot());
    const QString folder = programFolder();
    CliContext context{
        .store = store,
        .programFolder = folder,
        .office = [&](const OfficeOptions& options) { return loadOffice(folder, options); },
        .out = [](const QString& line) { std::fprintf(stdout, "%s\n", inLocaleEncoding(line).constData()); },
        .err =
            [&](const QString& line) {
                std::fprintf(stderr, "%s\n", inLocaleEncoding(names.shown(line)).constData());
                std::fflush(stderr);
            },
        .terminal = ::isatty(2) == 1,
        .japanese = japanese,
        .in = [] { return readStandardInput(); },
        .write = [](const QByteArray& bytes) { return writeStandardOutput(bytes); }};
    const CliRequest request = parseCommandLine(names.words);
    // A name that is not text in the locale's encoding can be read, but nothing is written
    // under it: the written file would be named after its stand-in.
    QStringList written = request.command == CliRequest::Convert ? request.files : QStringList{};
    if (!request.output.isEmpty())
        written << request.output;
    for (const QString& file : written) {
        if (names.isAlias(file)) {
            context.err(
                QStringLiteral("kumiro: ") +
                (japanese ? QStringLiteral("ファイル名 %1 は文字コードが違うため、書き込む名前には使えません。")
                          : QStringLiteral("the name %1 is not in the locale's encoding: nothing is written under it"))
                    .arg(file));
            return kExitUsage;
        }
    }
    return runCommandLine(request, context);
}

// What the process sets once, before anything else runs.
void prepareProcess()
{
    // An office that dies while the bridge writes to its pipe must be an error the
    // command reports, not a signal that ends the program.
    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit makes a write fail with EFBIG, which is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    // Ctrl+C, SIGTERM and SIGHUP cancel the command under way before the program ends.
    installInterruptHandlers();
    // What an earlier run of ours left when it was killed goes first.
    sweepLeftovers();
}

// The application's name, fonts, keys and Qt's own texts in Japanese.
void prepareApplication(QApplication& app, QTranslator& qtJapanese)
{
    QApplication::setApplicationName(kAppTitle);
    installFontSubstitutions();
    QApplication::setFont(windowFont(kUiGothic, 9));
    installButtonKeys(app);
    // Qt's own dialogs (the file dialog) speak Japanese like the rest of the program.
    if (qtJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
}

// Asked to end while no command runs: end now, from whatever event loop runs (the splash's,
// a message box's: exit() ends them all, and none starts again). A running command sees
// the signal, is cancelled and then ends the program (ProgressWindow).
void endOnInterrupt(QSocketNotifier& interrupts, QApplication& app)
{
    QObject::connect(&interrupts, &QSocketNotifier::activated, &app, [] {
        char drain[16];
        while (::read(interruptDescriptor(), drain, sizeof drain) > 0) {}
        if (!ProgressWindow::anyRunning())
            QApplication::exit(interruptExitStatus());
    });
}

// The main window, made and shown by start-up, and the files it is given: those of the
// command line at once, those of a later start as they come (the window comes forward).
struct WindowHolder {
    std::unique_ptr<KUMIRO> window;
    std::unique_ptr<WindowHandover> handover;

    void show(ProgramState& state, Platform& platform, OfficeRunner& office, const QStringList& openedFiles)
    {
        window = std::make_unique<KUMIRO>(state, platform, office);
        window->show();
        KUMIRO* w = window.get();
        if (!openedFiles.isEmpty())
            QTimer::singleShot(0, w, [w, openedFiles] { w->openFiles(openedFiles); });
        handover = std::make_unique<WindowHandover>([w](const QStringList& files) {
            QTimer::singleShot(0, w, [w, files] {
                w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
                w->raise();
                w->activateWindow();
                w->openFiles(files);
            });
        });
        handover->listen();
    }
};

// A settings file that cannot be written is told once the window is up.
void tellUnwritableSettings(const SettingsStore& store, const QString& app, MessageBoxes& messages, QWidget* owner)
{
    if (!store.hadWriteError())
        return;
    const QString refusal = store.refusal(app);
    messages.show(owner, MsgIcon::Exclamation, QStringLiteral("設定確認"),
                  QStringLiteral("設定ファイル 「") + store.filePath(app) +
                      QStringLiteral("」 に書き込めません。　\r\r") +
                      (refusal.isEmpty() ? QString() : refusal + QStringLiteral("\r\r")) +
                      QStringLiteral("変更した設定は保存されません。　"));
}

// The window's run: settings, platform and office, start-up, then the event loop.
int runWindow(QApplication& app, const QStringList& openedFiles)
{
    SettingsStore store(SettingsStore::defaultRoot());
    ProgramState state(store, programFolder());
    state.FallbackFolder = fallbackFolder(state.ProgramFolder, isWritableFolder(state.ProgramFolder));
    QtMessageBoxes messages;
    QtFileDialogs files;
    QtHelpViewer help(messages);
    DesktopShell shell;
    Platform platform{messages, files, help, shell};
    OfficeRunner office(messages, [&] {
        OfficeOptions options;
        options.interrupt = interruptFlag();
        options.stop = office.stopFlag();
        return loadOffice(state.ProgramFolder, options);
    });
    office.setWarm(true);
    QSocketNotifier interrupts(interruptDescriptor(), QSocketNotifier::Read);
    endOnInterrupt(interrupts, app);

    WindowHolder main;
    MainWindows windows;
    windows.showSplashModal = [] {
        INITDISP splash;
        splash.exec();
    };
    windows.showMainWindow = [&] { main.show(state, platform, office, openedFiles); };
    windows.screen = [] { return ScreenTwips{screenWidthTwips(), screenHeightTwips()}; };
    windows.askedToEnd = [] { return interruptSignal() != 0; };
    Main(state, windows);
    // A signal during the splash or a message ends every event loop (see above); the main
    // one must not start after it.
    if (interruptSignal() != 0)
        return interruptExitStatus();
    tellUnwritableSettings(store, state.AppTitle, messages, main.window.get());
    if (interruptSignal() != 0)
        return interruptExitStatus();
    // For the start-up benchmark: leave as soon as the main window is up.
    if (qEnvironmentVariableIsSet("KUMIRO_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QApplication::exit(0); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    prepareProcess();
    // A command, or an option the program does not know, runs without a window and without
    // a display; a window that cannot open says so in a line.
    const bool japanese = japaneseLocale();
    QStringList openedFiles;
    {
        const ArgumentNames names = argumentNames(argc, argv);
        openedFiles = windowFiles(names.words);
        if (openedFiles.isEmpty() && isCommandLine(names.words))
            return runCommandLineProgram(argc, argv, names, japanese);
        if (const QString missing = missingDisplay(names.words, japanese); !missing.isEmpty()) {
            sayWindowCannotOpen(missing, japanese);
            return kExitFailed;
        }
    }
    auto windowStart = std::make_unique<WindowStartGuard>(japanese);
    QApplication app(argc, argv);
    windowStart.reset();
    // A window of the user's runs already: it takes the files and comes forward.
    if (!openedFiles.isEmpty() && handOverFiles(openedFiles))
        return kExitOk;
    QTranslator qtJapanese;
    prepareApplication(app, qtJapanese);
    return runWindow(app, openedFiles);
}
