// One combine or conversion, the way the program runs it but without a window, for the
// fault suite to kill, freeze and starve.
//   fault_driver [--timeout MS] word|excel|text OUTPUT INPUT...
//   fault_driver [--timeout MS] convert EXTENSION INPUT
//   fault_driver sweep        (only what every office command does first)
// Prints "done", "cancelled" or "failed" with the message the user would see. SIGINT, SIGTERM
// and SIGHUP cancel the command as they do in the program.
// Exit status: 0 done, 1 failed, 2 usage, 128 + N when signal N stopped it.
#include "combine/ExcelCombine.h"
#include "combine/Office.h"
#include "combine/CombineMessages.h"
#include "combine/TextCombine.h"
#include "combine/WordCombine.h"
#include "platform/Interrupt.h"
#include "tools/Convert.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <unistd.h>
#include <cstdio>

using namespace kumiro;

namespace {

// Where the office driver module is: the build, or a copy the fault suite made.
QString programDir()
{
    return qEnvironmentVariable("KUMIRO_PROGRAM_DIR", QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL));
}

int failed(const QString& title, const QString& text)
{
    std::printf("failed\n%s\n%s\n", qPrintable(title), qPrintable(QString(text).replace(u'\r', u'\n')));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    installInterruptHandlers();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args == QStringList{QStringLiteral("sweep")}) {
        try {
            loadOffice(programDir());
        } catch (const OfficeError& e) {
            return failed(QStringLiteral("sweep"), e.what());
        }
        return std::printf("done\n"), 0;
    }
    // An office started ahead, as the window keeps one, and nothing else until killed.
    if (args == QStringList{QStringLiteral("warm")}) {
        const auto office = loadOffice(programDir());
        office->prepare();
        std::printf("warm\n");
        std::fflush(stdout);
        for (;;)
            pause();
    }
    OfficeOptions options;
    options.interrupt = interruptFlag();
    if (args.size() > 1 && args[0] == u"--timeout") {
        options.callTimeoutMs = args[1].toInt();
        args = args.mid(2);
    }
    if (args.size() < 3) {
        std::fprintf(stderr,
                     "usage: fault_driver [--timeout MS] word|excel|text OUTPUT INPUT...\n"
                     "       fault_driver [--timeout MS] convert EXTENSION INPUT\n"
                     "       fault_driver warm | sweep\n");
        return 2;
    }
    const QString command = args[0];
    const QString target = args[1];
    const QStringList inputs = args.mid(2);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    CommandProgress progress;
    progress.step = [](int i, int n, const QString& f) { std::printf("step %d/%d %s\n", i + 1, n, qPrintable(f)); };
    progress.cancelled = [] { return interruptSignal() != 0; };
    auto cancelled = [] {
        std::printf("cancelled\n");
        return interruptSignal() != 0 ? interruptExitStatus() : 1;
    };
    if (command == u"text") {
        const TextCombineResult r = combineTextFiles(inputs, target, progress);
        if (r.status == TextCombineResult::Cancelled)
            return cancelled();
        if (r.status == TextCombineResult::Done)
            return std::printf("done\n"), 0;
        return failed(QStringLiteral("text"),
                      QStringLiteral("%1 %2 %3").arg(r.status).arg(r.failedIndex).arg(r.reason));
    }
    const QString destination = command == u"convert" ? QStringLiteral("変換先") : QStringLiteral("くみろ先");
    try {
        const auto office = loadOffice(programDir(), options);
        bool completed = true;
        if (command == u"word")
            completed = combineWord(*office, inputs, target, progress);
        else if (command == u"excel")
            completed = combineExcel(*office, inputs, target, progress);
        else if (command == u"convert")
            convertFileTo(*office, inputs[0], wordFormatFor(QStringLiteral("out.") + target));
        else
            return 2;
        if (!completed)
            return cancelled();
    } catch (const OfficeError& e) {
        if (interruptSignal() != 0)
            return cancelled();
        const OfficeMessage m = officeFailureMessage(e, destination);
        return failed(m.title, m.text);
    }
    std::printf("done\n");
    return 0;
}
