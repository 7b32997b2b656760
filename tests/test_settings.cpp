// The data folder picker and the drive and folder lists it is made of.
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "platform/DriveList.h"
#include "platform/FolderList.h"
#include "settings/SEL_FOLD.h"
#include "support/Picker.h"
#include "settings/SETTEI.h"
#include "app/FileListing.h"
#include "platform/Twips.h"
#include "support/StoredKeys.h"
#include "support/ScriptedPlatform.h"

#include <QDir>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <unistd.h>

using namespace kumiro;
using namespace kumiro::test;

// The settings dialog's controls, found by tab and accessible name.
struct SettingsParts {
    explicit SettingsParts(const QDialog& dialog)
        : tabs(dialog.findChild<QTabWidget*>()), ok(named<QPushButton>(dialog, QStringLiteral("OK"))),
          cancel(named<QPushButton>(dialog, QStringLiteral("キャンセル"))),
          apply(named<QPushButton>(dialog, QStringLiteral("適用"))),
          help(named<QPushButton>(dialog, QStringLiteral("ヘルプ")))
    {
    }
    QWidget& tab(Kind kind) const { return *tabs->widget(tabOf(kind)); }
    // "ロゴの表示", "画面のセンタリング", …
    QCheckBox* general(const QString& name) const { return named<QCheckBox>(*tabs->widget(kGeneralTab), name); }
    QLineEdit* fileName(Kind kind) const
    {
        static const QString names[] = {QStringLiteral("くみろﾌｧｲﾙ名（Ｗ編）"), QStringLiteral("くみろﾌｧｲﾙ名（Ｅ編）"),
                                        QStringLiteral("くみろﾌｧｲﾙ名（Ｔ編）")};
        return named<QLineEdit>(tab(kind), names[indexOf(kind)]);
    }
    FolderList* folders(Kind kind) const { return named<FolderList>(tab(kind), QStringLiteral("フォルダ名")); }
    QCheckBox* sync(Kind kind) const { return named<QCheckBox>(tab(kind), QStringLiteral("ﾌｫﾙﾀﾞの同期")); }
    QCheckBox* pattern(Kind kind, const QString& pattern) const { return named<QCheckBox>(tab(kind), pattern); }
    QComboBox* format(Kind kind) const { return named<QComboBox>(tab(kind), QStringLiteral("保存形式")); }
    // The Text tab's rows: 0 is *.txt, 1 to 5 the user's own.
    QCheckBox* textOn(int row) const
    {
        return named<QCheckBox>(tab(Kind::Text),
                                row == 0 ? QStringLiteral("*.txt") : QStringLiteral("ﾌｧｲﾙの拡張子 %1").arg(row));
    }
    QLineEdit* textPattern(int row) const
    {
        return named<QLineEdit>(tab(Kind::Text), QStringLiteral("ﾌｧｲﾙの拡張子 %1 のパターン").arg(row));
    }
    QTabWidget* tabs;
    QPushButton* ok;
    QPushButton* cancel;
    QPushButton* apply;
    QPushButton* help;
};

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
        state_->Order.confirm(QStringList{QStringLiteral("/x/a.txt"), QString(), QString()});
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
        SEL_FOLD picker(kindOf(kind), state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts pickerParts(picker);
        QCOMPARE(picker.windowTitle(), QStringLiteral("データフォルダの指定") + suffix);
        QCOMPARE(pickerParts.folders->path(), data_);
        pickerParts.help->click();
        QCOMPARE(platform_->help.calls.size(), 1);
        QCOMPARE(platform_->help.calls[0].command, HelpCommand::Context);
        QCOMPARE(platform_->help.calls[0].context, context);
        QCOMPARE(picker.result(), 0); // still open
        QVERIFY(platform_->messages.shown.isEmpty());
    }

    void missingFolderIsCorrectedAndStoredEvenOnCancel()
    {
        // A program folder the user may write in is its own fallback.
        QCOMPARE(state_->FallbackFolder, prog_);
        state_->set.DataFol[1] = dir_->filePath(QStringLiteral("deleted"));
        SEL_FOLD picker(Kind::Excel, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts pickerParts(picker);
        const auto& shown = platform_->messages.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QStringLiteral("フォルダ確認"));
        QCOMPARE(shown[0].text, QStringLiteral("指定フォルダは存在しません。 "));
        QCOMPARE(shown[1].title, QStringLiteral("フォルダ変更"));
        QCOMPARE(shown[1].text, QStringLiteral("強制的にくみろ君の存在するフォルダに変更します。　"));
        QCOMPARE(shown[1].icon, MsgIcon::Exclamation);
        QCOMPARE(pickerParts.folders->path(), prog_);

        pickerParts.cancel->click();
        QVERIFY(!picker.chosenFolder());
        QCOMPARE(state_->set.DataFol[1], prog_);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(1)")), prog_);
        QCOMPARE(state_->Order.files().size(), 3);
        // An empty folder is no folder either.
        state_->set.DataFol[1].clear();
        SEL_FOLD again(Kind::Excel, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts againParts(again);
        QCOMPARE(shown.size(), 4);
        // Installed system-wide, the correction goes to the user's documents instead.
        state_->FallbackFolder = data_;
        state_->set.DataFol[1] = dir_->filePath(QStringLiteral("deleted"));
        SEL_FOLD installed(Kind::Excel, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts installedParts(installed);
        QCOMPARE(shown.size(), 6);
        QCOMPARE(state_->set.DataFol[1], data_);
    }

    void okStoresTheShownFolderAndVoidsTheOrder()
    {
        SEL_FOLD picker(Kind::Text, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts pickerParts(picker);
        // Open "sub" by double-click, then "deeper" by keyboard, then back up.
        const int sub = pickerParts.folders->rowPaths().indexOf(data_ + QStringLiteral("/sub"));
        QVERIFY(sub > 0);
        Q_EMIT pickerParts.folders->itemDoubleClicked(pickerParts.folders->item(sub));
        QCOMPARE(pickerParts.folders->path(), data_ + QStringLiteral("/sub"));
        pickerParts.folders->setCurrentRow(pickerParts.folders->count() - 1);
        QTest::keyClick(pickerParts.folders, Qt::Key_Return);
        QCOMPARE(pickerParts.folders->path(), data_ + QStringLiteral("/sub/deeper"));
        QCOMPARE(picker.result(), 0);
        // A typed or pasted path opens with Return, without confirming; a wrong one is told
        // and the field shows the folder still open.
        auto* typed = named<QLineEdit>(picker, QStringLiteral("フォルダのパス"));
        QCOMPARE(typed->text(), data_ + QStringLiteral("/sub/deeper"));
        typed->setText(data_ + QStringLiteral("/sub/"));
        QTest::keyClick(typed, Qt::Key_Return);
        QCOMPARE(pickerParts.folders->path(), data_ + QStringLiteral("/sub"));
        typed->setText(data_ + QStringLiteral("/no such folder"));
        QTest::keyClick(typed, Qt::Key_Return);
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("フォルダ確認"));
        QCOMPARE(typed->text(), data_ + QStringLiteral("/sub"));
        QCOMPARE(picker.result(), 0);
        pickerParts.folders->setPath(data_ + QStringLiteral("/sub/deeper"));
        QTest::keyClick(pickerParts.folders, Qt::Key_Backspace);
        QCOMPARE(pickerParts.folders->path(), data_ + QStringLiteral("/sub"));

        pickerParts.ok->click();
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.chosenFolder(), std::optional<QString>(data_ + QStringLiteral("/sub")));
        QCOMPARE(state_->set.DataFol[2], data_ + QStringLiteral("/sub"));
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(2)")),
                 data_ + QStringLiteral("/sub"));
        QVERIFY(!state_->Order.isConfirmed());
    }

    void keyboardDefaultsAndEscape()
    {
        SEL_FOLD picker(Kind::Word, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts pickerParts(picker);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QVERIFY(pickerParts.ok->isDefault());
        // Return on the open folder presses OK.
        pickerParts.folders->setFocus();
        pickerParts.folders->setCurrentRow(pickerParts.folders->rowPaths().indexOf(data_));
        QTest::keyClick(pickerParts.folders, Qt::Key_Return);
        QCOMPARE(picker.result(), int(QDialog::Accepted));

        SEL_FOLD other(Kind::Word, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);

        const PickerParts otherParts(other);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(other.result(), int(QDialog::Rejected));
        QVERIFY(!other.chosenFolder());
    }

    void changingTheDriveOpensItsRoot()
    {
        SEL_FOLD picker(Kind::Word, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts pickerParts(picker);
        pickerParts.drives->setVolumes({{QStringLiteral("/"), QStringLiteral("root")},
                                        {dir_->path(), QStringLiteral("usb")},
                                        {dir_->filePath(QStringLiteral("gone")), QString()}});
        pickerParts.drives->setPath(pickerParts.folders->path());
        QCOMPARE(pickerParts.drives->drive(), dir_->path());

        // A drive that cannot be read leaves the picker where it was.
        pickerParts.drives->setCurrentIndex(2);
        Q_EMIT pickerParts.drives->activated(2);
        QCOMPARE(pickerParts.folders->path(), data_);
        QCOMPARE(pickerParts.drives->drive(), dir_->path());

        pickerParts.drives->setCurrentIndex(0);
        Q_EMIT pickerParts.drives->activated(0);
        QCOMPARE(pickerParts.folders->path(), QStringLiteral("/"));
        QCOMPARE(pickerParts.folders->rowPaths().first(), QStringLiteral("/"));
        pickerParts.ok->click();
        QCOMPARE(state_->set.DataFol[Kind::Word], QStringLiteral("/"));
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
        const QList<Volume> volumes = {
            {QStringLiteral("/"), {}}, {QStringLiteral("/media/usb"), {}}, {QStringLiteral("/media/usb2"), {}}};
        QCOMPARE(volumeRootFor(volumes, QStringLiteral("/media/usb2/x")), QStringLiteral("/media/usb2"));
        QCOMPARE(volumeRootFor(volumes, QStringLiteral("/media/usb")), QStringLiteral("/media/usb"));
        QCOMPARE(volumeRootFor(volumes, QStringLiteral("/media/usbx")), QStringLiteral("/"));
        QVERIFY(!userVolumes().isEmpty());
        QCOMPARE(userVolumes().first().root, QStringLiteral("/"));
    }

    // Only the places a user keeps files: no system, container or pseudo mounts.
    void driveListShowsTheUsersVolumes()
    {
        const QList<Mount> mounts = {{QStringLiteral("/media/alice/USB"), QStringLiteral("USB")},
                                     {QStringLiteral("/"), QString()},
                                     {QStringLiteral("/proc"), {}},
                                     {QStringLiteral("/sys/fs/cgroup"), {}},
                                     {QStringLiteral("/dev/shm"), {}},
                                     {QStringLiteral("/run/user/1000"), {}},
                                     {QStringLiteral("/etc/hosts"), {}},
                                     {QStringLiteral("/boot/efi"), {}},
                                     {QStringLiteral("/home"), QStringLiteral("home")},
                                     {QStringLiteral("/mnt/nas"), {}},
                                     {QStringLiteral("/run/media/bob/CARD"), QStringLiteral("CARD")},
                                     {QStringLiteral("/media"), {}},
                                     {QStringLiteral("/var/lib/docker/overlay2/x/merged"), {}},
                                     {QStringLiteral("/snap/core/1"), {}},
                                     // Beside the user's places, not in them.
                                     {QStringLiteral("/mediastore"), {}},
                                     {QStringLiteral("/mnt2/x"), {}},
                                     {QStringLiteral("/home/al"), {}}};
        QStringList roots, names;
        for (const Volume& v : userVolumesOf(mounts, QStringLiteral("/home/alice"))) {
            roots << v.root;
            names << v.name;
        }
        QCOMPARE(roots,
                 (QStringList{QStringLiteral("/"), QStringLiteral("/home"), QStringLiteral("/media/alice/USB"),
                              QStringLiteral("/mnt/nas"), QStringLiteral("/run/media/bob/CARD")}));
        QCOMPARE(
            names,
            (QStringList{QString(), QStringLiteral("home"), QStringLiteral("USB"), QString(), QStringLiteral("CARD")}));
        // A home on the root volume adds nothing.
        QCOMPARE(userVolumesOf({{QStringLiteral("/"), QStringLiteral("disk")}}, QStringLiteral("/home/a")).size(), 1);
    }

    // A data folder that exists but cannot be read is told, the picker opens its nearest
    // readable parent, and no empty folder is ever stored. (Root reads everything: the test
    // runs again as an ordinary user, see tests/CMakeLists.txt.)
    void unreadableDataFolderIsToldAndNotStored()
    {
        if (::geteuid() == 0)
            QSKIP("root can read every folder; the unprivileged run of this test checks it");
        const QString locked = data_ + QStringLiteral("/locked");
        QDir().mkpath(locked + QStringLiteral("/inner"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
        const auto unlock = qScopeGuard([&] {
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        state_->set.DataFol[Kind::Text] = locked;
        SEL_FOLD picker(Kind::Text, state_->settings(), state_->Order, state_->HelpFile, platform_->platform);
        const PickerParts pickerParts(picker);
        const auto& shown = platform_->messages.shown;
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("フォルダ確認"));
        QCOMPARE(shown[0].text,
                 QStringLiteral("フォルダ ") + locked +
                     QStringLiteral(" を開けません。　\r\r読み取る権限がありません。"));
        QCOMPARE(pickerParts.folders->path(), data_);
        // Opening the locked folder from the list is told too, and the list stays.
        const int row = pickerParts.folders->rowPaths().indexOf(locked);
        QVERIFY(row > 0);
        Q_EMIT pickerParts.folders->itemDoubleClicked(pickerParts.folders->item(row));
        QCOMPARE(shown.size(), 2);
        QCOMPARE(pickerParts.folders->path(), data_);
        pickerParts.ok->click();
        QCOMPARE(state_->set.DataFol[Kind::Text], data_);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(2)")), data_);
    }

    // --- the settings dialog ------------------------------------------------------------

    void settingsLoadFromTheRecord()
    {
        auto& s = state_->set;
        s.OptLogo = QStringLiteral("1");
        s.OptDbl = QStringLiteral("0");
        s.OptCent = QStringLiteral("2"); // anything but "1" is off
        s.OptLAct = QStringLiteral("0");
        s.OptLATab = QStringLiteral("2");
        s.FolderName.fill(data_);
        s.KumiroFile = {QStringLiteral("W"), QStringLiteral(""), QStringLiteral("テキスト")};
        s.OptWkaku = {{{QStringLiteral("*.doc"), QStringLiteral("0")}, {QStringLiteral("*.rtf"), QStringLiteral("0")}}};
        s.OptEkaku = {{{QStringLiteral("*.xls"), QStringLiteral("1")}, {QStringLiteral("*.csv"), QStringLiteral("")}}};
        s.OptDouki = {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0")};
        s.OptTkaku[0] = {QStringLiteral("*.txt"), QStringLiteral("1")};
        s.OptTkaku[3] = {QStringLiteral("*.log"), QStringLiteral("1")};

        SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, nullptr);

        const SettingsParts dialogParts(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("各種設定"));
        QCOMPARE(dialogParts.tabs->tabText(2), QStringLiteral("初期設定（E編）"));
        QCOMPARE(dialogParts.tabs->currentIndex(), 2); // the stored tab, although OptLAct is off
        QVERIFY(dialogParts.general(QStringLiteral("ロゴの表示"))->isChecked());
        QVERIFY(!dialogParts.general(QStringLiteral("画面のセンタリング"))->isChecked());
        QVERIFY(!dialogParts.pattern(Kind::Word, QStringLiteral("*.doc"))->isChecked() &&
                !dialogParts.pattern(Kind::Word, QStringLiteral("*.rtf"))->isChecked());
        QVERIFY(platform_->messages.shown.isEmpty()); // loading never refuses the patterns
        QVERIFY(dialogParts.pattern(Kind::Excel, QStringLiteral("*.xls"))->isChecked() &&
                !dialogParts.pattern(Kind::Excel, QStringLiteral("*.csv"))->isChecked());
        QVERIFY(dialogParts.sync(Kind::Word)->isChecked());
        QCOMPARE(dialogParts.fileName(Kind::Text)->text(), QStringLiteral("テキスト"));
        QCOMPARE(dialogParts.textPattern(3)->text(), QStringLiteral("*.log"));
        QCOMPARE(dialogParts.textPattern(3)->toolTip(), QStringLiteral(" *.log "));
        QVERIFY(dialogParts.textOn(3)->isChecked());
        QCOMPARE(dialogParts.textPattern(1)->toolTip(), QString());
        QCOMPARE(dialogParts.textPattern(0)->text(), QStringLiteral("*.txt"));
        QVERIFY(dialogParts.textPattern(0)->isHidden());
        QCOMPARE(dialogParts.folders(Kind::Excel)->path(), data_);
        QVERIFY(dialogParts.ok->isDefault());
        // The output folder's whole path shows, and a typed one opens with Return.
        auto* path = named<QLineEdit>(dialogParts.tab(Kind::Excel), QStringLiteral("フォルダのパス"));
        QCOMPARE(path->text(), data_);
        path->setText(prog_ + u'/');
        QTest::keyClick(path, Qt::Key_Return);
        QCOMPARE(dialogParts.folders(Kind::Excel)->path(), prog_);
        QCOMPARE(path->text(), prog_);

        // A stored tab that is no tab opens the first.
        for (const char* bad : {"7", "-1", "x", ""}) {
            s.OptLATab = QString::fromLatin1(bad);
            SETTEI other(state_->settings(), state_->HelpFile, platform_->platform, nullptr);
            const SettingsParts otherParts(other);
            QCOMPARE(otherParts.tabs->currentIndex(), 0);
        }
    }

    void missingOutputFoldersAreCorrectedEvenOnCancel()
    {
        state_->set.FolderName = {dir_->filePath(QStringLiteral("a")), QString(), dir_->filePath(QStringLiteral("c"))};
        SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, nullptr);
        const SettingsParts dialogParts(dialog);
        QStringList seen;
        for (const auto& m : platform_->messages.shown)
            seen << m.title + u':' + m.text;
        QCOMPARE(
            seen,
            (QStringList{QStringLiteral("フォルダ確認:くみろ後の Word ファイル保存用の指定フォルダは存在しません。　"),
                         QStringLiteral("フォルダ変更:強制的にくみろ君の存在するフォルダに変更します。　"),
                         QStringLiteral("フォルダ確認:くみろ後の Excel ファイル保存用の指定フォルダは存在しません。　"),
                         QStringLiteral("フォルダ変更:強制的にくみろ君の存在するフォルダに変更します。　"),
                         QStringLiteral("フォルダ確認:くみろ後の Text ファイル保存用の指定フォルダは存在しません。　"),
                         QStringLiteral("フォルダ変更:強制的にくみろ君の存在するフォルダに変更します。　")}));
        dialogParts.cancel->click();
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(state_->set.FolderName[k], prog_);
            QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, kindKey(QStringLiteral("FolderName"), k)),
                     prog_);
            QCOMPARE(dialogParts.folders(kindOf(k))->path(), prog_);
        }
    }

    void bothPatternsOffIsRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("clickedLast");
        QTest::newRow("Word, *.doc last") << 0 << 0;
        QTest::newRow("Word, *.rtf last") << 0 << 1;
        QTest::newRow("Excel, *.xls last") << 1 << 0;
        QTest::newRow("Excel, *.csv last") << 1 << 1;
    }

    void bothPatternsOffIsRefused()
    {
        QFETCH(int, kind);
        QFETCH(int, clickedLast);
        auto& s = state_->set;
        s.FolderName.fill(data_);
        s.OptWkaku = {{{QStringLiteral("*.doc"), QStringLiteral("1")}, {QStringLiteral("*.rtf"), QStringLiteral("1")}}};
        s.OptEkaku = {{{QStringLiteral("*.xls"), QStringLiteral("1")}, {QStringLiteral("*.csv"), QStringLiteral("1")}}};
        SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, nullptr);
        const SettingsParts dialogParts(dialog);
        auto check = [&](auto& boxes, auto& table) {
            boxes[1 - clickedLast]->click(); // the first one off: written through, no message
            QCOMPARE(table[1 - clickedLast][1], QStringLiteral("0"));
            QVERIFY(platform_->messages.shown.isEmpty());
            boxes[clickedLast]->click();
            const auto& shown = platform_->messages.shown;
            QCOMPARE(shown.size(), 2);
            const QString first = kind == 0 ? QStringLiteral("*.doc") : QStringLiteral("*.xls");
            const QString second = kind == 0 ? QStringLiteral("*.rtf") : QStringLiteral("*.csv");
            QCOMPARE(shown[0].title, QStringLiteral("設定確認"));
            QCOMPARE(
                shown[0].text,
                QStringLiteral("「%1」 と 「%2」 の両方をくみろ対象としない設定はできません。　").arg(first, second));
            QCOMPARE(shown[1].title, QStringLiteral("強制設定"));
            QCOMPARE(shown[1].text, QStringLiteral("強制的に 「%1」 をくみろ対象に設定します。　").arg(first));
            QVERIFY(boxes[0]->isChecked());
            QVERIFY(!boxes[1]->isChecked());
            QCOMPARE(table[0][1], QStringLiteral("1"));
            QCOMPARE(table[1][1], QStringLiteral("0"));
        };
        const Kind k = kind == 0 ? Kind::Word : Kind::Excel;
        const std::array<QCheckBox*, 2> boxes = {dialogParts.pattern(k, kindInfo(k).patterns[0]),
                                                 dialogParts.pattern(k, kindInfo(k).patterns[1])};
        if (kind == 0)
            check(boxes, s.OptWkaku);
        else
            check(boxes, s.OptEkaku);
        // Cancel keeps the written-through flags in memory but not in the store.
        dialogParts.cancel->click();
        QVERIFY(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("OptWkaku(1,1)")).isEmpty());
    }

    // A screen reader toggles a box without a click; loading the dialog is no change.
    void bothPatternsOffIsRefusedWhateverChangesTheBox()
    {
        auto& s = state_->set;
        s.FolderName.fill(data_);
        s.OptWkaku = {{{QStringLiteral("*.doc"), QStringLiteral("0")}, {QStringLiteral("*.rtf"), QStringLiteral("1")}}};
        s.OptEkaku = {{{QStringLiteral("*.xls"), QStringLiteral("1")}, {QStringLiteral("*.csv"), QStringLiteral("1")}}};
        SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, nullptr);
        const SettingsParts dialogParts(dialog);
        QVERIFY(platform_->messages.shown.isEmpty());
        dialogParts.pattern(Kind::Word, QStringLiteral("*.rtf"))->setChecked(false);
        QCOMPARE(platform_->messages.shown.size(), 2);
        QVERIFY(dialogParts.pattern(Kind::Word, QStringLiteral("*.doc"))->isChecked());
        QCOMPARE(s.OptWkaku[0][1], QStringLiteral("1"));
        dialogParts.pattern(Kind::Excel, QStringLiteral("*.xls"))->toggle();
        dialogParts.pattern(Kind::Excel, QStringLiteral("*.csv"))->toggle();
        QCOMPARE(platform_->messages.shown.size(), 4);
        QVERIFY(dialogParts.pattern(Kind::Excel, QStringLiteral("*.xls"))->isChecked());
    }

    // The later patterns and the output format: shown, saved, and outside the both-off rule.
    void laterFormatsAndTheOutputFormat()
    {
        auto& s = state_->set;
        s.FolderName.fill(data_);
        s.OptWkaku = {{{QStringLiteral("*.doc"), QStringLiteral("1")},
                       {QStringLiteral("*.rtf"), QStringLiteral("1")},
                       {QStringLiteral("*.docx"), QStringLiteral("1")},
                       {QStringLiteral("*.odt"), QStringLiteral("0")}}};
        s.OptEkaku = {{{QStringLiteral("*.xls"), QStringLiteral("1")},
                       {QStringLiteral("*.csv"), QStringLiteral("1")},
                       {QStringLiteral("*.xlsx"), QStringLiteral("1")},
                       {QStringLiteral("*.xlsm"), QStringLiteral("1")},
                       {QStringLiteral("*.ods"), QStringLiteral("1")}}};
        s.KumiroExt = {QStringLiteral("pdf"), QStringLiteral("xls")};
        SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, nullptr);
        const SettingsParts dialogParts(dialog);
        QCOMPARE(dialogParts.pattern(Kind::Word, QStringLiteral("*.docx"))->text(), QStringLiteral("*.docx"));
        QVERIFY(dialogParts.pattern(Kind::Word, QStringLiteral("*.docx"))->isChecked() &&
                !dialogParts.pattern(Kind::Word, QStringLiteral("*.odt"))->isChecked());
        QCOMPARE(dialogParts.pattern(Kind::Excel, QStringLiteral("*.ods"))->text(), QStringLiteral("*.ods"));
        QCOMPARE(dialogParts.format(Kind::Word)->count(), 4);
        QCOMPARE(dialogParts.format(Kind::Word)->currentText(), QStringLiteral("PDF (*.pdf)"));
        QCOMPARE(dialogParts.format(Kind::Excel)->currentText(), QStringLiteral("Excel 97-2003 (*.xls)"));
        QCOMPARE(dialogParts.format(Kind::Excel)->accessibleName(), QStringLiteral("保存形式"));

        // Switching off every later one is no refusal; the two of old still are.
        dialogParts.pattern(Kind::Excel, QStringLiteral("*.xlsx"))->setChecked(false);
        dialogParts.pattern(Kind::Excel, QStringLiteral("*.xlsm"))->setChecked(false);
        dialogParts.pattern(Kind::Excel, QStringLiteral("*.ods"))->setChecked(false);
        QVERIFY(platform_->messages.shown.isEmpty());
        dialogParts.format(Kind::Excel)
            ->setCurrentIndex(dialogParts.format(Kind::Excel)->findData(QStringLiteral("xlsx")));
        dialogParts.tabs->setCurrentIndex(tabOf(Kind::Excel));
        dialogParts.apply->click();
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("KumiroExt(1)")),
                 QStringLiteral("xlsx"));
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("OptEkaku(4,1)")),
                 QStringLiteral("0"));
        QCOMPARE(kindPatterns(s, Kind::Excel), (QStringList{QStringLiteral("*.xls"), QStringLiteral("*.csv")}));
        QCOMPARE(kindPatterns(s, Kind::Word),
                 (QStringList{QStringLiteral("*.doc"), QStringLiteral("*.rtf"), QStringLiteral("*.docx")}));
        QCOMPARE(outputPathOf(s, Kind::Excel), data_ + QStringLiteral("/") + s.KumiroFile[1] + QStringLiteral(".xlsx"));
    }

    void applySavesTheTabOnTopOkSavesAll()
    {
        auto& s = state_->set;
        s.FolderName.fill(data_);
        s.OptLAct = QStringLiteral("1");
        s.KumiroFile = {QStringLiteral("NewWord"), QStringLiteral("NewExcel"), QStringLiteral("NewText")};
        SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, nullptr);
        const SettingsParts dialogParts(dialog);
        const QString app = QStringLiteral("kumiro");
        dialogParts.fileName(Kind::Word)->setText(QStringLiteral(" 結合 "));
        dialogParts.fileName(Kind::Text)->setText(QStringLiteral("まとめ"));
        dialogParts.general(QStringLiteral("ロゴの表示"))->setChecked(false);

        dialogParts.tabs->setCurrentIndex(3);
        dialogParts.apply->click();
        QCOMPARE(store_->read(app, kSectionKumiro, QStringLiteral("KumiroFile(2)")), QStringLiteral("まとめ"));
        QVERIFY(store_->read(app, kSectionKumiro, QStringLiteral("KumiroFile(0)")).isEmpty());
        QVERIFY(store_->read(app, kSectionConfig, QStringLiteral("OptLogo")).isEmpty());
        QCOMPARE(platform_->help.calls.size(), 0);
        dialogParts.help->click();
        QCOMPARE(platform_->help.calls.last().context, 40);

        dialogParts.tabs->setCurrentIndex(0);
        dialogParts.apply->click();
        QCOMPARE(store_->read(app, kSectionConfig, QStringLiteral("OptLogo")), QStringLiteral("0"));
        QCOMPARE(store_->read(app, kSectionConfig, QStringLiteral("OptLATab")), QStringLiteral("0"));
        QVERIFY(store_->read(app, kSectionKumiro, QStringLiteral("KumiroFile(0)")).isEmpty());
        dialogParts.help->click();
        QCOMPARE(platform_->help.calls.last().context, 28);

        dialogParts.tabs->setCurrentIndex(3);
        dialogParts.ok->click();
        QCOMPARE(store_->read(app, kSectionKumiro, QStringLiteral("KumiroFile(0)")), QStringLiteral(" 結合 "));
        QCOMPARE(store_->read(app, kSectionConfig, QStringLiteral("OptLATab")), QStringLiteral("3"));
        QCOMPARE(s.KumiroFile[0], QStringLiteral(" 結合 "));
        QVERIFY(dialog.isHidden());
    }

    // The rules "OK" and "適用" store a kind's tab by, without the dialog.
    void kindSaveRules()
    {
        auto& s = state_->set;
        s.FolderName.fill(data_);
        s.DataFol[1] = data_ + QStringLiteral("/Another");
        // Synchronised: the data folder, whatever the folder list shows.
        KindForm excel;
        excel.syncFolder = true;
        excel.shownFolder = data_ + QStringLiteral("/sub");
        excel.patternsOn = {true, false, true, true, true};
        excel.outputExtension = QStringLiteral("ods");
        saveKindForm(state_->settings(), Kind::Excel, excel);
        KindForm word;
        word.shownFolder = data_ + QStringLiteral("/sub");
        word.patternsOn = {true, true, false, false};
        word.outputExtension = QStringLiteral("doc");
        saveKindForm(state_->settings(), Kind::Word, word);
        QCOMPARE(s.FolderName[1], data_ + QStringLiteral("/Another"));
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("FolderName(1)")),
                 s.FolderName[1]);
        QCOMPARE(s.FolderName[0], data_ + QStringLiteral("/sub"));
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("OptEkaku(1,1)")),
                 QStringLiteral("0"));
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("KumiroExt(1)")),
                 QStringLiteral("ods"));
        // A list that could open nothing keeps the stored folder.
        word.shownFolder.clear();
        saveKindForm(state_->settings(), Kind::Word, word);
        QCOMPARE(s.FolderName[0], data_ + QStringLiteral("/sub"));

        // Blank Text patterns count as off, whatever their box shows; two blanks do not.
        KindForm text;
        text.textPatterns = {QStringLiteral("*.txt"), QString(),
                             QStringLiteral(" "),     QStringLiteral("\u3000"),
                             QStringLiteral("  "),    QStringLiteral(" *.md")};
        text.textPatternsOn = {false, true, true, true, true, true};
        saveKindForm(state_->settings(), Kind::Text, text);
        QCOMPARE(s.OptTkaku[0][0], QStringLiteral("*.txt"));
        QCOMPARE(s.OptTkaku[0][1], QStringLiteral("0"));
        const QStringList flags = {s.OptTkaku[1][1], s.OptTkaku[2][1], s.OptTkaku[3][1], s.OptTkaku[4][1],
                                   s.OptTkaku[5][1]};
        QCOMPARE(flags, (QStringList{"0", "0", "0", "1", "1"}));
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("OptTkaku(5,0)")),
                 QStringLiteral(" *.md"));
        QVERIFY(isBlankPattern(QStringLiteral("\u3000")) && !isBlankPattern(QStringLiteral("\u3000\u3000")));
    }

    // The dialog hands its Text tab to those rules, and the next listing follows them.
    void textTabIsSavedAsShown()
    {
        state_->set.FolderName.fill(data_);
        SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, nullptr);
        const SettingsParts parts(dialog);
        QFile(data_ + QStringLiteral("/a.txt")).open(QIODevice::WriteOnly);
        QFile(data_ + QStringLiteral("/b.md")).open(QIODevice::WriteOnly);
        parts.textPattern(5)->setText(QStringLiteral("*.md"));
        parts.textOn(5)->setChecked(true);
        parts.textPattern(2)->setText(QStringLiteral(" "));
        parts.textOn(2)->setChecked(true);
        parts.textOn(0)->setChecked(true);
        parts.tabs->setCurrentIndex(tabOf(Kind::Text));
        parts.apply->click();
        QVERIFY(parts.textOn(2)->isChecked()); // the box itself is not cleared
        QCOMPARE(state_->set.OptTkaku[2][1], QStringLiteral("0"));
        QCOMPARE(listKindFiles(state_->set, Kind::Text, data_),
                 (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.md")}));
    }

    void centringMovesTheMainWindow()
    {
        state_->set.FolderName.fill(data_);
        QWidget main;
        main.resize(400, 300);
        main.move(10, 20);
        const QPoint centre = centredOnScreen(main.size());
        {
            SETTEI dialog(state_->settings(), state_->HelpFile, platform_->platform, &main);
            const SettingsParts dialogParts(dialog);
            const auto applyGeneral = [&] {
                dialogParts.tabs->setCurrentIndex(kGeneralTab);
                dialogParts.apply->click();
            };
            dialogParts.general(QStringLiteral("画面のセンタリング"))->setChecked(false);
            applyGeneral();
            QCOMPARE(main.pos(), QPoint(10, 20));
            QCOMPARE(state_->set.OptCent, QStringLiteral("0"));
            dialogParts.general(QStringLiteral("画面のセンタリング"))->setChecked(true);
            applyGeneral();
            QCOMPARE(main.pos(), centre);
            QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionPosition, QStringLiteral("OptCent")),
                     QStringLiteral("1"));
            // Switched off while the window stands at the corner: it still jumps to the centre.
            main.move(0, 0);
            dialogParts.general(QStringLiteral("画面のセンタリング"))->setChecked(false);
            applyGeneral();
            QCOMPARE(main.pos(), centre);
            QCOMPARE(state_->set.OptCent, QStringLiteral("0"));
            dialog.hide();
        }
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<test::ScriptedPlatform> platform_;
    QString prog_, data_;
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestSettings)
#include "test_settings.moc"
