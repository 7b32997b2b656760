#pragma once

#include <QString>

#include <optional>

namespace kumiro {

// A flag is on exactly when its text is "1".
inline bool isOn(const QString& flag)
{
    return flag == QStringLiteral("1");
}
inline QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The leading decimal number of a text; 0 when the text does not start with one.
double leadingNumber(const QString& text);

// The whole text as a number; nothing when it is not one.
std::optional<double> wholeNumber(const QString& text);

// Rounded half to even into 16 bits; nothing when it does not fit.
std::optional<qint16> toInt16(double value);
inline std::optional<qint16> toInt16(const QString& text)
{
    const auto v = wholeNumber(text);
    return v ? toInt16(*v) : std::nullopt;
}

// A number as the store keeps it: "1680", "1680.5", "-30".
QString numberText(double value);

} // namespace kumiro
