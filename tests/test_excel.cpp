// The Excel combine against the real LibreOffice; outputs read back by xlrd as well.
#include "combine/ExcelCombine.h"
#include "combine/CombineMessages.h"
#include "combine/SheetNames.h"
#include "combine/TextEncoding.h"
#include "support/OfficeCheck.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

#include "support/Files.h"

using namespace kumiro;
using test::readFile;
using test::writeFile;

namespace {

// A flat spreadsheet with the given sheets; each sheet: name, then its rows' XML.
QByteArray fods(const QList<QPair<QString, QString>>& sheets)
{
    QString body;
    for (const auto& [name, rows] : sheets)
        body += QStringLiteral("<table:table table:name=\"%1\"><table:table-column table:style-name=\"co1\"/>"
                               "<table:table-column/><table:table-column/>%2</table:table>")
                    .arg(name, rows);
    return (QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
                "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\" "
                "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:automatic-styles>"
                "<style:style style:name=\"co1\" style:family=\"table-column\"><style:table-column-properties "
                "style:column-width=\"5cm\"/></style:style></office:automatic-styles><office:body><office:spreadsheet>") +
            body + QStringLiteral("</office:spreadsheet></office:body></office:document>"))
        .toUtf8();
}

QString cell(const QString& text)
{
    return QStringLiteral("<table:table-cell office:value-type=\"string\"><text:p>%1</text:p></table:table-cell>")
        .arg(text);
}

QString row(const QString& cells)
{
    return QStringLiteral("<table:table-row>%1</table:table-row>").arg(cells);
}

const QString kFormulaRow = row(
    cell(QStringLiteral("日本語")) +
    QStringLiteral(
        "<table:table-cell office:value-type=\"float\" office:value=\"2\"><text:p>2</text:p></table:table-cell>"
        "<table:table-cell table:formula=\"of:=[.B1]*3\" office:value-type=\"float\" office:value=\"6\"><text:p>6</text:p></table:table-cell>"));
const QString kMergedRow = row(
    QStringLiteral("<table:table-cell table:number-columns-spanned=\"2\" table:number-rows-spanned=\"1\" "
                   "office:value-type=\"string\"><text:p>結合</text:p></table:table-cell><table:covered-table-cell/>"));

} // namespace

class TestExcel : public QObject {
    Q_OBJECT

    QString fixture(const QString& name) const { return fixtures_.filePath(name); }

    // Every sheet of an .xls as xlrd reads it.
    QJsonArray xlrd(const QString& path)
    {
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(KUMIRO_TESTS_DIR "/support/xls_dump.py"), path});
        py.waitForFinished(60000);
        const auto doc = QJsonDocument::fromJson(py.readAllStandardOutput());
        if (!doc.isArray())
            qWarning("xlrd: %s", py.readAllStandardError().constData());
        return doc.array();
    }

    // The workbook with its names: {"sheets": [...], "names": [[name, scope], ...]}.
    QJsonObject xlrdAll(const QString& path)
    {
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(KUMIRO_TESTS_DIR "/support/xls_dump.py"), path, QStringLiteral("--all")});
        py.waitForFinished(60000);
        return QJsonDocument::fromJson(py.readAllStandardOutput()).object();
    }

    // An .xlsx read from its XML: {"sheets": [{"name", "cells", "pivots"}], "names": [...]}.
    QJsonObject xlsxAll(const QString& path)
    {
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(KUMIRO_TESTS_DIR "/support/xlsx_dump.py"), path});
        py.waitForFinished(60000);
        return QJsonDocument::fromJson(py.readAllStandardOutput()).object();
    }

    // Each sheet as the command-line office reads the file: its pictures, charts and other
    // drawing objects, and the widths of its first columns (in length, not in characters of
    // the workbook's default font, which may differ between an input and the output).
    struct OfficeSheet {
        int drawings = 0;
        QList<double> widths;
    };
    QList<OfficeSheet> officeSheets(const QString& path)
    {
        QTemporaryDir dir;
        const QString flat = check_.convert(path, QStringLiteral("fods"), dir.path());
        QFile file(flat);
        QList<OfficeSheet> sheets;
        if (!file.open(QIODevice::ReadOnly))
            return sheets;
        QXmlStreamReader xml(&file);
        QMap<QString, double> widthOfStyle;
        QString style;
        int depth = 0, sheetDepth = -1; // a chart's data table is no sheet
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement())
                --depth;
            if (!xml.isStartElement())
                continue;
            ++depth;
            const auto attrs = xml.attributes();
            if (xml.name() == u"style" && xml.prefix() == u"style")
                style = attrs.value(QStringLiteral("style:name")).toString();
            else if (xml.name() == u"table-column-properties")
                widthOfStyle[style] = attrs.value(QStringLiteral("style:column-width"))
                                          .toString()
                                          .remove(QStringLiteral("in"))
                                          .toDouble();
            else if (xml.name() == u"spreadsheet" && xml.prefix() == u"office")
                sheetDepth = depth + 1;
            else if (xml.name() == u"table" && xml.prefix() == u"table" && depth == sheetDepth)
                sheets << OfficeSheet{};
            else if (xml.name() == u"table-column" && !sheets.isEmpty() && sheets.last().widths.size() < 6) {
                const int repeat = qMax(1, attrs.value(QStringLiteral("table:number-columns-repeated")).toInt());
                for (int r = 0; r < repeat && sheets.last().widths.size() < 6; ++r)
                    sheets.last().widths << widthOfStyle.value(
                        attrs.value(QStringLiteral("table:style-name")).toString());
            } else if (xml.name() == u"frame" && xml.prefix() == u"draw" && !sheets.isEmpty())
                ++sheets.last().drawings;
        }
        return sheets;
    }

    static QStringList names(const QJsonArray& sheets)
    {
        QStringList out;
        for (const auto& s : sheets)
            out << s.toObject().value(QStringLiteral("name")).toString();
        return out;
    }

