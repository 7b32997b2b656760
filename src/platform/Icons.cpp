#include "Icons.h"

#include <QPainter>
#include <QSvgRenderer>

namespace kumiro {

QPixmap svgPixmap(const QString& resource, int size)
{
    QSvgRenderer renderer(resource);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    return pixmap;
}

QPixmap programPixmap(int size)
{
    return svgPixmap(QStringLiteral(":/icons/kumiro.svg"), size);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(programPixmap(size));
    return icon;
}

} // namespace kumiro
