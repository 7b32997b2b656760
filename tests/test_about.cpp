// The splash screen.
#include "about/INFO_VER.h"
#include "app/BuildInfo.h"
#include "about/INITDISP.h"
#include "support/Controls.h"
#include "support/ScriptedPlatform.h"
#include "platform/Look.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kumiro;

namespace {

// The title "くみろ", a label that is no link.
QLabel* title(const QWidget& about)
{
    for (QLabel* l : about.findChildren<QLabel*>())
        if (l->text() == QStringLiteral("くみろ"))
            return l;
    qFatal("no title");
}

} // namespace

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
        const auto link = [&](const QString& name) { return test::named<QLabel>(about, name); };
        QLabel* const mailCaption = link(QStringLiteral("E-Mail Address："));
        QLabel* const mail = link(INFO_VER::mailAddress());
        const auto [home1, home2] = INFO_VER::homePageLines(INFO_VER::homePage());
        QLabel* const homeLast = link(home2);
        QPushButton* const ok = test::named<QPushButton>(about, QStringLiteral("OK"));
        QCOMPARE(about.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about.size(), QSize(twipsToPixels(6375), twipsToPixels(4125)));
        QCOMPARE(link(home1)->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(mail->toolTip(), QStringLiteral("mailto:") + INFO_VER::mailAddress());
        QVERIFY(ok->isDefault());

        // The five link labels top to bottom: mail caption, mail, URL caption, the URL's lines.
        const QList<QLabel*> links = {mailCaption, mail, link(QStringLiteral("URL Address：")), link(home1), homeLast};
        auto lit = [&] {
            QString s;
            for (QLabel* l : links)
                s += l->palette().color(QPalette::WindowText) == QColor(0, 255, 0) ? u'G' : u'.';
            return s;
        };
        QCOMPARE(lit(), QStringLiteral("....."));
        auto moveOver = [&](QWidget* w) {
            about.show();
            QMouseEvent e(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        };
        moveOver(mail);
        QCOMPARE(lit(), QStringLiteral("GG..."));
        moveOver(ok); // onto another control: unchanged
        QCOMPARE(lit(), QStringLiteral("GG..."));
        moveOver(title(about)); // another label: unchanged
        QCOMPARE(lit(), QStringLiteral("GG..."));
        moveOver(homeLast);
        QCOMPARE(lit(), QStringLiteral("..GGG"));
        moveOver(&about); // the background resets
        QCOMPARE(lit(), QStringLiteral("....."));
    }

    void aboutBoxLinksOpenTheRegisteredHandlers()
    {
        test::ScriptedPlatform platform;
        INFO_VER about(platform.platform);
        const auto click = [&](QLabel* label) { QTest::mouseClick(label, Qt::LeftButton); };
        const auto link = [&](const QString& name) { return test::named<QLabel>(about, name); };
        const auto [home1, home2] = INFO_VER::homePageLines(INFO_VER::homePage());
        about.show();
        click(link(QStringLiteral("E-Mail Address：")));
        click(link(home1));
        click(title(about)); // not a link
        QCOMPARE(platform.shell.opened,
                 (QList<QUrl>{QUrl(QStringLiteral("mailto:") + INFO_VER::mailAddress()), QUrl(INFO_VER::homePage())}));
        QVERIFY(platform.messages.shown.isEmpty());

        platform.shell.mailHandler = false;
        platform.shell.browser = false;
        click(link(INFO_VER::mailAddress()));
        click(link(home2));
        QCOMPARE(platform.shell.opened.size(), 2);
        QCOMPARE(platform.messages.shown[0].title, QStringLiteral("OE ｲﾝｽﾄｰﾙ 確認"));
        QCOMPARE(platform.messages.shown[0].text, QStringLiteral("「Outlook Express」 が ｲﾝｽﾄｰﾙ されていません。"));
        QCOMPARE(platform.messages.shown[1].title, QStringLiteral("IE ｲﾝｽﾄｰﾙ 確認"));
        QCOMPARE(platform.messages.shown[1].icon, MsgIcon::Exclamation);

        // A click on the label opens it; OK closes the box.
        platform.shell.browser = true;
        click(link(QStringLiteral("URL Address：")));
        QCOMPARE(platform.shell.opened.size(), 3);
        test::named<QPushButton>(about, QStringLiteral("OK"))->click();
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
