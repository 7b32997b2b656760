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

bool runBackup(const SettingsRecord& settings, const FindMedium& findMedium, MessageBoxes& messages, QWidget* owner,
               const CopyFile& copy)
{
    const QString title = QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ準備");
    if (messages.show(owner, MsgIcon::Question, title,
                      QStringLiteral("データのバックアップをとります。 フロッピーディスクをセットして下さい。　"),
                      MsgButtons::OkCancel) != MsgAnswer::Ok)
        return false;
    // Whatever failed, the user is asked for the disk; OK tries that step again.
    auto tryAgain = [&] {
        return messages.show(owner, MsgIcon::Question, title,
                             QStringLiteral("ドライブＡにフロッピーディスクがセットされていません。　\r\r"
                                            "処理を続ける場合はフロッピーディスクをセットして下さい。　"),
                             MsgButtons::OkCancel) == MsgAnswer::Ok;
    };
    QString folder;
    while (folder.isEmpty()) {
        const std::optional<QString> medium = findMedium();
        if (!medium)
            return false;
        folder = *medium;
        if (folder.isEmpty() && !tryAgain())
            return false;
    }
    for (const BackupCopy& c : backupCopies(settings, folder)) {
        while (!copy(c.source, c.target).ok) {
            if (!tryAgain())
                return false;
        }
    }
    messages.show(owner, MsgIcon::Information, QStringLiteral("終了確認"),
                  QStringLiteral("バックアップを完了しました。　"));
    return true;
}

} // namespace kumiro
