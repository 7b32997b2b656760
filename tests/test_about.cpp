// The splash screen.
#include "about/INITDISP.h"
#include "platform/Look.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace kumiro;

class TestAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splashLooksAsDesigned()
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
        for (const QString& text : {QStringLiteral("くみろ"), QStringLiteral("君"),
                                    QStringLiteral("Ver.4.5.0"),
                                    QStringLiteral("for Windows 98/Me/NT/2000/XP"),
                                    INITDISP::attribution(), INITDISP::authorName()}) {
            const auto pair = twins(text);
            QCOMPARE(pair.size(), 2);
            QCOMPARE(pair[0]->palette().color(QPalette::WindowText), QColor(Qt::black));
            QVERIFY(pair[1]->palette().color(QPalette::WindowText) != QColor(Qt::black));
            QVERIFY(pair[0]->x() > pair[1]->x());
            QVERIFY(pair[0]->y() > pair[1]->y());
            QVERIFY(labels.indexOf(pair[0]) < labels.indexOf(pair[1]));
        }
        QCOMPARE(twins(QStringLiteral("くみろ"))[1]->palette().color(QPalette::WindowText),
                 QColor(255, 255, 0));
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
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
