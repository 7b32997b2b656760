#include "INITDISP.h"

#include "app/BuildInfo.h"
#include "platform/Icons.h"
#include "platform/Look.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace kumiro {

QString INITDISP::attribution()
{
    return QString::fromUtf8(KUMIRO_ATTRIBUTION);
}
QString INITDISP::authorName()
{
    return QString::fromUtf8(KUMIRO_AUTHOR_NAME);
}

INITDISP::INITDISP(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::Tool)
{
    setObjectName(QStringLiteral("INITDISP"));
    setAccessibleName(QStringLiteral("くみろ君"));
    setModal(true);
    setFixedSize(twipsToPixels(8385), twipsToPixels(3675));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, bgrColor(0x808080));
    setPalette(pal);

    const QColor yellow = bgrColor(0x00FFFF);
    const QColor paleYellow = bgrColor(0xC0FFFF);
    const QColor black(Qt::black);
    const QFont title = windowFont(kMincho, 72, true);
    const QFont suffix = windowFont(kMincho, 20.25, true);
    const QFont version = windowFont(kTimes, 18);
    const QFont line = windowFont(kTimes, 20.25);
    const QFont author = windowFont(kMincho, 18, true);

    // Each shadow is added first so that its coloured twin is drawn over it.
    addLabel(QStringLiteral("くみろ"), title, black, 2130, 450, 5385, 1425);
    addLabel(QStringLiteral("くみろ"), title, yellow, 1980, 300, 5385, 1425);
    addLabel(QStringLiteral("君"), suffix, black, 7620, 1380, 465, 405);
    addLabel(QStringLiteral("君"), suffix, yellow, 7470, 1230, 465, 405);
    addLabel(QStringLiteral("Ver." KUMIRO_VERSION), version, black, 540, 1410, 1365, 405);
    addLabel(QStringLiteral("Ver." KUMIRO_VERSION), version, paleYellow, 420, 1290, 1365, 405);
    const QString platforms = QStringLiteral("for Windows 98/Me/NT/2000/XP");
    addLabel(platforms, line, black, 1485, 2010, 5565, 465);
    addLabel(platforms, line, yellow, 1335, 1860, 5565, 465);
    addLabel(attribution(), line, black, 1485, 2520, 4215, 465);
    addLabel(attribution(), line, yellow, 1335, 2370, 4215, 465);
    addLabel(authorName(), author, black, 6265, 2550, 765, 345);
    addLabel(authorName(), author, yellow, 6115, 2400, 765, 345);
    addLabel(QString(), windowFont(kPGothic, 11.25), paleYellow, 150, 3210, 8085, 225, Qt::AlignHCenter);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setGeometry(twipsRect(900, 690, 480, 480));
    icon->setPixmap(programPixmap(32));
    icon->setAlignment(Qt::AlignCenter);

    if (const QScreen* screen = this->screen())
        move(screen->geometry().center() - rect().center());

    Timer1 = new QTimer(this);
    Timer1->setInterval(5000);
    Timer1->setSingleShot(true);
    // A coarse timer may fire up to 5 % early or late; the splash stays its 5 seconds.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &INITDISP::Timer1_Timer);
    Timer1->start();
}

void INITDISP::addLabel(const QString& text, const QFont& font, const QColor& color, double left, double top,
                        double width, double height, Qt::Alignment align)
{
    QLabel* label = backgroundLabel(this, text, font, color, twipsRect(left, top, width, height));
    label->setAlignment(align | Qt::AlignTop);
    if (align & Qt::AlignHCenter)
        label->setFixedWidth(twipsToPixels(width));
}

void INITDISP::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    drawWhiteLines(this,
                   {{90, 90, 8280, 90},
                    {90, 90, 90, 3570},
                    {8280, 90, 8280, 3580},
                    {90, 3570, 8280, 3570},
                    {240, 3060, 8160, 3060}});
}

void INITDISP::keyPressEvent(QKeyEvent* event)
{
    // Nothing on the splash answers the user, Escape included.
    event->accept();
}

void INITDISP::closeEvent(QCloseEvent* event)
{
    if (timedOut_)
        event->accept();
    else
        event->ignore();
}

void INITDISP::Timer1_Timer()
{
    timedOut_ = true;
    accept();
}

} // namespace kumiro
