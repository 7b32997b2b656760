#pragma once

#include <QIcon>
#include <QPixmap>

namespace kumiro {

// The program's own icon, drawn from the SVG built into the program.
QIcon programIcon();
QPixmap programPixmap(int size);

// A picture drawn from an SVG built into the program, e.g. ":/toolbar/open-word.svg".
QPixmap svgPixmap(const QString& resource, int size);

} // namespace kumiro
