// Start-up and settings: the store file, the settings record, start-up order, the probes.
#include "app/IniFormat.h"
#include "app/Main.h"
#include "app/Paths.h"
#include "app/PlatformProbes.h"
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "app/TextValues.h"

#include <tuple>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "support/StoredKeys.h"
#include "support/Files.h"

using namespace kumiro;
using namespace kumiro::test;
using test::readFile;
using test::writeFile;

namespace {

// Every key of the file, "Section/Key" -> value, as a fresh reader sees it.
QSettings::SettingsMap fileKeys(const QString& path)
{
    return parseIni(readFile(path)).map;
}

const ScreenTwips kScreen{15360, 11520};

} // namespace

class TestApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("config")));
        programFolder_ = dir_->filePath(QStringLiteral("prog"));
        QDir().mkpath(programFolder_);
    }

    void iniRoundTripKeepsValuesAndPlainKeys()
    {
        const QList<QPair<QString, QString>> values = {
            {QStringLiteral("DataFol(2)"), QStringLiteral("/home/花子/データ フォルダ")},
            {QStringLiteral("OptTkaku(1,0)"), QStringLiteral("*.log")},
            {QStringLiteral("OptTkaku(2,0)"), QStringLiteral(" ")}, // one blank
            {QStringLiteral("OptTkaku(3,0)"), QStringLiteral("\u3000")}, // ideographic
            {QStringLiteral("KumiroFile(0)"), QStringLiteral("a=b;c#d")},
            {QStringLiteral("KumiroFile(1)"), QStringLiteral("C:\\Data\\新しい\\")},
            {QStringLiteral("KumiroFile(2)"), QStringLiteral("\"quoted\" \\n not a newline")},
            {QStringLiteral("FolderName(0)"), QStringLiteral("line1\r\rline2\n\t end ")},
            {QStringLiteral("FolderName(1)"), QStringLiteral("; looks like a comment")},
            {QStringLiteral("FolderName(2)"), QStringLiteral("[looks like a section]")},
        };
        for (const auto& [key, value] : values)
            QVERIFY(store_->save(kAppTitle, kSectionKumiro, key, value));

        const QByteArray file = readFile(store_->filePath(kAppTitle));
        QVERIFY2(file.contains("OptTkaku(1,0)=*.log\n"), file.constData());
        QVERIFY(file.contains(QStringLiteral("DataFol(2)=/home/花子/データ フォルダ\n").toUtf8()));
        QVERIFY(file.contains("KumiroFile(1)=C:\\Data\\"));
        QVERIFY(file.startsWith("[Kumiro]\n"));

        SettingsStore fresh(dir_->filePath(QStringLiteral("config")));
        for (const auto& [key, value] : values)
            QCOMPARE(fresh.read(kAppTitle, kSectionKumiro, key), value);
        QCOMPARE(fresh.read(kAppTitle, kSectionKumiro, QStringLiteral("Missing(0)")), QString());
    }

    void iniWriterLeavesOutKeysItCannotWritePlainly()
    {
        QSettings::SettingsMap map;
        map.insert(QStringLiteral("Kumiro/a=b"), QStringLiteral("x"));
        map.insert(QStringLiteral("Kumiro/tab\there"), QStringLiteral("x"));
        map.insert(QStringLiteral("Odd]Section/key"), QStringLiteral("x"));
        map.insert(QStringLiteral("Kumiro/KumiroFile(0)"), QStringLiteral("kept"));
        QByteArray out;
        QCOMPARE(writeIni(map, out), 3);
        QCOMPARE(out, QByteArray("[Kumiro]\nKumiroFile(0)=kept\n"));
    }

    // Whatever the reader keeps of a hostile file, the writer writes and reads back the
    // same: one bad line never makes every later save fail.
    void iniReaderKeepsOnlyWhatTheWriterCanWrite()
    {
        QList<QByteArray> files = {
            QByteArray("[Kumiro]\nke\x01y=1\nok=2\n[a]b]\nunder=3\n[Config]\nOptDbl=1\n"),
            QByteArray("[Kumiro]\nk\tey=1\n\x7f=2\n[sec\x1btion]\nx=1\n"),
        };
        QRandomGenerator random(12);
        for (int n = 0; n < 300; ++n) {
            QByteArray bytes(int(random.bounded(400)), Qt::Uninitialized);
            for (char& c : bytes)
                c = "[]=\"\\;# \t\r\nab/\x01\x7f\xff\xe3\x80\x80"[random.bounded(21)];
            files << bytes;
        }
        for (const QByteArray& bytes : files) {
            const IniParseResult first = parseIni(bytes);
            QByteArray written;
            const int skipped = writeIni(first.map, written);
            QCOMPARE(skipped, 0);
            const IniParseResult again = parseIni(written);
            QVERIFY2(!again.broken(), written.constData());
            QCOMPARE(again.map, first.map);
        }
        const auto kept = parseIni(files[0]).map;
        QCOMPARE(kept.value(QStringLiteral("Kumiro/ok")).toString(), QStringLiteral("2"));
        QCOMPARE(kept.value(QStringLiteral("Config/OptDbl")).toString(), QStringLiteral("1"));
        QCOMPARE(kept.size(), 2);
    }

    void brokenFileIsSavedOverAndCopiedOnce()
    {
        const QString path = store_->filePath(kAppTitle);
        const QByteArray broken("[Kumiro]\nKumiroFile(2)=Mine\nbad\x01key=1\n[x]y]\nz=1\n");
        for (int start = 0; start < 3; ++start) {
            writeFile(path, broken); // as if every save had been lost
            SettingsStore store(dir_->filePath(QStringLiteral("config")));
            QCOMPARE(store.read(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(2)")), QStringLiteral("Mine"));
            QVERIFY(store.save(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(0)"), QStringLiteral("W")));
            QVERIFY(!store.hadWriteError());
            QCOMPARE(readFile(store.brokenCopy(kAppTitle)), broken);
        }
        QCOMPARE(QDir(QFileInfo(path).path()).entryList({QStringLiteral("*.broken-*")}).size(), 1);
        QVERIFY(!parseIni(readFile(path)).broken());
    }

    // A settings file that is a link to something that is not Kumiro's settings is never
    // written through: the link is set aside and its target stays byte for byte. A FIFO
    // there is neither read (it would block) nor written.
    void settingsThroughLinksAndSpecialFiles()
    {
        const QString path = store_->filePath(kAppTitle);
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QString foreign = dir_->filePath(QStringLiteral("foreign.conf"));
        const QByteArray text("root:x:0:0:root:/root:/bin/bash\n\x01not settings\n");
        writeFile(foreign, text);
        QVERIFY(QFile::link(foreign, path));
        {
            SettingsStore store(dir_->filePath(QStringLiteral("config")));
            QCOMPARE(store.read(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(2)")), QString());
            QVERIFY(store.save(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(0)"), QStringLiteral("W")));
            QCOMPARE(QFileInfo(store.brokenCopy(kAppTitle)).symLinkTarget(), foreign);
        }
        QCOMPARE(readFile(foreign), text);
        QVERIFY(!QFileInfo(path).isSymLink());
        QVERIFY(!parseIni(readFile(path)).broken());

        QFile::remove(path);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        SettingsStore store(dir_->filePath(QStringLiteral("config")));
        QCOMPARE(store.read(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(2)")), QString());
        QVERIFY(!store.save(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(0)"), QStringLiteral("W")));
        QVERIFY(store.hadWriteError());
        QCOMPARE(store.refusal(kAppTitle), QStringLiteral("通常のファイルではありません。"));
        QCOMPARE(store.read(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(0)")), QStringLiteral("W"));

        // The user's own link that points at nothing: its target is never made, the
        // defaults are used, and the reason names both.
        QFile::remove(path);
        const QString nowhere = dir_->filePath(QStringLiteral("nowhere.ini"));
        QVERIFY(QFile::link(nowhere, path));
        SettingsStore dangling(dir_->filePath(QStringLiteral("config")));
        QVERIFY(!dangling.save(kAppTitle, kSectionKumiro, QStringLiteral("KumiroFile(0)"), QStringLiteral("W")));
        QVERIFY(dangling.hadWriteError());
        QVERIFY2(dangling.refusal(kAppTitle).contains(nowhere), qPrintable(dangling.refusal(kAppTitle)));
        QVERIFY(!QFileInfo::exists(nowhere));
        QCOMPARE(QFileInfo(path).symLinkTarget(), nowhere);
    }

    void brokenStoreEndsInDefaultsAndKeepsTheOriginal()
    {
        const QString path = store_->filePath(kAppTitle);
        static const char raw[] = "[Config]\nOptDbl=1\n\xff\xfe\x00garbage without equals\n"
                                  "[Position\nF_Width=\"unterminated\n[Kumiro]\nKumiroFile(2)=Mine\n";
        const QByteArray garbage(raw, sizeof(raw) - 1);
        writeFile(path, garbage);

        ProgramState state(*store_, programFolder_);
        Main(state, MainWindows{{}, {}, [] { return kScreen; }, {}});

        // What could be read survives, the rest is the default.
        QCOMPARE(state.set.OptDbl, QStringLiteral("1"));
        QCOMPARE(state.set.KumiroFile[2], QStringLiteral("Mine"));
        QCOMPARE(state.set.F_Width, QStringLiteral("12000"));
        QCOMPARE(state.set.KumiroFile[0], QStringLiteral("NewWord"));

        const QString copy = store_->brokenCopy(kAppTitle);
        QVERIFY(!copy.isEmpty());
        QCOMPARE(readFile(copy), garbage);
        QVERIFY(!parseIni(readFile(path)).broken());
    }

    void firstRunWritesEveryDefaultAndNothingElse()
    {
        ProgramState state(*store_, programFolder_);
        Main(state, MainWindows{{}, {}, [] { return kScreen; }, {}});

        const QString prog = programFolder_;
        QSettings::SettingsMap expected;
        auto put = [&](const QString& section, const QString& key, const QString& value) {
            expected.insert(section + u'/' + key, value);
        };
        put(kSectionConfig, QStringLiteral("OptLogo"), QStringLiteral("1"));
        put(kSectionConfig, QStringLiteral("OptDbl"), QStringLiteral("0"));
        put(kSectionConfig, QStringLiteral("OptLAct"), QStringLiteral("1"));
        put(kSectionConfig, QStringLiteral("OptLATab"), QStringLiteral("0"));
        put(kSectionPosition, QStringLiteral("OptCent"), QStringLiteral("0"));
        put(kSectionPosition, QStringLiteral("F_Height"), QStringLiteral("9000"));
        put(kSectionPosition, QStringLiteral("F_Width"), QStringLiteral("12000"));
        const char* names[] = {"NewWord", "NewExcel", "NewText"};
        for (int i = 0; i < 3; ++i) {
            put(kSectionKumiro, kindKey(QStringLiteral("KumiroFile"), i), QString::fromLatin1(names[i]));
            put(kSectionKumiro, kindKey(QStringLiteral("OptDouki"), i), QStringLiteral("0"));
            put(kSectionKumiro, kindKey(QStringLiteral("DataFol"), i), prog);
            put(kSectionKumiro, kindKey(QStringLiteral("FolderName"), i), prog);
        }
        for (int i = 0; i < 2; ++i) {
            put(kSectionKumiro, tableKey(QStringLiteral("OptWkaku"), i, 1), QStringLiteral("1"));
            put(kSectionKumiro, tableKey(QStringLiteral("OptEkaku"), i, 1), QStringLiteral("1"));
        }
        put(kSectionKumiro, QStringLiteral("OptTkaku(0,1)"), QStringLiteral("1"));
        // The later formats: listed by default, and the output formats of old.
        for (int i = 2; i < 4; ++i)
            put(kSectionKumiro, tableKey(QStringLiteral("OptWkaku"), i, 1), QStringLiteral("1"));
        for (int i = 2; i < 5; ++i)
            put(kSectionKumiro, tableKey(QStringLiteral("OptEkaku"), i, 1), QStringLiteral("1"));
        put(kSectionKumiro, QStringLiteral("KumiroExt(0)"), QStringLiteral("doc"));
        put(kSectionKumiro, QStringLiteral("KumiroExt(1)"), QStringLiteral("xls"));

        QCOMPARE(fileKeys(store_->filePath(kAppTitle)), expected);
        QCOMPARE(state.set.OptWkaku[3][0], QStringLiteral("*.odt"));
        QCOMPARE(state.set.OptEkaku[3][0], QStringLiteral("*.xlsm"));

        // The record: centred edges in memory only, fixed patterns, empty user patterns.
        QCOMPARE(state.set.G_Left, QStringLiteral("1680"));
        QCOMPARE(state.set.G_Top, QStringLiteral("1260"));
        QCOMPARE(state.set.OptWkaku[1][0], QStringLiteral("*.rtf"));
        QCOMPARE(state.set.OptEkaku[1][0], QStringLiteral("*.csv"));
        QCOMPARE(state.set.OptTkaku[0][0], QStringLiteral("*.txt"));
        for (int i = 1; i < 6; ++i) {
            QVERIFY(state.set.OptTkaku[i][0].isEmpty());
            QVERIFY(state.set.OptTkaku[i][1].isEmpty());
        }
        QCOMPARE(state.AppTitle, QStringLiteral("kumiro"));
        QCOMPARE(state.HelpFile, QDir(prog).filePath(kHelpFileName));
        QVERIFY(!state.Order.isConfirmed());
        QCOMPARE(QDir::currentPath(), QDir(prog).absolutePath());
    }

    void storedValuesWinOverDefaults_data()
    {
        QTest::addColumn<QString>("storedTop");
        QTest::addColumn<QString>("expectedTop");
        QTest::newRow("negative top is centred") << "-30"
                                                 << "1260";
        QTest::newRow("zero stays") << "0"
                                    << "0";
        QTest::newRow("empty is centred") << ""
                                          << "1260";
        QTest::newRow("garbage reads as 0 and stays") << "abc"
                                                      << "abc";
    }

    void storedValuesWinOverDefaults()
    {
        QFETCH(QString, storedTop);
        QFETCH(QString, expectedTop);
        store_->save(kAppTitle, kSectionPosition, QStringLiteral("G_Top"), storedTop);
        store_->save(kAppTitle, kSectionPosition, QStringLiteral("F_Height"), QStringLiteral(""));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("OptDouki(1)"), QStringLiteral("1"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("DataFol(1)"), QStringLiteral("/srv/xls"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("FolderName(1)"), QStringLiteral("/old"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("FolderName(2)"), QStringLiteral("/out"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("OptTkaku(2,0)"), QStringLiteral("*.log"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("OptTkaku(2,1)"), QStringLiteral("2"));

        ProgramState state(*store_, programFolder_);
        Main(state, MainWindows{{}, {}, [] { return kScreen; }, {}});

        QCOMPARE(state.set.G_Top, expectedTop);
        QCOMPARE(store_->read(kAppTitle, kSectionPosition, QStringLiteral("G_Top")), storedTop);
        // An empty stored value is treated as missing: the default is written back.
        QCOMPARE(store_->read(kAppTitle, kSectionPosition, QStringLiteral("F_Height")), QStringLiteral("9000"));
        // A synchronised output folder follows the data folder, in the store too.
        QCOMPARE(state.set.FolderName[1], QStringLiteral("/srv/xls"));
        QCOMPARE(store_->read(kAppTitle, kSectionKumiro, QStringLiteral("FolderName(1)")), QStringLiteral("/srv/xls"));
        QCOMPARE(state.set.FolderName[2], QStringLiteral("/out"));
        QCOMPARE(state.set.OptTkaku[2][0], QStringLiteral("*.log"));
        QVERIFY(!isOn(state.set.OptTkaku[2][1]));
    }

    void installedProgramFallsBackToTheDocumentsFolder()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(fallbackFolder(programFolder_, true), programFolder_);
        QCOMPARE(fallbackFolder(programFolder_, false), documents);
        QVERIFY(QFileInfo(documents).isDir());
        QVERIFY(isWritableFolder(programFolder_));
        QStandardPaths::setTestModeEnabled(false);

        // Every default that would be the program folder is the fallback instead.
        ProgramState state(*store_, programFolder_);
        state.FallbackFolder = dir_->filePath(QStringLiteral("Documents"));
        Main(state, MainWindows{{}, {}, [] { return kScreen; }, {}});
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(state.set.DataFol[k], state.FallbackFolder);
            QCOMPARE(state.set.FolderName[k], state.FallbackFolder);
        }
        QCOMPARE(state.HelpFile, QDir(programFolder_).filePath(kHelpFileName));
    }

    void centredEdgeFollowsTheWindowSize()
    {
        QCOMPARE(centredEdge(15360, QStringLiteral("12000")), QStringLiteral("1680"));
        QCOMPARE(centredEdge(15360, QStringLiteral("12001")), QStringLiteral("1679.5"));
        // A window larger than the screen gives a negative edge, used unchanged.
        QCOMPARE(centredEdge(15360, QStringLiteral("20000")), QStringLiteral("-2320"));
        QCOMPARE(centredEdge(15360, QStringLiteral("wide")), QStringLiteral("7680"));
    }

    void flagsAndNumbers()
    {
        QVERIFY(isOn(QStringLiteral("1")));
        for (const char* off : {"0", "2", "", " 1", "1 ", "01", "true"})
            QVERIFY2(!isOn(QString::fromLatin1(off)), off);

        QCOMPARE(leadingNumber(QStringLiteral("  -30px")), -30.0);
        QCOMPARE(leadingNumber(QStringLiteral("12.5.3")), 12.5);
        QCOMPARE(leadingNumber(QStringLiteral("x12")), 0.0);
        QCOMPARE(leadingNumber(QStringLiteral("-")), 0.0);

        QCOMPARE(toInt16(QStringLiteral("9000")), std::optional<qint16>(9000));
        QCOMPARE(toInt16(QStringLiteral(" 32767 ")), std::optional<qint16>(32767));
        QCOMPARE(toInt16(QStringLiteral("2.5")), std::optional<qint16>(2)); // half to even
        QCOMPARE(toInt16(QStringLiteral("3.5")), std::optional<qint16>(4));
        QVERIFY(!toInt16(QStringLiteral("32768")));
        QVERIFY(!toInt16(QStringLiteral("-40000")));
        QVERIFY(!toInt16(QStringLiteral("9000px")));
        QVERIFY(!toInt16(QStringLiteral("")));
    }

    // A settings file from before the later formats loads as it was and gains them; a
    // format the program cannot write falls back to the default in memory only.
    void olderSettingsGainTheLaterFormats()
    {
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("OptWkaku(0,1)"), QStringLiteral("0"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("OptEkaku(1,1)"), QStringLiteral("0"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("KumiroExt(1)"), QStringLiteral("wk1"));
        store_->save(kAppTitle, kSectionKumiro, QStringLiteral("KumiroExt(0)"), QStringLiteral("PDF"));
        ProgramState state(*store_, programFolder_);
        Main(state, MainWindows{{}, {}, [] { return kScreen; }, {}});
        QCOMPARE(state.set.OptWkaku[0][1], QStringLiteral("0"));
        QCOMPARE(state.set.OptEkaku[1][1], QStringLiteral("0"));
        QCOMPARE(state.set.OptWkaku[2][1], QStringLiteral("1"));
        QCOMPARE(state.set.OptEkaku[4][1], QStringLiteral("1"));
        QCOMPARE(store_->read(kAppTitle, kSectionKumiro, QStringLiteral("OptEkaku(4,1)")), QStringLiteral("1"));
        QCOMPARE(state.set.KumiroExt[1], QStringLiteral("xls"));
        QCOMPARE(store_->read(kAppTitle, kSectionKumiro, QStringLiteral("KumiroExt(1)")), QStringLiteral("wk1"));
        QCOMPARE(state.set.KumiroExt[0], QStringLiteral("pdf"));
        state.set.FolderName[Kind::Word] = QStringLiteral("/out");
        QCOMPARE(outputPathOf(state.set, Kind::Word), QStringLiteral("/out/NewWord.pdf"));
        QCOMPARE(outputPathOf(state.set, Kind::Text), QDir(programFolder_).filePath(QStringLiteral("NewText.txt")));
    }

    void outputPathsJoinWithOneSeparator()
    {
        SettingsRecord s;
        s.FolderName = {{QStringLiteral("/"), QStringLiteral("/data/"), QStringLiteral("/data")}};
        s.KumiroFile = {{QStringLiteral("NewWord"), QStringLiteral("NewExcel"), QStringLiteral("出力")}};
        QCOMPARE(outputPathOf(s, Kind::Word), QStringLiteral("/NewWord.doc"));
        QCOMPARE(outputPathOf(s, Kind::Excel), QStringLiteral("/data/NewExcel.xls"));
        QCOMPARE(outputPathOf(s, Kind::Text), QStringLiteral("/data/出力.txt"));
        s.FolderName[Kind::Text] = QStringLiteral("/");
        QCOMPARE(outputPathOf(s, Kind::Text), QStringLiteral("/出力.txt"));
    }

    // Every key is saved under the name and section the settings file has always used,
    // from the record member of the same name.
    void keyTableSavesEachMemberUnderItsStoredName()
    {
        struct Stored {
            Key key;
            int i, j;
            QString section, name;
        };
        QList<Stored> all = {{Key::OptLogo, -1, -1, kSectionConfig, QStringLiteral("OptLogo")},
                             {Key::OptDbl, -1, -1, kSectionConfig, QStringLiteral("OptDbl")},
                             {Key::OptLAct, -1, -1, kSectionConfig, QStringLiteral("OptLAct")},
                             {Key::OptLATab, -1, -1, kSectionConfig, QStringLiteral("OptLATab")},
                             {Key::OptCent, -1, -1, kSectionPosition, QStringLiteral("OptCent")},
                             {Key::F_Height, -1, -1, kSectionPosition, QStringLiteral("F_Height")},
                             {Key::F_Width, -1, -1, kSectionPosition, QStringLiteral("F_Width")},
                             {Key::G_Left, -1, -1, kSectionPosition, QStringLiteral("G_Left")},
                             {Key::G_Top, -1, -1, kSectionPosition, QStringLiteral("G_Top")}};
        const std::array<std::pair<Key, const char*>, 4> perKind = {{{Key::KumiroFile, "KumiroFile"},
                                                                     {Key::OptDouki, "OptDouki"},
                                                                     {Key::DataFol, "DataFol"},
                                                                     {Key::FolderName, "FolderName"}}};
        for (const auto& [key, prefix] : perKind)
            for (int i = 0; i < 3; ++i)
                all.append({key, i, -1, kSectionKumiro, kindKey(QLatin1String(prefix), i)});
        for (int i = 0; i < 2; ++i)
            all.append({Key::KumiroExt, i, -1, kSectionKumiro, kindKey(QStringLiteral("KumiroExt"), i)});
        for (const auto& [key, prefix, rows] :
             {std::tuple{Key::OptWkaku, "OptWkaku", 4}, std::tuple{Key::OptEkaku, "OptEkaku", 5},
              std::tuple{Key::OptTkaku, "OptTkaku", 6}})
            for (int i = 0; i < rows; ++i)
                for (int j = 0; j < 2; ++j)
                    all.append({key, i, j, kSectionKumiro, tableKey(QLatin1String(prefix), i, j)});

        SettingsRecord rec;
        for (const Stored& s : all)
            valueOf(rec, s.key, s.i, s.j) = QStringLiteral("v:") + s.name;
        // Each value went to its own member.
        QCOMPARE(rec.OptDbl, QStringLiteral("v:OptDbl"));
        QCOMPARE(rec.G_Top, QStringLiteral("v:G_Top"));
        QCOMPARE(rec.FolderName[Kind::Excel], QStringLiteral("v:FolderName(1)"));
        QCOMPARE(rec.OptEkaku[1][0], QStringLiteral("v:OptEkaku(1,0)"));
        QCOMPARE(rec.OptTkaku[5][1], QStringLiteral("v:OptTkaku(5,1)"));
        for (const Stored& s : all) {
            QVERIFY(saveSetting(*store_, kAppTitle, rec, s.key, s.i, s.j));
            QCOMPARE(store_->read(kAppTitle, s.section, s.name), QStringLiteral("v:") + s.name);
        }
    }

    void kindsFromStoredNumbers()
    {
        QCOMPARE(kindOf(0), Kind::Word);
        QCOMPARE(kindOf(1), Kind::Excel);
        for (int stored : {2, 3, 255, -1})
            QCOMPARE(kindOf(stored), Kind::Text);
        QCOMPARE(kindInfo(Kind::Excel).outputFormats.first().extension, QStringLiteral("xls"));
        QCOMPARE(kindInfo(Kind::Text).captionSuffix, QStringLiteral(" ( Text ﾌｧｲﾙ 編 )"));
    }

    void splashComesAfterOptLogoAndBeforeEverythingElse()
    {
        ProgramState state(*store_, programFolder_);
        QStringList events;
        MainWindows windows;
        windows.showSplashModal = [&] {
            // Nothing after OptLogo has been read or written yet.
            QVERIFY(state.set.OptDbl.isEmpty());
            QVERIFY(store_->read(kAppTitle, kSectionConfig, QStringLiteral("OptDbl")).isEmpty());
            events << QStringLiteral("splash");
        };
        windows.showMainWindow = [&] {
            QCOMPARE(state.set.KumiroFile[0], QStringLiteral("NewWord"));
            events << QStringLiteral("main");
        };
        windows.screen = [] { return kScreen; };
        Main(state, windows);
        QCOMPARE(events, QStringList({QStringLiteral("splash"), QStringLiteral("main")}));

        // With the splash switched off, start-up goes straight to the main window.
        store_->save(kAppTitle, kSectionConfig, QStringLiteral("OptLogo"), QStringLiteral("0"));
        ProgramState again(*store_, programFolder_);
        events.clear();
        windows.showSplashModal = [&] { events << QStringLiteral("splash"); };
        windows.showMainWindow = [&] { events << QStringLiteral("main"); };
        Main(again, windows);
        QCOMPARE(events, QStringList({QStringLiteral("main")}));

        // Asked to end during the splash: nothing more is read, written or shown.
        store_->save(kAppTitle, kSectionConfig, QStringLiteral("OptLogo"), QStringLiteral("1"));
        ProgramState ended(*store_, programFolder_);
        events.clear();
        bool signalled = false;
        windows.showSplashModal = [&] { signalled = true; };
        windows.askedToEnd = [&] { return signalled; };
        Main(ended, windows);
        QVERIFY(events.isEmpty());
        QVERIFY(ended.set.KumiroFile[0].isEmpty());
    }

    void unwritableStoreIsReported()
    {
        // A plain file where the store's folder should be: no user, root included, can
        // write there.
        const QString path = store_->filePath(kAppTitle);
        writeFile(QFileInfo(path).absolutePath(), "in the way");
        QVERIFY(!store_->hadWriteError());
        QVERIFY(!store_->save(kAppTitle, kSectionConfig, QStringLiteral("OptDbl"), QStringLiteral("1")));
        QVERIFY(store_->hadWriteError());
        QCOMPARE(readFile(QFileInfo(path).absolutePath()), QByteArray("in the way"));
    }

    void windowsEditionTable_data()
    {
        QTest::addColumn<uint>("platform");
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::addColumn<QString>("name");
        QTest::newRow("95") << 1u << 4u << 0u << "Windows 95";
        QTest::newRow("98") << 1u << 4u << 10u << "Windows 98";
        QTest::newRow("Me") << 1u << 4u << 90u << "Windows Me";
        QTest::newRow("NT 4.0") << 2u << 4u << 0u << "Windows NT";
        QTest::newRow("NT 4.1") << 2u << 4u << 1u << "Windows NT";
        QTest::newRow("2000") << 2u << 5u << 0u << "Windows 2000";
        QTest::newRow("6.0 reads as 2000") << 2u << 6u << 0u << "Windows 2000";
        QTest::newRow("XP") << 2u << 5u << 1u << "Windows XP";
        QTest::newRow("6.1 reads as XP") << 2u << 6u << 1u << "Windows XP";
        QTest::newRow("Win32s") << 0u << 3u << 10u << "";
        QTest::newRow("unknown") << 3u << 5u << 1u << "";
    }

    void windowsEditionTable()
    {
        QFETCH(uint, platform);
        QFETCH(uint, major);
        QFETCH(uint, minor);
        QFETCH(QString, name);
        QCOMPARE(windowsNameFor(platform, major, minor), name);
    }

    void probesOnThisSystem()
    {
#ifndef _WIN32
        QCOMPARE(GetWindowsName(), QString());
        QString scheme;
        ReadAppearanceScheme(scheme);
        QCOMPARE(scheme, QString());
#endif
        QByteArray buffer("Windows Standard\0\0\0", 19);
        QCOMPARE(schemeFromValue(buffer, 17), QStringLiteral("Windows Standard"));
        QCOMPARE(schemeFromValue(buffer, 1), QString());
        QCOMPARE(schemeFromValue(buffer, 0), QString());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    QString programFolder_;
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestApp)
#include "test_app.moc"
