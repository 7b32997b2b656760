// Listing a data folder in the main window, through the picker or a drop from a file manager.
#include "app/ProgramState.h"
#include "mainwin/KUMIRO.h"
#include "support/MainWindow.h"
#include "support/StoredKeys.h"
#include "app/FileListing.h"
#include "mainwin/Drop.h"
#include "mainwin/Order.h"
#include "platform/FolderList.h"
#include "settings/SEL_FOLD.h"
#include "support/Picker.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <optional>

#include <fcntl.h>
#include <unistd.h>

using namespace kumiro;
using namespace kumiro::test;

namespace kumiro {

// Names a refusal in a failed comparison.
char* toString(DropRefusal refusal)
{
    static const char* const names[] = {"None", "SeveralFolders", "MixedKinds", "NotKumiros", "UnreadableFolder"};
    return qstrdup(names[int(refusal)]);
}

} // namespace kumiro

namespace {

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
}

// What a file manager's drag carries: the paths as file URLs.
std::unique_ptr<QMimeData> fileUrls(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// How far a drag got with the window, and the action it was given.
struct DragOutcome {
    bool entered = false;
    bool dropped = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// Enters, moves over the order list and drops, as a file manager's drag would; then lets the
// window act on the drop.
DragOutcome dragOnto(QWidget& window, const QMimeData& data,
                     Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                     Qt::KeyboardModifiers keys = Qt::NoModifier, std::optional<QPoint> point = {})
{
    DragOutcome outcome;
    const QPoint at = point.value_or(QPoint(window.width() * 3 / 4, window.height() / 2));
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(&window, &enter);
    outcome.entered = enter.isAccepted();
    if (!outcome.entered)
        return outcome;
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(&window, &move);
    QDropEvent drop(at, offered, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(&window, &drop);
    outcome.dropped = drop.isAccepted();
    outcome.action = drop.dropAction();
    QCoreApplication::processEvents();
    return outcome;
}

} // namespace

class TestListing : public QObject, private MainWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpWindow(); }

    // --- listing ---------------------------------------------------------------------

    void wildcards()
    {
        QVERIFY(wildcardMatch(u"Report.TXT", u"*.txt"));
        QVERIFY(wildcardMatch(u"a.b.txt", u"*.txt"));
        QVERIFY(!wildcardMatch(u"a.txt.bak", u"*.txt"));
        QVERIFY(wildcardMatch(u"memo1.log", u"memo?.*"));
        QVERIFY(!wildcardMatch(u"memo12.log", u"memo?.log"));
        QVERIFY(wildcardMatch(u"データ.ＴＸＴ", u"*.ｔｘｔ"));
        QVERIFY(wildcardMatch(u"[x].txt", u"[x].txt"));
        QVERIFY(!wildcardMatch(u"x.txt", u"[x].txt"));
        QVERIFY(wildcardMatch(u"", u"*"));
        QVERIFY(wildcardMatch(u"aaaaaaaaaaaaaaaaaaaaaaaaaaab", u"*a*a*a*a*a*b"));
    }

    void searchListsVisibleFilesSortedIgnoringCase()
    {
        for (const char* name : {"b.txt", "A.TXT", "c.Txt", ".hidden.txt", "notes.log", "a.txt"})
            touch(QDir(data_).filePath(QString::fromLatin1(name)));
        QDir(data_).mkpath(QStringLiteral("folder.txt"));
        touch(QDir(data_).filePath(QStringLiteral("folder.txt/inner.txt")));
        QFile::link(QStringLiteral("/nonexistent"), QDir(data_).filePath(QStringLiteral("broken.txt")));
        QCOMPARE(searchFolder(data_, QStringLiteral("*.txt")),
                 (QStringList{QStringLiteral("A.TXT"), QStringLiteral("a.txt"), QStringLiteral("b.txt"),
                              QStringLiteral("c.Txt")}));
        QVERIFY(searchFolder(dir_->filePath(QStringLiteral("missing")), QStringLiteral("*")).isEmpty());
    }

    // A name that is not UTF-8 cannot be listed by name; it is counted and told, never
    // silently missing.
    void namesThatAreNotTextAreCounted()
    {
        touch(QDir(data_).filePath(QStringLiteral("good.txt")));
        for (const char* raw : {"bad\xff.txt", "\x93\xfa\x96\x7b.txt", "other\xfe.log"}) {
            const int fd = ::open((QFile::encodeName(data_) + '/' + raw).constData(), O_CREAT | O_WRONLY, 0600);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        QCOMPARE(listKindFiles(state_->set, Kind::Text, data_), QStringList{QStringLiteral("good.txt")});
        QCOMPARE(countUnnamableFiles(state_->set, Kind::Text, data_), 2);
        QCOMPARE(fileCountText(1, Kind::Text, 2),
                 QStringLiteral("同一のフォルダの中から 1 個 の Text ファイルを読み取りました。　\r\r"
                                "ファイル名の文字コードが正しくないため、表示できないファイルが 2 個 あります。　"
                                "ファイル名を変更して下さい。　"));
        QCOMPARE(fileCountText(1, Kind::Text),
                 QStringLiteral("同一のフォルダの中から 1 個 の Text ファイルを読み取りました。　"));
        // Qt cannot name them either, so the temporary folder could not remove them.
        for (const char* raw : {"bad\xff.txt", "\x93\xfa\x96\x7b.txt", "other\xfe.log"})
            ::unlink((QFile::encodeName(data_) + '/' + raw).constData());
    }

    void patternsPerKindAndFlag()
    {
        SettingsRecord s = state_->set;
        QCOMPARE(kindPatterns(s, Kind::Word), (QStringList{QStringLiteral("*.doc"), QStringLiteral("*.rtf")}));
        s.OptWkaku[1][1] = QStringLiteral("0");
        QCOMPARE(kindPatterns(s, Kind::Word), QStringList{QStringLiteral("*.doc")});
        s.OptWkaku[0][1] = QStringLiteral("0");
        QCOMPARE(kindPatterns(s, Kind::Word), QStringList{QStringLiteral("*.rtf")});
        s.OptWkaku[1][1] = QStringLiteral("1");
        QCOMPARE(kindPatterns(s, Kind::Word), QStringList{QStringLiteral("*.rtf")});
        s.OptEkaku[0][1] = QStringLiteral("2"); // anything but "1" is off
        QCOMPARE(kindPatterns(s, Kind::Excel), QStringList{QStringLiteral("*.csv")});

        // Text: .log at position 2 and .txt again at position 4 list .txt, .log, .txt.
        s.OptTkaku[2] = {QStringLiteral("*.log"), QStringLiteral("1")};
        s.OptTkaku[4] = {QStringLiteral("*.TXT"), QStringLiteral("1")};
        s.OptTkaku[3] = {QStringLiteral("*.md"), QStringLiteral("0")};
        s.OptTkaku[5] = {QString(), QStringLiteral("1")};
        touch(QDir(data_).filePath(QStringLiteral("one.txt")));
        touch(QDir(data_).filePath(QStringLiteral("two.log")));
        touch(QDir(data_).filePath(QStringLiteral("three.md")));
        QCOMPARE(listKindFiles(s, Kind::Text, data_),
                 (QStringList{QStringLiteral("one.txt"), QStringLiteral("two.log"), QStringLiteral("one.txt")}));
        s.OptTkaku[0][1] = QStringLiteral("0");
        s.OptTkaku[2][1] = QStringLiteral("0");
        s.OptTkaku[4][1] = QStringLiteral("0");
        QVERIFY(listKindFiles(s, Kind::Text, data_).isEmpty());
    }

    void listingAFolderThroughThePicker()
    {
        touch(QDir(data_).filePath(QStringLiteral("b.txt")));
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        touch(QDir(data_).filePath(QStringLiteral("c.doc")));
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        p.right->addItem(QStringLiteral("stale"));
        QString pickerTitle;
        w.execModal = [&](QDialog& dialog) {
            pickerTitle = dialog.windowTitle();
            QVERIFY(!dialog.windowIcon().isNull());
            PickerParts(dialog).ok->click();
        };
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);

        QCOMPARE(pickerTitle, QStringLiteral("データフォルダの指定 ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(p.left), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
        QCOMPARE(p.right->count(), 0);
        QCOMPARE(state_->CurKind, Kind::Text);
        QVERIFY(!state_->Order.isConfirmed());
        QCOMPARE(platform_->messages.shown.size(), 1);
        QCOMPARE(platform_->messages.shown[0].title, QStringLiteral("ファイル数確認"));
        QCOMPARE(platform_->messages.shown[0].icon, MsgIcon::Information);
        QCOMPARE(platform_->messages.shown[0].text,
                 QStringLiteral("同一のフォルダの中から 2 個 の Text ファイルを読み取りました。　"));

        // Word through its toolbar button: the count message is shown for 0 files too.
        p.tool(QStringLiteral("Word ﾌｧｲﾙの一覧を開く"))->trigger();
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("同一のフォルダの中から 1 個 の Word ファイルを読み取りました。　"));
        std::ignore = QFile::remove(QDir(data_).filePath(QStringLiteral("c.doc")));
        p.tool(QStringLiteral("Word ﾌｧｲﾙの一覧を開く"))->trigger();
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("同一のフォルダの中から 0 個 の Word ファイルを読み取りました。　"));
        QCOMPARE(p.left->count(), 0);
    }

    // The left list regains focus after the picker and the count message close, and gets
    // a current row without a selection: "－>" must still say that nothing is chosen.
    void addWithAFocusedButUnselectedListSaysSo()
    {
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        touch(QDir(data_).filePath(QStringLiteral("b.txt")));
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        w.execModal = [](QDialog& d) { PickerParts(d).ok->click(); };
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        p.menu(QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."))->trigger();
        p.left->setFocus();
        p.left->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QVERIFY(p.left->currentRow() >= 0 && p.left->selectedItems().isEmpty());
        p.add->click();
        QCOMPARE(platform_->messages.shown.last().title, QStringLiteral("追加ファイルの確認"));
        QCOMPARE(p.right->count(), 0);
        p.left->item(1)->setSelected(true);
        p.add->click();
        QCOMPARE(rows(p.right), QStringList{QStringLiteral("b.txt")});
    }

    void cancellingThePickerLeavesEverythingAsItWas()
    {
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        w.execModal = [](QDialog& d) { PickerParts(d).ok->click(); };
        p.menu(QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."))->trigger();
        p.right->addItem(QStringLiteral("a.txt"));
        state_->Order.confirm(QStringList{QStringLiteral("kept"), QString()});
        const QString title = w.windowTitle();

        w.execModal = [](QDialog& d) { PickerParts(d).cancel->click(); };
        p.menu(QStringLiteral("Word ﾌｧｲﾙの一覧を開く(&W)..."))->trigger();
        // The window frame's close counts as Cancel too.
        w.execModal = [](QDialog& d) {
            auto& picker = static_cast<SEL_FOLD&>(d);
            picker.reject();
        };
        p.menu(QStringLiteral("Excel ﾌｧｲﾙの一覧を開く(&E)..."))->trigger();

        QCOMPARE(state_->CurKind, Kind::Text);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(rows(p.left), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(rows(p.right), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(state_->Order.files().size(), 2);
        QCOMPARE(state_->Order.files().value(0), QStringLiteral("kept"));
    }

    void longPathWarnsOnceAfterTheCount()
    {
        QString deep = data_;
        while (deep.size() < 250)
            deep += QStringLiteral("/") + QString(qMin(60, int(250 - deep.size() - 1)), u'd');
        QVERIFY(deep.size() == 250);
        QVERIFY(QDir().mkpath(deep));
        touch(deep + QStringLiteral("/a.txt"));
        touch(deep + QStringLiteral("/b.txt"));
        state_->set.DataFol[2] = deep;

        KUMIRO w(*state_, platform_->platform, *office_);

        const MainWindowParts p(w);
        w.execModal = [](QDialog& d) { PickerParts(d).ok->click(); };
        p.menu(QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."))->trigger();
        const auto& shown = platform_->messages.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QStringLiteral("ファイル数確認"));
        QCOMPARE(shown[1].title, QStringLiteral("文字数制限確認"));
        QCOMPARE(shown[1].icon, MsgIcon::Exclamation);
        QCOMPARE(shown[1].text, pathTooLongText());
        QVERIFY(shown[1].text.contains(QStringLiteral("　\r\rファイル名")));
        QCOMPARE(p.left->count(), 2);
        QVERIFY(!p.ok->isEnabled());
        QVERIFY(p.clearAll->isEnabled());
        QVERIFY(!p.clearOrder->isEnabled());
        QVERIFY(!p.help->isEnabled());

        QVERIFY(!anyPathTooLong(QString(249, u'x'), {QStringLiteral("12345")}));
        QVERIFY(anyPathTooLong(QString(249, u'x'), {QStringLiteral("123456")}));
    }

    void unreadableFolderListsNothing()
    {
        if (geteuid() == 0)
            QSKIP("root reads every folder");
        touch(QDir(data_).filePath(QStringLiteral("a.txt")));
        QFile::setPermissions(data_, QFile::WriteOwner);
        QVERIFY(searchFolder(data_, QStringLiteral("*.txt")).isEmpty());
        QFile::setPermissions(data_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // --- drops from a file manager ------------------------------------------------------

    void dropOfFilesChoosesTheirKindAndFolder()
    {
        const QDir data(data_);
        for (const char* name : {"b.txt", "A.txt", "c.TXT", "w.doc", "v.RTF", "e.xls", "d.csv"})
            touch(data.filePath(QString::fromLatin1(name)));
        const SettingsRecord& s = state_->set;

        // Names in the order the drag gave them.
        DropChoice c = chooseDrop({data.filePath("c.TXT"), data.filePath("b.txt"), data.filePath("A.txt")}, s, {});
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Text);
        QCOMPARE(c.folder, data_);
        QCOMPARE(c.names, (QStringList{"c.TXT", "b.txt", "A.txt"}));

        // Into an order being built only from its own folder and kind; an empty order opens
        // the files' folder; a folder always opens.
        QCOMPARE(placeDrop(c, 0, Kind::Word, QStringLiteral("/elsewhere")), DropPlacement::OpenFirst);
        QCOMPARE(placeDrop(c, 2, Kind::Text, data_ + u'/'), DropPlacement::Insert);
        QCOMPARE(placeDrop(c, 2, Kind::Text, data_ + QStringLiteral("/sub")), DropPlacement::Refuse);
        QCOMPARE(placeDrop(c, 2, Kind::Word, data_), DropPlacement::Refuse);
        QCOMPARE(placeDrop(c, 2, std::nullopt, data_), DropPlacement::Refuse);
        QCOMPARE(placeDrop(chooseDrop({data_}, s, Kind::Word), 2, Kind::Text, data_), DropPlacement::OpenFirst);

        // Either pattern of a kind; the kind that was listed before does not matter.
        c = chooseDrop({data.filePath("w.doc"), data.filePath("v.RTF")}, s, Kind::Text);
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Word);
        QCOMPARE(c.names, (QStringList{"w.doc", "v.RTF"}));
        c = chooseDrop({data.filePath("d.csv"), data.filePath("e.xls")}, s, Kind::Word);
        QCOMPARE(c.kind, Kind::Excel);

        // The folder is stored clean, as the picker stores it.
        c = chooseDrop({data_ + QStringLiteral("/.//e.xls")}, s, {});
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.folder, data_);
        QCOMPARE(c.names, QStringList{"e.xls"});
    }

    void dropOfAFolderOpensItForTheListedKind()
    {
        const QString other = dir_->filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(other));
        const SettingsRecord& s = state_->set;

        DropChoice c = chooseDrop({other + u'/'}, s, std::nullopt);
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Text);
        QCOMPARE(c.folder, other);
        QVERIFY(c.names.isEmpty());

        c = chooseDrop({other}, s, Kind::Excel);
        QCOMPARE(c.refusal, DropRefusal::None);
        QCOMPARE(c.kind, Kind::Excel);
        QCOMPARE(c.folder, other);
    }

    void dropRefusals_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<DropRefusal>("refusal");
        const QString a = QStringLiteral("data/a.txt");
        const QString b = QStringLiteral("data/b.txt");
        const QString w = QStringLiteral("data/w.doc");
        const QString other = QStringLiteral("other/c.txt");
        const QString picture = QStringLiteral("data/p.png");
        QTest::newRow("two folders") << QStringList{a, other} << DropRefusal::SeveralFolders;
        QTest::newRow("two kinds") << QStringList{a, w} << DropRefusal::MixedKinds;
        QTest::newRow("no kind's file") << QStringList{picture} << DropRefusal::NotKumiros;
        QTest::newRow("no kind's file among others") << QStringList{a, picture, b} << DropRefusal::NotKumiros;
        QTest::newRow("hidden file") << QStringList{QStringLiteral("data/.h.txt")} << DropRefusal::NotKumiros;
        QTest::newRow("missing file") << QStringList{QStringLiteral("data/gone.txt")} << DropRefusal::NotKumiros;
        QTest::newRow("file and folder") << QStringList{a, QStringLiteral("other")} << DropRefusal::NotKumiros;
        QTest::newRow("two folders dropped")
            << QStringList{QStringLiteral("data"), QStringLiteral("other")} << DropRefusal::NotKumiros;
        QTest::newRow("nothing") << QStringList{} << DropRefusal::NotKumiros;
        // Not the program's is told before the folders, the folders before the kinds.
        QTest::newRow("no kind's file elsewhere")
            << QStringList{a, QStringLiteral("other/p.png")} << DropRefusal::NotKumiros;
        QTest::newRow("two kinds in two folders") << QStringList{w, other} << DropRefusal::SeveralFolders;
    }

    void dropRefusals()
    {
        QFETCH(QStringList, paths);
        QFETCH(DropRefusal, refusal);
        const QDir root(dir_->path());
        QVERIFY(root.mkpath(QStringLiteral("other")));
        for (const char* name :
             {"data/a.txt", "data/b.txt", "data/w.doc", "data/p.png", "data/.h.txt", "other/c.txt", "other/p.png"})
            touch(root.filePath(QString::fromLatin1(name)));
        QStringList absolute;
        for (const QString& path : paths)
            absolute << root.filePath(path);

        for (std::optional<Kind> current : {std::optional<Kind>(), std::optional<Kind>(Kind::Word)}) {
            const DropChoice c = chooseDrop(absolute, state_->set, current);
            QCOMPARE(c.refusal, refusal);
            QVERIFY(c.refused());
            QVERIFY(c.names.isEmpty());
        }
    }

    void dropFollowsThePatternsInTheSettings()
    {
        const QDir data(data_);
        for (const char* name : {"a.doc", "b.rtf", "c.log"})
            touch(data.filePath(QString::fromLatin1(name)));
        SettingsRecord s = state_->set;
        QCOMPARE(chooseDrop({data.filePath("b.rtf")}, s, {}).kind, Kind::Word);

        // A pattern switched off lists nothing, so its files are no kind's.
        s.OptWkaku[1][1] = QStringLiteral("0");
        QCOMPARE(chooseDrop({data.filePath("b.rtf")}, s, {}).refusal, DropRefusal::NotKumiros);
        QCOMPARE(chooseDrop({data.filePath("a.doc")}, s, {}).refusal, DropRefusal::None);
        // An empty Text pattern switched on matches nothing.
        s.OptTkaku[1] = {QString(), QStringLiteral("1")};
        QCOMPARE(chooseDrop({data.filePath("c.log")}, s, {}).refusal, DropRefusal::NotKumiros);
        // A user pattern for Text: its files become Text files.
        s.OptTkaku[2] = {QStringLiteral("*.LOG"), QStringLiteral("1")};
        QCOMPARE(chooseDrop({data.filePath("c.log")}, s, {}).kind, Kind::Text);
        // A file that two kinds list is the current kind when that is one of them, else the
        // first in the kinds' order: the same answer as the command line's.
        s.OptTkaku[3] = {QStringLiteral("*.doc"), QStringLiteral("1")};
        QCOMPARE(chooseDrop({data.filePath("a.doc")}, s, {}).kind, Kind::Word);
        QCOMPARE(chooseDrop({data.filePath("a.doc")}, s, Kind::Text).kind, Kind::Text);
        int unknown = -1;
        QCOMPARE(kindOfNames(s, {QStringLiteral("a.doc")}, std::nullopt, unknown), std::optional<Kind>(Kind::Word));
    }

    void dropOfAnUnreadableFolderIsRefused()
    {
        if (geteuid() == 0)
            QSKIP("root reads every folder");
        const QString locked = dir_->filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        touch(locked + QStringLiteral("/a.txt"));
        QFile::setPermissions(locked, QFile::ExeOwner);
        const DropChoice folder = chooseDrop({locked}, state_->set, Kind::Text);
        const DropChoice file = chooseDrop({locked + QStringLiteral("/a.txt")}, state_->set, {});
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(folder.refusal, DropRefusal::UnreadableFolder);
        QCOMPARE(folder.folder, locked);
        QCOMPARE(file.refusal, DropRefusal::UnreadableFolder);

        // The window tells it as the picker does, and keeps the stored folder.
        QFile::setPermissions(locked, QFile::ExeOwner);
        KUMIRO w(*state_, platform_->platform, *office_);
        const MainWindowParts p(w);
        const auto data = fileUrls({locked});
        const DragOutcome outcome = dragOnto(w, *data);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!outcome.dropped);
        QCOMPARE(platform_->messages.shown.size(), 1);
        QCOMPARE(platform_->messages.shown[0].title, QStringLiteral("フォルダ確認"));
        QCOMPARE(platform_->messages.shown[0].text,
                 QStringLiteral("フォルダ ") + locked +
                     QStringLiteral(" を開けません。　\r\r読み取る権限がありません。"));
        QCOMPARE(state_->set.DataFol[Kind::Text], data_);
    }

    void droppedFilesGoIntoTheOrderWhereDropped()
    {
        const QDir data(data_);
        for (const char* name : {"c.txt", "B.txt", "a.txt", "d.doc"})
            touch(data.filePath(QString::fromLatin1(name)));
        const QString before = dir_->filePath(QStringLiteral("before"));
        state_->set.DataFol[Kind::Text] = before;
        state_->Order.confirm(QStringList{QStringLiteral("kept"), QStringLiteral("kept too")});

        KUMIRO w(*state_, platform_->platform, *office_);

        const MainWindowParts p(w);
        // Drops over the lists reach the window: neither list takes drops itself.
        QVERIFY(w.acceptDrops());
        for (QListWidget* list : {p.left, p.right})
            QVERIFY(!list->acceptDrops() && !list->viewport()->acceptDrops());

        // Shift asks the file manager for a move: the window still only copies.
        const auto dragged = fileUrls({data.filePath("c.txt"), data.filePath("a.txt")});
        const DragOutcome outcome = dragOnto(w, *dragged, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier);
        QVERIFY(outcome.entered);
        QVERIFY(outcome.dropped);
        QCOMPARE(outcome.action, Qt::CopyAction);

        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(p.left), (QStringList{"a.txt", "B.txt", "c.txt"}));
        QCOMPARE(rows(p.right), (QStringList{"c.txt", "a.txt"}));
        const auto& shown = platform_->messages.shown;
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, MsgIcon::Information);
        QCOMPARE(shown[0].title, QStringLiteral("ファイル数確認"));
        QCOMPARE(shown[0].text, QStringLiteral("同一のフォルダの中から 3 個 の Text ファイルを読み取りました。　"));
        QCOMPARE(state_->CurKind, Kind::Text);
        QCOMPARE(state_->set.DataFol[Kind::Text], data_);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, kindKey(QStringLiteral("DataFol"), 2)), data_);
        // The old order is void and the new one is not confirmed until "OK".
        QVERIFY(!state_->Order.isConfirmed());

        // More of the same folder: added where dropped, nothing cleared, nothing listed again.
        const auto more = fileUrls({data.filePath("B.txt"), data.filePath("B.txt")});
        const QPoint onFirstRow = p.right->viewport()->mapTo(&w, p.right->visualItemRect(p.right->item(0)).center());
        QVERIFY(dragOnto(w, *more, Qt::CopyAction, Qt::NoModifier, onFirstRow).dropped);
        QCOMPARE(rows(p.right), (QStringList{"B.txt", "B.txt", "c.txt", "a.txt"}));
        // Below the last row is the end of the order, not its start.
        const auto last = fileUrls({data.filePath("a.txt")});
        const QPoint belowRows = p.right->viewport()->mapTo(&w, QPoint(5, p.right->viewport()->height() - 2));
        QVERIFY(dragOnto(w, *last, Qt::CopyAction, Qt::NoModifier, belowRows).dropped);
        QCOMPARE(rows(p.right), (QStringList{"B.txt", "B.txt", "c.txt", "a.txt", "a.txt"}));
        QCOMPARE(shown.size(), 1);
        QVERIFY(p.ok->isEnabled());
        p.ok->click();
        QCOMPARE(state_->Order.files().value(2), data.filePath("c.txt"));

        // A Word file while the Text order has entries: refused, the order stays.
        const auto word = fileUrls({data.filePath("d.doc")});
        QVERIFY(!dragOnto(w, *word).dropped);
        QCOMPARE(shown.last().title, kDropTitle);
        QCOMPARE(shown.last().text, dropRefusalText(DropRefusal::OtherFolder));
        QCOMPARE(p.right->count(), 5);
        // The same given to the program ("open with") speaks of opening, not of a drop.
        w.openFiles({data.filePath("d.doc")});
        QCOMPARE(shown.last().title, QStringLiteral("ファイル確認"));
        QVERIFY2(shown.last().text.startsWith(QStringLiteral("開いたファイルは ")), qPrintable(shown.last().text));
        QCOMPARE(p.right->count(), 5);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )"));

        // Once the order is cleared, it opens for Word.
        p.right->clear();
        QVERIFY(dragOnto(w, *word).dropped);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Word ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(p.left), QStringList{"d.doc"});
        QCOMPARE(rows(p.right), QStringList{"d.doc"});
        QCOMPARE(shown.last().text, QStringLiteral("同一のフォルダの中から 1 個 の Word ファイルを読み取りました。　"));
        QVERIFY(!state_->Order.isConfirmed());
    }

    void droppedFolderOpensForTheKindListedLast()
    {
        const QString other = dir_->filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(other));
        touch(other + QStringLiteral("/x.doc"));
        touch(other + QStringLiteral("/y.txt"));
        touch(QDir(data_).filePath(QStringLiteral("a.doc")));
        state_->CurKind = Kind::Word; // what a new window finds, though no kind was listed yet

        KUMIRO w(*state_, platform_->platform, *office_);

        const MainWindowParts p(w);
        const auto folder = fileUrls({other});
        QVERIFY(dragOnto(w, *folder).dropped);
        QCOMPARE(state_->CurKind, Kind::Text);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows ( Text ﾌｧｲﾙ 編 )"));
        QCOMPARE(rows(p.left), QStringList{"y.txt"});
        QCOMPARE(p.right->count(), 0);
        QCOMPARE(state_->set.DataFol[Kind::Text], other);
        QCOMPARE(platform_->messages.shown.last().text,
                 QStringLiteral("同一のフォルダの中から 1 個 の Text ファイルを読み取りました。　"));

        // After Word is listed through the picker, a dropped folder is Word's.
        w.execModal = [](QDialog& d) { PickerParts(d).ok->click(); };
        p.menu(QStringLiteral("Word ﾌｧｲﾙの一覧を開く(&W)..."))->trigger();
        QCOMPARE(rows(p.left), QStringList{"a.doc"});
        p.right->addItem(QStringLiteral("a.doc"));
        QVERIFY(dragOnto(w, *folder).dropped);
        QCOMPARE(rows(p.left), QStringList{"x.doc"});
        QCOMPARE(p.right->count(), 0);
        QCOMPARE(state_->set.DataFol[Kind::Word], other);
        QCOMPARE(state_->set.DataFol[Kind::Text], other);
    }

    void refusedDropsChangeNothing()
    {
        const QDir root(dir_->path());
        QVERIFY(root.mkpath(QStringLiteral("other")));
        for (const char* name : {"data/a.txt", "data/b.txt", "data/w.doc", "data/p.png", "other/c.txt"})
            touch(root.filePath(QString::fromLatin1(name)));
        const QString a = root.filePath("data/a.txt");

        KUMIRO w(*state_, platform_->platform, *office_);

        const MainWindowParts p(w);
        w.execModal = [](QDialog& d) { PickerParts(d).ok->click(); };
        p.menu(QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."))->trigger();
        p.right->addItems({"b.txt", "a.txt"});
        p.ok->click();
        const QStringList order = state_->Order.files();
        const QString title = w.windowTitle();
        const QString stored = store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(2)"));
        auto& shown = platform_->messages.shown;
        shown.clear();

        auto unchanged = [&] {
            QCOMPARE(w.windowTitle(), title);
            QCOMPARE(rows(p.left), (QStringList{"a.txt", "b.txt"}));
            QCOMPARE(rows(p.right), (QStringList{"b.txt", "a.txt"}));
            QCOMPARE(state_->Order.files(), order);
            QVERIFY(state_->Order.isConfirmed());
            for (Kind kind : kAllKinds)
                QCOMPARE(state_->set.DataFol[kind], data_);
            QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionKumiro, QStringLiteral("DataFol(2)")), stored);
        };

        struct Case {
            QStringList paths;
            QString text;
        };
        const QString severalFolders = QStringLiteral(
            "ドロップされたファイルが複数のフォルダにあります。　同じフォルダのファイルだけをドロップして下さい。　");
        const QString mixedKinds = QStringLiteral(
            "ドロップされたファイルの種類が混在しています。　同じ種類のファイルだけをドロップして下さい。　");
        const QString notKumiros = QStringLiteral("ドロップされたファイルはくみろの対象ではありません。　");
        for (const Case& c :
             {Case{{a, root.filePath("other/c.txt")}, severalFolders},
              Case{{a, root.filePath("data/w.doc")}, mixedKinds}, Case{{root.filePath("data/p.png")}, notKumiros},
              Case{{a, root.filePath("other")}, notKumiros}}) {
            const auto data = fileUrls(c.paths);
            const DragOutcome outcome = dragOnto(w, *data);
            QVERIFY(outcome.entered);
            QVERIFY(!outcome.dropped);
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].icon, MsgIcon::Exclamation);
            QCOMPARE(shown[0].title, QStringLiteral("ドロップ確認"));
            QCOMPARE(shown[0].text, c.text);
            unchanged();
            shown.clear();
        }

        // Not local files, or no files at all: refused as the drag enters, without a word.
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.txt")), QUrl::fromLocalFile(a)});
        QMimeData text;
        text.setText(a);
        QMimeData empty;
        empty.setUrls({});
        for (const QMimeData* data : {&web, &text, &empty})
            QVERIFY(!dragOnto(w, *data).entered);
        // A drag that can only move the files would have the file manager delete them.
        const auto local = fileUrls({a});
        QVERIFY(!dragOnto(w, *local, Qt::MoveAction).entered);
        QVERIFY(shown.isEmpty());
        unchanged();
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestListing)
#include "test_listing.moc"
