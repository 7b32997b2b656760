// Draws an SVG into an icon file at build time: a 32 x 32 .ico, or a PNG of a given size.
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: kumiro_mkico picture.svg out.ico|out.png [size]\n");
        return 2;
    }
    const int size = argc == 4 ? std::atoi(argv[3]) : 32;
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "kumiro_mkico: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    const QString out = QString::fromLocal8Bit(argv[2]);
    QImageWriter writer(out, out.endsWith(QStringLiteral(".png")) ? "png" : "ico");
    if (!writer.write(image)) {
        std::fprintf(stderr, "kumiro_mkico: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
