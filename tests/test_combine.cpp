// The text combine: bytes in, bytes out, the line limit and failures.
#include "combine/CombineMessages.h"
#include "combine/TextCombine.h"
#include "combine/TextEncoding.h"
#include "combine/OfficeSaving.h"
#include "combine/WordCombine.h"
#include "platform/FolderLock.h"

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <csignal>
#include <sys/resource.h>

using namespace kumiro;

class TestCombine : public QObject {
    Q_OBJECT

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        f.write(bytes);
        return path;
    }

    QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    static QByteArray numbered(int count, const char* end)
    {
        QByteArray out;
        for (int i = 0; i < count; ++i)
            out += "line " + QByteArray::number(i) + end;
        return out;
    }

private Q_SLOTS:
    // What each way a Text combine ends says, and about which file.
    void textCombineEndsInItsMessages()
    {
        const QStringList inputs = {QStringLiteral("/d/a.txt"), QStringLiteral("/d/b.txt")};
        const QString output = QStringLiteral("/out/NewText.txt");
        auto messages = [&](TextCombineResult::Status status, const QString& reason = {}) {
            return textCombineMessages({status, 1, reason, {}, {}}, inputs, output);
        };
        QCOMPARE(messages(TextCombineResult::Done).size(), 1);
        QCOMPARE(messages(TextCombineResult::Done)[0].text,
                 QStringLiteral("選択した Text ファイルの 「くみろ」 が完了しました。　"));
        QVERIFY(messages(TextCombineResult::Cancelled).isEmpty());
        const auto limit = messages(TextCombineResult::LineLimit);
        QCOMPARE(limit.size(), 2);
        QCOMPARE(limit[0].title, QStringLiteral("行数確認"));
        QVERIFY(limit[0].text.contains(QStringLiteral("/d/b.txt")));
        QCOMPARE(messages(TextCombineResult::NotAFile)[0].text,
                 QStringLiteral("Text ファイル /d/b.txt は通常のファイルではないため、読み取れません。　"));
        QCOMPARE(messages(TextCombineResult::FolderNotWritable, QStringLiteral("R"))[0].text,
                 QStringLiteral("くみろ先のフォルダ /out に書き込めません。　\r\rR"));
        QCOMPARE(messages(TextCombineResult::WriteFailed, QStringLiteral("R"))[0].icon, MsgIcon::Critical);
    }

    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        out_ = dir_->filePath(QStringLiteral("NewText.txt"));
    }

    void linesAreCopiedByteForByteEndingInCrLf()
    {
        const QByteArray sjis("\x83\x65\x83\x4c\x83\x58\x83\x67\r\n\x95\x5c\r\n", 14); // テキスト / 表
        const QStringList inputs = {
            write(QStringLiteral("crlf.txt"), "a\r\nb\r\n"),
            write(QStringLiteral("lf.txt"), "c\nd\n"),
            write(QStringLiteral("cr.txt"), "e\rf\r"),
            write(QStringLiteral("mixed.txt"), "g\r\n\nh\r\r\ni"),
            write(QStringLiteral("empty.txt"), ""),
            write(QStringLiteral("sjis.txt"), sjis),
            write(QStringLiteral("nul.txt"), QByteArray("x\0y\nz", 5)),
            write(QStringLiteral("blank.txt"), "\n"),
        };
        const TextCombineResult r = combineTextFiles(inputs, out_);
        QCOMPARE(r.status, TextCombineResult::Done);
        const QByteArray expected = QByteArray("a\r\nb\r\n") + "c\r\nd\r\n" + "e\r\nf\r\n" + "g\r\n\r\nh\r\n\r\ni\r\n" +
            sjis + QByteArray("x\0y\r\nz\r\n", 8) + "\r\n";
        QCOMPARE(read(out_), expected);
    }

    void crLfSplitAcrossReadsIsOneLineEnd()
    {
        // A CR LF at the 1 MiB mark (where a reader in pieces would split it) is one line end.
        QByteArray big(1 << 20, 'x');
        big[(1 << 20) - 1] = '\r';
        big += "\nnext";
        combineTextFiles({write(QStringLiteral("big.txt"), big)}, out_);
        const QByteArray got = read(out_);
        QCOMPARE(got.size(), (1 << 20) - 1 + 2 + 4 + 2);
        QVERIFY(got.endsWith("x\r\nnext\r\n"));
    }

    void appendsToAnExistingOutput()
    {
        write(QStringLiteral("NewText.txt"), "old\r\n");
        const QString a = write(QStringLiteral("a.txt"), "new");
        QCOMPARE(combineTextFiles({a, a}, out_).status, TextCombineResult::Done);
        QCOMPARE(read(out_), QByteArray("old\r\nnew\r\nnew\r\n"));
    }

    // An append builds a new file in the old one's place: the old file is never written
    // into (a reader of it, or another name for it, keeps the old text), its permissions
    // stay, and what went through of an input that turns out not to be plain ASCII only
    // at its second piece goes again, converted, and once.
    void appendMakesANewFileInTheOldOnesPlace()
    {
        write(QStringLiteral("NewText.txt"), "\x83\x65\r\n"); // テ in Shift-JIS
        QCOMPARE(::chmod(QFile::encodeName(out_).constData(), 0640), 0);
        const QString second = dir_->filePath(QStringLiteral("second name.txt"));
        QCOMPARE(::link(QFile::encodeName(out_).constData(), QFile::encodeName(second).constData()), 0);
        QFile reader(out_);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        const QByteArray ascii(300000, 'y');
        const QString late = write(QStringLiteral("late.txt"), ascii + "\n\xE3\x83\xA1\n"); // メ in UTF-8
        const TextCombineResult r = combineTextFiles({late, late}, out_);
        QCOMPARE(r.status, TextCombineResult::Done);
        QCOMPARE(r.converted.size(), 2);
        const QByteArray part = ascii + "\r\n\x83\x81\r\n";
        QCOMPARE(read(out_), "\x83\x65\r\n" + part + part);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(out_).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        QCOMPARE(read(second), QByteArray("\x83\x65\r\n"));
        QCOMPARE(reader.readAll(), QByteArray("\x83\x65\r\n"));
    }

    // Two combines into one output take turns: one that finds the other at work waits and
    // then builds on what the other left; cancelled while it waits, it writes nothing.
    void combinesIntoOneOutputTakeTurns()
    {
        write(QStringLiteral("NewText.txt"), "old\r\n");
        const QString a = write(QStringLiteral("a.txt"), "a\n");
        auto other = std::make_unique<FolderLock>(dir_->path(), 0, nullptr);
        QCOMPARE(other->status(), FolderLock::Held);
        CommandProgress progress;
        int asked = 0;
        progress.cancelled = [&] {
            // Asked first while waiting: the other combine finishes meanwhile.
            if (++asked == 1) {
                QFile file(out_);
                file.open(QIODevice::Append);
                file.write("other\r\n");
                file.close();
                other.reset();
            }
            return false;
        };
        QCOMPARE(combineTextFiles({a, a}, out_, progress).status, TextCombineResult::Done);
        QCOMPARE(read(out_), QByteArray("old\r\nother\r\na\r\na\r\n"));

        const FolderLock held(dir_->path(), 0, nullptr);
        progress.cancelled = [] { return true; };
        QCOMPARE(combineTextFiles({a, a}, out_, progress).status, TextCombineResult::Cancelled);
        QCOMPARE(read(out_), QByteArray("old\r\nother\r\na\r\na\r\n"));
    }

    void lineLimitIsPerFileAndStopsBeforeTheFile()
    {
        const QString exact = write(QStringLiteral("exact.txt"), numbered(30000, "\n"));
        const QString over = write(QStringLiteral("over.txt"), numbered(30001, "\r\n"));
        const QString overUnterminated = write(QStringLiteral("over2.txt"), numbered(30000, "\n") + "last");
        const QString small = write(QStringLiteral("small.txt"), "s\n");

        QCOMPARE(combineTextFiles({exact, exact}, out_).status, TextCombineResult::Done);
        QCOMPARE(read(out_).count('\n'), 60000);

        // Nothing of a combine that stops stays, so running it again adds nothing twice.
        write(QFileInfo(out_).fileName(), "kept\r\n");
        const TextCombineResult r = combineTextFiles({small, small, over, small, small}, out_);
        QCOMPARE(r.status, TextCombineResult::LineLimit);
        QCOMPARE(r.failedIndex, 2);
        QCOMPARE(read(out_), QByteArray("kept\r\n"));

        QCOMPARE(combineTextFiles({small, overUnterminated}, out_).status, TextCombineResult::LineLimit);
        QCOMPARE(read(out_), QByteArray("kept\r\n"));
        QFile::remove(out_);
        QCOMPARE(combineTextFiles({small, over}, out_).status, TextCombineResult::LineLimit);
        QVERIFY(!QFileInfo::exists(out_));
    }

    // Every input is looked at before anything is written; a FIFO is refused without
    // waiting for a writer that never comes.
    void inputsThatCannotBeReadAreFoundBeforeAnythingIsWritten()
    {
        const QString a = write(QStringLiteral("a.txt"), "a\n");
        const TextCombineResult r = combineTextFiles({a, dir_->filePath(QStringLiteral("gone.txt")), a}, out_);
        QCOMPARE(r.status, TextCombineResult::ReadFailed);
        QCOMPARE(r.failedIndex, 1);
        QVERIFY(!r.reason.isEmpty());
        QVERIFY(!QFileInfo::exists(out_));

        const QString fifo = dir_->filePath(QStringLiteral("pipe.txt"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& odd : {fifo, dir_->path(), QStringLiteral("/dev/zero")}) {
            const TextCombineResult n = combineTextFiles({a, odd}, out_);
            QCOMPARE(n.status, TextCombineResult::NotAFile);
            QCOMPARE(n.failedIndex, 1);
            QVERIFY(!QFileInfo::exists(out_));
        }
    }

    void cancelLeavesTheOutputAsItWas()
    {
        const QString a = write(QStringLiteral("a.txt"), "a\n");
        for (const QByteArray& before : {QByteArray(), QByteArray("older\r\n")}) {
            QFile::remove(out_);
            if (!before.isEmpty())
                write(QFileInfo(out_).fileName(), before);
            QStringList seen;
            CommandProgress progress;
            progress.step = [&](int i, int n, const QString& f) {
                seen << QStringLiteral("%1/%2 %3").arg(i).arg(n).arg(QFileInfo(f).fileName());
            };
            progress.cancelled = [&] { return seen.size() == 2; };
            QCOMPARE(combineTextFiles({a, a, a}, out_, progress).status, TextCombineResult::Cancelled);
            QCOMPARE(seen, (QStringList{"0/3 a.txt", "1/3 a.txt"}));
            QCOMPARE(read(out_), before.isEmpty() ? QByteArray("<missing>") : before);
        }
    }

    // Saving through a temporary name: the user only ever hears of the file by its own name,
    // and a failed save leaves the folder as it was.
    void savingReplacesOnlyWithACompleteFile()
    {
        const QString target = dir_->filePath(QStringLiteral("NewWord.doc"));
        write(QStringLiteral("NewWord.doc"), "older");
        const QStringList before = QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden);
        try {
            saveReplacing(target, [](const QString& temp) {
                QFile f(temp);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("half");
                throw OfficeError(OfficeError::Hung, QStringLiteral("frozen"), temp);
            });
            QFAIL("no error");
        } catch (const OfficeError& e) {
            QCOMPARE(e.kind(), OfficeError::Hung);
            QCOMPARE(e.file(), target);
        }
        QCOMPARE(read(target), QByteArray("older"));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), before);

        saveReplacing(target, [](const QString& temp) {
            QFile f(temp);
            QVERIFY(f.open(QIODevice::NewOnly));
            f.write("newer");
        });
        QCOMPARE(read(target), QByteArray("newer"));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), before);

        try {
            saveReplacing(dir_->filePath(QStringLiteral("gone/NewWord.doc")), [](const QString&) { QFAIL("saved"); });
            QFAIL("no error");
        } catch (const OfficeError& e) {
            QCOMPARE(e.kind(), OfficeError::OutputFolder);
            QCOMPARE(e.file(), dir_->filePath(QStringLiteral("gone")));
            QCOMPARE(officeFailureMessage(e).text,
                     QStringLiteral("くみろ先のフォルダ ") + e.file() +
                         QStringLiteral(" に書き込めません。　\r\rフォルダがありません。"));
        }
    }

    // A UTF-8 byte-order mark is kept where it belongs, at the very start of the output.
    void byteOrderMarksOnlyStartTheOutput()
    {
        const QString a = write(QStringLiteral("a.txt"),
                                "\xEF\xBB\xBF"
                                "a\n");
        const QString b = write(QStringLiteral("b.txt"),
                                "\xEF\xBB\xBF"
                                "b");
        const QString empty = write(QStringLiteral("empty.txt"), "");
        QCOMPARE(combineTextFiles({empty, a, b}, out_).status, TextCombineResult::Done);
        QCOMPARE(read(out_),
                 QByteArray("\xEF\xBB\xBF"
                            "a\r\nb\r\n"));
        QCOMPARE(combineTextFiles({b}, out_).status, TextCombineResult::Done);
        QCOMPARE(read(out_),
                 QByteArray("\xEF\xBB\xBF"
                            "a\r\nb\r\nb\r\n"));
    }

    // Inputs in several encodings give an output in one: the existing output's, else the
    // first input's that is not plain ASCII; a character it cannot hold writes nothing.
    void mixedEncodingsGiveOneEncoding()
    {
        const QString sjis = write(QStringLiteral("sjis.txt"), "\x83\x65\x83\x4c\x83\x58\x83\x67\n"); // テキスト
        const QString utf8 = write(QStringLiteral("utf8.txt"), "\xEF\xBB\xBFメモ\n");
        const QString utf16 = write(QStringLiteral("utf16.txt"), QByteArray("\xFF\xFE\xE5\x65\x2C\x67\n\0", 8)); // 日本
        const QString euc = write(QStringLiteral("euc.txt"), "\xA5\xED\xA5\xB0\xA5\xA4\xA5\xF3\r\n"); // ログイン
        const QString ascii = write(QStringLiteral("ascii.txt"), "plain\n");
        const TextCombineResult r = combineTextFiles({ascii, sjis, utf8, utf16, euc}, out_);
        QCOMPARE(r.status, TextCombineResult::Done);
        QCOMPARE(r.encoding, QStringLiteral("Shift_JIS"));
        QCOMPARE(r.converted.size(), 3);
        // Read back by another program, strictly.
        QProcess iconv;
        iconv.start(
            QStringLiteral("iconv"),
            {QStringLiteral("-f"), QStringLiteral("CP932"), QStringLiteral("-t"), QStringLiteral("UTF-8"), out_});
        QVERIFY(iconv.waitForFinished(10000));
        QCOMPARE(iconv.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(iconv.readAllStandardOutput()),
                 QStringLiteral("plain\r\nテキスト\r\nメモ\r\n日本\r\nログイン\r\n"));
        const QString done = textCombineMessages(r, {ascii, sjis, utf8, utf16, euc}, out_)[0].text;
        QVERIFY2(done.contains(QStringLiteral("utf16.txt (UTF-16LE)")), qPrintable(done));

        // 𠮷 has no Shift-JIS code: the output stays as it was.
        const QByteArray before = read(out_);
        const QString yoshi = write(QStringLiteral("yoshi.txt"), "ok\n\xF0\xA0\xAE\xB7\n");
        const TextCombineResult refused = combineTextFiles({ascii, yoshi}, out_);
        QCOMPARE(refused.status, TextCombineResult::EncodingFailed);
        QCOMPARE(refused.failedIndex, 1);
        QVERIFY2(refused.reason.contains(QStringLiteral("2 行目")) &&
                     refused.reason.contains(QStringLiteral("Shift_JIS")),
                 qPrintable(refused.reason));
        QCOMPARE(read(out_), before);
    }

    // Text that is not Japanese, or not text in any encoding, is never copied as if it were:
    // Western text is converted from what it is, UTF-16 without its byte-order mark is
    // told by its NULs, and stray bytes are refused with their line, the output unchanged.
    void textInNoJapaneseEncodingIsConvertedOrRefused()
    {
        const QString french =
            QStringLiteral("Le café était très agréable, près de la fenêtre où l'on voyait la mer.\n"
                           "Après le déjeuner, nous sommes allés à la plage; l'été dernier était chaud.\n"
                           "Ça m'a plu énormément: les crêpes, le crème brûlée et la bière fraîche.\n");
        const QString latin1 = write(QStringLiteral("latin1.txt"), french.toLatin1());
        const QString ascii16 = write(QStringLiteral("utf16.txt"), QByteArray("a\0b\0\r\0\n\0c\0d\0\r\0\n\0", 16));
        QCOMPARE(combineTextFiles({latin1, ascii16}, out_).status, TextCombineResult::Done);
        QCOMPARE(QString::fromUtf8(read(out_)),
                 QString(french).replace(u'\n', QStringLiteral("\r\n")) + QStringLiteral("ab\r\ncd\r\n"));

        // Shift-JIS output: é has no code there; a lead byte without its second byte is no
        // character at all.
        write(QFileInfo(out_).fileName(), "\x83\x65\r\n");
        const QString stray = write(QStringLiteral("stray.txt"), "\x83\x65\r\n\x83\x4c\r\nok \x83\r\n");
        for (const QString& input : {latin1, stray}) {
            const TextCombineResult r = combineTextFiles({ascii16, input}, out_);
            QCOMPARE(r.status, TextCombineResult::EncodingFailed);
            QCOMPARE(r.failedIndex, 1);
            QVERIFY2(r.reason.contains(input == stray ? QStringLiteral("3 行目") : QStringLiteral("1 行目")),
                     qPrintable(r.reason));
            QCOMPARE(read(out_), QByteArray("\x83\x65\r\n"));
        }
    }

    // Japanese text in each encoding editors write is told apart and read back whole.
    void encodingsAreToldApart()
    {
        const QString text =
            QStringLiteral("日本語の文章です。東京都の天気は晴れ、気温は二十度でした。\n"
                           "明日の会議は午前十時から第三会議室で行います。資料を忘れずに持ってきて下さい。\n");
        auto encode = [&](const char* name, const QString& words) {
            const QByteArray utf8 = words.toUtf8();
            iconv_t cd = iconv_open(name, "UTF-8");
            QByteArray out(utf8.size() * 4 + 16, Qt::Uninitialized);
            char* src = const_cast<char*>(utf8.constData());
            size_t srcLeft = size_t(utf8.size()), dstLeft = size_t(out.size());
            char* dst = out.data();
            iconv(cd, &src, &srcLeft, &dst, &dstLeft);
            iconv(cd, nullptr, nullptr, &dst, &dstLeft);
            iconv_close(cd);
            out.resize(dst - out.data());
            return out;
        };
        const struct {
            const char* iconvName;
            QByteArray bom;
            TextEncoding expected;
        } cases[] = {
            {"UTF-8", {}, TextEncoding::Utf8},
            {"UTF-8", "\xEF\xBB\xBF", TextEncoding::Utf8},
            {"CP932", {}, TextEncoding::ShiftJis},
            {"EUC-JP", {}, TextEncoding::EucJp},
            {"ISO-2022-JP", {}, TextEncoding::Iso2022Jp},
            {"UTF-16LE", "\xFF\xFE", TextEncoding::Utf16LE},
            {"UTF-16BE", "\xFE\xFF", TextEncoding::Utf16BE},
        };
        for (const auto& c : cases) {
            const QByteArray bytes = c.bom + encode(c.iconvName, text);
            QCOMPARE(detectTextEncoding(bytes), c.expected);
            QCOMPARE(QString::fromUtf8(toUtf8(bytes, c.expected)), text);
        }
        // A word or two, too short for uchardet (it answers Western): EUC-JP is told from
        // CP932 by which of the two reads as half-width katakana.
        for (const QString& word : {QStringLiteral("会議室\r\n"), QStringLiteral("テスト\r\n")}) {
            const QByteArray utf8 = word.toUtf8();
            for (const auto& [name, expected] :
                 {std::pair{"EUC-JP", TextEncoding::EucJp}, std::pair{"CP932", TextEncoding::ShiftJis}}) {
                const QByteArray bytes = encode(name, word);
                QCOMPARE(detectTextEncoding(bytes), expected);
                QCOMPARE(toUtf8(bytes, expected), utf8);
            }
        }
        // What cannot be told apart is read as CP932; bytes it does not know become U+FFFD.
        QCOMPARE(detectTextEncoding(QByteArray("\x82\xa0")), TextEncoding::ShiftJis);
        QCOMPARE(toUtf8(QByteArray("a\x82\xa0\xff"
                                   "b"),
                        TextEncoding::ShiftJis),
                 QStringLiteral("aあ\uFFFDb").toUtf8());
        QCOMPARE(withLfLineEnds("a\rb\r\nc\nd\r"), QByteArray("a\nb\nc\nd\n"));
    }

    void missingOutputFolderFailsWithoutCreatingIt()
    {
        const QString a = write(QStringLiteral("a.txt"), "a\n");
        const QString output = dir_->filePath(QStringLiteral("nowhere/NewText.txt"));
        const TextCombineResult r = combineTextFiles({a, a}, output);
        QCOMPARE(r.status, TextCombineResult::FolderNotWritable);
        QCOMPARE(r.reason, QStringLiteral("フォルダがありません。"));
        QVERIFY(!QDir(dir_->filePath(QStringLiteral("nowhere"))).exists());
    }

    void failedWriteIsCutBack()
    {
        // A file size limit makes the disk "full" at 64 KiB for this process.
        write(QStringLiteral("NewText.txt"), "kept\r\n");
        const QString a = write(QStringLiteral("a.txt"), "a\n");
        const QString big = write(QStringLiteral("big.txt"), numbered(20000, "\n"));
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const TextCombineResult r = combineTextFiles({a, big, a}, out_);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previousHandler);

        QCOMPARE(r.status, TextCombineResult::WriteFailed);
        QCOMPARE(r.failedIndex, 1);
        QVERIFY(!r.reason.isEmpty());
        QCOMPARE(read(out_), QByteArray("kept\r\n")); // the first input goes too
    }

    // One rule for what may stand where an output goes, for the Text combine and for the
    // office kinds, checked before any input is read: the user's own link is replaced by a
    // regular file (its target untouched, a dangling one never created); a link into
    // somebody else's folder, a FIFO and a folder are refused at once, without blocking.
    void outputsThroughLinksAndSpecialFilesFollowOneRule()
    {
        const QString a = write(QStringLiteral("a.txt"), "a\n");
        const QString target = write(QStringLiteral("target.txt"), "old\r\n");
        QVERIFY(QFile::link(target, out_));
        QCOMPARE(combineTextFiles({a, a}, out_).status, TextCombineResult::Done);
        QVERIFY(!QFileInfo(out_).isSymLink());
        QCOMPARE(read(out_), QByteArray("old\r\na\r\na\r\n"));
        QCOMPARE(read(target), QByteArray("old\r\n"));

        // A combine that fails puts the link back as it was.
        QFile::remove(out_);
        QVERIFY(QFile::link(target, out_));
        QCOMPARE(combineTextFiles({a, dir_->filePath(QStringLiteral("missing.txt"))}, out_).status,
                 TextCombineResult::ReadFailed);
        QCOMPARE(QFileInfo(out_).symLinkTarget(), target);

        const QString dangling = dir_->filePath(QStringLiteral("dangling.txt"));
        QFile::remove(out_);
        QVERIFY(QFile::link(dangling, out_));
        QCOMPARE(combineTextFiles({a, a}, out_).status, TextCombineResult::Done);
        QVERIFY(!QFileInfo::exists(dangling));
        QCOMPARE(read(out_), QByteArray("a\r\na\r\n"));

        // Word work never gets as far as starting an office.
        struct NoOffice final : Office {
            int started = 0;
            std::unique_ptr<WordApplication> newWord() override { return ++started, nullptr; }
            std::unique_ptr<ExcelApplication> newExcel() override { return ++started, nullptr; }
        } office;
        // The reason both kinds give, or what went wrong.
        auto refused = [&](const QString& output) {
            const TextCombineResult r = combineTextFiles({a, a}, output);
            QString word;
            try {
                combineWord(office, {a, a}, output);
            } catch (const OfficeError& e) {
                word = e.what();
            }
            if (office.started != 0 || r.status != TextCombineResult::WriteFailed || word != r.reason)
                return QStringLiteral("<not refused alike: %1, %2>").arg(r.status).arg(word);
            return r.reason;
        };
        const QString fifo = dir_->filePath(QStringLiteral("fifo.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(refused(fifo), QStringLiteral("通常のファイルではありません。"));
        QCOMPARE(refused(dir_->path()), QStringLiteral("同じ名前のフォルダがあります。"));

        if (::getuid() != 0)
            QSKIP("a folder of another user needs root to make");
        const QString theirs = dir_->filePath(QStringLiteral("theirs"));
        QVERIFY(QDir().mkpath(theirs));
        const QString victim = theirs + QStringLiteral("/victim.txt");
        write(QStringLiteral("theirs/victim.txt"), "victim\n");
        QCOMPARE(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
        QFile::remove(out_);
        QVERIFY(QFile::link(victim, out_));
        QVERIFY(refused(out_).contains(victim));
        QCOMPARE(read(victim), QByteArray("victim\n"));
        QVERIFY(QFileInfo(out_).isSymLink());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString out_;
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestCombine)
#include "test_combine.moc"
