#include "Backup.h"

#include "app/Paths.h"
#include "app/SettingsRecord.h"
#include "platform/MessageBoxes.h"

namespace kumiro {

QList<BackupCopy> backupCopies(const SettingsRecord& s, const QString& backupFolder)
{
    QList<BackupCopy> copies;
    for (Kind kind : {Kind::Word, Kind::Excel}) {
        copies.append({outputPathOf(s, kind), joinPath(backupFolder, s.KumiroFile[kind] + outputExtensionOf(s, kind))});
    }
    return copies;
}

bool runBackup(const SettingsRecord& settings, const QString& backupFolder, MessageBoxes& messages, QWidget* owner,
               const CopyFile& copy)
{
    if (messages.show(owner, MsgIcon::Question, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ準備"),
                      QStringLiteral("データのバックアップをとります。 フロッピーディスクをセットして下さい。　"),
                      MsgButtons::OkCancel) != MsgAnswer::Ok)
        return false;
    for (const BackupCopy& c : backupCopies(settings, backupFolder)) {
        while (!copy(c.source, c.target).ok) {
            if (messages.show(owner, MsgIcon::Question, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ準備"),
                              QStringLiteral("ドライブＡにフロッピーディスクがセットされていません。　\r\r"
                                             "処理を続ける場合はフロッピーディスクをセットして下さい。　"),
                              MsgButtons::OkCancel) != MsgAnswer::Ok)
                return false;
        }
    }
    messages.show(owner, MsgIcon::Information, QStringLiteral("終了確認"),
                  QStringLiteral("バックアップを完了しました。　"));
    return true;
}

} // namespace kumiro
