// The Word combine and the conversion against the real LibreOffice, read back independently.
#include "combine/Office.h"
#include "combine/CombineMessages.h"
#include "combine/WordCombine.h"
#include "app/ProgramState.h"
#include "mainwin/KUMIRO.h"
#include "support/MainWindow.h"
#include "mainwin/OfficeRunner.h"
#include "support/ScriptedPlatform.h"
#include "support/OfficeCheck.h"
#include "tools/Convert.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QAction>
#include <QTest>

#include "support/Files.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace kumiro;
using test::officeProcessCount;
using test::officeProfileCount;
using test::readFile;
using test::writeFile;

namespace {

const char* kPng =
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAHUlEQVR4nGP4z8CAB+GTZBjVOapzVOeozuGlEwBKEd8hQ6eg6gAAAABJRU5ErkJggg==";

QByteArray html(int n, const char* extra = "")
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>"
                          "<h1>見出し %1</h1><p>本文 <b>太字 %1</b></p>"
                          "<table border=\"1\"><tr><td>表%1</td><td>B</td></tr></table>"
                          "<p><img src=\"data:image/png;base64,%2\" width=\"16\" height=\"16\"></p>"
                          "<p>最後の段落 %1</p>%3</body></html>")
        .arg(n)
        .arg(QString::fromLatin1(kPng))
        .arg(QString::fromUtf8(extra))
        .toUtf8();
}

} // namespace

class TestOffice : public QObject {
    Q_OBJECT

