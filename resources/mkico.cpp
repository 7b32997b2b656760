// Draws an SVG into a 32 x 32 icon file at build time.
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kumiro_mkico picture.svg out.ico\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "kumiro_mkico: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    QImageWriter writer(QString::fromLocal8Bit(argv[2]), "ico");
    if (!writer.write(image)) {
        std::fprintf(stderr, "kumiro_mkico: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
