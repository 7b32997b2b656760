#pragma once

#include <QString>

namespace kumiro {

// " ( Word ﾌｧｲﾙ 編 )" and so on; every value other than 0 and 1 is Text.
inline QString kindCaptionSuffix(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral(" ( Word ﾌｧｲﾙ 編 )");
    case 1: return QStringLiteral(" ( Excel ﾌｧｲﾙ 編 )");
    default: return QStringLiteral(" ( Text ﾌｧｲﾙ 編 )");
    }
}

inline QString kindWord(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral("Word");
    case 1: return QStringLiteral("Excel");
    default: return QStringLiteral("Text");
    }
}

} // namespace kumiro