    QString fixture(const QString& name) const { return fixtures_.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(kOfficeProgramDir + QStringLiteral("/soffice.bin")).isExecutable())
            QFAIL("LibreOffice is not installed; scripts/test installs it");
        // Word and rich-text inputs made by the office itself from HTML.
        for (int n = 1; n <= 3; ++n)
            writeFile(fixture(QStringLiteral("in%1.html").arg(n)), html(n));
        writeFile(fixture(QStringLiteral("land.fodt")),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                  "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                  "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                  "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
                  "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
                  "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:automatic-styles>"
                  "<style:page-layout style:name=\"pm1\"><style:page-layout-properties fo:page-width=\"29.7cm\" "
                  "fo:page-height=\"21cm\" style:print-orientation=\"landscape\"/></style:page-layout>"
                  "</office:automatic-styles><office:master-styles><style:master-page style:name=\"Standard\" "
                  "style:page-layout-name=\"pm1\"/></office:master-styles><office:body><office:text>"
                  "<text:p>横向きの文書</text:p></office:text></office:body></office:document>");
        for (const char* name : {"in1.html", "in2.html", "land.fodt"})
            QVERIFY(
                !check_.convert(fixture(QString::fromLatin1(name)), QStringLiteral("doc:MS Word 97"), fixtures_.path())
                     .isEmpty());
        // A comment on the text: the office laid such a document out and ended when saving it.
        writeFile(fixture(QStringLiteral("noted.fodt")),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                  "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                  "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                  "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
                  "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:body><office:text>"
                  "<text:p><office:annotation><dc:creator>x</dc:creator><text:p>注釈</text:p></office:annotation>"
                  "注釈のある文書</text:p></office:text></office:body></office:document>");
        QVERIFY(!check_
                     .convert(fixture(QStringLiteral("noted.fodt")), QStringLiteral("docx:MS Word 2007 XML"),
                              fixtures_.path())
                     .isEmpty());
        QVERIFY(
            !check_
                 .convert(fixture(QStringLiteral("in3.html")), QStringLiteral("rtf:Rich Text Format"), fixtures_.path())
                 .isEmpty());
        baseProcesses_ = officeProcessCount();
        baseProfiles_ = officeProfileCount();
    }

    void init()
    {
        out_ = std::make_unique<QTemporaryDir>();
        office_ = loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL), options_);
    }

    void cleanup()
    {
        office_.reset();
        // Whatever happened, the command's office and its profile are gone.
        QCOMPARE(officeProcessCount(), baseProcesses_);
        QCOMPARE(officeProfileCount(), baseProfiles_);
    }

    void wordCombineKeepsEveryDocumentInOrder()
    {
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        writeFile(output, "an older combine"); // replaced
        QStringList seen;
        CommandProgress progress;
        progress.step = [&](int i, int n, const QString& f) {
            seen << QStringLiteral("%1/%2 %3").arg(i).arg(n).arg(QFileInfo(f).fileName());
        };
        const QStringList inputs = {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("land.doc")),
                                    fixture(QStringLiteral("in3.rtf")), fixture(QStringLiteral("in2.doc"))};
        QVERIFY(combineWord(*office_, inputs, output, progress));
        QCOMPARE(seen, (QStringList{"0/4 in1.doc", "1/4 land.doc", "2/4 in3.rtf", "3/4 in2.doc"}));
        QCOMPARE(QDir(out_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("NewWord.doc")});
        // Written by the office, yet with the permissions of the file it replaced.
        QCOMPARE(QFile::permissions(output) & 0x7777, QFile::permissions(fixture(QStringLiteral("in1.html"))) & 0x7777);

        const auto doc = check_.read(output);
        // Contents in order, the seams without stray empty paragraphs, a break after each
        // document, and the empty page at the end.
        QCOMPARE(doc.blocks,
                 (QStringList{"h:見出し 1", "p:本文 太字 1", "table", "p:", "p:最後の段落 1", "p:横向きの文書",
                              "h:見出し 3", "p:本文 太字 3", "table", "p:", "p:最後の段落 3", "h:見出し 2",
                              "p:本文 太字 2", "table", "p:", "p:最後の段落 2", "p:"}));
        QCOMPARE(doc.masters.size(), 5); // the first document's, then one a break
        QCOMPARE(doc.pageCount, 5);
        QCOMPARE(doc.tables, 3);
        QCOMPARE(doc.images, 3);
        // The landscape document keeps its page setup in its section.
        const auto wide = doc.pageSizes[1].split(QStringLiteral(" x "));
        QVERIFY2(wide[0].chopped(2).toDouble() > wide[1].chopped(2).toDouble(), qPrintable(doc.pageSizes[1]));
        const auto tall = doc.pageSizes[2].split(QStringLiteral(" x "));
        QVERIFY(tall[0].chopped(2).toDouble() < tall[1].chopped(2).toDouble());
    }

    // Each input read alone beside the output: every paragraph (empty ones included), the
    // page size of its section, headers and footers, footnotes, tables. A loss names the
    // input and what went missing.
    void nothingIsLostFromEachDocument()
    {
        const QStringList inputs = {QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/letter.rtf"),
                                    QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/land.doc"),
                                    fixture(QStringLiteral("in1.doc"))};
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        QVERIFY(combineWord(*office_, inputs, output));
        const auto combined = check_.read(output);
        QStringList blocks;
        int footnotes = 0, tables = 0;
        for (int i = 0; i < inputs.size(); ++i) {
            const auto alone = check_.read(inputs[i]);
            const QString name = QFileInfo(inputs[i]).fileName();
            blocks += alone.blocks;
            footnotes += alone.footnotes;
            tables += alone.tables;
            QVERIFY2(combined.pageSizes.value(i) == alone.pageSizes.value(0),
                     qPrintable(name + QStringLiteral(": page ") + alone.pageSizes.value(0) +
                                QStringLiteral(", in the output ") + combined.pageSizes.value(i)));
            for (const QString& header : alone.headers)
                QVERIFY2(combined.headers.contains(header),
                         qPrintable(name + QStringLiteral(": header or footer lost: ") + header));
        }
        blocks << QStringLiteral("p:"); // the page the last break starts
        auto simplified = [](QStringList list) { // a footnote's text comes with the XML's layout
            for (QString& b : list)
                b = b.simplified();
            return list;
        };
        QCOMPARE(simplified(combined.blocks), simplified(blocks));
        QCOMPARE(combined.footnotes, footnotes);
        QCOMPARE(combined.tables, tables);
    }

    // Inputs of every Word format, each read alone beside its section of the output in each
    // output format: paper size and orientation, margins, bold headers, and the font and size
    // of every paragraph's style. A difference names the input and what differs.
    void eachSectionLooksLikeItsInput_data()
    {
        QTest::addColumn<QString>("format");
        for (const char* format : {"docx", "odt", "doc"})
            QTest::newRow(format) << QString::fromLatin1(format);
    }

    void eachSectionLooksLikeItsInput()
    {
        QFETCH(QString, format);
        const QStringList inputs = {QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/wide.docx"),
                                    QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/letter.odt"),
                                    QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/single.doc"),
                                    QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/bold.rtf")};
        const QString output = out_->filePath(QStringLiteral("NewWord.") + format);
        QStringList shortfalls;
        QVERIFY(combineWord(*office_, inputs, output, {}, &shortfalls));
        QCOMPARE(shortfalls, QStringList());
        const auto combined = check_.read(output);
        QCOMPARE(combined.masters.size(), inputs.size() + 1);
        // Lengths as written in either unit, to a tenth of a millimetre.
        auto lengths = [](const QString& text) {
            QList<int> out;
            for (const QString& l : text.split(QRegularExpression(QStringLiteral("[ x]+")), Qt::SkipEmptyParts))
                out << qRound(l.chopped(2).toDouble() * (l.endsWith(QStringLiteral("in")) ? 254 : 100));
            return out;
        };
        auto near = [&](const QString& a, const QString& b) {
            const auto x = lengths(a), y = lengths(b);
            if (x.size() != y.size())
                return false;
            for (int i = 0; i < x.size(); ++i)
                if (qAbs(x[i] - y[i]) > 2)
                    return false;
            return true;
        };
        // A font by its first name: a Word file adds the one it stands in for ("Carlito, Calibri").
        auto look = [](QString l) {
            return l.replace(QRegularExpression(QStringLiteral("[,;][^/]*?(?= \\d)")), QString());
        };
        int block = 0;
        for (int i = 0; i < inputs.size(); ++i) {
            const auto alone = check_.read(inputs[i]);
            const QString name = QFileInfo(inputs[i]).fileName();
            QVERIFY2(near(combined.pageSizes.value(i), alone.pageSizes.value(0)),
                     qPrintable(name + QStringLiteral(": page ") + alone.pageSizes.value(0) +
                                QStringLiteral(", in the output ") + combined.pageSizes.value(i)));
            QVERIFY2(near(combined.pageMargins.value(i), alone.pageMargins.value(0)),
                     qPrintable(name + QStringLiteral(": margins ") + alone.pageMargins.value(0) +
                                QStringLiteral(", in the output ") + combined.pageMargins.value(i)));
            for (const QString& header : alone.boldHeaders)
                QVERIFY2(combined.boldHeaders.contains(header),
                         qPrintable(name + QStringLiteral(": header no longer bold: ") + header));
            for (int b = 0; b < alone.blocks.size(); ++b, ++block)
                QVERIFY2(look(combined.looks.value(block)) == look(alone.looks.value(b)),
                         qPrintable(name + QStringLiteral(": ") + alone.blocks.value(b) + QStringLiteral(" in ") +
                                    alone.looks.value(b) + QStringLiteral(", in the output ") +
                                    combined.looks.value(block)));
        }
    }

    // A PDF ends with the last input: no empty page after it.
    void pdfEndsWithTheLastInput()
    {
        const QString output = out_->filePath(QStringLiteral("NewWord.pdf"));
        QVERIFY(
            combineWord(*office_, {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("land.doc"))}, output));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {output});
        QVERIFY(info.waitForFinished(60000));
        const QString pages = QRegularExpression(QStringLiteral("Pages:\\s*(\\d+)"))
                                  .match(QString::fromUtf8(info.readAllStandardOutput()))
                                  .captured(1);
        QCOMPARE(pages, QStringLiteral("2"));
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), pages, QStringLiteral("-l"), pages, output, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("横向きの文書")));
    }

    void badInputsEndTheCombineAndWriteNothing_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::newRow("missing") << "missing.doc";
        QTest::newRow("random bytes named .doc") << "random.doc";
        QTest::newRow("plain text named .rtf") << "text.rtf";
    }

    void badInputsEndTheCombineAndWriteNothing()
    {
        QFETCH(QString, bad);
        QByteArray noise(20000, '\0');
        for (char& c : noise)
            c = char(QRandomGenerator::global()->generate());
        writeFile(out_->filePath(QStringLiteral("random.doc")), noise);
        writeFile(out_->filePath(QStringLiteral("text.rtf")), "just some text\n");
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        writeFile(output, "kept");
        try {
            combineWord(*office_, {fixture(QStringLiteral("in1.doc")), out_->filePath(bad)}, output);
            QFAIL("no error");
        } catch (const OfficeError& e) {
            QCOMPARE(e.kind(), OfficeError::Unreadable);
            QCOMPARE(e.file(), out_->filePath(bad));
            const OfficeMessage m = officeFailureMessage(e);
            QCOMPARE(m.title, QStringLiteral("ファイル確認"));
            QVERIFY(m.text.contains(out_->filePath(bad)));
        }
        QCOMPARE(readFile(output), QByteArray("kept"));
    }

    // A stopped office makes no progress: it is ended without any deadline on the call (a
    // test that hung here would be the fault).
    void hungOfficeIsEndedAndReported()
    {
        OfficeOptions quick = options_;
        quick.callTimeoutMs = 0;
        quick.stallTimeoutMs = 2000;
        office_ = loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL), quick);
        CommandProgress progress;
        progress.step = [](int i, int, const QString&) {
            if (i == 1)
                QVERIFY(test::signalOurOffice(SIGSTOP));
        };
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        try {
            combineWord(*office_, {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))}, output,
                        progress);
            QFAIL("no error");
        } catch (const OfficeError& e) {
            QCOMPARE(e.kind(), OfficeError::Hung);
            QVERIFY(officeFailureMessage(e).text.contains(QStringLiteral("応答しなかった")));
        }
        QVERIFY(!QFileInfo::exists(output));
    }

    // The user's stop ends a call that does not return, however long the stall limit lets
    // it run (a step that loops uses processor time, which counts as progress).
    void stopEndsACallThatDoesNotReturn()
    {
        OfficeOptions patient = options_;
        patient.callTimeoutMs = 0;
        patient.stallTimeoutMs = 120000;
        std::atomic<bool> stop{false};
        patient.stop = &stop;
        office_ = loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL), patient);
        CommandProgress progress;
        progress.step = [&](int i, int, const QString&) {
            if (i == 1) {
                QVERIFY(test::signalOurOffice(SIGSTOP));
                stop = true;
            }
        };
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        const OfficeError e = test::failureOf([&] {
            combineWord(*office_, {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))}, output,
                        progress);
        });
        QCOMPARE(e.kind(), OfficeError::Hung);
        QVERIFY2(e.what().contains(QStringLiteral("中止の指示")), qPrintable(e.what()));
        QVERIFY(!QFileInfo::exists(output));
    }

    // Stopped while it starts, before its pipe opens, an office is answered by the stall
    // limit as it is later, not by the start's minute.
    void officeStoppedWhileStartingIsEndedAndReported()
    {
        OfficeOptions quick = options_;
        quick.stallTimeoutMs = 2000;
        const auto office = loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL), quick);
        std::atomic<bool> stopped{false};
        std::thread stopper([&] {
            for (int i = 0; i < 12000 && !stopped; ++i) {
                stopped = test::signalOurOffice(SIGSTOP);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        const OfficeError e = test::failureOf([&] {
            combineWord(*office, {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))},
                        out_->filePath(QStringLiteral("NewWord.doc")));
        });
        stopper.join();
        QVERIFY(stopped);
        QCOMPARE(e.kind(), OfficeError::Hung);
        QVERIFY2(e.what().contains(QStringLiteral("応答しなかった")), qPrintable(e.what()));
    }

    void killedOfficeIsReported()
    {
        CommandProgress progress;
        progress.step = [](int i, int, const QString&) {
            if (i == 1)
                QVERIFY(test::signalOurOffice(SIGKILL));
        };
        try {
            combineWord(*office_, {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))},
                        out_->filePath(QStringLiteral("NewWord.doc")), progress);
            QFAIL("no error");
        } catch (const OfficeError& e) {
            QCOMPARE(e.kind(), OfficeError::Crashed);
        }
    }

    void cancelWritesNothing()
    {
        CommandProgress progress;
        int steps = 0;
        progress.step = [&](int, int, const QString&) { ++steps; };
        progress.cancelled = [&] { return steps == 1; };
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        QVERIFY(!combineWord(*office_, {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))}, output,
                             progress));
        QVERIFY(!QFileInfo::exists(output));
    }

    void missingOutputFolderIsAnError()
    {
        const QString output = out_->filePath(QStringLiteral("gone/NewWord.doc"));
        QVERIFY_THROWS_EXCEPTION(OfficeError, combineWord(*office_, {fixture(QStringLiteral("in1.doc"))}, output));
        QVERIFY(!QFileInfo::exists(out_->filePath(QStringLiteral("gone"))));
    }

    void convertingWordToText()
    {
        const QString doc = out_->filePath(QStringLiteral("memo.doc"));
        QFile::copy(fixture(QStringLiteral("in1.doc")), doc);
        writeFile(out_->filePath(QStringLiteral("memo.txt")), "old");
        convertFileTo(*office_, doc, WordFormat::Text);
        const QByteArray text = readFile(out_->filePath(QStringLiteral("memo.txt")));
        QVERIFY2(text.contains(QStringLiteral("見出し 1\r\n").toUtf8()), text.constData());
        QVERIFY(text.contains(QStringLiteral("最後の段落 1").toUtf8()));
        QVERIFY(!text.contains("\n\n"));
        QVERIFY2(!text.startsWith("\xEF\xBB\xBF"), "a byte-order mark");
    }

    void aDocumentWithACommentConverts()
    {
        const QString doc = out_->filePath(QStringLiteral("noted.docx"));
        QFile::copy(fixture(QStringLiteral("noted.docx")), doc);
        for (WordFormat to : {WordFormat::Pdf, WordFormat::Text})
            convertFileTo(*office_, doc, to);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {out_->filePath(QStringLiteral("noted.pdf")), QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("注釈のある文書")));
        QVERIFY(
            readFile(out_->filePath(QStringLiteral("noted.txt"))).contains(QStringLiteral("注釈のある文書").toUtf8()));
    }

    void convertingTextToWordAndRtf()
    {
        const QString sjis = out_->filePath(QStringLiteral("notes.txt"));
        writeFile(sjis,
                  QByteArray("\x93\xfa\x96\x7b\x8c\xea\r\n\x8d\xc5\x8c\xe3\x82\xcc\x8d\x73\r\n")); // 日本語 / 最後の行
        convertFileTo(*office_, sjis, WordFormat::Native);
        const auto asDoc = check_.read(out_->filePath(QStringLiteral("notes.doc")));
        // A text that ends with a line end gets its path in a last paragraph of its own.
        QCOMPARE(asDoc.lastParagraph, sjis);
        QVERIFY(asDoc.blocks.contains(QStringLiteral("p:日本語")));
        QVERIFY(asDoc.blocks.contains(QStringLiteral("p:最後の行")));

        const QString utf8 = out_->filePath(QStringLiteral("memo.v2.txt"));
        writeFile(utf8, QStringLiteral("ｶﾀｶﾅ と 漢字\n終わり").toUtf8());
        convertFileTo(*office_, utf8, WordFormat::RichText);
        const QString rtf = out_->filePath(QStringLiteral("memo.v2.rtf"));
        QVERIFY(readFile(rtf).startsWith("{\\rtf"));
        const auto asRtf = check_.read(rtf);
        QCOMPARE(asRtf.lastParagraph, utf8 + QStringLiteral("終わり"));
        QVERIFY(asRtf.blocks.contains(QStringLiteral("p:ｶﾀｶﾅ と 漢字")));

        // An old editor's file: EUC-JP with CR alone ending its lines.
        const QString eucCr = out_->filePath(QStringLiteral("old.txt"));
        writeFile(eucCr,
                  QByteArray("\xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xca\xb8\xbe\xcf\xa4\xc7\xa4\xb9\xa1\xa3\r"
                             "\xba\xc7\xb8\xe5\xa4\xce\xb9\xd4\r")); // 日本語の文章です。 / 最後の行
        convertFileTo(*office_, eucCr, WordFormat::RichText);
        const auto fromOld = check_.read(out_->filePath(QStringLiteral("old.rtf")));
        QCOMPARE(fromOld.blocks,
                 (QStringList{QStringLiteral("p:日本語の文章です。"), QStringLiteral("p:最後の行"),
                              QStringLiteral("p:") + eucCr}));
    }

    // memo.txt -> memo.doc -> memo.txt: the original text is not lost; it is in the trash,
    // byte for byte, and the message says so.
    void conversionRoundTripKeepsTheOriginal()
    {
        const QString memo = out_->filePath(QStringLiteral("memo.txt"));
        const QByteArray original("\x93\xfa\x96\x7b\r\nmemo\r\n"); // Shift-JIS
        writeFile(memo, original);
        qputenv("XDG_DATA_HOME", QFile::encodeName(out_->filePath(QStringLiteral("share"))));
        convertFileTo(*office_, memo, WordFormat::Native);
        const Conversion back = convertFileTo(*office_, out_->filePath(QStringLiteral("memo.doc")), WordFormat::Text);
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(back.output, memo);
        QVERIFY2(back.oldFile.startsWith(out_->filePath(QStringLiteral("share/Trash/files/"))),
                 qPrintable(back.oldFile));
        QCOMPARE(readFile(back.oldFile), original);
        QVERIFY(readFile(memo).contains("memo"));
    }

    void convertedNames()
    {
        QCOMPARE(convertedPathTo(QStringLiteral("/d/memo.doc"), WordFormat::Text), QStringLiteral("/d/memo.txt"));
        QCOMPARE(convertedPathTo(QStringLiteral("/d/report.docx"), WordFormat::Text), QStringLiteral("/d/report.txt"));
        QCOMPARE(convertedPathTo(QStringLiteral("/d/notes"), WordFormat::Native), QStringLiteral("/d/notes.doc"));
        QCOMPARE(convertedPathTo(QStringLiteral("/d.x/notes.txt"), WordFormat::RichText),
                 QStringLiteral("/d.x/notes.rtf"));
        QCOMPARE(convertedPathTo(QStringLiteral("/d/.hidden"), WordFormat::Text), QStringLiteral("/d/.hidden.txt"));
        QCOMPARE(convertDoneText(WordFormat::Text),
                 QStringLiteral("選択した *.doc 又は *.rtf ファイルを *.txt へ変換しました。　"));
    }

    // The window's office starts ahead and waits; each command still gets a fresh one; one
    // that died while it waited is replaced without a word; letting go ends it.
    void warmOfficeWaitsForTheNextCommand()
    {
        office_.reset();
        test::ScriptedPlatform platform;
        OfficeRunner runner(platform.messages,
                            [this] { return loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL), options_); });
        runner.prepare();
        QVERIFY(!runner.prepared()); // not warm: nothing starts ahead
        runner.setWarm(true);
        runner.prepare();
        QVERIFY(runner.prepared());
        QTRY_COMPARE_WITH_TIMEOUT(officeProcessCount(), baseProcesses_ + 1, 60000);
        const pid_t first = test::officeOf(getpid());

        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        const QStringList inputs = {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))};
        auto combine = [&] {
            return runner.run(nullptr, QStringLiteral("くみろ実行中"), [&](Office& office, const CommandProgress& p) {
                return combineWord(office, inputs, output, p);
            });
        };
        const auto said = [&] {
            return platform.messages.shown.isEmpty() ? QByteArray() : platform.messages.shown.last().text.toUtf8();
        };
        QVERIFY2(combine() == OfficeRunner::Result::Done, said().constData());
        QVERIFY(QFileInfo(output).size() > 0);
        // The used office is ended after the command, not while the user waits for it.
        QTRY_VERIFY_WITH_TIMEOUT(::kill(first, 0) != 0 || test::officeOf(getpid()) != first, 10000);
        // The next one is on its way a moment later, a new process.
        QVERIFY(!runner.prepared());
        QTRY_VERIFY_WITH_TIMEOUT(runner.prepared(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(officeProcessCount(), baseProcesses_ + 1, 60000);
        QTRY_VERIFY(test::officeOf(getpid()) > 0);
        QVERIFY(test::officeOf(getpid()) != first);

        QVERIFY(test::signalOurOffice(SIGKILL));
        QVERIFY2(combine() == OfficeRunner::Result::Done, said().constData());
        QVERIFY(platform.messages.shown.isEmpty());

        runner.release();
        QVERIFY(!runner.prepared());
        QCOMPARE(officeProcessCount(), baseProcesses_);
        QCOMPARE(officeProfileCount(), baseProfiles_);
    }

    // A spare that hangs while it waits (stopped here) would hold the command until the
    // stall limit ends it with a message; it is replaced without a word instead.
    void stoppedSpareIsReplacedSilently()
    {
        office_->prepare();
        QTRY_VERIFY_WITH_TIMEOUT(office_->ready(), 60000);
        const pid_t spare = test::officeOf(getpid());
        QVERIFY(test::signalOurOffice(SIGSTOP));
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        try {
            QVERIFY(combineWord(*office_, {fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))},
                                output));
        } catch (const OfficeError& e) {
            QFAIL(qPrintable(e.what()));
        }
        QVERIFY(QFileInfo(output).size() > 0);
        QVERIFY(::kill(spare, 0) != 0 || test::officeOf(getpid()) != spare);
    }

    void commandsThroughTheMainWindow()
    {
        SettingsStore store(out_->filePath(QStringLiteral("config")));
        ProgramState state(store, QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL));
        state.AppTitle = QStringLiteral("kumiro");
        state.set.FolderName[0] = out_->path();
        state.set.KumiroFile[0] = QStringLiteral("NewWord");
        state.CurKind = Kind::Word;
        state.Order.confirm(QStringList{fixture(QStringLiteral("in1.doc")), fixture(QStringLiteral("in2.doc"))});
        test::ScriptedPlatform platform;
        OfficeRunner office(platform.messages,
                            [this] { return loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL), options_); });
        KUMIRO w(state, platform.platform, office);
        const test::MainWindowParts p(w);
        p.menu(QStringLiteral("くみろ実行(&G)"))->setEnabled(true);
        p.menu(QStringLiteral("くみろ実行(&G)"))->trigger();
        QCOMPARE(platform.messages.shown.size(), 1);
        QCOMPARE(platform.messages.shown[0].title, QStringLiteral("完了確認"));
        QCOMPARE(platform.messages.shown[0].text,
                 QStringLiteral("選択した Word ファイルの 「くみろ」 が完了しました。　\r\r") +
                     out_->filePath(QStringLiteral("NewWord.doc")));
        QVERIFY(QFileInfo(out_->filePath(QStringLiteral("NewWord.doc"))).size() > 0);
        QVERIFY(!p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());
        QVERIFY(!state.Order.isConfirmed());

        // A failing input: told which file, the order stays confirmed.
        state.Order.confirm(
            QStringList{out_->filePath(QStringLiteral("nothing.doc")), fixture(QStringLiteral("in2.doc"))});
        p.menu(QStringLiteral("くみろ実行(&G)"))->setEnabled(true);
        p.menu(QStringLiteral("くみろ実行(&G)"))->trigger();
        QCOMPARE(platform.messages.shown.last().icon, MsgIcon::Critical);
        QVERIFY(platform.messages.shown.last().text.contains(QStringLiteral("nothing.doc")));
        QVERIFY(p.menu(QStringLiteral("くみろ実行(&G)"))->isEnabled());

        // Conversion of two files: one message each, in the order chosen.
        const QString a = out_->filePath(QStringLiteral("a.txt"));
        const QString b = out_->filePath(QStringLiteral("b.txt"));
        writeFile(a, "a\n");
        writeFile(b, "b\n");
        platform.files.answers = {{a, b}, {}};
        const int before = platform.messages.shown.size();
        p.menu(QStringLiteral("*.txt → *.rtf(&R)..."))->trigger();
        QCOMPARE(platform.files.requests.last().title, QStringLiteral("変換するﾌｧｲﾙを選択"));
        QCOMPARE(platform.files.requests.last().filter, QStringLiteral("(*.txt)|*.txt|"));
        QVERIFY(platform.files.requests.last().multiple);
        QCOMPARE(platform.messages.shown.size(), before + 2);
        QCOMPARE(platform.messages.shown.last().title, QStringLiteral("変換確認"));
        QVERIFY(platform.messages.shown.last().text.contains(out_->filePath(QStringLiteral("b.rtf"))));
        QVERIFY(QFileInfo::exists(out_->filePath(QStringLiteral("a.rtf"))));
        QVERIFY(QFileInfo::exists(out_->filePath(QStringLiteral("b.rtf"))));
        // Cancel in the dialog: nothing.
        p.menu(QStringLiteral("*.doc or *.rtf → *.txt(&T)..."))->trigger();
        QCOMPARE(platform.messages.shown.size(), before + 2);

        // The Excel branch, through the same progress window and office.
        writeFile(out_->filePath(QStringLiteral("x.csv")), "1,2\n");
        writeFile(out_->filePath(QStringLiteral("y.csv")), "3,4\n");
        state.CurKind = Kind::Excel;
        state.set.FolderName[1] = out_->path();
        state.set.KumiroFile[1] = QStringLiteral("NewExcel");
        state.Order.confirm(
            QStringList{out_->filePath(QStringLiteral("x.csv")), out_->filePath(QStringLiteral("y.csv"))});
        p.tool(QStringLiteral("くみろ実行"))->setEnabled(true);
        p.tool(QStringLiteral("くみろ実行"))->trigger();
        QCOMPARE(platform.messages.shown.last().text,
                 QStringLiteral("選択した Execl ファイルの 「くみろ」 が完了しました。　\r\r") +
                     out_->filePath(QStringLiteral("NewExcel.xls")));
        QVERIFY(QFileInfo(out_->filePath(QStringLiteral("NewExcel.xls"))).size() > 0);

        // What the combine cannot carry (a pivot table of months) is named in one more
        // paragraph; the combine still completes.
        const QString pivot = QStringLiteral(KUMIRO_TESTS_DIR "/fixtures/pivotgroup.xlsx");
        state.Order.confirm(QStringList{out_->filePath(QStringLiteral("x.csv")), pivot});
        p.tool(QStringLiteral("くみろ実行"))->setEnabled(true);
        p.tool(QStringLiteral("くみろ実行"))->trigger();
        QCOMPARE(platform.messages.shown.last().text,
                 QStringLiteral("選択した Execl ファイルの 「くみろ」 が完了しました。　\r\r") +
                     out_->filePath(QStringLiteral("NewExcel.xls")) + QStringLiteral("\r\r") + pivot +
                     QStringLiteral(" の ピボットテーブル 1 個は値として取り込みました。"));
        QVERIFY(!p.tool(QStringLiteral("くみろ実行"))->isEnabled());
    }

    void missingOfficeIsExplained()
    {
        OfficeOptions nowhere;
        nowhere.officeProgramDir = out_->filePath(QStringLiteral("no-office"));
        try {
            loadOffice(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL), nowhere);
            QFAIL("no error");
        } catch (const OfficeError& e) {
            QCOMPARE(e.kind(), OfficeError::Missing);
            const OfficeMessage m = officeFailureMessage(e);
            QVERIFY(m.title.endsWith(QStringLiteral("確認")));
            QVERIFY(m.text.endsWith(QChar(0x3000)));
            QVERIFY(m.text.contains(QStringLiteral("libreoffice-writer-nogui")));
        }
    }

private:
    QTemporaryDir fixtures_;
    std::unique_ptr<QTemporaryDir> out_;
    test::OfficeCheck check_;
    OfficeOptions options_;
    std::unique_ptr<Office> office_;
    int baseProcesses_ = 0;
    int baseProfiles_ = 0;
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestOffice)
#include "test_office.moc"
