// The platform layer: message text display, file filters, twips, the help file and viewer.
#include "platform/Help.h"
#include "platform/Leftovers.h"
#include "platform/HelpWindow.h"
#include "platform/FileDialogs.h"
#include "platform/Look.h"
#include "platform/MessageBoxes.h"
#include "platform/ReplaceFile.h"
#include "platform/Shell.h"
#include "platform/Twips.h"
#include "support/ScriptedPlatform.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>
#include <QTextBrowser>
#include <QTimer>

using namespace kumiro;

namespace {
QString deliveredHelpFile()
{
    return qEnvironmentVariable("KUMIRO_PROGRAM_DIR") + QStringLiteral("/KUMIRO.html");
}

// A file manager on a test bus: what it was asked to show.
class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown = uris; }
};
} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // "フォルダを開く" asks the file manager on the session bus to show the file itself, by
    // its URI; with no file manager there the answer is no, at once.
    void showInFolderAsksTheFileManager()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("bus.conf"));
        QFile conf(config);
        QVERIFY(conf.open(QIODevice::WriteOnly));
        // No service folders: nothing is started on demand, whatever the machine has.
        conf.write("<busconfig><type>session</type><listen>unix:path=" + QFile::encodeName(dir.filePath("bus")) +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                   "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        conf.close();
        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (!daemon.waitForStarted())
            QSKIP("no dbus-daemon");
        QVERIFY(daemon.waitForReadyRead(10000));
        const QByteArray address = daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        const QString file = dir.filePath(QStringLiteral("くみろ 1.txt"));

        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(!showInFileManager(file, 5000));

        // The file manager answers from a thread of its own: the call waits for it.
        QThread thread;
        FileManager manager;
        manager.moveToThread(&thread);
        thread.start();
        QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLatin1(address), QStringLiteral("fm"));
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        const bool shown = showInFileManager(file, 5000);
        thread.quit();
        thread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("fm"));
        daemon.kill();
        daemon.waitForFinished();
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QVERIFY(shown);
        QCOMPARE(manager.shown, QStringList{QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded())});
        QVERIFY(manager.shown.first().startsWith(QStringLiteral("file:///")) && !manager.shown.first().contains(u' '));
    }

    // A program killed while its partial file had a name (a file system without unnamed
    // files) leaves it; the next start removes it, and only what a dead process of ours noted.
    void partialFilesOfDeadProgramsGoAtTheNextStart()
    {
        QTemporaryDir cache, folder;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        const QString kept = folder.filePath(QStringLiteral(".~kumiro-1-0123456789abcdef.tmp"));
        QFile(kept).open(QIODevice::WriteOnly);
        const pid_t child = ::fork();
        if (child == 0) {
            const QString partial = partialFileName(folder.path());
            notePartialFile(partial);
            QFile(partial).open(QIODevice::WriteOnly);
            ::_exit(0); // as if killed: never forgotten, never removed
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        const QStringList left =
            QDir(folder.path()).entryList({QStringLiteral(".~kumiro-%1-*").arg(child)}, QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), 1);
        // A live process's partial file stays.
        const QString ours = partialFileName(folder.path());
        notePartialFile(ours);
        QFile(ours).open(QIODevice::WriteOnly);
        sweepLeftovers();
        QVERIFY(!QFileInfo::exists(folder.filePath(left[0])));
        QVERIFY(QFileInfo::exists(ours));
        QVERIFY(QFileInfo::exists(kept)); // never noted: not ours to remove
        forgetPartialFile(ours);
        qunsetenv("XDG_CACHE_HOME");
    }

    void messageTextKeepsCarriageReturnsUntilShown()
    {
        const QString text = QStringLiteral("一つ目。　\r\r二つ目。　");
        QCOMPARE(displayText(text), QStringLiteral("一つ目。　\n\n二つ目。　"));
        QCOMPARE(displayText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
    }

    void qtMessageBoxAnswersReturnWithOkAndEscapeWithCancel()
    {
        QtMessageBoxes boxes;
        auto answerWith = [](int key, QString* seenText, QString* seenTitle) {
            QTimer::singleShot(0, [=] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                *seenText = box->text();
                *seenTitle = box->windowTitle();
                QCOMPARE(box->defaultButton()->text(), QStringLiteral("OK"));
                QTest::keyClick(box, Qt::Key(key));
            });
        };
        QString text, title;
        answerWith(Qt::Key_Escape, &text, &title);
        QCOMPARE(boxes.show(nullptr, MsgIcon::Question, QStringLiteral("終了確認"),
                            QStringLiteral("終了しますか？　\r\r本当に？"), MsgButtons::OkCancel),
                 MsgAnswer::Cancel);
        QCOMPARE(text, QStringLiteral("終了しますか？　\n\n本当に？"));
        QCOMPARE(title, QStringLiteral("終了確認"));

        answerWith(Qt::Key_Return, &text, &title);
        QCOMPARE(boxes.show(nullptr, MsgIcon::Question, QStringLiteral("t"), QStringLiteral("x"), MsgButtons::OkCancel),
                 MsgAnswer::Ok);
        // A box with only OK answers Escape with OK.
        answerWith(Qt::Key_Escape, &text, &title);
        QCOMPARE(boxes.show(nullptr, MsgIcon::Information, QStringLiteral("t"), QStringLiteral("x")), MsgAnswer::Ok);
    }

    void barFiltersBecomeQtFilters()
    {
        QCOMPARE(qtFilters(QStringLiteral("(*.doc;*.rtf)|*.doc;*.rtf")),
                 QStringList{QStringLiteral("(*.doc;*.rtf) (*.doc *.rtf)")});
        QCOMPARE(qtFilters(QStringLiteral("(*.txt)|*.txt|")), QStringList{QStringLiteral("(*.txt) (*.txt)")});
        QCOMPARE(qtFilters(QStringLiteral("A|*.a|B|*.b;*.c|")),
                 (QStringList{QStringLiteral("A (*.a)"), QStringLiteral("B (*.b *.c)")}));
        QCOMPARE(qtFilters(QString()), QStringList());
    }

    // The target is replaced only by a complete file; nothing temporary stays behind.
    void replaceFileKeepsTheOldFileUnlessTheNewOneIsWhole()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.doc"));
        auto put = [](const QString& path, const QByteArray& bytes) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        auto contents = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
        };
        auto onlyTarget = [&] {
            return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList{"out.doc"};
        };
        QVERIFY(put(target, "old"));

        ReplaceResult r = replaceFile(target, [&](const QString& temp) {
            put(temp, "half");
            return QStringLiteral("disk full");
        });
        QCOMPARE(r.status, ReplaceResult::WriteFailed);
        QCOMPARE(r.reason, QStringLiteral("disk full"));
        QCOMPARE(contents(target), QByteArray("old"));
        QVERIFY(onlyTarget());

        QVERIFY_THROWS_EXCEPTION(std::runtime_error, replaceFile(target, [&](const QString& temp) -> QString {
                                     put(temp, "half");
                                     throw std::runtime_error("office died");
                                 }));
        QCOMPARE(contents(target), QByteArray("old"));
        QVERIFY(onlyTarget());

        r = replaceFile(target,
                        [&](const QString& temp) { return put(temp, "new") ? QString() : QStringLiteral("?"); });
        QVERIFY(r.ok());
        QCOMPARE(contents(target), QByteArray("new"));
        QVERIFY(onlyTarget());

        bool wrote = false;
        r = replaceFile(dir.filePath(QStringLiteral("missing/out.doc")), [&](const QString&) {
            wrote = true;
            return QString();
        });
        QCOMPARE(r.status, ReplaceResult::FolderNotWritable);
        QVERIFY(!wrote);
        QVERIFY(!r.reason.isEmpty());
    }

    void twipsAndPixels()
    {
        QCOMPARE(twipsToPixels(1440, 96), 96);
        QCOMPARE(twipsToPixels(8385, 96), 559);
        QCOMPARE(pixelsToTwips(800, 96), 12000.0);
        QCOMPARE(twipsRect(120, 525, 5355, 7260, 96), QRect(8, 35, 357, 484));
        QCOMPARE(twipsToPixels(1440, 144), 144);
        QCOMPARE(bgrColor(0xC0FFFF), QColor(255, 255, 192));
        QCOMPARE(bgrColor(0x00FFFF), QColor(255, 255, 0));
    }

    void windowFacesMapToInstalledJapaneseFonts()
    {
        installFontSubstitutions();
        QLabel label;
        label.setFont(windowFont(kMincho, 20));
        const QString family = QFontInfo(label.font()).family();
        QVERIFY2(family.contains(QStringLiteral("CJK")) || family.contains(QStringLiteral("IPA")), qPrintable(family));
        label.setFont(windowFont(kTimes, 18));
        QCOMPARE(QFontInfo(label.font()).family(), QStringLiteral("Liberation Serif"));
    }

    void deliveredHelpHasEveryContextAndAnIndex()
    {
        QFile f(deliveredHelpFile());
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(deliveredHelpFile()));
        const QString html = QString::fromUtf8(f.readAll());
        for (int context : {6, 8, 22, 23, 28, 29, 30, 39, 40})
            QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(contextAnchor(context))),
                     qPrintable(contextAnchor(context)));
        QVERIFY(html.contains(QStringLiteral("name=\"contents\"")));
        const auto index = parseHelpIndex(html);
        QVERIFY(index.size() > 10);
        for (const auto& e : index)
            QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(e.anchor)), qPrintable(e.anchor));
    }

    void helpIndexParsesSortsAndNarrows()
    {
        const QString html =
            QStringLiteral("<a class=\"kw\" href=\"#b\">設定 &amp; 保存</a> <a href=\"#x\">not a keyword</a>"
                           "<a class=\"kw\" href=\"#a\">Ｅｘｃｅｌ</a><a class=\"kw\" href=\"#c\">ｺﾋﾟｰ</a>");
        const auto entries = parseHelpIndex(html);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].keyword, QStringLiteral("Ｅｘｃｅｌ"));
        QCOMPARE(entries[0].anchor, QStringLiteral("a"));
        QVERIFY(std::any_of(entries.begin(), entries.end(),
                            [](const auto& e) { return e.keyword == QStringLiteral("設定 & 保存"); }));

        QCOMPARE(filterHelpIndex(entries, QStringLiteral("excel")).size(), 1);
        QCOMPARE(filterHelpIndex(entries, QStringLiteral("コピー")).front().anchor, QStringLiteral("c"));
        QCOMPARE(filterHelpIndex(entries, QStringLiteral("  ")).size(), 3);
        QVERIFY(filterHelpIndex(entries, QStringLiteral("Word")).isEmpty());

        // Hiragana, katakana and half-width katakana find one another; voiced marks still
        // tell words apart.
        const QList<HelpIndexEntry> kana = {{QStringLiteral("バックアップ"), QStringLiteral("backup")},
                                            {QStringLiteral("ハック"), QStringLiteral("hack")},
                                            {QStringLiteral("ごみ箱"), QStringLiteral("trash")}};
        auto found = [&](const QString& typed) {
            QStringList anchors;
            for (const auto& e : filterHelpIndex(kana, typed))
                anchors << e.anchor;
            return anchors;
        };
        QCOMPARE(found(QStringLiteral("ばっく")), QStringList{QStringLiteral("backup")});
        QCOMPARE(found(QStringLiteral("ﾊﾞｯｸ")), QStringList{QStringLiteral("backup")});
        QCOMPARE(found(QStringLiteral("はっく")), QStringList{QStringLiteral("hack")});
        QCOMPARE(found(QStringLiteral("ゴミ")), QStringList{QStringLiteral("trash")});
    }

    void missingHelpFileIsReported()
    {
        test::ScriptedMessageBoxes messages;
        QtHelpViewer viewer(messages);
        viewer.show(nullptr, QStringLiteral("/nonexistent/KUMIRO.html"), HelpCommand::Context, 6);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, kHelpMissingTitle);
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("/nonexistent/KUMIRO.html")));
        QVERIFY(messages.shown[0].text.endsWith(QChar(0x3000)));
    }

    void helpFromAModalDialogCanBeUsed()
    {
        test::ScriptedMessageBoxes messages;
        QtHelpViewer viewer(messages);
        viewer.show(nullptr, deliveredHelpFile(), HelpCommand::Contents, 0);
        QVERIFY(viewer.window() && !viewer.window()->parentWidget());
        QDialog modal;
        modal.setModal(true);
        modal.show();
        QVERIFY(QTest::qWaitForWindowExposed(&modal));
        QCOMPARE(QApplication::activeModalWidget(), &modal);
        viewer.show(&modal, deliveredHelpFile(), HelpCommand::Context, 23);
        // Owned by the modal dialog, so the dialog's modality does not block it.
        QCOMPARE(viewer.window()->parentWidget(), &modal);
        QVERIFY(viewer.window()->isWindow());
        QCOMPARE(viewer.window()->browser()->source().fragment(), QStringLiteral("ctx23"));
        modal.hide();
    }

    void helpWindowOpensTopicsAndSearchesTheIndex()
    {
        HelpWindow window;
        window.openFile(deliveredHelpFile());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        window.showAnchor(contextAnchor(22));
        QCOMPARE(window.browser()->source().fragment(), QStringLiteral("ctx22"));
        window.showAnchor(kContentsAnchor);
        QVERIFY(window.browser()->isBackwardAvailable());
        window.browser()->backward();
        QCOMPARE(window.browser()->source().fragment(), QStringLiteral("ctx22"));

        window.showIndex();
        window.searchField()->setText(QStringLiteral("コピー"));
        QCOMPARE(window.keywordList()->count(), 1);
        QTest::keyClick(window.searchField(), Qt::Key_Return);
        QCOMPARE(window.browser()->source().fragment(), QStringLiteral("ctx22"));

        // It closes as a viewer does: Escape, Ctrl+W.
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_Escape, Qt::KeyboardModifiers()},
                                             std::pair{Qt::Key_W, Qt::KeyboardModifiers(Qt::ControlModifier)}}) {
            window.show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QTest::keyClick(window.browser(), key, modifiers);
            QVERIFY(!window.isVisible());
        }
    }

    // The index opens on its own topic with an empty keyword, whatever was read and typed.
    void indexOpensAfresh()
    {
        HelpWindow window;
        window.openFile(deliveredHelpFile());
        window.showAnchor(contextAnchor(22));
        window.searchField()->setText(QStringLiteral("コピー"));
        window.showIndex();
        QCOMPARE(window.browser()->source().fragment(), QStringLiteral("index"));
        QVERIFY(window.searchField()->text().isEmpty());
        QVERIFY(window.keywordList()->count() > 1);
    }

    void helpOpensBesideTheWindowThatAsked()
    {
        const QRect screen(0, 0, 1920, 1080);
        const QSize help(820, 600);
        // Room on the right.
        QCOMPARE(helpWindowPlace(QRect(100, 100, 800, 600), help, screen), QRect(QPoint(900, 100), help));
        // No room on the right: on the left.
        QCOMPARE(helpWindowPlace(QRect(1000, 200, 800, 600), help, screen), QRect(QPoint(180, 200), help));
        // Room on neither side: centred on it, kept on the screen.
        const QRect centred = helpWindowPlace(QRect(500, 300, 1000, 700), help, screen);
        QCOMPARE(centred.center(), QRect(500, 300, 1000, 700).center());
        const QRect low = helpWindowPlace(QRect(100, 900, 800, 600), help, screen);
        QVERIFY(screen.contains(low));
        QCOMPARE(low.left(), 900);
    }

    // A box asked for by a window that is not shown yet goes to the shown window it belongs to.
    void messageBoxCentresOnTheShownOwner()
    {
        QWidget main;
        main.setGeometry(300, 200, 900, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QDialog loading(&main);
        QCOMPARE(visibleOwner(&loading), &main);
        QCOMPARE(visibleOwner(&main), &main);

        QtMessageBoxes boxes;
        QRect shownAt;
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                shownAt = box->geometry();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        boxes.show(&loading, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"), QStringLiteral("テスト"));
        QVERIFY(shownAt.isValid());
        QVERIFY2((shownAt.center() - main.geometry().center()).manhattanLength() <= 40,
                 qPrintable(QStringLiteral("box at %1,%2 %3x%4")
                                .arg(shownAt.x())
                                .arg(shownAt.y())
                                .arg(shownAt.width())
                                .arg(shownAt.height())));
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
