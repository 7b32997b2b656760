// The command line, run in this process with its standard streams captured.
#include "app/SettingsStore.h"
#include "cli/ArgumentNames.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "platform/WindowHandover.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace kumiro;
using namespace kumiro::test;

namespace {

// An office that is not there: what the command line does when Word or Excel work fails.
std::unique_ptr<Office> noOffice(const OfficeOptions&)
{
    throw OfficeError(OfficeError::Missing, QStringLiteral("soffice.bin"));
}

bool hasJapanese(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30ff) || (u >= 0x4e00 && u <= 0x9fff) || (u >= 0xff00 && u <= 0xffef))
            return true;
    }
    return false;
}

// An X display that nobody holds: no socket of that name, in the file system or abstract.
QString unheldDisplay()
{
    QFile sockets(QStringLiteral("/proc/net/unix"));
    const QByteArray held = sockets.open(QIODevice::ReadOnly) ? sockets.readAll() : QByteArray();
    for (int n = 700;; ++n) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(n);
        if (!QFile::exists(QString::fromLatin1(socket)) && !held.contains(socket + '\n') &&
            !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return QStringLiteral(":%1").arg(n);
    }
}

struct Ran {
    int status; // -1: killed by a signal (Qt's abort)
    QByteArray out, err;
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    QStringList out_, err_;
    bool japanese_ = true;
    QByteArray stdin_, stdout_; // what standard input gives, what standard output got
    bool stdoutWorks_ = true;
    int stdinReads_ = 0;

    QString at(const QString& name) const { return dir_->filePath(name); }

    int run(const QStringList& arguments, bool terminal = false)
    {
        out_.clear();
        err_.clear();
        CliContext c{*store_, dir_->filePath(QStringLiteral("prog")), noOffice, {}, {}, terminal, japanese_, {}, {}};
        c.out = [this](const QString& line) { out_ << line; };
        c.err = [this](const QString& line) { err_ << line; };
        c.in = [this] {
            ++stdinReads_;
            return stdin_;
        };
        c.write = [this](const QByteArray& bytes) {
            stdout_ += bytes;
            return stdoutWorks_;
        };
        return runCommandLine(parseCommandLine(arguments), c);
    }

    // The program itself, with no display, no platform and no locale but `environment`'s.
    Ran program(const QStringList& arguments, const QList<QPair<QString, QString>>& environment = {},
                const QByteArray& input = {})
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES", "LANG"})
            e.remove(QString::fromLatin1(name));
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), at(QStringLiteral("config")));
        for (const auto& [name, value] : environment)
            e.insert(name, value);
        QProcess p;
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(dir_->path());
        p.start(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL "/kumiro"), arguments);
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