private Q_SLOTS:
    // Each input read alone beside the output, sheet by sheet: cells and formula results
    // (names used by formulas, a name two inputs define differently, a total that reads a
    // later sheet, text and TRUE/FALSE results), merged ranges, comments, the default font,
    // number formats, colours and borders, column widths and row heights, links, print
    // ranges, and pictures and charts. A loss names the input, the sheet and what went missing.
    void nothingIsLostFromEachWorkbook()
    {
        const QStringList inputs = {QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/sales.xls"),
                                    QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/branch.xls")};
        QTemporaryDir out;
        out.setAutoRemove(qEnvironmentVariableIsEmpty("KUMIRO_KEEP_OUTPUT"));
        const QString output = out.filePath(QStringLiteral("NewExcel.xls"));
        QVERIFY(combineExcel(*office_, inputs, output));
        if (!out.autoRemove())
            qInfo("output kept: %s", qPrintable(output));
        const QJsonArray combined = xlrdAll(output).value(QStringLiteral("sheets")).toArray();
        const QList<OfficeSheet> combinedLook = officeSheets(output);
        int at = 0;
        for (const QString& input : inputs) {
            const QJsonArray sheets = xlrd(input);
            const QList<OfficeSheet> look = officeSheets(input);
            QCOMPARE(look.size(), sheets.size());
            for (int n = 0; n < sheets.size(); ++n, ++at) {
                QVERIFY(at < combined.size());
                const QJsonObject in = sheets[n].toObject();
                const QJsonObject got = combined[at].toObject();
                const QString where = QFileInfo(input).fileName() + u' ' + in.value(QStringLiteral("name")).toString();
                for (const char* what :
                     {"cells", "merged", "comments", "fontA1", "looks", "heights", "links", "printArea"})
                    QVERIFY2(got.value(QLatin1String(what)) == in.value(QLatin1String(what)),
                             qPrintable(where + QStringLiteral(": ") + QLatin1String(what) +
                                        QStringLiteral(" differ: ") +
                                        QString::fromUtf8(QJsonDocument(QJsonArray{in.value(QLatin1String(what)),
                                                                                   got.value(QLatin1String(what))})
                                                              .toJson(QJsonDocument::Compact))));
                const OfficeSheet mine = combinedLook.value(at);
                QVERIFY2(mine.drawings == look[n].drawings,
                         qPrintable(where +
                                    QStringLiteral(": %1 drawing objects, %2 in the output")
                                        .arg(look[n].drawings)
                                        .arg(mine.drawings)));
                QCOMPARE(mine.widths.size(), look[n].widths.size());
                for (int c = 0; c < mine.widths.size(); ++c)
                    QVERIFY2(qAbs(mine.widths[c] - look[n].widths[c]) <= 0.01 * look[n].widths[c],
                             qPrintable(where +
                                        QStringLiteral(": column %1 is %2 in wide, %3 in the output")
                                            .arg(c)
                                            .arg(look[n].widths[c])
                                            .arg(mine.widths[c])));
            }
        }
        QCOMPARE(at, combined.size());
    }

    // Two workbooks with the same names for other cells (a 3-D name, names made of names, a
    // sheet's own name read from another sheet, a name of #REF!), after another workbook:
    // each input's formulas compute what they computed alone, its names are all there, and
    // no name or formula links to an input file.
    void namesKeepTheirMeaning_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("xls") << QStringLiteral("xls");
        QTest::newRow("xlsx") << QStringLiteral("xlsx");
    }

    void namesKeepTheirMeaning()
    {
        QFETCH(QString, format);
        const QStringList inputs = {QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/sales.xls"),
                                    QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/names.xls"),
                                    QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/names2.xls")};
        const QString output = out_->filePath(QStringLiteral("NewExcel.") + format);
        QStringList shortfalls;
        QVERIFY(combineExcel(*office_, inputs, output, {}, &shortfalls));
        QCOMPARE(shortfalls, QStringList());
        QJsonObject combined;
        if (format == u"xlsx") {
            QProcess unzip;
            unzip.start(QStringLiteral("unzip"), {QStringLiteral("-l"), output});
            QVERIFY(unzip.waitForFinished(60000));
            const QByteArray parts = unzip.readAllStandardOutput();
            QVERIFY(parts.contains("xl/workbook.xml"));
            QVERIFY2(!parts.contains("xl/externalLinks"), "the workbook links to another file");
            combined = xlsxAll(output);
        } else {
            combined = xlrdAll(output);
        }
        const QJsonArray sheets = combined.value(QStringLiteral("sheets")).toArray();
        QStringList names;
        for (const auto& n : combined.value(QStringLiteral("names")).toArray())
            names << n.toArray()[0].toString();
        int at = 0;
        QMap<QString, int> seenNames;
        for (const QString& input : inputs) {
            const QJsonObject alone = xlrdAll(input);
            const QString file = QFileInfo(input).fileName();
            for (const auto& sheet : alone.value(QStringLiteral("sheets")).toArray()) {
                const QJsonArray in = sheet.toObject().value(QStringLiteral("cells")).toArray();
                const QJsonArray got = sheets[at++].toObject().value(QStringLiteral("cells")).toArray();
                for (int r = 0; r < in.size(); ++r) {
                    for (int c = 0; c < in[r].toArray().size(); ++c) {
                        const QJsonValue want = in[r].toArray()[c];
                        if (want == QJsonValue(QString()))
                            continue;
                        const QJsonValue have = got[r].toArray()[c];
                        QVERIFY2(have == want,
                                 qPrintable(QStringLiteral("%1 %2 row %3 column %4: %5 alone, %6 in the output")
                                                .arg(file, sheet.toObject().value(QStringLiteral("name")).toString())
                                                .arg(r + 1)
                                                .arg(c + 1)
                                                .arg(want.toVariant().toString(), have.toVariant().toString())));
                    }
                }
            }
            // The first input keeps a workbook name; the k-th that has it too gets "name_k", as
            // Excel numbers copies. A sheet's own names stay with their sheet.
            for (const auto& n : alone.value(QStringLiteral("names")).toArray()) {
                const QString name = n.toArray()[0].toString();
                const bool workbookName = n.toArray()[1].toInt() == -1;
                const int holders = workbookName ? ++seenNames[name.toLower()] : 1;
                const QString expected = holders == 1 ? name : QStringLiteral("%1_%2").arg(name).arg(holders);
                QVERIFY2(names.contains(expected, Qt::CaseInsensitive),
                         qPrintable(file + QStringLiteral(": name lost or misnamed: ") + expected));
            }
        }
        QCOMPARE(at, sheets.size());
    }

    // A pivot table arrives as one where it stood, reading the copy of its own source range
    // (also when the same workbook comes twice, so that the copies' sheets are renamed); one
    // the combine cannot lay out again (dates grouped by month) or the office refuses (on a
    // protected sheet) keeps its values and is named, and the combine completes.
    void pivotTablesArriveAsPivotTables()
    {
        const QString pivot = QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/pivot.xlsx");
        const QString grouped = QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/pivotgroup.xlsx");
        const QString locked = QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/pivotlocked.ods");
        const QString output = out_->filePath(QStringLiteral("NewExcel.xlsx"));
        QStringList shortfalls;
        QVERIFY(combineExcel(*office_, {pivot, pivot, grouped, locked}, output, {}, &shortfalls));
        const QString asValues = QStringLiteral(" の ピボットテーブル 1 個は値として取り込みました。");
        QCOMPARE(shortfalls, (QStringList{grouped + asValues, locked + asValues}));
        const QJsonArray sheets = xlsxAll(output).value(QStringLiteral("sheets")).toArray();
        QCOMPARE(sheets.size(), 4);
        const QJsonObject alone = xlsxAll(pivot)
                                      .value(QStringLiteral("sheets"))
                                      .toArray()[0]
                                      .toObject()[QStringLiteral("pivots")][0]
                                      .toObject();
        const QString range = alone.value(QStringLiteral("source")).toString().section(u'!', 1);
        QStringList names;
        for (int s = 0; s < 2; ++s) {
            const QJsonObject sheet = sheets[s].toObject();
            const QJsonArray pivots = sheet.value(QStringLiteral("pivots")).toArray();
            QCOMPARE(pivots.size(), 1);
            const QJsonObject got = pivots[0].toObject();
            QCOMPARE(got.value(QStringLiteral("location")), alone.value(QStringLiteral("location")));
            QCOMPARE(got.value(QStringLiteral("source")).toString(),
                     sheet.value(QStringLiteral("name")).toString() + u'!' + range);
            names << got.value(QStringLiteral("name")).toString();
        }
        QVERIFY2(names[0] != names[1], qPrintable(names.join(u',')));
        const QJsonObject kept = sheets[2].toObject();
        QCOMPARE(kept.value(QStringLiteral("pivots")).toArray().size(), 0);
        QCOMPARE(
            kept.value(QStringLiteral("cells")),
            xlsxAll(grouped).value(QStringLiteral("sheets")).toArray()[0].toObject().value(QStringLiteral("cells")));
        const QJsonObject protectedCopy = sheets[3].toObject();
        QCOMPARE(protectedCopy.value(QStringLiteral("pivots")).toArray().size(), 0);
        const QJsonArray lockedCells = protectedCopy.value(QStringLiteral("cells")).toArray();
        QVERIFY2(std::any_of(lockedCells.begin(), lockedCells.end(),
                             [](const QJsonValue& row) { return row.toArray().contains(QJsonValue(30.0)); }),
                 "the protected sheet's pivot table lost its total");
    }

    // A later workbook whose default font differs from the first's: every cell keeps its
    // font, size, bold, italic and colour, and the columns and rows keep their length, in
    // .xls and .xlsx. Both sides are read as .xls written by the command-line office.
    void laterWorkbookKeepsItsLook_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("xls") << QStringLiteral("xls");
        QTest::newRow("xlsx") << QStringLiteral("xlsx");
    }

    void laterWorkbookKeepsItsLook()
    {
        QFETCH(QString, format);
        const QString look = QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/look.xlsx");
        const QString output = out_->filePath(QStringLiteral("NewExcel.") + format);
        QVERIFY(combineExcel(*office_, {QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/sales.xls"), look}, output));
        QTemporaryDir read;
        auto asXls = [&](const QString& path, const QString& dir) {
            QDir().mkpath(read.filePath(dir));
            return path.endsWith(QStringLiteral(".xls"))
                ? path
                : check_.convert(path, QStringLiteral("xls:MS Excel 97"), read.filePath(dir));
        };
        const QJsonArray in = xlrd(asXls(look, QStringLiteral("in")));
        const QJsonArray out = xlrd(asXls(output, QStringLiteral("out")));
        QCOMPARE(out.size(), 3);
        const QJsonObject want = in[0].toObject().value(QStringLiteral("fonts")).toObject();
        const QJsonObject got = out[2].toObject().value(QStringLiteral("fonts")).toObject();
        QVERIFY(!want.isEmpty());
        for (auto it = want.begin(); it != want.end(); ++it)
            QVERIFY2(got.value(it.key()) == it.value(),
                     qPrintable(
                         QStringLiteral("look.xlsx cell %1: font %2 alone, %3 in the output")
                             .arg(it.key(),
                                  QString::fromUtf8(QJsonDocument(it.value().toArray()).toJson(QJsonDocument::Compact)),
                                  QString::fromUtf8(
                                      QJsonDocument(got.value(it.key()).toArray()).toJson(QJsonDocument::Compact)))));
        const auto alone = officeSheets(look);
        const auto mine = officeSheets(output);
        QCOMPARE(mine.size(), 3);
        for (int c = 0; c < alone[0].widths.size(); ++c)
            QVERIFY2(qAbs(mine[2].widths.value(c) - alone[0].widths[c]) <= 0.01 * alone[0].widths[c],
                     qPrintable(QStringLiteral("look.xlsx column %1: %2 in wide alone, %3 in the output")
                                    .arg(c)
                                    .arg(alone[0].widths[c])
                                    .arg(mine[2].widths.value(c))));
        QCOMPARE(out[2].toObject().value(QStringLiteral("heights")), in[0].toObject().value(QStringLiteral("heights")));
    }

    void initTestCase()
    {
        if (!QFileInfo(QStringLiteral("/usr/bin/python3")).isExecutable())
            QFAIL("python3 is needed to read the outputs back");
        writeFile(fixture(QStringLiteral("two.fods")),
                  fods({{QStringLiteral("売上"), kFormulaRow + kMergedRow},
                        {QStringLiteral("Sheet2"), row(cell(QStringLiteral("二枚目")))}}));
        writeFile(fixture(QStringLiteral("three.fods")),
                  fods({{QStringLiteral("sheet2"), row(cell(QStringLiteral("三-1")))},
                        {QStringLiteral("Sheet1"), row(cell(QStringLiteral("三-2")))},
                        {QStringLiteral("とても長いシートの名前で三十一文字を超えてしまう場合の名前ですよね本当に"),
                         row(cell(QStringLiteral("三-3")))}}));
        // A workbook that counts its dates from 1904, as older ones do: 2000-01-01 in A1.
        QByteArray old =
            fods({{QStringLiteral("Old"),
                   row(QStringLiteral("<table:table-cell table:style-name=\"date\" office:value-type=\"date\" "
                                      "office:date-value=\"2000-01-01\"><text:p>2000-01-01</text:p>"
                                      "</table:table-cell>"))}});
        old.replace("<office:spreadsheet>",
                    "<office:spreadsheet><table:calculation-settings><table:null-date "
                    "table:date-value=\"1904-01-01\"/></table:calculation-settings>");
        old.replace("<office:automatic-styles>",
                    "<office:automatic-styles><number:date-style style:name=\"ymd\"><number:year/><number:text>-"
                    "</number:text><number:month/><number:text>-</number:text><number:day/></number:date-style>"
                    "<style:style style:name=\"date\" style:family=\"table-cell\" style:data-style-name=\"ymd\"/>");
        old.replace("xmlns:of=", "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" xmlns:of=");
        writeFile(fixture(QStringLiteral("old.fods")), old);
        for (const char* name : {"two.fods", "three.fods", "old.fods"})
            QVERIFY(
                !check_.convert(fixture(QString::fromLatin1(name)), QStringLiteral("xls:MS Excel 97"), fixtures_.path())
                     .isEmpty());
        writeFile(fixture(QStringLiteral("word.html")), "<html><body><p>a Word document</p></body></html>");
        QVERIFY(
            !check_.convert(fixture(QStringLiteral("word.html")), QStringLiteral("doc:MS Word 97"), fixtures_.path())
                 .isEmpty());
        writeFile(fixture(QStringLiteral("utf8.csv")), QStringLiteral("名前,数\n山田,1\n").toUtf8());
        writeFile(fixture(QStringLiteral("[sjis] シフトJISで書かれた長い名前のCSVファイルです.csv")),
                  QByteArray("\x96\xbc\x91\x4f,\x90\x94\r\n\x8d\xb2\x93\xa1,2\r\n")); // 名前,数 / 佐藤,2
        baseProcesses_ = test::officeProcessCount();
    }

    void init()
    {
        out_ = std::make_unique<QTemporaryDir>();
        office_ = loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL));
    }

    void cleanup()
    {
        office_.reset();
        QCOMPARE(test::officeProcessCount(), baseProcesses_);
    }

    void everySheetInOrderWithoutTheBlankOne()
    {
        const QString output = out_->filePath(QStringLiteral("NewExcel.xls"));
        writeFile(output, "an older combine");
        QVERIFY(combineExcel(*office_,
                             {fixture(QStringLiteral("two.xls")), fixture(QStringLiteral("three.xls")),
                              fixture(QStringLiteral("utf8.csv")),
                              fixture(QStringLiteral("[sjis] シフトJISで書かれた長い名前のCSVファイルです.csv"))},
                             output));
        QCOMPARE(QDir(out_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("NewExcel.xls")});

        const QJsonArray sheets = xlrd(output);
        QCOMPARE(
            names(sheets),
            (QStringList{QStringLiteral("売上"), QStringLiteral("Sheet2"), QStringLiteral("sheet2 (2)"),
                         QStringLiteral("Sheet1"),
                         QStringLiteral("とても長いシートの名前で三十一文字を超えてしまう場合の名前です"),
                         QStringLiteral("utf8"), QStringLiteral("_sjis_ シフトJISで書かれた長い名前のCSVファイルで")}));
        const QJsonObject first = sheets[0].toObject();
        const QJsonArray cells = first.value(QStringLiteral("cells")).toArray();
        QCOMPARE(cells[0].toArray()[0].toString(), QStringLiteral("日本語"));
        QCOMPARE(cells[0].toArray()[2].toDouble(), 6.0);
        QCOMPARE(cells[1].toArray()[0].toString(), QStringLiteral("結合"));
        QCOMPARE(first.value(QStringLiteral("merged")).toArray()[0].toArray(), (QJsonArray{1, 2, 0, 2}));
        // Column A is 5 cm wide, far wider than the default.
        QVERIFY(first.value(QStringLiteral("widths")).toObject().value(QStringLiteral("0")).toInt() > 5000);
        QCOMPARE(sheets[5].toObject().value(QStringLiteral("cells")).toArray()[1].toArray()[0].toString(),
                 QStringLiteral("山田"));
        QCOMPARE(sheets[6].toObject().value(QStringLiteral("cells")).toArray()[1].toArray()[0].toString(),
                 QStringLiteral("佐藤"));
        // The formula is still a formula, not just its value.
        const QString flat = check_.convert(output, QStringLiteral("fods"), out_->path());
        QVERIFY(readFile(flat).contains("of:=[.B1]*3"));
    }

    // A workbook with macros (.xlsm) is known by what it holds, not refused as no workbook.
    // A date of a workbook that counts from 1904 shows its day after one that counts from 1900:
    // the number alone would be four years off.
    void datesKeepTheirDayAcrossDateSystems()
    {
        auto day = [](const QJsonObject& sheet) {
            const QDate zero =
                sheet.value(QStringLiteral("datemode")).toInt() == 1 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
            return zero.addDays(qint64(sheet.value(QStringLiteral("cells"))[0][0].toDouble()));
        };
        const QJsonArray in = xlrd(fixture(QStringLiteral("old.xls")));
        QCOMPARE(in[0].toObject().value(QStringLiteral("datemode")).toInt(), 1);
        QCOMPARE(day(in[0].toObject()), QDate(2000, 1, 1));
        const QString output = out_->filePath(QStringLiteral("NewExcel.xls"));
        QVERIFY(
            combineExcel(*office_, {fixture(QStringLiteral("two.xls")), fixture(QStringLiteral("old.xls"))}, output));
        const QJsonArray out = xlrd(output);
        QCOMPARE(out.size(), 3);
        QCOMPARE(day(out[2].toObject()), QDate(2000, 1, 1));
    }

    void workbooksWithMacrosAreRecognised()
    {
        const QString xlsm = check_.convert(fixture(QStringLiteral("two.xls")),
                                            QStringLiteral("xlsm:Calc MS Excel 2007 VBA XML"), out_->path());
        QVERIFY(!xlsm.isEmpty());
        const QString output = out_->filePath(QStringLiteral("NewExcel.xls"));
        QVERIFY(combineExcel(*office_, {xlsm, fixture(QStringLiteral("utf8.csv"))}, output));
        QCOMPARE(names(xlrd(output)).size(), names(xlrd(fixture(QStringLiteral("two.xls")))).size() + 1);
    }

    void badInputsWriteNothing_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::newRow("missing") << "missing.xls";
        QTest::newRow("random bytes named .xls") << "random.xls";
        QTest::newRow("a text document named .xls") << "text.xls";
        QTest::newRow("a Word document named .xls") << "word.xls";
    }

    void badInputsWriteNothing()
    {
        QFETCH(QString, bad);
        QByteArray noise(8000, 'x');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919) % 251);
        writeFile(out_->filePath(QStringLiteral("random.xls")), noise);
        QFile::copy(fixture(QStringLiteral("two.fods")), out_->filePath(QStringLiteral("text.xls")));
        writeFile(out_->filePath(QStringLiteral("text.xls")), "<html><body><p>not a workbook</p></body></html>");
        QFile::copy(fixture(QStringLiteral("word.doc")), out_->filePath(QStringLiteral("word.xls")));
        const QString output = out_->filePath(QStringLiteral("NewExcel.xls"));
        writeFile(output, "kept");
        try {
            combineExcel(*office_, {fixture(QStringLiteral("two.xls")), out_->filePath(bad)}, output);
            QFAIL("no error");
        } catch (const OfficeError& e) {
            QCOMPARE(e.kind(), OfficeError::Unreadable);
            QCOMPARE(e.file(), out_->filePath(bad));
            QVERIFY(officeFailureMessage(e).text.contains(out_->filePath(bad)));
        }
        QCOMPARE(readFile(output), QByteArray("kept"));
    }

    void excelNamingRules()
    {
        QCOMPARE(excelSheetName(QStringLiteral("Sheet1"), {}), QStringLiteral("Sheet1"));
        QCOMPARE(excelSheetName(QStringLiteral("Sheet1"), {QStringLiteral("SHEET1")}), QStringLiteral("Sheet1 (2)"));
        QCOMPARE(excelSheetName(QStringLiteral("a"), {QStringLiteral("A"), QStringLiteral("a (2)")}),
                 QStringLiteral("a (3)"));
        QCOMPARE(excelSheetName(QStringLiteral("q1/q2:[x]*?\\"), {}), QStringLiteral("q1_q2__x____"));
        QCOMPARE(excelSheetName(QStringLiteral("'quoted'"), {}), QStringLiteral("quoted"));
        QCOMPARE(excelSheetName(QStringLiteral("''"), {}), QStringLiteral("Sheet"));
        const QString long40 = QString(40, u'x');
        QCOMPARE(excelSheetName(long40, {}), QString(31, u'x'));
        QCOMPARE(excelSheetName(long40, {QString(31, u'x')}), QString(27, u'x') + QStringLiteral(" (2)"));
        // Cutting to 31 must not leave an apostrophe at the end.
        QCOMPARE(excelSheetName(QString(30, u'y') + QStringLiteral("'z"), {}), QString(30, u'y'));
    }

    void encodings()
    {
        QCOMPARE(detectTextEncoding(QStringLiteral("日本語").toUtf8()), TextEncoding::Utf8);
        QCOMPARE(detectTextEncoding(QByteArray("\xEF\xBB\xBF\x41")), TextEncoding::Utf8);
        QCOMPARE(detectTextEncoding(QByteArray("\x93\xfa\x96\x7b")), TextEncoding::ShiftJis);
        QCOMPARE(detectTextEncoding(QByteArray("plain ascii")), TextEncoding::Utf8);
        // A character cut by a partial read is not taken for Shift-JIS; cut in a whole file, the
        // text is still UTF-8, for the caller to refuse rather than garble.
        QCOMPARE(detectTextEncoding(QStringLiteral("日本").toUtf8().chopped(1), false), TextEncoding::Utf8);
        QCOMPARE(detectTextEncoding(QStringLiteral("日本").toUtf8().chopped(1), true), TextEncoding::Utf8);
    }

private:
    QTemporaryDir fixtures_;
    std::unique_ptr<QTemporaryDir> out_;
    test::OfficeCheck check_;
    std::unique_ptr<Office> office_;
    int baseProcesses_ = 0;
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestExcel)
#include "test_excel.moc"
