// The office in its box: it sees no file of the user's but the command's own, its time and
// memory are bounded, and a signal to the program cancels the command and leaves nothing.
#include "combine/ExcelCombine.h"
#include "combine/Office.h"
#include "combine/WordCombine.h"
#include "support/Files.h"
#include "support/Leftovers.h"
#include "support/OfficeCheck.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <unistd.h>

using namespace kumiro;
using test::failureOf;
using test::officeOf;
using test::readFile;
using test::writeFile;

namespace {

const QByteArray kMarker = "KUMIROSECRETMARKER";

// Every byte of a file, and for a zipped format every member's: where a marker would be.
QByteArray contentOf(const QString& path)
{
    QByteArray bytes = readFile(path);
    if (bytes.startsWith("PK")) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path});
        unzip.waitForFinished(60000);
        bytes += unzip.readAllStandardOutput();
    }
    return bytes;
}

bool holdsMarker(const QByteArray& bytes)
{
    QByteArray wide;
    for (char c : kMarker)
        wide += QByteArray(1, c) + '\0';
    return bytes.contains(kMarker) || bytes.contains(wide);
}

} // namespace

class TestBox : public QObject {
    Q_OBJECT

    QString fixture(const QString& name) const { return fixtures_.filePath(name); }
    QString programDir() const { return QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL); }

