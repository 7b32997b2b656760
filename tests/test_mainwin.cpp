// The main window frame: size and place from the settings, saving them at the end.
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "mainwin/KUMIRO.h"
#include "platform/Twips.h"
#include "support/ScriptedPlatform.h"

#include <QCloseEvent>
#include <QTemporaryDir>
#include <QTest>

using namespace kumiro;

class TestMainWin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<SettingsStore>(dir_->path());
        state_ = std::make_unique<ProgramState>(*store_, dir_->path());
        state_->AppTitle = QStringLiteral("kumiro");
        auto& s = state_->set;
        s.OptCent = QStringLiteral("0");
        s.F_Height = QStringLiteral("9000");
        s.F_Width = QStringLiteral("12000");
        s.G_Top = QStringLiteral("600");
        s.G_Left = QStringLiteral("1500");
        platform_ = std::make_unique<test::ScriptedPlatform>();
    }

    void opensAtTheStoredSizeAndPlace()
    {
        state_->FolderChosen = 1;
        KUMIRO w(*state_, platform_->platform);
        QCOMPARE(w.windowTitle(), QStringLiteral("くみろ君 for Windows"));
        QCOMPARE(w.size(), QSize(twipsToPixels(12000), twipsToPixels(9000)));
        QCOMPARE(w.pos(), QPoint(twipsToPixels(1500), twipsToPixels(600)));
        QCOMPARE(state_->FolderChosen, quint8(0));
        QVERIFY(!w.windowIcon().isNull());
    }

    void unusableStoredSizeGivesTheDefault_data()
    {
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::newRow("not a number") << "tall" << "";
        QTest::newRow("beyond 16 bits") << "32768" << "99999";
        QTest::newRow("trailing garbage") << "9000px" << "12000 twips";
    }

    void unusableStoredSizeGivesTheDefault()
    {
        QFETCH(QString, height);
        QFETCH(QString, width);
        state_->set.F_Height = height;
        state_->set.F_Width = width;
        KUMIRO w(*state_, platform_->platform);
        QCOMPARE(w.size(), QSize(twipsToPixels(12000), twipsToPixels(9000)));
    }

    void centringIgnoresTheStoredPlaceButSavesIt()
    {
        state_->set.OptCent = QStringLiteral("1");
        state_->set.F_Width = QStringLiteral("6000");
        state_->set.F_Height = QStringLiteral("4500");
        KUMIRO w(*state_, platform_->platform);
        const QSize screen(twipsToPixels(screenWidthTwips()), twipsToPixels(screenHeightTwips()));
        QCOMPARE(w.pos(), QPoint((screen.width() - w.width()) / 2, (screen.height() - w.height()) / 2));

        int ended = 0;
        w.endProgram = [&] { ++ended; };
        w.close();
        QCOMPARE(ended, 1);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionPosition, QStringLiteral("G_Left")),
                 QString::number(pixelsToTwips(w.x())));
    }

    void closingSavesWithoutAskingExitAsksFirst()
    {
        KUMIRO w(*state_, platform_->platform);
        int ended = 0;
        w.endProgram = [&] { ++ended; };
        w.resize(twipsToPixels(9000), twipsToPixels(6000));
        w.move(twipsToPixels(300), twipsToPixels(450));

        // Cancel: nothing saved, the program goes on.
        platform_->messages.answers = {MsgAnswer::Cancel};
        w.mnuFileEnd_Click();
        QCOMPARE(platform_->messages.shown.size(), 1);
        const auto& asked = platform_->messages.shown[0];
        QCOMPARE(asked.title, QStringLiteral("終了確認"));
        QCOMPARE(asked.text, QStringLiteral("「くみろ君 for Windows」 を終了しますか？　"));
        QCOMPARE(asked.icon, MsgIcon::Question);
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        QCOMPARE(ended, 0);
        QVERIFY(store_->read(QStringLiteral("kumiro"), kSectionPosition, QStringLiteral("G_Top")).isEmpty());

        // OK: the geometry is saved in twips and the program ends.
        w.mnuFileEnd_Click();
        QCOMPARE(ended, 1);
        auto stored = [&](const char* key) {
            return store_->read(QStringLiteral("kumiro"), kSectionPosition, QString::fromLatin1(key));
        };
        QCOMPARE(stored("G_Top"), QString::number(pixelsToTwips(twipsToPixels(450))));
        QCOMPARE(stored("G_Left"), QString::number(pixelsToTwips(twipsToPixels(300))));
        QCOMPARE(stored("F_Height"), QString::number(pixelsToTwips(twipsToPixels(6000))));
        QCOMPARE(stored("F_Width"), QString::number(pixelsToTwips(twipsToPixels(9000))));
    }

    void closeButtonNeverAsks()
    {
        KUMIRO w(*state_, platform_->platform);
        int ended = 0;
        w.endProgram = [&] { ++ended; };
        QCloseEvent event;
        QCoreApplication::sendEvent(&w, &event);
        QVERIFY(event.isAccepted());
        QVERIFY(platform_->messages.shown.isEmpty());
        QCOMPARE(ended, 1);
        QCOMPARE(store_->read(QStringLiteral("kumiro"), kSectionPosition, QStringLiteral("F_Width")),
                 QStringLiteral("12000"));
    }

    void geometrySurvivesARestartUnchanged()
    {
        {
            KUMIRO w(*state_, platform_->platform);
            w.endProgram = [] {};
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.close();
        }
        auto& s = state_->set;
        const QString app = QStringLiteral("kumiro");
        s.G_Top = store_->read(app, kSectionPosition, QStringLiteral("G_Top"));
        s.G_Left = store_->read(app, kSectionPosition, QStringLiteral("G_Left"));
        s.F_Height = store_->read(app, kSectionPosition, QStringLiteral("F_Height"));
        s.F_Width = store_->read(app, kSectionPosition, QStringLiteral("F_Width"));
        QCOMPARE(s.F_Height, QStringLiteral("9000"));
        QCOMPARE(s.F_Width, QStringLiteral("12000"));
        QCOMPARE(s.G_Top, QStringLiteral("600"));
        QCOMPARE(s.G_Left, QStringLiteral("1500"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<test::ScriptedPlatform> platform_;
};

QTEST_MAIN(TestMainWin)
#include "test_mainwin.moc"
