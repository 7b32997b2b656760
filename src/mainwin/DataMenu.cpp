#include "DataMenu.h"

#include "CombineRun.h"
#include "OfficeRunner.h"
#include "app/FileListing.h"
#include "app/ProgramState.h"
#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "tools/dialogs/Backup.h"
#include "tools/Convert.h"
#include "tools/dialogs/FILESCOPY.h"
#include "tools/FileTools.h"
#include "tools/dialogs/MediumDialog.h"
#include "tools/dialogs/RENAME.h"

#include <QFileInfo>

namespace kumiro {

DataMenu::DataMenu(ProgramState& state, Platform& platform, OfficeRunner& office, Window window)
    : state_(state), platform_(platform), office_(office), window_(std::move(window))
{
}

void DataMenu::convert(WordFormat to)
{
    QWidget* owner = window_.owner;
    // The office starts while the user picks the files.
    office_.prepare();
    FileDialogRequest request;
    request.title = QStringLiteral("変換するﾌｧｲﾙを選択");
    request.filter = convertFilter(to);
    request.multiple = true;
    request.firstFolder = dialogFolder();
    const QStringList files = platform_.files.openFiles(owner, request);
    // Each file with an instance and a message of its own; a failure stops the rest.
    for (const QString& path : files) {
        QString oldFile;
        const OfficeRunner::Result run = office_.run(
            owner, QStringLiteral("変換中"),
            [&](Office& office, const CommandProgress& progress) {
                if (progress.cancelled && progress.cancelled())
                    return false;
                if (progress.step)
                    progress.step(0, 1, path);
                oldFile = convertFileTo(office, path, to).oldFile;
                return true;
            },
            QStringLiteral("変換先"));
        window_.followFolder();
        if (run != OfficeRunner::Result::Done)
            return;
        const QString written = convertedPathTo(path, to);
        const QString kept = oldFileText(written, oldFile);
        showCompletion(platform_, owner,
                       {MsgIcon::Information, QStringLiteral("変換確認"),
                        convertDoneText(to) + QStringLiteral("\r\r") + written +
                            (kept.isEmpty() ? QString() : QStringLiteral("\r\r") + kept)},
                       written);
    }
}

QString DataMenu::dialogFolder() const
{
    // The program folder when it is the user's, as of old; an installed program's is not.
    if (state_.FallbackFolder == state_.ProgramFolder)
        return state_.FallbackFolder;
    const QString data = state_.set.DataFol[state_.CurKind];
    return !data.isEmpty() && QFileInfo(data).isDir() ? data : state_.FallbackFolder;
}

QString DataMenu::chooseDataFile(const QString& title)
{
    FileDialogRequest request;
    request.title = title;
    request.filter = dataFileFilter(state_.set);
    request.initialFolder = dialogFolder();
    const QStringList files = platform_.files.openFiles(window_.owner, request);
    return files.isEmpty() ? QString() : files.first();
}

template <typename Dialog> void DataMenu::askForNewName(const QString& title)
{
    const QString file = chooseDataFile(title);
    if (file.isEmpty())
        return;
    Dialog dialog(file, state_.HelpFile, platform_, window_.owner);
    window_.execModal(dialog);
    window_.followFolder();
}

void DataMenu::copy()
{
    askForNewName<FILESCOPY>(QStringLiteral("ｺﾋﾟｰするﾌｧｲﾙを選択"));
}

void DataMenu::rename()
{
    askForNewName<RENAME>(QStringLiteral("名前を変更するﾌｧｲﾙを選択"));
}

void DataMenu::backup()
{
    QWidget* owner = window_.owner;
    runBackup(
        state_.set,
        [&] { return chooseMedium(window_.backupMedia(), window_.execModal, state_.HelpFile, platform_, owner); },
        platform_.messages, owner);
}

void DataMenu::remove()
{
    QWidget* owner = window_.owner;
    const QString file = chooseDataFile(QStringLiteral("削除するﾌｧｲﾙを選択"));
    if (file.isEmpty())
        return;
    auto& msg = platform_.messages;
    if (msg.show(owner, MsgIcon::Question, QStringLiteral("削除確認"),
                 QStringLiteral("指定されたﾌｧｲﾙを削除しますか？　"), MsgButtons::OkCancel) != MsgAnswer::Ok)
        return;
    const FileResult r = deleteToTrash(file);
    window_.followFolder();
    if (!r.ok) {
        msg.show(owner, MsgIcon::Critical, QStringLiteral("削除確認"),
                 QStringLiteral("ファイルを削除できませんでした。　\r\r") + r.reason);
        return;
    }
    msg.show(owner, MsgIcon::Information, QStringLiteral("削除情報"),
             QStringLiteral("指定されたﾌｧｲﾙを削除しました。　"));
}

} // namespace kumiro
