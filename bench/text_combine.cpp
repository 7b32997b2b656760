// The text combine of 100 inputs (or as many as the last argument says) of 30,000 lines
// (about 60 bytes a line, mixed line ends) against `cat` of the same inputs into one file,
// interleaved in the same run. Prints the medians of the time taken and of the processor
// time spent (user and system: the combine's own, and cat's); peak memory is taken from
// outside with /usr/bin/time.
#include "Bench.h"
#include "combine/TextCombine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kumiro;

namespace {

double cpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
        (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int files = args.size() > 1 && args.last().toInt() > 0 ? args.last().toInt() : 100;
    QTemporaryDir dir;
    QStringList inputs;
    const char* ends[] = {"\r\n", "\n", "\r\n", "\r"};
    for (int f = 0; f < files; ++f) {
        QByteArray data;
        data.reserve(30000 * 62);
        for (int l = 0; l < 30000; ++l) {
            QByteArray line = "file " + QByteArray::number(f) + " line " + QByteArray::number(l) + " ";
            line += QByteArray(58 - line.size(), char('a' + (l % 26)));
            data += line + ends[(f + l) % 4];
        }
        inputs << dir.filePath(QStringLiteral("in%1.txt").arg(f, 3, 10, QChar(u'0')));
        QFile file(inputs.last());
        file.open(QIODevice::WriteOnly);
        file.write(data);
    }
    // "--once": one combine only, for measuring peak memory.
    if (args.contains(QStringLiteral("--once"))) {
        const QString out = dir.filePath(QStringLiteral("NewText.txt"));
        return combineTextFiles(inputs, out).status == TextCombineResult::Done ? 0 : 1;
    }

    std::vector<double> ours, cat, oursCpu, catCpu;
    const int runs = 11;
    for (int r = 0; r < runs; ++r) {
        const QString out = dir.filePath(QStringLiteral("NewText.txt"));
        const QString catOut = dir.filePath(QStringLiteral("cat.txt"));
        QFile::remove(out);
        QFile::remove(catOut);
        QElapsedTimer t;
        double cpu = cpuMs(RUSAGE_SELF);
        t.start();
        if (combineTextFiles(inputs, out).status != TextCombineResult::Done)
            return 1;
        ours.push_back(t.nsecsElapsed() / 1e6);
        oursCpu.push_back(cpuMs(RUSAGE_SELF) - cpu);

        QProcess p;
        p.setStandardOutputFile(catOut);
        t.restart();
        p.start(QStringLiteral("cat"), inputs);
        cpu = cpuMs(RUSAGE_CHILDREN);
        p.waitForFinished(-1);
        cat.push_back(t.nsecsElapsed() / 1e6);
        catCpu.push_back(cpuMs(RUSAGE_CHILDREN) - cpu);
    }
    std::printf("| text combine, %d x 30,000 lines | %.0f ms | %.0f ms |\n", files, bench::median(ours),
                bench::median(oursCpu));
    std::printf("| cat of the same inputs | %.0f ms | %.0f ms |\n", bench::median(cat), bench::median(catCpu));
    std::printf("ratio %.2f\n", bench::median(ours) / bench::median(cat));
    return 0;
}
