// Office faults and hostile inputs: a dead, frozen or starved office, an output that cannot
// be written, files that would phone out or cannot be read. Whatever happens, the user is
// told, the old output stays whole and nothing is left behind.
#include "combine/ExcelCombine.h"
#include "combine/Office.h"
#include "combine/CombineMessages.h"
#include "combine/WordCombine.h"
#include "support/HttpCounter.h"
#include "support/Leftovers.h"
#include "support/OfficeCheck.h"
#include "tools/Convert.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include "support/Files.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kumiro;
using test::failureOf;
using test::officeOf;
using test::readFile;
using test::writeFile;

namespace {

QByteArray html(const QByteArray& body)
{
    return "<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>";
}

// "net:[4026531992]": which network a process is in.
QString namespaceOf(const QString& link)
{
    char target[256] = {};
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), target, sizeof target - 1);
    return n > 0 ? QString::fromLatin1(target, n) : QString();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QString fixture(const QString& name) const { return fixtures_.filePath(name); }
    QString programDir() const { return QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL); }

    // A folder of its own mounted as a tmpfs (root only): a disk that can be full or
    // read-only for real, which permissions cannot fake for root.
    QString mountTmpfs(const QByteArray& options)
    {
        const QString dir = out_->filePath(QStringLiteral("disk"));
        QDir().mkpath(dir);
        if (::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options.constData()) != 0)
            return QString();
        mounts_ << dir;
        return dir;
    }

    void checkNothingLeft(const QString& outputFolder)
    {
        QCOMPARE(test::pipesOf(getpid()), QStringList());
        QCOMPARE(test::officeTemporaries(outputFolder), QStringList());
        for (const QString& name : entries(outputFolder))
            QVERIFY2(!name.startsWith(QStringLiteral(".~kumiro")), qPrintable(name));
        QCOMPARE(QDir(QDir::tempPath()).entryList({QStringLiteral("kumiro-office-%1-*").arg(getpid())}, QDir::Dirs),
                 QStringList());
        QCOMPARE(officeOf(getpid()), -1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(http_.ok());
        const QByteArray picture = http_.url("/picture.png");
        writeFile(fixture(QStringLiteral("plain.html")),
                  html("<h1>本文</h1><p>普通の文書</p><table border=\"1\"><tr><td>表</td></tr></table>"));
        writeFile(fixture(QStringLiteral("linked.html")),
                  html("<p>リンクされた絵</p><p><img src=\"" + picture + "\" width=\"16\" height=\"16\"></p>"));
        for (const char* name : {"plain.html", "linked.html"})
            QVERIFY(
                !check_.convert(fixture(QString::fromLatin1(name)), QStringLiteral("doc:MS Word 97"), fixtures_.path())
                     .isEmpty());
        writeFile(fixture(QStringLiteral("book.csv")), "1,2\n3,4\n");
        QVERIFY(
            !check_.convert(fixture(QStringLiteral("book.csv")), QStringLiteral("xls:MS Excel 97"), fixtures_.path())
                 .isEmpty());
        writeFile(fixture(QStringLiteral("web.fods")),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                  "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                  "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                  "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
                  "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body>"
                  "<office:spreadsheet><table:table table:name=\"Web\"><table:table-row><table:table-cell "
                  "table:formula=\"of:=WEBSERVICE(&quot;" +
                      http_.url("/service") +
                      "&quot;)\"/>"
                      "</table:table-row></table:table></office:spreadsheet></office:body></office:document>");
        QVERIFY(
            !check_.convert(fixture(QStringLiteral("web.fods")), QStringLiteral("xls:MS Excel 97"), fixtures_.path())
                 .isEmpty());
        writeFile(fixture(QStringLiteral("web.csv")), "=WEBSERVICE(\"" + http_.url("/csv") + "\"),2\n");

        // Password-protected copies, as a user may be handed them.
        for (const auto& [from, to, filter] : {std::tuple{"plain.doc", "locked.doc", "MS Word 97"},
                                               std::tuple{"book.xls", "locked.xls", "MS Excel 97"}}) {
            const int status = QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                                 {QStringLiteral(KUMIRO_TESTS_DIR "/support/save_protected.py"),
                                                  fixture(QString::fromLatin1(from)), fixture(QString::fromLatin1(to)),
                                                  QString::fromLatin1(filter), QStringLiteral("secret")});
            QCOMPARE(status, 0);
        }
        // The linked document is hostile for real: an ordinary office fetches its picture.
        http_.reset();
        check_.read(fixture(QStringLiteral("linked.doc")));
        QVERIFY2(http_.count() > 0, "the linked picture is not fetched by an ordinary office");
    }

    void init()
    {
        out_ = std::make_unique<QTemporaryDir>();
        office_ = loadOffice(programDir(), options_);
        http_.reset();
    }

    void cleanup()
    {
        office_.reset();
        for (const QString& dir : mounts_)
            ::umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
        mounts_.clear();
        checkNothingLeft(out_->path());
    }

    // Linked pictures, web functions in a workbook and in a CSV: the office reaches
    // nobody, in the combines and in the conversion.
    void nothingIsFetchedFromTheNetwork()
    {
        const QString word = out_->filePath(QStringLiteral("NewWord.doc"));
        QVERIFY(
            combineWord(*office_, {fixture(QStringLiteral("plain.doc")), fixture(QStringLiteral("linked.doc"))}, word));
        const QString linked = out_->filePath(QStringLiteral("linked.doc"));
        QVERIFY(QFile::copy(fixture(QStringLiteral("linked.doc")), linked));
        convertFileTo(*office_, linked, WordFormat::Text);
        QVERIFY(
            readFile(out_->filePath(QStringLiteral("linked.txt"))).contains(QStringLiteral("リンクされた絵").toUtf8()));
        const QString excel = out_->filePath(QStringLiteral("NewExcel.xls"));
        QVERIFY(
            combineExcel(*office_, {fixture(QStringLiteral("web.xls")), fixture(QStringLiteral("web.csv"))}, excel));
        QCOMPARE(http_.count(), 0);
        QVERIFY(check_.read(word).blocks.contains(QStringLiteral("p:リンクされた絵")));
    }

    void officeRunsWithoutANetwork()
    {
        if (QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-rn"), QStringLiteral("true")}) != 0)
            QSKIP("this kernel gives no user namespaces; the refusing proxy stands in");
        QString ours, theirs;
        CommandProgress progress;
        progress.step = [&](int, int, const QString&) {
            ours = namespaceOf(QStringLiteral("/proc/self/ns/net"));
            theirs = namespaceOf(QStringLiteral("/proc/%1/ns/net").arg(officeOf(getpid())));
        };
        QVERIFY(combineWord(*office_, {fixture(QStringLiteral("plain.doc"))}, out_->filePath(QStringLiteral("a.doc")),
                            progress));
        QVERIFY(!theirs.isEmpty());
        QVERIFY(ours != theirs);
        // Files it wrote are the user's own.
        QCOMPARE(QFileInfo(out_->filePath(QStringLiteral("a.doc"))).ownerId(), getuid());
    }

    void protectedInputsAreRefusedByName()
    {
        const QString output = out_->filePath(QStringLiteral("NewWord.doc"));
        writeFile(output, "kept");
        const QString locked = fixture(QStringLiteral("locked.doc"));
        OfficeError e = failureOf([&] {
            combineWord(*office_, {fixture(QStringLiteral("plain.doc")), locked}, output);
        });
        QCOMPARE(e.kind(), OfficeError::Unreadable);
        QCOMPARE(e.file(), locked);
        QCOMPARE(officeFailureMessage(e).title, QStringLiteral("ファイル確認"));
        QVERIFY(officeFailureMessage(e).text.contains(QStringLiteral("パスワード")));
        QCOMPARE(readFile(output), QByteArray("kept"));

        const QString copy = out_->filePath(QStringLiteral("locked.doc"));
        QVERIFY(QFile::copy(locked, copy));
        e = failureOf([&] { convertFileTo(*office_, copy, WordFormat::Text); });
        QCOMPARE(e.kind(), OfficeError::Unreadable);
        QCOMPARE(e.file(), copy);
        QVERIFY(!QFileInfo::exists(out_->filePath(QStringLiteral("locked.txt"))));

        const QString book = out_->filePath(QStringLiteral("NewExcel.xls"));
        e = failureOf([&] {
            combineExcel(*office_, {fixture(QStringLiteral("book.xls")), fixture(QStringLiteral("locked.xls"))}, book);
        });
        QCOMPARE(e.kind(), OfficeError::Unreadable);
        QCOMPARE(e.file(), fixture(QStringLiteral("locked.xls")));
        QVERIFY(!QFileInfo::exists(book));
    }

    void readOnlyFolderIsToldAtOnce_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("word") << "word";
        QTest::newRow("excel") << "excel";
        QTest::newRow("conversion") << "convert";
    }

    void readOnlyFolderIsToldAtOnce()
    {
        QFETCH(QString, command);
        QString folder;
        if (getuid() == 0) {
            folder = mountTmpfs("size=1m");
            if (folder.isEmpty())
                QSKIP("cannot mount a tmpfs here");
        } else {
            folder = out_->filePath(QStringLiteral("disk"));
            QDir().mkpath(folder);
        }
        const QString source = QDir(folder).filePath(QStringLiteral("memo.doc"));
        QVERIFY(QFile::copy(fixture(QStringLiteral("plain.doc")), source));
        if (getuid() == 0)
            QCOMPARE(::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        else
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QStringList before = entries(folder);

        const OfficeError e = failureOf([&] {
            if (command == u"word")
                combineWord(*office_, {fixture(QStringLiteral("plain.doc"))},
                            QDir(folder).filePath(QStringLiteral("NewWord.doc")));
            else if (command == u"excel")
                combineExcel(*office_, {fixture(QStringLiteral("book.xls"))},
                             QDir(folder).filePath(QStringLiteral("NewExcel.xls")));
            else
                convertFileTo(*office_, source, WordFormat::Text);
        });
        QCOMPARE(e.kind(), OfficeError::OutputFolder);
        QCOMPARE(e.file(), folder);
        const QString destination = command == u"convert" ? QStringLiteral("変換先") : QStringLiteral("くみろ先");
        const OfficeMessage m = officeFailureMessage(e, destination);
        QCOMPARE(m.title, QStringLiteral("出力確認"));
        QVERIFY2(m.text.startsWith(destination + QStringLiteral("のフォルダ ") + folder +
                                   QStringLiteral(" に書き込めません。")),
                 qPrintable(m.text));
        QCOMPARE(entries(folder), before);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A disk with no room for the result: told with the room it lacks, the old output
    // whole, nothing of the office's in the folder. Root only: a real full disk.
    void fullDiskKeepsTheOldOutput()
    {
        if (getuid() != 0)
            QSKIP("a full disk needs a tmpfs mount, which needs root");
        const QString folder = mountTmpfs("size=64k");
        if (folder.isEmpty())
            QSKIP("cannot mount a tmpfs here");
        const QString word = QDir(folder).filePath(QStringLiteral("NewWord.doc"));
        const QString excel = QDir(folder).filePath(QStringLiteral("NewExcel.xls"));
        writeFile(word, "an older combine");
        writeFile(excel, "an older workbook");
        // Leave at most 4 KB free: less than any Word document or workbook.
        QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (freeBytesOf(folder) > 4096 && filler.write(block) == block.size() && filler.flush()) {}
        filler.close();

        OfficeError e = failureOf([&] {
            combineWord(*office_, {fixture(QStringLiteral("plain.doc")), fixture(QStringLiteral("linked.doc"))}, word);
        });
        QVERIFY2(e.kind() == OfficeError::OutputFolder, qPrintable(e.what() + u' ' + e.file()));
        QCOMPARE(e.file(), folder);
        QVERIFY2(e.what().startsWith(QStringLiteral("ディスクの空きが足りません。")), qPrintable(e.what()));
        e = failureOf([&] {
            combineExcel(*office_, {fixture(QStringLiteral("book.xls")), fixture(QStringLiteral("web.xls"))}, excel);
        });
        QVERIFY2(e.kind() == OfficeError::OutputFolder, qPrintable(e.what() + u' ' + e.file()));
        QCOMPARE(readFile(word), QByteArray("an older combine"));
        QCOMPARE(readFile(excel), QByteArray("an older workbook"));
        QCOMPARE(entries(folder), (QStringList{"filler", "NewExcel.xls", "NewWord.doc"}));
    }

    void deadOrFrozenOfficeLeavesNothing_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("excel");
        QTest::newRow("Word, killed") << int(SIGKILL) << false;
        QTest::newRow("Word, frozen") << int(SIGSTOP) << false;
        QTest::newRow("Excel, killed") << int(SIGKILL) << true;
        QTest::newRow("Excel, frozen") << int(SIGSTOP) << true;
    }

    void deadOrFrozenOfficeLeavesNothing()
    {
        QFETCH(int, signal);
        QFETCH(bool, excel);
        OfficeOptions quick = options_;
        quick.callTimeoutMs = 3000;
        office_ = loadOffice(programDir(), quick);
        CommandProgress progress;
        progress.step = [&](int i, int, const QString&) {
            if (i == 1)
                QVERIFY(test::signalOurOffice(signal));
        };
        const QString output = out_->filePath(excel ? QStringLiteral("NewExcel.xls") : QStringLiteral("NewWord.doc"));
        writeFile(output, "kept");
        const QString input = fixture(excel ? QStringLiteral("book.xls") : QStringLiteral("plain.doc"));
        const OfficeError e = failureOf([&] {
            if (excel)
                combineExcel(*office_, {input, input, input}, output, progress);
            else
                combineWord(*office_, {input, input, input}, output, progress);
        });
        QCOMPARE(e.kind(), signal == SIGKILL ? OfficeError::Crashed : OfficeError::Hung);
        QCOMPARE(readFile(output), QByteArray("kept"));
    }

    // A Kumiro killed in mid-combine takes its office with it, and so does one killed while
    // an office it started ahead waits (a thread of its own started that one); the next
    // start removes the profile copy and the pipes they left.
    void deadProgramsLeftoversGoAtTheNextStart_data()
    {
        QTest::addColumn<bool>("ahead");
        QTest::newRow("in a combine") << false;
        QTest::newRow("started ahead") << true;
    }

    void deadProgramsLeftoversGoAtTheNextStart()
    {
        QFETCH(bool, ahead);
        office_.reset();
        QStringList args{QStringLiteral("warm")};
        if (!ahead) {
            args = QStringList{QStringLiteral("word"), out_->filePath(QStringLiteral("NewWord.doc"))};
            for (int i = 0; i < 60; ++i)
                args << fixture(QStringLiteral("plain.doc"));
        }
        QProcess driver;
        driver.start(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL "/tests/fault_driver"), args);
        QVERIFY(driver.waitForStarted());
        const pid_t dead = pid_t(driver.processId());
        if (ahead) {
            QTRY_VERIFY_WITH_TIMEOUT(officeOf(dead) > 0, 60000);
        } else {
            QByteArray said;
            while (!said.contains("step 3/") && driver.state() == QProcess::Running) {
                driver.waitForReadyRead(100);
                said += driver.readAllStandardOutput();
            }
            QVERIFY2(said.contains("step 3/"), said.constData());
        }
        const pid_t office = officeOf(dead);
        QVERIFY(office > 0);
        QCOMPARE(QDir(QDir::tempPath()).entryList({QStringLiteral("kumiro-office-%1-*").arg(dead)}, QDir::Dirs).size(),
                 1);
        ::kill(dead, SIGKILL);
        QVERIFY(driver.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(::kill(office, 0) != 0, 10000);

        // Another Kumiro on the machine may have swept them already, or be removing them
        // right now (then this start's sweep finds part of them gone and leaves the rest to it).
        office_ = loadOffice(programDir(), options_);
        QTRY_COMPARE_WITH_TIMEOUT(
            QDir(QDir::tempPath()).entryList({QStringLiteral("kumiro-office-%1-*").arg(dead)}, QDir::Dirs),
            QStringList(), 10000);
        QCOMPARE(test::pipesOf(dead), QStringList());
        QCOMPARE(entries(out_->path()), QStringList());
    }

    // Why the office cannot be used, in the user's words: a missing driver module is not a
    // missing LibreOffice.
    void driverLoadFailuresSayWhy()
    {
        const QString empty = out_->filePath(QStringLiteral("program"));
        QDir().mkpath(empty);
        QProcess driver;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KUMIRO_PROGRAM_DIR"), empty);
        driver.setProcessEnvironment(env);
        const QString program = QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL "/tests/fault_driver");
        const QStringList args = {QStringLiteral("word"), out_->filePath(QStringLiteral("a.doc")),
                                  fixture(QStringLiteral("plain.doc"))};
        driver.start(program, args);
        QVERIFY(driver.waitForFinished(60000));
        QString said = QString::fromUtf8(driver.readAllStandardOutput());
        QVERIFY2(said.contains(QStringLiteral("kumiro_libreoffice.so がありません")), qPrintable(said));
        QVERIFY(!said.contains(QStringLiteral("apt-get install libreoffice")));

        writeFile(QDir(empty).filePath(QStringLiteral("kumiro_libreoffice.so")), "not a library");
        driver.start(program, args);
        QVERIFY(driver.waitForFinished(60000));
        said = QString::fromUtf8(driver.readAllStandardOutput());
        QVERIFY2(said.contains(QStringLiteral("を読み込めません")), qPrintable(said));
    }

    // A cache that cannot be written: the prepared profile lives as long as the office
    // object, so later commands use it, and goes with it.
    void unwritableProfileCacheStillServesEveryCommand()
    {
        OfficeOptions nowhere = options_;
        nowhere.cacheDir = QStringLiteral("/dev/null/kumiro");
        office_ = loadOffice(programDir(), nowhere);
        for (int n = 0; n < 2; ++n) {
            const OfficeError e = failureOf([&] {
                combineWord(*office_, {fixture(QStringLiteral("plain.doc"))},
                            out_->filePath(QStringLiteral("w%1.doc").arg(n)));
            });
            QVERIFY2(e.what() == u"<no error>", qPrintable(e.what()));
        }
        QCOMPARE(
            QDir(QDir::tempPath()).entryList({QStringLiteral("kumiro-office-%1-*").arg(getpid())}, QDir::Dirs).size(),
            1);
    }

private:
    static qint64 freeBytesOf(const QString& folder) { return QStorageInfo(folder).bytesAvailable(); }

    test::HttpCounter http_;
    QTemporaryDir fixtures_;
    std::unique_ptr<QTemporaryDir> out_;
    test::OfficeCheck check_;
    OfficeOptions options_;
    std::unique_ptr<Office> office_;
    QStringList mounts_;
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
