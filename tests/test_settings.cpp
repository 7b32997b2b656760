// The data folder picker and the drive and folder lists it is made of.
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "platform/DriveList.h"
#include "platform/FolderList.h"
#include "settings/SEL_FOLD.h"
#include "support/ScriptedPlatform.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kumiro;

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("config")));
        prog_ = dir_->filePath(QStringLiteral("prog"));
        data_ = dir_->filePath(QStringLiteral("data"));
        QDir().mkpath(prog_);
        QDir().mkpath(data_ + QStringLiteral("/sub/deeper"));
        QDir().mkpath(data_ + QStringLiteral("/Another"));
        QDir().mkpath(data_ + QStringLiteral("/.hidden"));
        state_ = std::make_unique<ProgramState>(*store_, prog_);
        state_->AppTitle = QStringLiteral("kumiro");
        state_->HelpFile = prog_ + QStringLiteral("/KUMIRO.html");
        state_->set.DataFol.fill(data_);
        state_->OrderLast = 2;
        state_->OrderFile[0] = QStringLiteral("/x/a.txt");
        platform_ = std::make_unique<test::ScriptedPlatform>();
    }

    void captionAndHelpFollowTheKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("context");
        QTest::newRow("Word") << 0 << " ( Word ﾌｧｲﾙ 編 )" << 6;
        QTest::newRow("Excel") << 1 << " ( Excel ﾌｧｲﾙ 編 )" << 8;
        QTest::newRow("Text") << 2 << " ( Text ﾌｧｲﾙ 編 )" << 39;
    }

    void captionAndHelpFollowTheKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, suffix);
        QFETCH(int, context);
        state_->CurKind = quint8(kind);
        SEL_FOLD picker(*state_, platform_->platform);
        QCOMPARE(picker.windowTitle(), QStringLiteral("データフォルダの指定") + suffix);
        QCOMPARE(picker.Dir1->path(), data_);
        picker.Command1[2]->click();
        QCOMPARE(platform_->help.calls.size(), 1);
        QCOMPARE(platform_->help.calls[0].command, HelpCommand::Context);
        QCOMPARE(platform_->help.calls[0].context, context);
        QCOMPARE(picker.result(), 0); // still open
        QVERIFY(platform_->messages.shown.isEmpty());
    }

    void missingFolderIsCorrectedAndStoredEvenOnCancel()
    {
        state_->CurKind = 1;
        state_->set.DataFol[1] = dir_->filePath(QStringLiteral("deleted"));
        SEL_FOLD picker(*state_, platform_->platform);
        const auto& shown = platform_->messages.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QStringLiteral("フォルダ確認"));
        QCOMPARE(shown[0].text, QStringLiteral("指定フォルダは存在しません。 "));
        QCOMPARE(shown[1].title, QStringLiteral("フォルダ変更"));
        QCOMPARE(shown[1].text, QStringLiteral("強制的にくみろ君の存在するフォルダに変更します。　"));
        QCOMPARE(shown[1].icon, MsgIcon::Exclamation);
        QCOMPARE(picker.Dir1->path(), prog_);

        picker.Command1[1]->click();
        QCOMPARE(state_->FolderChosen, quint8(0));
        QCOMPARE(state_->set.DataFol[1], prog_);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(1)")), prog_);
        QCOMPARE(state_->OrderLast, qint16(2));
        // An empty folder is no folder either.
        state_->set.DataFol[1].clear();
        SEL_FOLD again(*state_, platform_->platform);
        QCOMPARE(shown.size(), 4);
    }

    void okStoresTheShownFolderAndVoidsTheOrder()
    {
        state_->CurKind = 2;
        SEL_FOLD picker(*state_, platform_->platform);
        // Open "sub" by double-click, then "deeper" by keyboard, then back up.
        const int sub = picker.Dir1->rowPaths().indexOf(data_ + QStringLiteral("/sub"));
        QVERIFY(sub > 0);
        Q_EMIT picker.Dir1->itemDoubleClicked(picker.Dir1->item(sub));
        QCOMPARE(picker.Dir1->path(), data_ + QStringLiteral("/sub"));
        picker.Dir1->setCurrentRow(picker.Dir1->count() - 1);
        QTest::keyClick(picker.Dir1, Qt::Key_Return);
        QCOMPARE(picker.Dir1->path(), data_ + QStringLiteral("/sub/deeper"));
        QCOMPARE(picker.result(), 0);
        QTest::keyClick(picker.Dir1, Qt::Key_Backspace);
        QCOMPARE(picker.Dir1->path(), data_ + QStringLiteral("/sub"));

        picker.Command1[0]->click();
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(state_->FolderChosen, quint8(1));
        QCOMPARE(state_->set.DataFol[2], data_ + QStringLiteral("/sub"));
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(2)")),
                 data_ + QStringLiteral("/sub"));
        QCOMPARE(state_->OrderLast, qint16(-1));
        QVERIFY(std::all_of(state_->OrderFile.begin(), state_->OrderFile.end(),
                            [](const QString& f) { return f.isEmpty(); }));
    }

    void keyboardDefaultsAndEscape()
    {
        SEL_FOLD picker(*state_, platform_->platform);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QVERIFY(picker.Command1[0]->isDefault());
        // Return on the open folder presses OK.
        picker.Dir1->setFocus();
        picker.Dir1->setCurrentRow(picker.Dir1->rowPaths().indexOf(data_));
        QTest::keyClick(picker.Dir1, Qt::Key_Return);
        QCOMPARE(picker.result(), int(QDialog::Accepted));

        state_->FolderChosen = 1;
        SEL_FOLD other(*state_, platform_->platform);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(other.result(), int(QDialog::Rejected));
        QCOMPARE(state_->FolderChosen, quint8(0));
    }

    void changingTheDriveOpensItsRoot()
    {
        SEL_FOLD picker(*state_, platform_->platform);
        picker.Drive1->setVolumes({{QStringLiteral("/"), QStringLiteral("root")},
                                   {dir_->path(), QStringLiteral("usb")},
                                   {dir_->filePath(QStringLiteral("gone")), QString()}});
        picker.Drive1->setPath(picker.Dir1->path());
        QCOMPARE(picker.Drive1->drive(), dir_->path());

        // A drive that cannot be read leaves the picker where it was.
        picker.Drive1->setCurrentIndex(2);
        Q_EMIT picker.Drive1->activated(2);
        QCOMPARE(picker.Dir1->path(), data_);
        QCOMPARE(picker.Drive1->drive(), dir_->path());

        picker.Drive1->setCurrentIndex(0);
        Q_EMIT picker.Drive1->activated(0);
        QCOMPARE(picker.Dir1->path(), QStringLiteral("/"));
        QCOMPARE(picker.Dir1->rowPaths().first(), QStringLiteral("/"));
        picker.Command1[0]->click();
        QCOMPARE(state_->set.DataFol[state_->CurKind], QStringLiteral("/"));
    }

    void folderListShowsTheChainAndVisibleSubfolders()
    {
        FolderList list;
        QVERIFY(list.setPath(data_ + QStringLiteral("/")));
        const QStringList paths = list.rowPaths();
        const QStringList chain = folderChain(data_);
        QCOMPARE(paths.mid(0, chain.size()), chain);
        QCOMPARE(paths.mid(chain.size()),
                 (QStringList{data_ + QStringLiteral("/Another"), data_ + QStringLiteral("/sub")}));
        QCOMPARE(list.currentRow(), chain.size() - 1);
        QVERIFY(!list.setPath(dir_->filePath(QStringLiteral("missing"))));
        QCOMPARE(list.path(), data_);
        QCOMPARE(folderChain(QStringLiteral("/a/b")),
                 (QStringList{QStringLiteral("/"), QStringLiteral("/a"), QStringLiteral("/a/b")}));
    }

    void volumeOfAPath()
    {
        const QList<Volume> volumes = {{QStringLiteral("/"), {}},
                                       {QStringLiteral("/media/usb"), {}},
                                       {QStringLiteral("/media/usb2"), {}}};
        QCOMPARE(volumeRootFor(volumes, QStringLiteral("/media/usb2/x")), QStringLiteral("/media/usb2"));
        QCOMPARE(volumeRootFor(volumes, QStringLiteral("/media/usb")), QStringLiteral("/media/usb"));
        QCOMPARE(volumeRootFor(volumes, QStringLiteral("/media/usbx")), QStringLiteral("/"));
        QVERIFY(!userVolumes().isEmpty());
        QCOMPARE(userVolumes().first().root, QStringLiteral("/"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<test::ScriptedPlatform> platform_;
    QString prog_, data_;
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
