// The Word combine of 20 and of 100 small documents, the whole command with the office's
// start and quit, against one `soffice --headless --convert-to doc` of a single file (the
// cost of one office round trip), in the same run. Also the office's peak memory.
#include "Bench.h"
#include "combine/Office.h"
#include "combine/WordCombine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

using namespace kumiro;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The build, or another build of the office driver to compare with.
    const QString programDir =
        qEnvironmentVariable("KUMIRO_PROGRAM_DIR", QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    QTemporaryDir dir, cliProfile;
    // 100 small documents made by the office from HTML.
    QStringList html;
    for (int i = 0; i < 100; ++i) {
        const QString path = dir.filePath(QStringLiteral("doc%1.html").arg(i, 3, 10, QChar(u'0')));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(
            QStringLiteral(
                "<html><body><h1>文書 %1</h1><p>本文の段落 %1。</p><table border=1><tr><td>%1</td></tr></table></body></html>")
                .arg(i)
                .toUtf8());
        html << path;
    }
    QProcess make;
    make.start(kOfficeProgramDir + QStringLiteral("/soffice"),
               bench::officeArgs(cliProfile.path()) +
                   QStringList{QStringLiteral("--convert-to"), QStringLiteral("doc:MS Word 97"),
                               QStringLiteral("--outdir"), dir.path()} +
                   html);
    make.waitForFinished(-1);
    QStringList docs;
    for (QString h : html)
        docs << h.replace(QStringLiteral(".html"), QStringLiteral(".doc"));

    const auto office = loadOffice(programDir);
    // Warm the prepared profile, as a user's second combine would find it.
    combineWord(*office, docs.mid(0, 2), dir.filePath(QStringLiteral("warm.doc")));

    std::vector<double> t20, t100, single;
    long peak20 = 0, peak100 = 0;
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    for (int run = 0; run < runs; ++run) {
        for (int n : {20, 100}) {
            bench::OfficeSampler sampler;
            QElapsedTimer t;
            t.start();
            combineWord(*office, docs.mid(0, n), dir.filePath(QStringLiteral("NewWord.doc")));
            (n == 20 ? t20 : t100).push_back(t.nsecsElapsed() / 1e6);
            long& p = n == 20 ? peak20 : peak100;
            p = std::max(p, sampler.stop());
        }
        single.push_back(bench::singleConversionMs(html[0], QStringLiteral("doc:MS Word 97")));
    }
    std::printf("| Word combine, 20 documents | %.0f ms | office peak %ld KiB |\n", bench::median(t20), peak20);
    std::printf("| Word combine, 100 documents | %.0f ms | office peak %ld KiB |\n", bench::median(t100), peak100);
    std::printf("| soffice --convert-to doc, 1 file | %.0f ms | |\n", bench::median(single));
    std::printf("ratio 20 docs / single conversion %.2f\n", bench::median(t20) / bench::median(single));
    return 0;
}
