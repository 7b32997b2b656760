// The text combine of 100 inputs of 30,000 lines (about 60 bytes a line, mixed line ends)
// against `cat` of the same inputs into one file, interleaved in the same run. Prints the
// medians; peak memory is taken from outside with /usr/bin/time (see bench/text_combine.sh).
#include "Bench.h"
#include "combine/TextCombine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

using namespace kumiro;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir dir;
    QStringList inputs;
    const char* ends[] = {"\r\n", "\n", "\r\n", "\r"};
    for (int f = 0; f < 100; ++f) {
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

    std::vector<double> ours, cat, cpu;
    const int runs = 7;
    for (int r = 0; r < runs; ++r) {
        const QString out = dir.filePath(QStringLiteral("NewText.txt"));
        const QString catOut = dir.filePath(QStringLiteral("cat.txt"));
        QFile::remove(out);
        QFile::remove(catOut);
        QElapsedTimer t;
        timespec c0, c1;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
        t.start();
        if (combineTextFiles(inputs, out).status != TextCombineResult::Done)
            return 1;
        ours.push_back(t.nsecsElapsed() / 1e6);
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
        cpu.push_back((c1.tv_sec - c0.tv_sec) * 1e3 + (c1.tv_nsec - c0.tv_nsec) / 1e6);

        QProcess p;
        p.setStandardOutputFile(catOut);
        t.restart();
        p.start(QStringLiteral("cat"), inputs);
        p.waitForFinished(-1);
        cat.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("| text combine, 100 x 30,000 lines | %.0f ms |\n", bench::median(ours));
    std::printf("| cat of the same inputs | %.0f ms |\n", bench::median(cat));
    std::printf("cpu %.1f ms\n", bench::median(cpu));
    std::printf("ratio %.2f\n", bench::median(ours) / bench::median(cat));
    return 0;
}