private Q_SLOTS:
    void initTestCase()
    {
        // The victim lies outside the inputs' folder; the documents that name it are made
        // while it does not exist yet, so what they hold of it is only "harmless".
        QVERIFY(QDir().mkpath(secret_.path()));
        victim_ = secret_.filePath(QStringLiteral("victim.csv"));
        const QByteArray victimUrl = QUrl::fromLocalFile(victim_).toEncoded();
        const QByteArray textUrl = QUrl::fromLocalFile(secret_.filePath(QStringLiteral("victim.txt"))).toEncoded();
        writeFile(fixture(QStringLiteral("links.fods")),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                  "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                  "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                  "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                  "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\" "
                  "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body>"
                  "<office:spreadsheet><table:table table:name=\"Links\"><table:table-row>"
                  "<table:table-cell table:formula=\"of:=DDE(&quot;soffice&quot;;&quot;" +
                      victim_.toUtf8() +
                      "&quot;;&quot;A1&quot;)\" office:value-type=\"string\"><text:p>harmless</text:p>"
                      "</table:table-cell><table:table-cell table:formula=\"of:=['" +
                      victimUrl +
                      "'#$victim.A1]\" office:value-type=\"string\"><text:p>harmless</text:p></table:table-cell>"
                      // A name for the victim's cell, used in a cell of its own.
                      "<table:table-cell table:formula=\"of:=Secret\" office:value-type=\"string\">"
                      "<text:p>harmless</text:p></table:table-cell>"
                      "</table:table-row></table:table><table:named-expressions><table:named-range "
                      "table:name=\"Secret\" table:base-cell-address=\"$Links.$A$1\" "
                      "table:cell-range-address=\"'" +
                      victimUrl +
                      "'#$victim.$A$1\"/></table:named-expressions></office:spreadsheet></office:body>"
                      "</office:document>");
        writeFile(fixture(QStringLiteral("linked.fodt")),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                  "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                  "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                  "xmlns:xlink=\"http://www.w3.org/1999/xlink\" office:version=\"1.2\" "
                  "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:body><office:text>"
                  "<text:p>before</text:p><text:section text:name=\"Linked\"><text:section-source xlink:href=\"" +
                      textUrl +
                      "\" xlink:type=\"simple\" text:filter-name=\"Text\"/><text:p>harmless</text:p>"
                      "</text:section><text:p>after</text:p></office:text></office:body></office:document>");
        for (const auto& [name, format] :
             {std::pair{"links.fods", "xls:MS Excel 97"}, std::pair{"linked.fodt", "doc:MS Word 97"},
              std::pair{"linked.fodt", "odt:writer8"}})
            QVERIFY(!check_.convert(fixture(QString::fromLatin1(name)), QString::fromLatin1(format), fixtures_.path())
                         .isEmpty());
        QVERIFY2(readFile(fixture(QStringLiteral("links.xls"))).contains("victim"), "the workbook names no file");
        writeFile(fixture(QStringLiteral("plain.csv")), "1,2\n");
        writeFile(victim_, kMarker + ",2\n");
        writeFile(secret_.filePath(QStringLiteral("victim.txt")), kMarker + "\n");
    }

    void init() { out_ = std::make_unique<QTemporaryDir>(); }

    void cleanup()
    {
        QCOMPARE(test::pipesOf(getpid()), QStringList());
        QCOMPARE(test::officeProfileCount(), 0);
        QCOMPARE(officeOf(getpid()), -1);
    }

    // A workbook's DDE and file references, a name for a cell of another file, and a
    // document's linked section, name a file
    // the user can read: it never reaches the output, in the box or without it (the links
    // are never updated; a workbook's keep the values they were saved with).
    void linksNeverBringInOtherFiles_data()
    {
        QTest::addColumn<bool>("boxed");
        QTest::newRow("in the box") << true;
        QTest::newRow("without the box") << false;
    }

    void linksNeverBringInOtherFiles()
    {
        QFETCH(bool, boxed);
        OfficeOptions options;
        options.boxed = boxed;
        // Nor does anything of the program's environment but what the office needs.
        qputenv("KUMIRO_TEST_SECRET", kMarker);
        QByteArray officeEnvironment;
        CommandProgress progress;
        progress.step = [&](int, int, const QString&) {
            if (const pid_t pid = officeOf(getpid()); pid > 0 && officeEnvironment.isEmpty())
                officeEnvironment = readFile(QStringLiteral("/proc/%1/environ").arg(pid));
        };
        const auto office = loadOffice(programDir(), options);
        for (const char* name : {"NewExcel.xls", "NewExcel.xlsx", "NewExcel.ods"}) {
            const QString output = out_->filePath(QString::fromLatin1(name));
            QStringList lost;
            QVERIFY(combineExcel(*office, {fixture(QStringLiteral("links.xls")), fixture(QStringLiteral("plain.csv"))},
                                 output, progress, &lost));
            // What arrives as values is said.
            QVERIFY2(lost.join(u' ').contains(QStringLiteral("他のファイルを読む数式 2 個は値として取り込みました")),
                     qPrintable(lost.join(u' ')));
            QVERIFY2(!holdsMarker(contentOf(output)), name);
        }
        const QString word = out_->filePath(QStringLiteral("NewWord.doc"));
        QVERIFY(
            combineWord(*office, {fixture(QStringLiteral("linked.doc")), fixture(QStringLiteral("linked.odt"))}, word));
        QVERIFY(!holdsMarker(contentOf(word)));
        const QStringList blocks = check_.read(word).blocks;
        QVERIFY2(blocks.count(QStringLiteral("p:before")) == 2, qPrintable(blocks.join(u'|')));
        qunsetenv("KUMIRO_TEST_SECRET");
        QVERIFY(officeEnvironment.contains("TMPDIR="));
        QVERIFY(!officeEnvironment.contains(kMarker));
    }

    // A reference built at run time (INDIRECT of a text that names a file, here a plain-text
    // one, which once brought the office down) is kept as a value, in the box and without.
    void referencesBuiltAtRunTimeAreKeptAsValues_data() { linksNeverBringInOtherFiles_data(); }

    void referencesBuiltAtRunTimeAreKeptAsValues()
    {
        QFETCH(bool, boxed);
        const QString victim = secret_.filePath(QStringLiteral("victim.txt"));
        const QString content =
            QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
                "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\"><office:body>"
                "<office:spreadsheet><table:table table:name=\"Built\"><table:table-row><table:table-cell "
                "table:formula=\"of:=INDIRECT(&quot;'fi&quot;&amp;&quot;le://%1'#$victim.A1&quot;)\" "
                "office:value-type=\"string\"><text:p>harmless</text:p></table:table-cell></table:table-row>"
                "</table:table></office:spreadsheet></office:body></office:document-content>")
                .arg(victim);
        const QString ods = out_->filePath(QStringLiteral("built.ods"));
        QProcess zip;
        zip.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-c"),
                   QStringLiteral("import sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                  "z.writestr('mimetype', 'application/vnd.oasis.opendocument.spreadsheet')\n"
                                  "z.writestr('content.xml', sys.argv[2])\n"
                                  "z.writestr('META-INF/manifest.xml', '<?xml version=\"1.0\"?><manifest:manifest "
                                  "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                                  "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"application/"
                                  "vnd.oasis.opendocument.spreadsheet\"/><manifest:file-entry manifest:full-path="
                                  "\"content.xml\" manifest:media-type=\"text/xml\"/></manifest:manifest>')\n"),
                   ods, content});
        QVERIFY(zip.waitForFinished(30000) && zip.exitCode() == 0);
        OfficeOptions options;
        options.boxed = boxed;
        const auto office = loadOffice(programDir(), options);
        for (const char* name : {"NewExcel.ods", "NewExcel.xlsx"}) {
            const QString output = out_->filePath(QString::fromLatin1(name));
            QStringList said;
            try {
                QVERIFY(combineExcel(*office, {ods, fixture(QStringLiteral("plain.csv"))}, output, {}, &said));
            } catch (const OfficeError& e) {
                QFAIL(qPrintable(e.what()));
            }
            QVERIFY2(said.join(u' ').contains(QStringLiteral("値として取り込みました")), qPrintable(said.join(u' ')));
            QVERIFY2(!holdsMarker(contentOf(output)), name);
        }
    }

    // An office past its memory is ended, and the message names the input it was reading.
    void officeOverItsMemoryIsEndedNamingTheInput()
    {
        OfficeOptions options;
        options.memoryLimitBytes = 1; // any office is over it once it works
        const auto office = loadOffice(programDir(), options);
        const QString input = fixture(QStringLiteral("links.xls"));
        const OfficeError e = failureOf([&] {
            combineExcel(*office, {input, input}, out_->filePath(QStringLiteral("NewExcel.xls")));
        });
        QCOMPARE(e.kind(), OfficeError::Hung);
        QVERIFY2(e.what().contains(QStringLiteral("メモリ")), qPrintable(e.what()));
        QVERIFY2(e.file().isEmpty() || e.file() == input, qPrintable(e.file()));
        QVERIFY(!QFileInfo::exists(out_->filePath(QStringLiteral("NewExcel.xls"))));
    }

    // Ctrl+C, SIGTERM and SIGHUP at a random moment of a running command: it stops with
    // 128 + the signal, the old output is byte for byte what it was, and nothing of the
    // office is left.
    void signalsCancelTheCommandAndLeaveNothing_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("kind");
        for (const auto& [signal, name] :
             {std::pair{SIGINT, "INT"}, std::pair{SIGTERM, "TERM"}, std::pair{SIGHUP, "HUP"}}) {
            for (const char* kind : {"word", "excel"})
                QTest::addRow("%s, %s", name, kind) << signal << QString::fromLatin1(kind);
        }
    }

    void signalsCancelTheCommandAndLeaveNothing()
    {
        QFETCH(int, signal);
        QFETCH(QString, kind);
        const QString input = fixture(kind == u"word" ? QStringLiteral("linked.doc") : QStringLiteral("links.xls"));
        const QString output = out_->filePath(kind == u"word" ? QStringLiteral("o.doc") : QStringLiteral("o.xls"));
        writeFile(output, "older output");
        QStringList args{QStringLiteral("combine"), QStringLiteral("--kind"), kind, QStringLiteral("-o"), output};
        for (int i = 0; i < 100; ++i)
            args << input;
        QProcess kumiro;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), out_->filePath(QStringLiteral("config")));
        kumiro.setProcessEnvironment(env);
        kumiro.start(programDir() + QStringLiteral("/kumiro"), args);
        QVERIFY(kumiro.waitForStarted());
        const pid_t pid = pid_t(kumiro.processId());
        QTRY_VERIFY_WITH_TIMEOUT(officeOf(pid) > 0 || kumiro.state() != QProcess::Running, 60000);
        const pid_t office = officeOf(pid);
        QVERIFY2(office > 0, kumiro.readAllStandardError().constData());
        // Somewhere in the office's work, not always at its start.
        QTest::qWait(int(QRandomGenerator::global()->bounded(300)));
        ::kill(pid, signal);
        QVERIFY(kumiro.waitForFinished(60000));
        QCOMPARE(kumiro.exitStatus(), QProcess::NormalExit);
        QCOMPARE(kumiro.exitCode(), 128 + signal);
        QCOMPARE(readFile(output), QByteArray("older output"));
        QCOMPARE(QDir(out_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(output).fileName()});
        QTRY_VERIFY(::kill(office, 0) != 0);
        QCOMPARE(QDir(QDir::tempPath()).entryList({QStringLiteral("kumiro-office-%1-*").arg(pid)}, QDir::Dirs),
                 QStringList());
        QCOMPARE(QDir(QStringLiteral("/tmp"))
                     .entryList({QStringLiteral("OSL_PIPE_*_kumiro_%1_*").arg(pid)}, QDir::System | QDir::Files),
                 QStringList());
    }

private:
    test::OfficeCheck check_;
    QTemporaryDir fixtures_;
    QTemporaryDir secret_;
    QString victim_;
    std::unique_ptr<QTemporaryDir> out_;
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestBox)
#include "test_box.moc"
