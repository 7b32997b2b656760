// Lists a folder of 10,000 matching and 10,000 other files into a list like List1, against
// `find DIR -maxdepth 1 -type f -iname '*.txt'` on the same folder in the same run.
#include "Bench.h"
#include "app/SettingsRecord.h"
#include "app/FileListing.h"
#include "platform/Look.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kumiro;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installFontSubstitutions();
    const int files = 10000, runs = 15;
    QTemporaryDir dir;
    for (int i = 0; i < files; ++i) {
        QFile(dir.filePath(QStringLiteral("file%1.txt").arg(i, 5, 10, QChar(u'0')))).open(QIODevice::WriteOnly);
        QFile(dir.filePath(QStringLiteral("other%1.dat").arg(i, 5, 10, QChar(u'0')))).open(QIODevice::WriteOnly);
    }
    SettingsRecord settings;
    settings.OptTkaku[0] = {QStringLiteral("*.txt"), QStringLiteral("1")};

    std::vector<double> ours, peer;
    qsizetype listed = 0, found = 0;
    for (int r = 0; r < runs; ++r) {
        QListWidget list;
        list.setFont(windowFont(kPGothic, 11.25));
        QElapsedTimer t;
        t.start();
        list.addItems(listKindFiles(settings, Kind::Text, dir.path()));
        ours.push_back(t.nsecsElapsed() / 1e6);
        listed = list.count();

        QProcess find;
        t.restart();
        find.start(QStringLiteral("find"),
                   {dir.path(), QStringLiteral("-maxdepth"), QStringLiteral("1"), QStringLiteral("-type"),
                    QStringLiteral("f"), QStringLiteral("-iname"), QStringLiteral("*.txt")});
        find.waitForFinished(-1);
        const QByteArray out = find.readAllStandardOutput();
        peer.push_back(t.nsecsElapsed() / 1e6);
        found = out.count('\n');
    }
    std::printf("| listing into List1 (%lld names) | %.1f ms |\n", (long long)listed, bench::median(ours));
    std::printf("| find -maxdepth 1 -type f -iname '*.txt' (%lld names) | %.1f ms |\n", (long long)found,
                bench::median(peer));
    std::printf("ratio %.2f\n", bench::median(ours) / bench::median(peer));
    return listed == found ? 0 : 1;
}
