// The Excel combine of 20 workbooks of 3 sheets each, the whole command with the office's
// start and quit, against one `soffice --headless --convert-to xls` of a single workbook
// in the same run. Also the office's peak memory.
#include "Bench.h"
#include "combine/ExcelCombine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kumiro;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The build, or another build of the office driver to compare with.
    const QString programDir =
        qEnvironmentVariable("KUMIRO_PROGRAM_DIR", QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    QTemporaryDir dir, cliProfile;
    QStringList sources;
    for (int i = 0; i < 20; ++i) {
        QString sheets;
        for (int s = 1; s <= 3; ++s) {
            QString rows;
            for (int r = 0; r < 20; ++r)
                rows +=
                    QStringLiteral(
                        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>ブック%1 行%2</text:p>"
                        "</table:table-cell><table:table-cell office:value-type=\"float\" office:value=\"%2\"/>"
                        "</table:table-row>")
                        .arg(i)
                        .arg(r);
            sheets += QStringLiteral("<table:table table:name=\"Sheet%1\">%2</table:table>").arg(s).arg(rows);
        }
        const QString path = dir.filePath(QStringLiteral("book%1.fods").arg(i, 2, 10, QChar(u'0')));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                               "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                               "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
                               "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body>"
                               "<office:spreadsheet>%1</office:spreadsheet></office:body></office:document>")
                    .arg(sheets)
                    .toUtf8());
        sources << path;
    }
    QProcess make;
    make.start(kOfficeProgramDir + QStringLiteral("/soffice"),
               bench::officeArgs(cliProfile.path()) +
                   QStringList{QStringLiteral("--convert-to"), QStringLiteral("xls:MS Excel 97"),
                               QStringLiteral("--outdir"), dir.path()} +
                   sources);
    make.waitForFinished(-1);
    QStringList books;
    for (QString s : sources)
        books << s.replace(QStringLiteral(".fods"), QStringLiteral(".xls"));

    const auto office = loadOffice(programDir);
    combineExcel(*office, books.mid(0, 2), dir.filePath(QStringLiteral("warm.xls")));

    std::vector<double> ours, single;
    long peak = 0;
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    for (int run = 0; run < runs; ++run) {
        bench::OfficeSampler sampler;
        QElapsedTimer t;
        t.start();
        combineExcel(*office, books, dir.filePath(QStringLiteral("NewExcel.xls")));
        ours.push_back(t.nsecsElapsed() / 1e6);
        peak = std::max(peak, sampler.stop());
        single.push_back(bench::singleConversionMs(sources[0], QStringLiteral("xls:MS Excel 97")));
    }
    std::printf("| Excel combine, 20 workbooks x 3 sheets | %.0f ms | office peak %ld KiB |\n", bench::median(ours),
                peak);
    std::printf("| soffice --convert-to xls, 1 workbook | %.0f ms | |\n", bench::median(single));
    std::printf("ratio %.2f\n", bench::median(ours) / bench::median(single));
    return 0;
}
