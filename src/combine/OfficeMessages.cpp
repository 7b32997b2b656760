#include "OfficeMessages.h"

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
    case OfficeError::Setup:
        return {QStringLiteral("LibreOffice 確認"), error.what() + QStringLiteral("　")};
    case OfficeError::OutputFolder:
        return {QStringLiteral("出力確認"), destination + QStringLiteral("のフォルダ ") + error.file() +
                                                 QStringLiteral(" に書き込めません。　\r\r") + error.what()};
    case OfficeError::OutputFile:
        return {QStringLiteral("出力確認"), destination + QStringLiteral("のファイル ") + error.file() +
                                                 QStringLiteral(" に書き込めません。　\r\r") + error.what()};
    case OfficeError::Unreadable:
        return {QStringLiteral("ファイル確認"),
                QStringLiteral("ファイル ") + error.file() + QStringLiteral(" を読み取れません。　\r\r") +
                    error.what()};
    case OfficeError::Hung:
    case OfficeError::Crashed:
        return {QStringLiteral("LibreOffice 確認"),
                error.what() + QStringLiteral("　\r\r") + file +
                    QStringLiteral("ファイルは書き込まれていません。　")};
    case OfficeError::Failed:
        break;
    }
    return {QStringLiteral("処理確認"),
            QStringLiteral("LibreOffice で処理できませんでした。　\r\r") + file + error.what()};
}

} // namespace kumiro
