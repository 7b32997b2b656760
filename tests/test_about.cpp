// The splash screen.
#include "about/INFO_VER.h"
#include "app/BuildInfo.h"
#include "about/INITDISP.h"
#include "support/ScriptedPlatform.h"
#include "platform/Look.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kumiro;

class TestAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splashElementsSitInTheirPlaces()
    {
        INITDISP splash;
        QCOMPARE(splash.size(), QSize(twipsToPixels(8385), twipsToPixels(3675)));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(splash.isModal());
        QCOMPARE(splash.palette().color(QPalette::Window), QColor(128, 128, 128));

        // Every coloured text has a black twin below and behind it.
        const auto labels = splash.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        auto twins = [&](const QString& text) {
            QList<QLabel*> found;
            for (QLabel* l : labels)
                if (l->text() == text)
                    found << l;
            return found;
        };
        for (const QString& text :
             {QStringLiteral("くみろ"), QStringLiteral("君"), QStringLiteral("Ver." KUMIRO_VERSION),
              QStringLiteral("for Windows 98/Me/NT/2000/XP"), INITDISP::attribution(), INITDISP::authorName()}) {
            const auto pair = twins(text);
            QCOMPARE(pair.size(), 2);
            QCOMPARE(pair[0]->palette().color(QPalette::WindowText), QColor(Qt::black));
            QVERIFY(pair[1]->palette().color(QPalette::WindowText) != QColor(Qt::black));
            QVERIFY(pair[0]->x() > pair[1]->x());
            QVERIFY(pair[0]->y() > pair[1]->y());
            QVERIFY(labels.indexOf(pair[0]) < labels.indexOf(pair[1]));
        }
        QCOMPARE(twins(QStringLiteral("くみろ"))[1]->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    }

    void splashClosesByItsTimerAndNotByTheUser()
    {
        INITDISP splash;
        QCOMPARE(splash.timer()->interval(), 5000);
        QVERIFY(splash.timer()->isActive());
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));

        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseDClick(&splash, Qt::LeftButton, {}, QPoint(200, 60));
        QTest::keyClick(&splash, Qt::Key_Escape);
        QTest::keyClick(&splash, Qt::Key_Return);
        splash.close();
        QVERIFY(splash.isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 8000);
        QCOMPARE(splash.result(), int(QDialog::Accepted));
    }

    void aboutBoxLinksLightUpByTheRules()
    {
        test::ScriptedPlatform platform;
        INFO_VER about(platform.platform);
        QCOMPARE(about.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about.size(), QSize(twipsToPixels(6375), twipsToPixels(4125)));
        QCOMPARE(about.Label1[10]->text(), QStringLiteral("E-Mail Address："));
        QCOMPARE(about.Label1[11]->text(), INFO_VER::mailAddress());
        QCOMPARE(about.Label1[13]->text() + about.Label1[14]->text(), INFO_VER::homePage());
        QCOMPARE(about.Label1[13]->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(about.Label1[11]->toolTip(), QStringLiteral("mailto:") + INFO_VER::mailAddress());
        QVERIFY(about.Command1->isDefault());

        auto lit = [&] {
            QString s;
            for (int i = 10; i <= 14; ++i)
                s += about.Label1[i]->palette().color(QPalette::WindowText) == QColor(0, 255, 0) ? u'G' : u'.';
            return s;
        };
        QCOMPARE(lit(), QStringLiteral("....."));
        auto moveOver = [&](QWidget* w) {
            about.show();
            QMouseEvent e(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        };
        moveOver(about.Label1[11]);
        QCOMPARE(lit(), QStringLiteral("GG..."));
        moveOver(about.Command1); // onto another control: unchanged
        QCOMPARE(lit(), QStringLiteral("GG..."));
        moveOver(about.Label1[1]); // another label: unchanged
        QCOMPARE(lit(), QStringLiteral("GG..."));
        moveOver(about.Label1[14]);
        QCOMPARE(lit(), QStringLiteral("..GGG"));
        moveOver(&about); // the background resets
        QCOMPARE(lit(), QStringLiteral("....."));
    }

    void aboutBoxLinksOpenTheRegisteredHandlers()
    {
        test::ScriptedPlatform platform;
        INFO_VER about(platform.platform);
        about.Label1_Click(10);
        about.Label1_Click(13);
        about.Label1_Click(1); // not a link
        QCOMPARE(platform.shell.opened,
                 (QList<QUrl>{QUrl(QStringLiteral("mailto:") + INFO_VER::mailAddress()), QUrl(INFO_VER::homePage())}));
        QVERIFY(platform.messages.shown.isEmpty());

        platform.shell.mailHandler = false;
        platform.shell.browser = false;
        about.Label1_Click(11);
        about.Label1_Click(14);
        QCOMPARE(platform.shell.opened.size(), 2);
        QCOMPARE(platform.messages.shown[0].title, QStringLiteral("OE ｲﾝｽﾄｰﾙ 確認"));
        QCOMPARE(platform.messages.shown[0].text, QStringLiteral("「Outlook Express」 が ｲﾝｽﾄｰﾙ されていません。"));
        QCOMPARE(platform.messages.shown[1].title, QStringLiteral("IE ｲﾝｽﾄｰﾙ 確認"));
        QCOMPARE(platform.messages.shown[1].icon, MsgIcon::Exclamation);

        // A click on the label opens it; OK closes the box.
        platform.shell.browser = true;
        about.show();
        QTest::mouseClick(about.Label1[12], Qt::LeftButton);
        QCOMPARE(platform.shell.opened.size(), 3);
        about.Command1->click();
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void homePageIsSplitAtItsLastSegment()
    {
        using P = std::pair<QString, QString>;
        QCOMPARE(INFO_VER::homePageLines(QStringLiteral("https://a.example/x/kumiro/")),
                 P(QStringLiteral("https://a.example/x/"), QStringLiteral("kumiro/")));
        QCOMPARE(INFO_VER::homePageLines(QStringLiteral("https://a.example/page.html")),
                 P(QStringLiteral("https://a.example/"), QStringLiteral("page.html")));
        QCOMPARE(INFO_VER::homePageLines(QStringLiteral("https://a.example/")),
                 P(QStringLiteral("https://a.example/"), QString()));
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_MAIN(TestAbout)
#include "test_about.moc"