private Q_SLOTS:
    // The output's name says its format: a name the kind cannot write is a usage error
    // before anything is read.
    void outputNamesMatchTheirKind()
    {
        writeFile(at(QStringLiteral("a.doc")), "");
        writeFile(at(QStringLiteral("b.doc")), "");
        writeFile(at(QStringLiteral("a.txt")), "a\n");
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), at(QStringLiteral("x.xlsx")),
                      at(QStringLiteral("a.doc")), at(QStringLiteral("b.doc"))}),
                 kExitUsage);
        QVERIFY2(err_.join(u'\n').contains(QStringLiteral(".docx")), qPrintable(err_.join(u'\n')));
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("--kind"), QStringLiteral("text"), QStringLiteral("-o"),
                      at(QStringLiteral("x.xls")), at(QStringLiteral("a.txt")), at(QStringLiteral("a.txt"))}),
                 kExitUsage);
        QVERIFY(!QFileInfo::exists(at(QStringLiteral("x.xlsx"))) && !QFileInfo::exists(at(QStringLiteral("x.xls"))));
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("--kind"), QStringLiteral("text"), QStringLiteral("-o"),
                      at(QStringLiteral("x.log")), at(QStringLiteral("a.txt")), at(QStringLiteral("a.txt"))}),
                 kExitOk);
    }

    // Nothing writes into one of its own inputs: a combine whose output is an input (by
    // another name too) is a usage error, and a conversion never writes over its source;
    // both before any office is asked for.
    void commandsNeverWriteIntoTheirInputs()
    {
        writeFile(at(QStringLiteral("a.txt")), "a\n");
        writeFile(at(QStringLiteral("b.txt")), "b\n");
        QVERIFY(QFile::link(at(QStringLiteral("a.txt")), at(QStringLiteral("link.txt"))));
        for (const QString& output : {at(QStringLiteral("a.txt")), at(QStringLiteral("link.txt"))}) {
            QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), output, at(QStringLiteral("a.txt")),
                          at(QStringLiteral("b.txt"))}),
                     kExitUsage);
            QVERIFY2(err_.join(u'\n').contains(at(QStringLiteral("a.txt"))), qPrintable(err_.join(u'\n')));
        }
        QCOMPARE(readFile(at(QStringLiteral("a.txt"))), QByteArray("a\n"));
        QCOMPARE(run({QStringLiteral("convert"), QStringLiteral("--to"), QStringLiteral("txt"),
                      at(QStringLiteral("a.txt"))}),
                 kExitFailed);
        QVERIFY2(err_.join(u'\n').contains(QStringLiteral("変換元")), qPrintable(err_.join(u'\n')));
        QCOMPARE(readFile(at(QStringLiteral("a.txt"))), QByteArray("a\n"));
    }

    // A file named in Shift-JIS on a UTF-8 system: the name reaches the file by its raw
    // bytes, keeps its extension (its kind), and is shown escaped.
    void namesInAnotherEncodingStillOpen()
    {
        const QByteArray raw = QFile::encodeName(dir_->path()) + "/\x93\xfa\x96\x7b.txt"; // 日本 in Shift-JIS
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "text\n", 5), ssize_t(5));
        ::close(fd);
        QByteArray program("kumiro"), combine("combine"), name = raw;
        char* argv[] = {program.data(), combine.data(), name.data(), nullptr};
        const ArgumentNames names = argumentNames(3, argv);
        QCOMPARE(names.words.size(), 2);
        QCOMPARE(names.words[0], QStringLiteral("combine"));
        QVERIFY(names.isAlias(names.words[1]));
        QVERIFY(names.words[1].endsWith(QStringLiteral(".txt")));
        QCOMPARE(readFile(names.words[1]), QByteArray("text\n"));
        QCOMPARE(names.shown(QStringLiteral("ファイル %1 を").arg(names.words[1])),
                 QStringLiteral("ファイル %1/\\x93\\xfa\\x96{.txt を").arg(dir_->path()));
        // QTemporaryDir cannot remove a name that is not text.
        QCOMPARE(::unlink(raw.constData()), 0);
    }

    void init()
    {
        japanese_ = true;
        stdin_.clear();
        stdout_.clear();
        stdoutWorks_ = true;
        stdinReads_ = 0;
        dir_ = std::make_unique<QTemporaryDir>();
        // A replaced output goes to this trash, never the user's.
        qputenv("XDG_DATA_HOME", QFile::encodeName(at(QStringLiteral("share"))));
        QDir().mkpath(at(QStringLiteral("prog")));
        store_ = std::make_unique<SettingsStore>(at(QStringLiteral("config")));
        writeFile(at(QStringLiteral("a.txt")), "one\ntwo\n");
        writeFile(at(QStringLiteral("b.txt")), "three\r\n");
    }

    void cleanup() { qunsetenv("XDG_DATA_HOME"); }

    void commandsAndOptionsAreRead()
    {
        QVERIFY(isCommandLine({QStringLiteral("combine")}));
        QVERIFY(isCommandLine({QStringLiteral("frob")}));
        QVERIFY(isCommandLine({QStringLiteral("--version")}));
        QVERIFY(!isCommandLine({}));
        QVERIFY(!isCommandLine({QStringLiteral("-platform"), QStringLiteral("offscreen")}));
        QVERIFY(isCommandLine({QStringLiteral("-v")}));
        QVERIFY(isCommandLine({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--frob")}));

        // "Open with": existing files go to the window; a command, an option or a missing
        // file keeps the command line and its messages.
        const QString a = at(QStringLiteral("a.txt"));
        const QString b = at(QStringLiteral("b.txt"));
        QCOMPARE(windowFiles({a, QStringLiteral("-platform"), QStringLiteral("offscreen"), b}), (QStringList{a, b}));
        QCOMPARE(windowFiles({}), QStringList());
        QCOMPARE(windowFiles({a, QStringLiteral("-q")}), QStringList());
        QCOMPARE(windowFiles({a, at(QStringLiteral("missing.txt"))}), QStringList());
        QCOMPARE(windowFiles({at(QStringLiteral("prog"))}), QStringList());
        QCOMPARE(windowFiles({QStringLiteral("combine"), a, b}), QStringList());

        CliRequest r = parseCommandLine({QStringLiteral("combine"), QStringLiteral("--kind=excel"),
                                         QStringLiteral("-o"), QStringLiteral("out.xlsx"), QStringLiteral("x.xls"),
                                         QStringLiteral("--"), QStringLiteral("-odd.csv")});
        QCOMPARE(r.command, CliRequest::Combine);
        QCOMPARE(r.kind, std::optional<Kind>(Kind::Excel));
        QCOMPARE(r.output, QStringLiteral("out.xlsx"));
        QCOMPARE(r.files, (QStringList{QStringLiteral("x.xls"), QStringLiteral("-odd.csv")}));
        r = parseCommandLine(
            {QStringLiteral("convert"), QStringLiteral("--to"), QStringLiteral("pdf"), QStringLiteral("a.docx")});
        QCOMPARE(r.command, CliRequest::Convert);
        QCOMPARE(r.to, WordFormat::Pdf);

        for (const QStringList& bad :
             {QStringList{QStringLiteral("combine")},
              {QStringLiteral("combine"), QStringLiteral("--kind"), QStringLiteral("pdf"), QStringLiteral("a")},
              {QStringLiteral("combine"), QStringLiteral("-o")},
              {QStringLiteral("combine"), QStringLiteral("--fast"), QStringLiteral("a")},
              {QStringLiteral("convert"), QStringLiteral("a.doc")},
              {QStringLiteral("convert"), QStringLiteral("--to"), QStringLiteral("xls"), QStringLiteral("a")},
              {QStringLiteral("frob")},
              {QStringLiteral("typo.txt")}}) {
            QCOMPARE(parseCommandLine(bad).command, CliRequest::Usage);
            QCOMPARE(run(bad), kExitUsage);
            QVERIFY(err_.first().startsWith(QStringLiteral("kumiro: ")));
        }
        QCOMPARE(run({QStringLiteral("--version")}), kExitOk);
        QVERIFY(out_.first().startsWith(QStringLiteral("kumiro ")));
        for (const char* help : {"--help", "-h"}) {
            QVERIFY(isCommandLine({QString::fromLatin1(help)}));
            QCOMPARE(run({QString::fromLatin1(help)}), kExitOk);
            QVERIFY(out_.join(u'\n').contains(QStringLiteral("使い方")));
        }
        QVERIFY(commandLineHelp(false).startsWith(QStringLiteral("Usage:")));
        // A command's help, wherever it stands among the command's words.
        for (const QStringList& help : {QStringList{QStringLiteral("combine"), QStringLiteral("--help")},
                                        {QStringLiteral("combine"), QStringLiteral("a.txt"), QStringLiteral("-h")},
                                        {QStringLiteral("convert"), QStringLiteral("-h")}}) {
            QCOMPARE(run(help), kExitOk);
            QVERIFY(err_.isEmpty());
            QVERIFY2(out_.join(u'\n').startsWith(QStringLiteral("使い方: kumiro ") + help.first()),
                     qPrintable(out_.join(u'\n')));
        }
    }

    // Options never open a window: one the program does not know is a usage error of one
    // line and a hint. The language follows LC_ALL, then LC_MESSAGES, then LANG.
    void optionsStayOnTheCommandLineInTheUsersLanguage()
    {
        for (const char* option : {"-v", "--frobnicate"}) {
            const Ran r = program({QString::fromLatin1(option)});
            QCOMPARE(r.status, kExitUsage);
            QCOMPARE(r.err, QByteArray("kumiro: unknown option '") + option + "'\nkumiro: Try 'kumiro --help'.\n");
        }
        // The window system's options are the window's: the unknown one is named as typed.
        Ran bogus = program({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--bogus=1")});
        QCOMPARE(bogus.status, kExitUsage);
        QVERIFY2(bogus.err.startsWith("kumiro: unknown option '--bogus=1'\n"), bogus.err.constData());
        // Messages come in the locale's encoding: "kumiro: ファイル…" in EUC-JP.
        bogus = program({QStringLiteral("combine"), QStringLiteral("a.txt")},
                        {{QStringLiteral("LANG"), QStringLiteral("ja_JP.eucJP")}});
        QVERIFY2(bogus.err.startsWith("kumiro: \xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB"), bogus.err.constData());
        const QString ja = QStringLiteral("ja_JP.UTF-8"), c = QStringLiteral("C");
        const struct {
            QList<QPair<QString, QString>> locale;
            bool japanese;
        } cases[] = {
            {{{QStringLiteral("LANG"), ja}}, true},
            {{{QStringLiteral("LANG"), ja}, {QStringLiteral("LC_ALL"), c}}, false},
            {{{QStringLiteral("LANG"), c}, {QStringLiteral("LC_MESSAGES"), ja}}, true},
            {{{QStringLiteral("LANG"), ja}, {QStringLiteral("LC_MESSAGES"), c}}, false},
            {{{QStringLiteral("LANG"), ja}, {QStringLiteral("LC_ALL"), QString()}}, true},
        };
        for (const auto& [locale, japanese] : cases) {
            const Ran r = program({QStringLiteral("combine")}, locale);
            QCOMPARE(r.status, kExitUsage);
            QCOMPARE(QString::fromUtf8(r.err).startsWith(QStringLiteral("kumiro: ファイルを指定して下さい。")),
                     japanese);
            QCOMPARE(r.err.startsWith("kumiro: no files given\n"), !japanese);
        }
    }

    // A window where there is no display is one line and status 1, never Qt's abort (134):
    // none named, or one named that nobody holds. A platform that needs none still opens.
    void aWindowWithoutADisplayIsOneLine()
    {
        Ran r = program({});
        QCOMPARE(r.status, kExitFailed);
        QCOMPARE(r.err, QByteArray("kumiro: cannot open the window: no display (DISPLAY is not set)\n"));
        r = program({}, {{QStringLiteral("LANG"), QStringLiteral("ja_JP.UTF-8")}});
        QCOMPARE(r.status, kExitFailed);
        QVERIFY2(QString::fromUtf8(r.err).startsWith(QStringLiteral("kumiro: ウィンドウを開けません: ")) &&
                     r.err.count('\n') == 1,
                 r.err.constData());
        const QString display = unheldDisplay();
        r = program({}, {{QStringLiteral("DISPLAY"), display}});
        QCOMPARE(r.status, kExitFailed);
        QCOMPARE(QString::fromUtf8(r.err),
                 QStringLiteral("kumiro: cannot open the window: cannot connect to the display %1\n").arg(display));
        writeFile(store_->filePath(QStringLiteral("kumiro")), "[Config]\nOptLogo=0\n");
        r = program({QStringLiteral("-platform"), QStringLiteral("offscreen")},
                    {{QStringLiteral("KUMIRO_QUIT_WHEN_SHOWN"), QStringLiteral("1")}});
        QVERIFY2(r.status == kExitOk, r.err.constData());
    }

    // Under any other locale every message is English: the command line's own and the
    // combines' it passes on (a phrase missing from the translation would stay Japanese).
    void messagesOfOtherLocalesAreEnglish()
    {
        japanese_ = false;
        writeFile(at(QStringLiteral("c.doc")), "x");
        writeFile(at(QStringLiteral("sjis.txt")), "\x83\x65\x83\x4c\x83\x58\x83\x67\n"); // テキスト
        writeFile(at(QStringLiteral("memo.txt")), "\xEF\xBB\xBFメモ\n");
        writeFile(at(QStringLiteral("yoshi.txt")), "\xF0\xA0\xAE\xB7\n"); // 𠮷: not in Shift-JIS
        const QString c = QStringLiteral("combine"), o = QStringLiteral("-o");
        const QList<QStringList> commands = {
            {c, o, at(QStringLiteral("j.txt")), at(QStringLiteral("sjis.txt")), at(QStringLiteral("memo.txt"))},
            {c, o, at(QStringLiteral("y.txt")), at(QStringLiteral("sjis.txt")), at(QStringLiteral("yoshi.txt"))},
            {c, o, at(QStringLiteral("f.txt")), at(QStringLiteral("a.txt")), at(QStringLiteral("gone.txt"))},
            {c, o, at(QStringLiteral("b.txt")), at(QStringLiteral("a.txt")), at(QStringLiteral("b.txt"))},
            {c, at(QStringLiteral("a.txt"))},
            {c, at(QStringLiteral("a.txt")), at(QStringLiteral("c.doc"))},
            {c, o, at(QStringLiteral("x.xlsx")), at(QStringLiteral("c.doc")), at(QStringLiteral("c.doc"))},
            {c, o, at(QStringLiteral("w.docx")), at(QStringLiteral("c.doc")), at(QStringLiteral("c.doc"))},
            {QStringLiteral("convert"), QStringLiteral("--to"), QStringLiteral("txt"), at(QStringLiteral("a.txt"))},
            {QStringLiteral("convert"), QStringLiteral("--to=pdf"), at(QStringLiteral("gone.doc"))},
            {QStringLiteral("frob")},
        };
        for (const QStringList& command : commands) {
            run(command);
            const QString said = err_.join(u'\n');
            QVERIFY2(!said.isEmpty() && !hasJapanese(said), qPrintable(command.join(u' ') + u'\n' + said));
        }
        QCOMPARE(run(commands.first()), kExitOk);
        QCOMPARE(err_,
                 (QStringList{QStringLiteral("kumiro: replaced %1 with 2 files; the old file was moved to the "
                                             "trash")
                                  .arg(at(QStringLiteral("j.txt"))),
                              QStringLiteral("kumiro: these files were converted to Shift_JIS and added: "
                                             "memo.txt (UTF-8)")}));
    }

    // A script is not the order list: any number of files, in the order given.
    void anyNumberOfFilesIsCombinedInOrder()
    {
        QStringList arguments{QStringLiteral("combine"), QStringLiteral("-o"), at(QStringLiteral("all.txt"))};
        QByteArray expected;
        for (int i = 1; i <= 500; ++i) {
            const QString name = at(QStringLiteral("many/%1.txt").arg(501 - i)); // not the order of the names
            writeFile(name, QByteArray::number(i) + '\n');
            arguments << name;
            expected += QByteArray::number(i) + "\r\n";
        }
        QCOMPARE(run(arguments), kExitOk);
        QCOMPARE(readFile(at(QStringLiteral("all.txt"))), expected);
    }

    // -q: nothing on success, not even progress on a terminal; a failure is still told, with
    // the same status.
    void quietSaysOnlyWhatFails()
    {
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-q"), QStringLiteral("-o"),
                      at(QStringLiteral("q.txt")), at(QStringLiteral("a.txt")), at(QStringLiteral("b.txt"))},
                     true),
                 kExitOk);
        QVERIFY2(err_.isEmpty() && out_.isEmpty(), qPrintable(err_.join(u'\n')));
        QCOMPARE(readFile(at(QStringLiteral("q.txt"))), QByteArray("one\r\ntwo\r\nthree\r\n"));
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("--quiet"), QStringLiteral("-o"),
                      at(QStringLiteral("r.txt")), at(QStringLiteral("a.txt")), at(QStringLiteral("gone.txt"))}),
                 kExitFailed);
        // Said as a terminal program says it: no box's wide spaces, no window's words.
        QCOMPARE(err_.first(),
                 QStringLiteral("kumiro: ファイル %1 を読み取れません。").arg(at(QStringLiteral("gone.txt"))));
        QCOMPARE(run({QStringLiteral("convert"), QStringLiteral("-q"), QStringLiteral("--to"), QStringLiteral("pdf"),
                      at(QStringLiteral("a.txt"))}),
                 kExitFailed);
        QCOMPARE(err_,
                 (QStringList{QStringLiteral("kumiro: Word・Excel のファイルを扱うには LibreOffice が必要です。"),
                              QStringLiteral("kumiro: 「sudo apt-get install libreoffice-writer-nogui "
                                             "libreoffice-calc-nogui」でインストールして下さい。")}));
    }

    // The same text combine as the window: CR LF line ends, the completion message with the
    // file's name, progress only on a terminal; the settings file is never written.
    void textCombineFromTheCommandLine()
    {
        const QString out = at(QStringLiteral("joined.txt"));
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), out, at(QStringLiteral("a.txt")),
                      at(QStringLiteral("b.txt"))}),
                 kExitOk);
        QCOMPARE(readFile(out), QByteArray("one\r\ntwo\r\nthree\r\n"));
        QCOMPARE(err_.size(), 1);
        QCOMPARE(err_.first(), QStringLiteral("kumiro: %1 を 2 個のファイルから作りました。").arg(out));
        QVERIFY(!QFile::exists(store_->filePath(QStringLiteral("kumiro"))));

        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("--output=") + out, at(QStringLiteral("b.txt")),
                      at(QStringLiteral("a.txt"))},
                     true),
                 kExitOk);
        QCOMPARE(err_.first(), QStringLiteral("1 / 2 : b.txt"));
        QCOMPARE(err_[1], QStringLiteral("2 / 2 : a.txt"));
    }

    // -o makes the output anew: a file that is there goes to the trash once the new one is
    // whole; --append adds to it as the window does. The completion line says which.
    void anOutputIsReplacedOrAppendedTo()
    {
        const QString out = at(QStringLiteral("t.txt"));
        const QByteArray once("one\r\ntwo\r\nthree\r\n");
        const QStringList combine{QStringLiteral("combine"), QStringLiteral("-o"), out, at(QStringLiteral("a.txt")),
                                  at(QStringLiteral("b.txt"))};
        QCOMPARE(run(combine), kExitOk);
        QCOMPARE(run(combine), kExitOk);
        QCOMPARE(readFile(out), once);
        QCOMPARE(err_,
                 QStringList{QStringLiteral("kumiro: %1 を 2 個のファイルで置き換えました。"
                                            "元のファイルはごみ箱に移しました。")
                                 .arg(out)});
        const QStringList trashed = QDir(at(QStringLiteral("share/Trash/files"))).entryList(QDir::Files);
        QCOMPARE(trashed.size(), 1);
        QCOMPARE(readFile(at(QStringLiteral("share/Trash/files/")) + trashed.first()), once);

        QCOMPARE(run(QStringList(combine) << QStringLiteral("--append")), kExitOk);
        QCOMPARE(readFile(out), once + once);
        QCOMPARE(err_, QStringList{QStringLiteral("kumiro: %1 に 2 個のファイルを追記しました。").arg(out)});
        // A failed replace leaves the old output as it was, and nothing in the trash.
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), out, at(QStringLiteral("a.txt")),
                      at(QStringLiteral("gone.txt"))}),
                 kExitFailed);
        QCOMPARE(readFile(out), once + once);
        QCOMPARE(QDir(at(QStringLiteral("share/Trash/files"))).entryList(QDir::Files).size(), 1);
        QVERIFY(QDir(dir_->path()).entryList({QStringLiteral(".~kumiro-*")}, QDir::Hidden | QDir::Files).isEmpty());
        // Word and Excel write whole documents: nothing to append to.
        writeFile(at(QStringLiteral("c.doc")), "x");
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("--append"), QStringLiteral("-o"),
                      at(QStringLiteral("w.doc")), at(QStringLiteral("c.doc")), at(QStringLiteral("c.doc"))}),
                 kExitUsage);
    }

    // "-" is standard input, read once; "-o -" puts the combined text on standard output and
    // nothing else anywhere. A Word or Excel output is no use in a pipe: refused.
    void standardInputAndOutput()
    {
        stdin_ = "in\n";
        const QString a = at(QStringLiteral("a.txt")), b = at(QStringLiteral("b.txt"));
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), QStringLiteral("-"), a, QStringLiteral("-"), b}),
                 kExitOk);
        QCOMPARE(stdout_, QByteArray("one\r\ntwo\r\nin\r\nthree\r\n"));
        QCOMPARE(stdinReads_, 1);
        QVERIFY2(err_.isEmpty(), qPrintable(err_.join(u'\n')));
        QCOMPARE(QDir(dir_->path()).entryList({QStringLiteral("-")}), QStringList());
        stdout_.clear();
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("--output=/dev/stdout"), a, b}), kExitOk);
        QCOMPARE(stdout_, QByteArray("one\r\ntwo\r\nthree\r\n"));

        const QString c = at(QStringLiteral("c.doc"));
        writeFile(c, "x");
        for (const QStringList& refused :
             {QStringList{QStringLiteral("combine"), QStringLiteral("-o"), QStringLiteral("-"), c, c},
              {QStringLiteral("combine"), QStringLiteral("-o"), QStringLiteral("x.txt"), a, QStringLiteral("-"),
               QStringLiteral("-")}}) {
            QCOMPARE(run(refused), kExitUsage);
            QVERIFY2(err_.first().contains(QStringLiteral("標準")), qPrintable(err_.join(u'\n')));
        }
        // Standard input is named as such when it fails, never by its private copy.
        stdin_ = "\xEF\xBB\xBF\xF0\xA0\xAE\xB7\n"; // 𠮷: not in Shift-JIS
        writeFile(at(QStringLiteral("sjis.txt")), "\x83\x65\x83\x4c\x83\x58\x83\x67\n");
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), QStringLiteral("-"),
                      at(QStringLiteral("sjis.txt")), QStringLiteral("-")}),
                 kExitFailed);
        QVERIFY2(err_.first().startsWith(QStringLiteral("kumiro: ファイル 標準入力 の 1 行目")),
                 qPrintable(err_.join(u'\n')));
        // A pipe that is closed: a failure, said.
        stdoutWorks_ = false;
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), QStringLiteral("-"), a, b}), kExitFailed);
        QCOMPARE(err_, QStringList{QStringLiteral("kumiro: 標準出力に書き込めません。")});

        // The program itself, through real streams.
        const Ran r = program({QStringLiteral("combine"), QStringLiteral("-o"), QStringLiteral("-"),
                               QStringLiteral("a.txt"), QStringLiteral("-")},
                              {}, "piped\n");
        QVERIFY2(r.status == kExitOk, r.err.constData());
        QCOMPARE(r.out, QByteArray("one\r\ntwo\r\npiped\r\n"));
        QCOMPARE(r.err, QByteArray());
    }

    // "kumiro FILE..." while a window of the user's runs: the files go to that window and
    // the second start ends at once, with no window of its own.
    void aSecondStartHandsItsFilesToTheWindow()
    {
        // A display of the test's own name: the window's socket is the display's.
        const QByteArray display = ":kumiro-test-" + QByteArray::number(QCoreApplication::applicationPid());
        const QByteArray oldDisplay = qgetenv("DISPLAY");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_->path()));
        qputenv("DISPLAY", display);
        QStringList received;
        WindowHandover window([&](const QStringList& files) { received = files; });
        const bool listening = window.listen();
        qunsetenv("XDG_RUNTIME_DIR");
        if (oldDisplay.isEmpty())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", oldDisplay);
        QVERIFY(listening);
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_->path());
        e.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), at(QStringLiteral("config")));
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess second;
        second.setProcessEnvironment(e);
        second.setWorkingDirectory(dir_->path());
        second.start(QStringLiteral(KUMIRO_PROGRAM_DIR_LITERAL "/kumiro"),
                     {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        QTRY_COMPARE_WITH_TIMEOUT(received, (QStringList{at(QStringLiteral("a.txt")), at(QStringLiteral("b.txt"))}),
                                  30000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
        QCOMPARE(second.exitCode(), kExitOk);
        QCOMPARE(second.readAllStandardError(), QByteArray());
    }

    // Without -o the output is the one the window would write; the settings stay untouched.
    void defaultOutputComesFromTheSettings()
    {
        const QString ini = store_->filePath(QStringLiteral("kumiro"));
        QDir().mkpath(QFileInfo(ini).absolutePath());
        writeFile(ini, "[Kumiro]\nFolderName(2)=" + QFile::encodeName(dir_->path()) + "\nKumiroFile(2)=まとめ\n");
        const QByteArray before = readFile(ini);
        QCOMPARE(run({QStringLiteral("combine"), at(QStringLiteral("a.txt")), at(QStringLiteral("b.txt"))}), kExitOk);
        QCOMPARE(readFile(at(QStringLiteral("まとめ.txt"))), QByteArray("one\r\ntwo\r\nthree\r\n"));
        QCOMPARE(readFile(ini), before);
    }

    void refusalsAndFailuresAreToldWithTheirStatus()
    {
        // One file: the order list's message, a usage error.
        QCOMPARE(run({QStringLiteral("combine"), at(QStringLiteral("a.txt"))}), kExitUsage);
        QCOMPARE(err_.first(), QStringLiteral("kumiro: ファイルを 2 個以上指定して下さい。"));
        // Kinds from the extensions: mixed, or none.
        writeFile(at(QStringLiteral("c.doc")), "x");
        writeFile(at(QStringLiteral("d.bin")), "x");
        QCOMPARE(run({QStringLiteral("combine"), at(QStringLiteral("a.txt")), at(QStringLiteral("c.doc"))}),
                 kExitUsage);
        QVERIFY(err_.first().contains(QStringLiteral("種類の違うファイル")));
        QCOMPARE(run({QStringLiteral("combine"), at(QStringLiteral("a.txt")), at(QStringLiteral("d.bin"))}),
                 kExitUsage);
        QVERIFY(err_.first().contains(at(QStringLiteral("d.bin"))));
        // --kind takes any file as that kind.
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("--kind"), QStringLiteral("text"), QStringLiteral("-o"),
                      at(QStringLiteral("e.txt")), at(QStringLiteral("a.txt")), at(QStringLiteral("d.bin"))}),
                 kExitOk);
        // A missing input: a failure, and nothing written.
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), at(QStringLiteral("f.txt")),
                      at(QStringLiteral("a.txt")), at(QStringLiteral("gone.txt"))}),
                 kExitFailed);
        QVERIFY(err_.first().startsWith(QStringLiteral("kumiro: ファイル ")));
        // Word work without an office: the office message, a failure.
        QCOMPARE(run({QStringLiteral("combine"), QStringLiteral("-o"), at(QStringLiteral("w.docx")),
                      at(QStringLiteral("c.doc")), at(QStringLiteral("c.doc"))}),
                 kExitFailed);
        QVERIFY(err_.first().contains(QStringLiteral("LibreOffice が必要です")));
        QVERIFY(!QFile::exists(at(QStringLiteral("w.docx"))));
        QCOMPARE(run({QStringLiteral("convert"), QStringLiteral("--to"), QStringLiteral("txt"),
                      at(QStringLiteral("c.doc"))}),
                 kExitFailed);
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
