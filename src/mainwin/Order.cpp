#include "Order.h"

#include "app/Paths.h"
#include "app/ConfirmedOrder.h"
#include "platform/MessageBoxes.h"

namespace kumiro {

bool orderCountTaken(qsizetype n, MessageBoxes& messages, QWidget* owner)
{
    if (n == 0) {
        messages.show(owner, MsgIcon::Critical, QStringLiteral("選択ファイルの確認"),
                      QStringLiteral("くみろ順で指定されたファイルが存在しません。　"));
        return false;
    }
    if (n == 1) {
        messages.show(
            owner, MsgIcon::Critical, QStringLiteral("選択ファイル数の確認"),
            QStringLiteral(
                "くみろ順で指定されたファイルの数は \"１個\" だけです。　複数のファイルを選択して下さい。　"));
        return false;
    }
    if (n > kMaxOrder) {
        messages.show(owner, MsgIcon::Critical, QStringLiteral("選択ファイル数の確認"),
                      QStringLiteral("くみろ順で指定されたファイルの数が \"100個\" を超えています。　\r\r"
                                     "これ以上のファイル数を扱う場合は、数回に分けて実行して下さい。　"));
        return false;
    }
    return true;
}

void tellOrderConfirmed(MessageBoxes& messages, QWidget* owner)
{
    messages.show(owner, MsgIcon::Information, QStringLiteral("くみろ順確認"),
                  QStringLiteral("くみろ順を確定しました。　くみろ実行を選択して下さい。　"));
}

QStringList orderFiles(const QString& folder, const QStringList& names)
{
    QStringList files;
    for (const QString& name : names)
        files << joinPath(folder, name);
    return files;
}

OrderButtonStates orderButtonStates(int left, int right)
{
    return {right >= 2, right >= 1, left >= 2 || right >= 1};
}

} // namespace kumiro
