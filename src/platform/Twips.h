#pragma once

#include <QPoint>
#include <QRect>

namespace kumiro {

inline constexpr double kTwipsPerInch = 1440.0;

// The primary screen's logical dots per inch; 96 when there is no screen.
double screenDpi();

int twipsToPixels(double twips, double dpi = screenDpi());
double pixelsToTwips(int pixels, double dpi = screenDpi());

// left, top, width, height in twips -> pixels
QRect twipsRect(double left, double top, double width, double height, double dpi = screenDpi());
QPoint twipsPoint(double x, double y, double dpi = screenDpi());

// Where a window of this size stands centred on the primary screen (its frame's top-left).
QPoint centredOnScreen(const QSize& size);

// The primary screen's size in twips.
double screenWidthTwips();
double screenHeightTwips();

} // namespace kumiro
