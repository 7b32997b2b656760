#include "CombineMessages.h"

#include <QFileInfo>

namespace kumiro {

OfficeMessage officeFailureMessage(const OfficeError& error, const QString& destination)
{
    const QString file = error.file().isEmpty() ? QString() : error.file() + QStringLiteral("\r");
    switch (error.kind()) {
    case OfficeError::Missing:
        return {QStringLiteral("LibreOffice 確認"),
                QStringLiteral("Word・Excel のファイルを扱うには LibreOffice が必要です。　\r\r"
                               "「sudo apt-get install libreoffice-writer-nogui libreoffice-calc-nogui」 "
                               "でインストールして下さい。　")};
    case OfficeError::Setup: return {QStringLiteral("LibreOffice 確認"), error.what() + QStringLiteral("　")};
    case OfficeError::OutputFolder:
        return {QStringLiteral("出力確認"),
                destination + QStringLiteral("のフォルダ ") + error.file() +
                    QStringLiteral(" に書き込めません。　\r\r") + error.what()};
    case OfficeError::OutputFile:
        return {QStringLiteral("出力確認"),
                destination + QStringLiteral("のファイル ") + error.file() +
                    QStringLiteral(" に書き込めません。　\r\r") + error.what()};
    case OfficeError::Unreadable:
        return {QStringLiteral("ファイル確認"),
                QStringLiteral("ファイル ") + error.file() + QStringLiteral(" を読み取れません。　\r\r") +
                    error.what()};
    case OfficeError::Hung:
    case OfficeError::Crashed:
        return {QStringLiteral("LibreOffice 確認"),
                error.what() + QStringLiteral("　\r\r") + file + QStringLiteral("ファイルは書き込まれていません。　")};
    case OfficeError::Internal:
        return {QStringLiteral("処理確認"),
                QStringLiteral(
                    "Kumiro の内部の誤りで処理を中止しました。LibreOffice とファイルに原因はありません。　\r\r") +
                    file + error.what() + QStringLiteral("　\r\rファイルは書き込まれていません。　")};
    case OfficeError::Failed: break;
    }
    return {QStringLiteral("処理確認"),
            QStringLiteral("LibreOffice で処理できませんでした。　\r\r") + file + error.what()};
}

QString unboxedOfficeNotice()
{
    return QStringLiteral("この環境では LibreOffice を隔離された箱の中で動かせないため、箱の外で動かしています。"
                          "ファイルが他のファイルを参照していると、LibreOffice がそのファイルを読むことがあります。");
}

Message combineDoneMessage(Kind kind, const QString& output, const QStringList& shortfalls)
{
    QString text = kindInfo(kind).doneText;
    if (!output.isEmpty())
        text += QStringLiteral("\r\r") + output;
    if (!shortfalls.isEmpty())
        text += QStringLiteral("\r\r") + shortfalls.join(u'\r');
    return {MsgIcon::Information, QStringLiteral("完了確認"), text};
}

QList<Message> textCombineMessages(const TextCombineResult& result, const QStringList& inputs, const QString& output,
                                   bool namesOutput)
{
    const QString input =
        result.failedIndex >= 0 && result.failedIndex < inputs.size() ? inputs[result.failedIndex] : QString();
    switch (result.status) {
    case TextCombineResult::Done: {
        Message done = combineDoneMessage(Kind::Text, namesOutput ? output : QString());
        if (!result.converted.isEmpty()) {
            QStringList names;
            for (const auto& [index, from] : result.converted)
                names << QStringLiteral("%1 (%2)").arg(QFileInfo(inputs.value(index)).fileName(), from);
            done.text += QStringLiteral("\r\r次のファイルは文字コードを %1 に変換して追加しました: %2。　")
                             .arg(result.encoding, names.join(QStringLiteral("、")));
        }
        return {done};
    }
    case TextCombineResult::EncodingFailed:
        return {{MsgIcon::Critical, QStringLiteral("文字コード確認"),
                 QStringLiteral("Text ファイル ") + input + QStringLiteral(" の ") + result.reason +
                     QStringLiteral("　\r\rくみろ先のファイルは変更していません。　")}};
    case TextCombineResult::LineLimit:
        return {
            {MsgIcon::Exclamation, QStringLiteral("行数確認"),
             QStringLiteral("選択された Text ファイル ") + input +
                 QStringLiteral(" は 「15,000行」 を超えています。　")},
            {MsgIcon::Exclamation, QStringLiteral("ファイル確認"),
             QStringLiteral("該当の Text ファイルを 「15,000行」 以下にするか、選択するファイルを変更して下さい。　")}};
    case TextCombineResult::Cancelled: return {};
    case TextCombineResult::NotAFile:
        return {{MsgIcon::Critical, QStringLiteral("ファイル確認"),
                 QStringLiteral("Text ファイル ") + input +
                     QStringLiteral(" は通常のファイルではないため、読み取れません。　")}};
    case TextCombineResult::ReadFailed:
        return {
            {MsgIcon::Critical, QStringLiteral("ファイル確認"),
             QStringLiteral("Text ファイル ") + input + QStringLiteral(" を読み取れません。　\r\r") + result.reason}};
    case TextCombineResult::FolderNotWritable:
        return {{MsgIcon::Critical, QStringLiteral("出力確認"),
                 QStringLiteral("くみろ先のフォルダ ") + QFileInfo(output).absolutePath() +
                     QStringLiteral(" に書き込めません。　\r\r") + result.reason}};
    case TextCombineResult::WriteFailed:
        return {{MsgIcon::Critical, QStringLiteral("出力確認"),
                 QStringLiteral("くみろ先のファイル ") + output + QStringLiteral(" に書き込めません。　\r\r") +
                     result.reason}};
    }
    return {};
}

} // namespace kumiro
