#include "module/Tally.h"

#include <QStringList>

namespace kumiro::lo {

QString shortfallSentence(const QString& path, const QList<Counted>& counts, const QList<Counted>& asValues)
{
    auto list = [](const QList<Counted>& items) {
        QStringList parts;
        for (const Counted& c : items) {
            if (c.arrived < c.input)
                parts << QStringLiteral("%1 %2 個").arg(c.what).arg(c.input - c.arrived);
        }
        return parts.join(QStringLiteral("、"));
    };
    const QString lost = list(counts);
    const QString values = list(asValues);
    if (lost.isEmpty() && values.isEmpty())
        return {};
    QString sentence = path + QStringLiteral(" の ");
    if (!lost.isEmpty())
        sentence += lost + QStringLiteral("を取り込めませんでした。");
    if (!values.isEmpty())
        sentence += values + QStringLiteral("は値として取り込みました。");
    return sentence;
}

} // namespace kumiro::lo
