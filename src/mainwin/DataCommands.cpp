// The main window's Data menu: conversion (and, later, copy, rename, backup, delete).
#include "KUMIRO.h"
#include "app/ProgramState.h"
#include "combine/WordCombine.h"
#include "platform/Platform.h"
#include "tools/Convert.h"

namespace kumiro {

void KUMIRO::mnuDataConvert_Click(int index)
{
    FileDialogRequest request;
    request.title = QStringLiteral("変換するﾌｧｲﾙを選択");
    request.filter = convertFilter(index);
    request.multiple = true;
    const QStringList files = platform_.files.openFiles(this, request);
    // Each file with an instance and a message of its own; a failure stops the rest.
    for (const QString& path : files) {
        const OfficeRun run = runOfficeCommand(
            QStringLiteral("変換中"), [&](Office& office, const CommandProgress& progress) {
                if (progress.cancelled && progress.cancelled())
                    return false;
                if (progress.step)
                    progress.step(0, 1, path);
                ConvertFile(office, path, index);
                return true;
            });
        if (run != OfficeRun::Done)
            return;
        platform_.messages.show(this, MsgIcon::Information, QStringLiteral("変換確認"),
                                convertDoneText(index));
    }
}

} // namespace kumiro
