#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <initializer_list>

class QLabel;
class QWidget;

namespace kumiro {

// A colour written &H00BBGGRR: red in the low byte.
inline QColor bgrColor(unsigned value)
{
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

inline const QColor kWindowGrey(128, 128, 128);
inline const QColor kListGrey(64, 64, 64);

// The faces the windows are laid out for.
inline const QString kMincho = QStringLiteral("ＭＳ Ｐ明朝");
inline const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kUiGothic = QStringLiteral("MS UI Gothic");
inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kTimes = QStringLiteral("Times New Roman");

// Maps those faces to installed look-alikes; call once after the application exists.
void installFontSubstitutions();

QFont windowFont(const QString& family, double points, bool bold = false);

// Fills the widget with the windows' grey, behind its children.
void fillWindowGrey(QWidget* widget);

// Draws one-pixel white lines given in twips, the decoration of the splash and About box.
void drawWhiteLines(QWidget* widget, std::initializer_list<std::array<double, 4>> twipsLines);

// A label drawn over its window's background, in its font and colour. The boxes are tight
// for the substituted faces: the text may run past the box to the right and below rather
// than be cut.
QLabel* backgroundLabel(QWidget* parent, const QString& text, const QFont& font, const QColor& colour,
                        const QRect& box);

} // namespace kumiro
