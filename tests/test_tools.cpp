// The data tools: copy, rename, delete and backup, as plain functions and through the window.
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "mainwin/KUMIRO.h"
#include "support/Controls.h"
#include "support/MainWindow.h"
#include "mainwin/OfficeRunner.h"
#include "support/ScriptedPlatform.h"
#include "tools/dialogs/FILESCOPY.h"
#include "tools/dialogs/Backup.h"
#include "app/HelpTopics.h"
#include "tools/dialogs/MediumDialog.h"
#include "platform/ReplaceFile.h"
#include "tools/FileTools.h"
#include "tools/dialogs/RENAME.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "support/Files.h"

using namespace kumiro;
using test::readFile;
using test::writeFile;

namespace {

} // namespace

class TestTools : public QObject {
    Q_OBJECT

    QString at(const QString& name) const { return dir_->filePath(name); }
    // The backup finds these disks, named by their folders.
    void mediaAre(KUMIRO& w, const QStringList& names) const
    {
        QList<Volume> media;
        for (const QString& name : names)
            media.append({at(name), name});
        w.backupMedia = [media] { return media; };
    }

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<SettingsStore>(at(QStringLiteral("config")));
        state_ = std::make_unique<ProgramState>(*store_, dir_->path());
        state_->AppTitle = QStringLiteral("kumiro");
        state_->HelpFile = at(QStringLiteral("KUMIRO.html"));
        state_->set.F_Height = QStringLiteral("9000");
        state_->set.F_Width = QStringLiteral("12000");
        state_->set.KumiroFile = {QStringLiteral("NewWord"), QStringLiteral("NewExcel"), QStringLiteral("NewText")};
        state_->set.FolderName = {at(QStringLiteral("out")), at(QStringLiteral("out")) + u'/', dir_->path()};
        QDir().mkpath(at(QStringLiteral("out")));
        QDir().mkpath(at(QStringLiteral("data")));
        QDir().mkpath(at(QStringLiteral("floppy")));
        platform_ = std::make_unique<test::ScriptedPlatform>();
        office_ =
            std::make_unique<OfficeRunner>(platform_->messages, [this] { return loadOffice(state_->ProgramFolder); });
    }

    void copyRenameAndDeleteAsFunctions()
    {
        const QString a = at(QStringLiteral("data/a.doc"));
        writeFile(a, "A");
        QCOMPARE(resolveBeside(a, QStringLiteral("b.doc")), at(QStringLiteral("data/b.doc")));
        QCOMPARE(resolveBeside(a, QStringLiteral("/x/b.doc")), QStringLiteral("/x/b.doc"));

        writeFile(at(QStringLiteral("data/b.doc")), "old B");
        QVERIFY(copyReplacing(a, at(QStringLiteral("data/b.doc"))).ok);
        QCOMPARE(readFile(at(QStringLiteral("data/b.doc"))), QByteArray("A"));
        QCOMPARE(readFile(a), QByteArray("A"));
        QVERIFY(!copyReplacing(a, a).ok);
        QVERIFY(!copyReplacing(a, at(QStringLiteral("data/../data/a.doc"))).ok);
        const FileResult noFolder = copyReplacing(a, at(QStringLiteral("gone/a.doc")));
        QVERIFY(!noFolder.ok && !noFolder.reason.isEmpty());
        QCOMPARE(QDir(at(QStringLiteral("data"))).entryList(QDir::Files | QDir::Hidden).size(), 2); // no leftovers

        // A rename never replaces a file: both stay.
        const FileResult taken = renameKeeping(a, at(QStringLiteral("data/b.doc")));
        QVERIFY(!taken.ok);
        QCOMPARE(readFile(a), QByteArray("A"));
        QCOMPARE(readFile(at(QStringLiteral("data/b.doc"))), QByteArray("A"));
        QVERIFY(renameKeeping(a, at(QStringLiteral("data/c.doc"))).ok);
        QVERIFY(!QFileInfo::exists(a));

        QVERIFY(deletePermanently(at(QStringLiteral("data/c.doc"))).ok);
        QVERIFY(!QFileInfo::exists(at(QStringLiteral("data/c.doc"))));
        QVERIFY(!deletePermanently(at(QStringLiteral("data/c.doc"))).ok);
    }

    // The user's copy over a file of the same name sends that file to the trash first, byte
    // for byte.
    void copyOverAFileKeepsTheOldOne()
    {
        const QString a = at(QStringLiteral("data/a.doc"));
        const QString b = at(QStringLiteral("data/b.doc"));
        writeFile(a, "A");
        writeFile(b, "old B");
        qputenv("XDG_DATA_HOME", QFile::encodeName(at(QStringLiteral("share"))));
        const FileResult r = copyKeepingOld(a, b);
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(r.ok);
        QCOMPARE(readFile(b), QByteArray("A"));
        QVERIFY2(r.oldFile.startsWith(at(QStringLiteral("share/Trash/files/"))), qPrintable(r.oldFile));
        QCOMPARE(readFile(r.oldFile), QByteArray("old B"));
        QVERIFY(oldFileText(b, r.oldFile).contains(QStringLiteral("ごみ箱")));
    }

    void copyAndRenameThroughTheirDialogs()
    {
        const QString a = at(QStringLiteral("data/a.doc"));
        writeFile(a, "A");
        KUMIRO w(*state_, platform_->platform, *office_);
        const test::MainWindowParts p(w);
        auto& shown = platform_->messages.shown;
        QString sourceShown;
        w.execModal = [&](QDialog& d) {
            // The label that shows the source says its name to a screen reader too.
            for (QLabel* label : d.findChildren<QLabel*>())
                if (!label->accessibleDescription().isEmpty())
                    sourceShown = label->accessibleDescription();
            QLineEdit* entry = d.findChild<QLineEdit*>();
            QPushButton* ok = test::named<QPushButton>(d, QStringLiteral("OK"));
            QVERIFY(entry->text().isEmpty());
            ok->click(); // empty entry: refused, the dialog stays
            QVERIFY(d.result() == 0);
            entry->setText(d.objectName() == u"FILESCOPY" ? QStringLiteral("copy.doc") : QStringLiteral("renamed.doc"));
            ok->click();
        };
        state_->set.OptTkaku[0] = {QStringLiteral("*.txt"), QStringLiteral("1")};
        state_->set.OptTkaku[1] = {QStringLiteral("*.log"), QStringLiteral("1")};
        platform_->files.answers = {{a}};
        p.tool(QStringLiteral("ｺﾋﾟｰ"))->trigger();
        QCOMPARE(platform_->files.requests.last().title, QStringLiteral("ｺﾋﾟｰするﾌｧｲﾙを選択"));
        // Every format the kinds read or write is offered, and the Text patterns switched on.
        // Each kind's alone too, and every file.
        QCOMPARE(platform_->files.requests.last().filter,
                 QStringLiteral("(*.doc;*.rtf;*.docx;*.odt;*.pdf;*.xls;*.csv;*.xlsx;*.xlsm;*.ods;*.txt;*.log)|"
                                "*.doc;*.rtf;*.docx;*.odt;*.pdf;*.xls;*.csv;*.xlsx;*.xlsm;*.ods;*.txt;*.log|"
                                "Word (*.doc;*.rtf;*.docx;*.odt;*.pdf)|*.doc;*.rtf;*.docx;*.odt;*.pdf|"
                                "Excel (*.xls;*.csv;*.xlsx;*.xlsm;*.ods)|*.xls;*.csv;*.xlsx;*.xlsm;*.ods|"
                                "Text (*.txt;*.log)|*.txt;*.log|すべてのファイル (*.*)|*|"));
        QCOMPARE(platform_->files.requests.last().initialFolder, dir_->path());
        QVERIFY(!platform_->files.requests.last().multiple);
        QCOMPARE(sourceShown, QStringLiteral("a.doc"));
        QCOMPARE(shown[0].title, QStringLiteral("入力確認"));
        QCOMPARE(shown[0].text, QStringLiteral("コピー先が入力されていません。　"));
        QCOMPARE(shown[1].title, QStringLiteral("複写確認"));
        QCOMPARE(shown[1].text, QStringLiteral("ファイルをコピーしました。　"));
        QCOMPARE(readFile(at(QStringLiteral("data/copy.doc"))), QByteArray("A"));

        platform_->files.answers = {{a}};
        p.menu(QStringLiteral("名前の変更(&R)..."))->trigger();
        QCOMPARE(shown[2].title, QStringLiteral("ﾌｧｲﾙ名入力確認"));
        QCOMPARE(shown[3].text, QStringLiteral("ファイル名を変更しました。　"));
        QVERIFY(QFileInfo::exists(at(QStringLiteral("data/renamed.doc"))));
        QVERIFY(!QFileInfo::exists(a));

        // Cancel in the file dialog: nothing at all.
        platform_->files.answers = {{}};
        p.menu(QStringLiteral("ｺﾋﾟｰ(&C)..."))->trigger();
        QCOMPARE(shown.size(), 4);

        // An installed program's folder is not the user's: the dialog opens in the data folder.
        state_->FallbackFolder = at(QStringLiteral("out"));
        state_->CurKind = Kind::Excel;
        state_->set.DataFol[Kind::Excel] = at(QStringLiteral("data"));
        platform_->files.answers = {{}};
        p.menu(QStringLiteral("削除(&D)..."))->trigger();
        QCOMPARE(platform_->files.requests.last().initialFolder, at(QStringLiteral("data")));
    }

    void renameOntoAnExistingNameIsRefused()
    {
        writeFile(at(QStringLiteral("data/a.txt")), "A");
        writeFile(at(QStringLiteral("data/b.txt")), "B");
        RENAME dialog(at(QStringLiteral("data/a.txt")), state_->HelpFile, platform_->platform);
        dialog.findChild<QLineEdit*>()->setText(QStringLiteral("b.txt"));
        test::named<QPushButton>(dialog, QStringLiteral("OK"))->click();
        QCOMPARE(platform_->messages.shown.last().icon, MsgIcon::Critical);
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(readFile(at(QStringLiteral("data/a.txt"))), QByteArray("A"));
        QCOMPARE(readFile(at(QStringLiteral("data/b.txt"))), QByteArray("B"));
        test::named<QPushButton>(dialog, QStringLiteral("ヘルプ"))->click();
        QCOMPARE(platform_->help.calls.last().context, 23);
        FILESCOPY copy(at(QStringLiteral("data/a.txt")), state_->HelpFile, platform_->platform);
        test::named<QPushButton>(copy, QStringLiteral("ヘルプ"))->click();
        QCOMPARE(platform_->help.calls.last().context, 22);
    }

    // Delete asks first, then sends the file to the trash (the user's way back), and both
    // lists follow the folder: the file leaves them.
    void deleteAsksFirst()
    {
        const QString f = at(QStringLiteral("data/x.csv"));
        const QString g = at(QStringLiteral("data/y.csv"));
        writeFile(f, "x");
        writeFile(g, "y");
        state_->set.OptEkaku[1] = {QStringLiteral("*.csv"), QStringLiteral("1")};
        KUMIRO w(*state_, platform_->platform, *office_);
        const test::MainWindowParts p(w);
        w.openFiles({f, g});
        QCOMPARE(test::rows(p.left), (QStringList{QStringLiteral("x.csv"), QStringLiteral("y.csv")}));
        QCOMPARE(test::rows(p.right), (QStringList{QStringLiteral("x.csv"), QStringLiteral("y.csv")}));
        platform_->messages.shown.clear();
        platform_->files.answers = {{f}, {f}};
        platform_->messages.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
        qputenv("XDG_DATA_HOME", QFile::encodeName(at(QStringLiteral("share"))));
        p.menu(QStringLiteral("削除(&D)..."))->trigger();
        QVERIFY(QFileInfo::exists(f));
        QCOMPARE(platform_->messages.shown.size(), 1);
        QCOMPARE(platform_->messages.shown[0].text, QStringLiteral("指定されたﾌｧｲﾙを削除しますか？　"));
        p.tool(QStringLiteral("削除"))->trigger();
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(!QFileInfo::exists(f));
        QCOMPARE(readFile(at(QStringLiteral("share/Trash/files/x.csv"))), QByteArray("x"));
        QCOMPARE(test::rows(p.left), QStringList{QStringLiteral("y.csv")});
        QCOMPARE(test::rows(p.right), QStringList{QStringLiteral("y.csv")});
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("削除情報"));
        QCOMPARE(platform_->messages.shown.last().text, QStringLiteral("指定されたﾌｧｲﾙを削除しました。　"));
        QCOMPARE(platform_->files.requests.last().title, QStringLiteral("削除するﾌｧｲﾙを選択"));
    }

    void backupRetriesTheFailedStepOnly()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const test::MainWindowParts p(w);
        mediaAre(w, {QStringLiteral("floppy")});
        writeFile(at(QStringLiteral("floppy/NewWord.doc")), "previous backup");
        writeFile(at(QStringLiteral("out/NewExcel.xls")), "excel");
        auto& shown = platform_->messages.shown;
        // The Word output is missing: the disk message; before the retry the user "inserts
        // the disk" (here: the combine's output appears).
        int retries = 0;
        platform_->messages.onShow = [&](const test::ScriptedMessageBoxes::Shown& m) {
            if (m.text.startsWith(QStringLiteral("ドライブＡ")) && ++retries == 2)
                writeFile(at(QStringLiteral("out/NewWord.doc")), "word");
        };
        p.menu(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."))->trigger();
        QCOMPARE(shown[0].title, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ準備"));
        QCOMPARE(shown[0].text,
                 QStringLiteral("データのバックアップをとります。 フロッピーディスクをセットして下さい。　"));
        QCOMPARE(shown[1].text,
                 QStringLiteral("ドライブＡにフロッピーディスクがセットされていません。　\r\r"
                                "処理を続ける場合はフロッピーディスクをセットして下さい。　"));
        QCOMPARE(retries, 2);
        QCOMPARE(shown.last().title, QStringLiteral("終了確認"));
        QCOMPARE(shown.last().text, QStringLiteral("バックアップを完了しました。　"));
        QCOMPARE(readFile(at(QStringLiteral("floppy/NewWord.doc"))), QByteArray("word"));
        QCOMPARE(readFile(at(QStringLiteral("floppy/NewExcel.xls"))), QByteArray("excel"));
        QCOMPARE(QDir(at(QStringLiteral("floppy"))).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void backupCancelledCopiesNothingMore()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const test::MainWindowParts p(w);
        mediaAre(w, {QStringLiteral("floppy")});
        writeFile(at(QStringLiteral("out/NewExcel.xls")), "excel");
        writeFile(at(QStringLiteral("floppy/NewWord.doc")), "previous backup");
        platform_->messages.answers = {MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Cancel};
        p.menu(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."))->trigger();
        QCOMPARE(platform_->messages.shown.size(), 3);
        QVERIFY(!QFileInfo::exists(at(QStringLiteral("floppy/NewExcel.xls"))));
        QCOMPARE(readFile(at(QStringLiteral("floppy/NewWord.doc"))), QByteArray("previous backup"));
        // Cancel at the question: nothing at all.
        platform_->messages.shown.clear();
        platform_->messages.answers = {MsgAnswer::Cancel};
        p.menu(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."))->trigger();
        QCOMPARE(platform_->messages.shown.size(), 1);
    }

    // No disk: the disk message, and OK looks again. Several: the user picks one in the
    // chooser (OK on Return, キャンセル on Escape, which ends the backup without a word).
    void backupGoesToTheDiskTheUserHas()
    {
        KUMIRO w(*state_, platform_->platform, *office_);
        const test::MainWindowParts p(w);
        writeFile(at(QStringLiteral("out/NewWord.doc")), "word");
        writeFile(at(QStringLiteral("out/NewExcel.xls")), "excel");
        auto& shown = platform_->messages.shown;
        mediaAre(w, {});
        platform_->messages.onShow = [&](const test::ScriptedMessageBoxes::Shown& m) {
            if (m.text.startsWith(QStringLiteral("ドライブＡ")))
                mediaAre(w, {QStringLiteral("floppy")});
        };
        p.menu(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."))->trigger();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[1].text,
                 QStringLiteral("ドライブＡにフロッピーディスクがセットされていません。　\r\r"
                                "処理を続ける場合はフロッピーディスクをセットして下さい。　"));
        QCOMPARE(shown[2].text, QStringLiteral("バックアップを完了しました。　"));
        QCOMPARE(readFile(at(QStringLiteral("floppy/NewExcel.xls"))), QByteArray("excel"));

        platform_->messages.onShow = nullptr;
        QDir().mkpath(at(QStringLiteral("usb1")));
        QDir().mkpath(at(QStringLiteral("usb2")));
        mediaAre(w, {QStringLiteral("usb1"), QStringLiteral("usb2")});
        QStringList listed;
        w.execModal = [&](QDialog& d) {
            auto* disks = test::named<QListWidget>(d, QStringLiteral("ディスク名"));
            for (int i = 0; i < disks->count(); ++i)
                listed << disks->item(i)->text();
            QVERIFY(test::named<QPushButton>(d, QStringLiteral("OK"))->isDefault());
            test::named<QPushButton>(d, QStringLiteral("ヘルプ"))->click();
            d.show();
            disks->setCurrentRow(1);
            QTest::keyClick(disks, Qt::Key_Return);
        };
        shown.clear();
        p.tool(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ"))->trigger();
        QCOMPARE(listed.size(), 2);
        QVERIFY2(listed[1].contains(QStringLiteral("usb2")) && listed[1].contains(at(QStringLiteral("usb2"))),
                 qPrintable(listed[1]));
        QCOMPARE(platform_->help.calls.last().context, HelpTopic::Backup);
        QCOMPARE(readFile(at(QStringLiteral("usb2/NewWord.doc"))), QByteArray("word"));
        QVERIFY(QDir(at(QStringLiteral("usb1"))).isEmpty());
        QCOMPARE(shown.last().title, QStringLiteral("終了確認"));

        w.execModal = [&](QDialog& d) {
            d.show();
            QTest::keyClick(test::named<QListWidget>(d, QStringLiteral("ディスク名")), Qt::Key_Escape);
        };
        shown.clear();
        p.menu(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."))->trigger();
        QCOMPARE(shown.size(), 1);
        QVERIFY(QDir(at(QStringLiteral("usb1"))).isEmpty());
    }

    // A failed copy is asked for again; copies made are not made twice; giving up stops.
    void backupRetriesOnlyTheCopyThatFailed()
    {
        SettingsRecord s;
        s.KumiroFile = {{QStringLiteral("W"), QStringLiteral("E"), QStringLiteral("T")}};
        s.FolderName = {{QStringLiteral("/out"), QStringLiteral("/out"), QStringLiteral("/out")}};
        test::ScriptedMessageBoxes messages;
        QStringList tried;
        int failures = 2;
        const CopyFile flaky = [&](const QString& source, const QString&) {
            tried << source;
            return failures-- > 0 ? FileResult{false, QStringLiteral("no disk"), {}} : FileResult{};
        };
        const FindMedium disk = [] { return std::optional<QString>(QStringLiteral("/fd")); };
        QVERIFY(runBackup(s, disk, messages, nullptr, flaky));
        QCOMPARE(tried,
                 (QStringList{QStringLiteral("/out/W.doc"), QStringLiteral("/out/W.doc"), QStringLiteral("/out/W.doc"),
                              QStringLiteral("/out/E.xls")}));
        QCOMPARE(messages.shown.size(), 4); // ready?, twice "no disk", done
        QCOMPARE(messages.shown.last().text, QStringLiteral("バックアップを完了しました。　"));

        tried.clear();
        failures = 1;
        messages.shown.clear();
        messages.answers = {MsgAnswer::Ok, MsgAnswer::Cancel};
        QVERIFY(!runBackup(s, disk, messages, nullptr, flaky));
        QCOMPARE(tried, QStringList{QStringLiteral("/out/W.doc")});
        QCOMPARE(messages.shown.size(), 2);
    }

    void backupPaths()
    {
        SettingsRecord s;
        s.KumiroFile = {QStringLiteral("W"), QStringLiteral("E"), QStringLiteral("T")};
        s.FolderName = {QStringLiteral("/out"), QStringLiteral("/"), QStringLiteral("/t")};
        const auto copies = backupCopies(s, QStringLiteral("/media/floppy"));
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies[0].source, QStringLiteral("/out/W.doc"));
        QCOMPARE(copies[0].target, QStringLiteral("/media/floppy/W.doc"));
        QCOMPARE(copies[1].source, QStringLiteral("/E.xls"));
        QCOMPARE(copies[1].target, QStringLiteral("/media/floppy/E.xls"));
        // The chosen output format is what the combine wrote, so that is what is backed up.
        s.KumiroExt = {QStringLiteral("pdf"), QStringLiteral("xlsx")};
        const auto chosen = backupCopies(s, QStringLiteral("/media/floppy"));
        QCOMPARE(chosen[0].source, QStringLiteral("/out/W.pdf"));
        QCOMPARE(chosen[1].target, QStringLiteral("/media/floppy/E.xlsx"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<test::ScriptedPlatform> platform_;
    std::unique_ptr<OfficeRunner> office_;
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestTools)
#include "test_tools.moc"
