#include "WordCombine.h"

#include "platform/FileModes.h"
#include "platform/ReplaceFile.h"

#include <QFileInfo>

namespace kumiro {


void saveReplacing(const QString& target, const std::function<void(const QString&)>& save)
{
    const ReplaceResult r = replaceFile(target, [&](const QString& temp) {
        try {
            save(temp);
        } catch (const OfficeError& e) {
            // The user knows the file by its own name, not the temporary one.
            throw OfficeError(e.kind(), e.what(), e.file() == temp ? target : e.file());
        }
        giveUsualPermissions(temp, target);
        return QString();
    });
    if (r.status == ReplaceResult::FolderNotWritable)
        throw OfficeError(OfficeError::OutputFolder, r.reason, QFileInfo(target).absolutePath());
    if (!r.ok())
        throw OfficeError(OfficeError::OutputFile, r.reason, target);
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
