// The main window's Data menu: conversion, copy, rename, backup and delete.
#include "KUMIRO.h"
#include "app/FileListing.h"
#include "platform/ReplaceFile.h"
#include "OfficeRunner.h"
#include "app/ProgramState.h"
#include "platform/Platform.h"
#include "tools/Backup.h"
#include "tools/Convert.h"
#include "tools/FILESCOPY.h"
#include "tools/FileTools.h"
#include "tools/MediumDialog.h"
#include "tools/RENAME.h"

#include <QFileInfo>

namespace kumiro {

void KUMIRO::mnuDataConvert_Click(int index)
{
    const WordFormat to = conversionMenuFormat(index);
    // The office starts while the user picks the files.
    office_.prepare();
    FileDialogRequest request;
    request.title = QStringLiteral("変換するﾌｧｲﾙを選択");
    request.filter = convertFilter(to);
    request.multiple = true;
    request.firstFolder = dialogFolder();
    const QStringList files = platform_.files.openFiles(this, request);
    // Each file with an instance and a message of its own; a failure stops the rest.
    for (const QString& path : files) {
        QString oldFile;
        const OfficeRunner::Result run = office_.run(
            this, QStringLiteral("変換中"),
            [&](Office& office, const CommandProgress& progress) {
                if (progress.cancelled && progress.cancelled())
                    return false;
                if (progress.step)
                    progress.step(0, 1, path);
                oldFile = convertFileTo(office, path, to).oldFile;
                return true;
            },
            QStringLiteral("変換先"));
        followListedFolder();
        if (run != OfficeRunner::Result::Done)
            return;
        const QString written = convertedPathTo(path, to);
        const QString kept = oldFileText(written, oldFile);
        showDone({MsgIcon::Information, QStringLiteral("変換確認"),
                  convertDoneText(to) + QStringLiteral("\r\r") + written +
                      (kept.isEmpty() ? QString() : QStringLiteral("\r\r") + kept)},
                 written);
    }
}

} // namespace kumiro

namespace kumiro {

QString KUMIRO::dialogFolder() const
{
    // The program folder when it is the user's, as of old; an installed program's is not.
    if (state_.FallbackFolder == state_.ProgramFolder)
        return state_.FallbackFolder;
    const QString data = state_.set.DataFol[state_.CurKind];
    return !data.isEmpty() && QFileInfo(data).isDir() ? data : state_.FallbackFolder;
}

QString KUMIRO::chooseDataFile(const QString& title)
{
    FileDialogRequest request;
    request.title = title;
    request.filter = dataFileFilter(state_.set);
    request.initialFolder = dialogFolder();
    const QStringList files = platform_.files.openFiles(this, request);
    return files.isEmpty() ? QString() : files.first();
}

template <typename Dialog> void KUMIRO::askForNewName(const QString& title)
{
    const QString file = chooseDataFile(title);
    if (file.isEmpty())
        return;
    Dialog dialog(file, state_, platform_, this);
    execModal(dialog);
    followListedFolder();
}

void KUMIRO::mnuDataCopy_Click()
{
    askForNewName<FILESCOPY>(QStringLiteral("ｺﾋﾟｰするﾌｧｲﾙを選択"));
}

void KUMIRO::mnuDataRename_Click()
{
    askForNewName<RENAME>(QStringLiteral("名前を変更するﾌｧｲﾙを選択"));
}

void KUMIRO::mnuDataBackup_Click()
{
    runBackup(
        state_.set, [this] { return chooseMedium(backupMedia(), execModal, state_, platform_, this); },
        platform_.messages, this);
}

void KUMIRO::mnuDataDelete_Click()
{
    const QString file = chooseDataFile(QStringLiteral("削除するﾌｧｲﾙを選択"));
    if (file.isEmpty())
        return;
    auto& msg = platform_.messages;
    if (msg.show(this, MsgIcon::Question, QStringLiteral("削除確認"),
                 QStringLiteral("指定されたﾌｧｲﾙを削除しますか？　"), MsgButtons::OkCancel) != MsgAnswer::Ok)
        return;
    const FileResult r = deleteToTrash(file);
    followListedFolder();
    if (!r.ok) {
        msg.show(this, MsgIcon::Critical, QStringLiteral("削除確認"),
                 QStringLiteral("ファイルを削除できませんでした。　\r\r") + r.reason);
        return;
    }
    msg.show(this, MsgIcon::Information, QStringLiteral("削除情報"),
             QStringLiteral("指定されたﾌｧｲﾙを削除しました。　"));
}

} // namespace kumiro
