#include "TextValues.h"

#include <QLocale>

#include <cfenv>
#include <cmath>

namespace kumiro {

double leadingNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    qsizetype digits = i - digitsStart;
    if (i < n && text[i] == u'.') {
        const qsizetype fracStart = ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        digits += i - fracStart;
    }
    if (digits == 0)
        return 0;
    bool ok = false;
    const double v = QLocale::c().toDouble(QStringView(text).mid(start, i - start), &ok);
    return ok && std::isfinite(v) ? v : 0;
}

std::optional<double> wholeNumber(const QString& text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint16> toInt16(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return static_cast<qint16>(r);
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace kumiro
