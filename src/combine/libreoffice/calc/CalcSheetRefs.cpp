#include "CalcSheetRefs.h"

#include <QRegularExpression>
#include <QStringList>

namespace kumiro::lo {

rtl::OUString renameSheetsIn(const rtl::OUString& formula, const std::map<rtl::OUString, rtl::OUString>& copyOf)
{
    // A sheet before a cell or range: `$Sheet2.A1`, `Sheet5.C12`, `$'My sheet'.$B$2`.
    static const QRegularExpression sheet(QStringLiteral("(?<![\\w.'\\]#])(\\$?)('(?:[^']|'')+'|[^\\W\\d][\\w]*)"
                                                         "\\.(?=\\$?[A-Za-z]{1,3}\\$?\\d|\\$?[A-Za-z]{1,3}:)"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    QStringList parts = qs(formula).split(u'"');
    for (qsizetype p = 0; p < parts.size(); p += 2) {
        QString out;
        qsizetype from = 0;
        for (auto it = sheet.globalMatch(parts[p]); it.hasNext();) {
            const auto m = it.next();
            QString name = m.captured(2);
            if (name.startsWith(u'\''))
                name = name.mid(1, name.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
            const auto copy = copyOf.find(ou(name));
            if (copy == copyOf.end())
                continue;
            out += parts[p].mid(from, m.capturedStart() - from) + m.captured(1) + u'\'' +
                qs(copy->second).replace(u'\'', QStringLiteral("''")) + QStringLiteral("'.");
            from = m.capturedEnd();
        }
        parts[p] = out + parts[p].mid(from);
    }
    return ou(parts.join(u'"'));
}

} // namespace kumiro::lo
