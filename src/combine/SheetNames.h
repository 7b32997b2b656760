#pragma once

#include <QString>
#include <QStringList>

namespace kumiro {

// A sheet name Excel accepts, as Excel names a copy: at most 31 characters, none of
// / \ ? * : [ ], no apostrophe at either end, unique ignoring case among `taken`; a clash
// gets " (2)", " (3)", ... with the name shortened to keep 31 characters.
// Header-only: the office driver, a module of its own, uses it too.
inline QString excelSheetName(const QString& wanted, const QStringList& taken)
{
    constexpr qsizetype kMax = 31;
    QString base;
    for (QChar c : wanted) {
        const bool bad = c == u'/' || c == u'\\' || c == u'?' || c == u'*' || c == u':' || c == u'[' || c == u']' ||
            c.unicode() < 0x20;
        base += bad ? QChar(u'_') : c;
    }
    while (base.startsWith(u'\''))
        base.remove(0, 1);
    while (base.endsWith(u'\''))
        base.chop(1);
    base = base.left(kMax);
    while (base.endsWith(u'\'')) // cutting can bare an apostrophe again
        base.chop(1);
    if (base.trimmed().isEmpty())
        base = QStringLiteral("Sheet");
    auto isTaken = [&](const QString& name) {
        for (const QString& t : taken) {
            if (t.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    if (!isTaken(base))
        return base;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        QString stem = base.left(kMax - suffix.size());
        while (stem.endsWith(u'\''))
            stem.chop(1);
        const QString candidate = stem + suffix;
        if (!isTaken(candidate))
            return candidate;
    }
}

} // namespace kumiro
