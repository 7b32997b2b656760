#include "WordCombine.h"

#include "app/Paths.h"
#include "FileWriting.h"
#include "SystemErrors.h"
#include "platform/FileModes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kumiro {

QString wordOutputPath(const QString& folder, const QString& baseName)
{
    return joinPath(folder, baseName + QStringLiteral(".doc"));
}

void saveReplacing(const QString& target, const std::function<void(const QString&)>& save)
{
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    // The office would make a missing folder without a word; the user chose this one.
    if (!info.absoluteDir().exists())
        throw OfficeError(OfficeError::OutputFolder, plainSystemReason(ENOENT), folder);
    // Tried here, before the office works: a folder that cannot be written is told at once.
    if (const int error = folderWriteError(folder))
        throw OfficeError(OfficeError::OutputFolder, plainSystemReason(error), folder);
    const QString temp = info.absoluteDir().filePath(
        QStringLiteral(".~kumiro-%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
    try {
        save(temp);
    } catch (const OfficeError& e) {
        QFile::remove(temp);
        // The user knows the file by its own name, not the temporary one.
        throw OfficeError(e.kind(), e.what(), e.file() == temp ? target : e.file());
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    giveUsualPermissions(temp, target);
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const QString reason = plainSystemReason(errno);
        QFile::remove(temp);
        throw OfficeError(OfficeError::OutputFile, reason, target);
    }
}

bool combineWord(Office& office, const QStringList& inputs, const QString& outputPath,
                 const CommandProgress& progress)
{
    const auto word = office.newWord();
    WordDocument& doc = word->Documents_Add();
    WordSelection& selection = word->Selection();
    for (int i = 0; i < inputs.size(); ++i) {
        if (progress.cancelled && progress.cancelled()) {
            word->Quit();
            return false;
        }
        if (progress.step)
            progress.step(i, int(inputs.size()), inputs[i]);
        selection.InsertFile(inputs[i]);
        selection.InsertBreak(kSectionBreakNextPage);
    }
    saveReplacing(doc, outputPath, WordFormat::Native);
    closeAfterSaving([&] {
        doc.Close();
        word->Quit();
    });
    return true;
}

} // namespace kumiro
