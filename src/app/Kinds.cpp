#include "Kinds.h"

namespace kumiro {

const KindInfo& kindInfo(Kind kind)
{
    static const std::array<KindInfo, kKinds> table = {{
        {QStringLiteral(" ( Word ﾌｧｲﾙ 編 )"),
         QStringLiteral("Word"),
         QStringLiteral("NewWord"),
         QStringLiteral("OPENWORD.ICO"),
         6,
         29,
         QStringLiteral("選択した Word ファイルの 「くみろ」 が完了しました。　"),
         QStringLiteral("くみろ後の Word ファイル保存用の指定フォルダは存在しません。　"),
         {{QStringLiteral("doc"), QStringLiteral("Word 97-2003 (*.doc)")},
          {QStringLiteral("docx"), QStringLiteral("Word (*.docx)")},
          {QStringLiteral("odt"), QStringLiteral("OpenDocument (*.odt)")},
          {QStringLiteral("pdf"), QStringLiteral("PDF (*.pdf)")}},
         {QStringLiteral("*.doc"), QStringLiteral("*.rtf"), QStringLiteral("*.docx"), QStringLiteral("*.odt")}},
        // "Execl" in the completion message as the program has always spelled it.
        {QStringLiteral(" ( Excel ﾌｧｲﾙ 編 )"),
         QStringLiteral("Excel"),
         QStringLiteral("NewExcel"),
         QStringLiteral("OPENEXCEL.ICO"),
         8,
         30,
         QStringLiteral("選択した Execl ファイルの 「くみろ」 が完了しました。　"),
         QStringLiteral("くみろ後の Excel ファイル保存用の指定フォルダは存在しません。　"),
         {{QStringLiteral("xls"), QStringLiteral("Excel 97-2003 (*.xls)")},
          {QStringLiteral("xlsx"), QStringLiteral("Excel (*.xlsx)")},
          {QStringLiteral("ods"), QStringLiteral("OpenDocument (*.ods)")}},
         {QStringLiteral("*.xls"), QStringLiteral("*.csv"), QStringLiteral("*.xlsx"), QStringLiteral("*.xlsm"),
          QStringLiteral("*.ods")}},
        {QStringLiteral(" ( Text ﾌｧｲﾙ 編 )"),
         QStringLiteral("Text"),
         QStringLiteral("NewText"),
         QStringLiteral("OPENTEXT.ICO"),
         39,
         40,
         QStringLiteral("選択した Text ファイルの 「くみろ」 が完了しました。　"),
         QStringLiteral("くみろ後の Text ファイル保存用の指定フォルダは存在しません。　"),
         {{QStringLiteral("txt"), QStringLiteral("Text (*.txt)")}},
         {QStringLiteral("*.txt")}},
    }};
    return table[std::size_t(kind)];
}

const OutputFormat& outputFormatOf(Kind kind, const QString& extension)
{
    const auto& formats = kindInfo(kind).outputFormats;
    for (const OutputFormat& f : formats) {
        if (f.extension.compare(extension, Qt::CaseInsensitive) == 0)
            return f;
    }
    return formats.first();
}

} // namespace kumiro
