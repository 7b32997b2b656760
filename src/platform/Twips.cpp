#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace kumiro {

double screenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 0;
    return dpi > 0 ? dpi : 96.0;
}

int twipsToPixels(double twips, double dpi)
{
    return int(std::lround(twips * dpi / kTwipsPerInch));
}

double pixelsToTwips(int pixels, double dpi)
{
    return std::round(pixels * kTwipsPerInch / dpi);
}

QRect twipsRect(double left, double top, double width, double height, double dpi)
{
    return QRect(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
                 twipsToPixels(height, dpi));
}

QPoint twipsPoint(double x, double y, double dpi)
{
    return QPoint(twipsToPixels(x, dpi), twipsToPixels(y, dpi));
}

double screenWidthTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? pixelsToTwips(screen->geometry().width()) : 0;
}

double screenHeightTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? pixelsToTwips(screen->geometry().height()) : 0;
}

} // namespace kumiro

namespace kumiro {

QPoint centredOnScreen(const QSize& size)
{
    return QPoint((twipsToPixels(screenWidthTwips()) - size.width()) / 2,
                  (twipsToPixels(screenHeightTwips()) - size.height()) / 2);
}

} // namespace kumiro
