#pragma once

// The settings file's sections and key spellings, written out here so that the tests check
// the program's table against the stored format rather than against itself.
#include <QString>

namespace kumiro::test {

inline const QString kSectionConfig = QStringLiteral("Config");
inline const QString kSectionPosition = QStringLiteral("Position");
inline const QString kSectionKumiro = QStringLiteral("Kumiro");

// "DataFol(2)"
inline QString kindKey(const QString& prefix, int i)
{
    return prefix + u'(' + QString::number(i) + u')';
}
// "OptTkaku(1,0)"
inline QString tableKey(const QString& prefix, int i, int j)
{
    return prefix + u'(' + QString::number(i) + u',' + QString::number(j) + u')';
}

} // namespace kumiro::test
