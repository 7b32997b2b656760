#include "Kinds.h"

namespace kumiro {

const KindInfo& kindInfo(Kind kind)
{
    static const std::array<KindInfo, kKinds> table = {{
        {QStringLiteral(" ( Word ﾌｧｲﾙ 編 )"), QStringLiteral("Word"), QStringLiteral("NewWord"), QStringLiteral(".doc"),
         QStringLiteral("OPENWORD.ICO"), 6, 29,
         QStringLiteral("選択した Word ファイルの 「くみろ」 が完了しました。　"),
         QStringLiteral("くみろ後の Word ファイル保存用の指定フォルダは存在しません。　")},
        // "Execl" in the completion message as the program has always spelled it.
        {QStringLiteral(" ( Excel ﾌｧｲﾙ 編 )"), QStringLiteral("Excel"), QStringLiteral("NewExcel"),
         QStringLiteral(".xls"), QStringLiteral("OPENEXCEL.ICO"), 8, 30,
         QStringLiteral("選択した Execl ファイルの 「くみろ」 が完了しました。　"),
         QStringLiteral("くみろ後の Excel ファイル保存用の指定フォルダは存在しません。　")},
        {QStringLiteral(" ( Text ﾌｧｲﾙ 編 )"), QStringLiteral("Text"), QStringLiteral("NewText"), QStringLiteral(".txt"),
         QStringLiteral("OPENTEXT.ICO"), 39, 40,
         QStringLiteral("選択した Text ファイルの 「くみろ」 が完了しました。　"),
         QStringLiteral("くみろ後の Text ファイル保存用の指定フォルダは存在しません。　")},
    }};
    return table[std::size_t(kind)];
}

} // namespace kumiro
