#include "Look.h"

#include <QFont>
#include <QLabel>
#include <QPainter>

#include "Twips.h"

namespace kumiro {

void installFontSubstitutions()
{
    const QString serifCjk = QStringLiteral("Noto Serif CJK JP");
    const QString sansCjk = QStringLiteral("Noto Sans CJK JP");
    const QString monoCjk = QStringLiteral("Noto Sans Mono CJK JP");
    QFont::insertSubstitutions(kMincho, {serifCjk, QStringLiteral("IPAPMincho"), sansCjk});
    QFont::insertSubstitutions(kPGothic, {sansCjk, QStringLiteral("IPAPGothic")});
    QFont::insertSubstitutions(kUiGothic, {sansCjk, QStringLiteral("IPAPGothic")});
    QFont::insertSubstitutions(kGothic, {monoCjk, QStringLiteral("IPAGothic"), sansCjk});
    // Liberation Serif has the metrics of Times New Roman, so texts keep their widths.
    QFont::insertSubstitutions(kTimes, {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif"), serifCjk});
}

QFont windowFont(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace kumiro

namespace kumiro {

void fillWindowGrey(QWidget* widget)
{
    QPalette grey = widget->palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    widget->setPalette(grey);
    widget->setAutoFillBackground(true);
}

QLabel* backgroundLabel(QWidget* parent, const QString& text, const QFont& font, const QColor& colour, const QRect& box)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    label->setGeometry(box.x(), box.y(), qMax(box.width(), label->sizeHint().width()),
                       qMax(box.height(), label->sizeHint().height()));
    return label;
}

} // namespace kumiro

namespace kumiro {

void drawWhiteLines(QWidget* widget, std::initializer_list<std::array<double, 4>> twipsLines)
{
    QPainter p(widget);
    p.setPen(QPen(Qt::white, 1));
    for (const auto& l : twipsLines)
        p.drawLine(twipsPoint(l[0], l[1]), twipsPoint(l[2], l[3]));
}

} // namespace kumiro
