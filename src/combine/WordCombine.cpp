#include "WordCombine.h"

#include "OfficeSaving.h"

namespace kumiro {

bool combineWord(Office& office, const QStringList& inputs, const QString& outputPath, const CommandProgress& progress,
                 QStringList* shortfalls, QString* keptOldFile)
{
    refuseUnwritableOutput(outputPath, inputs);
    const WordFormat format = wordFormatFor(outputPath);
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
        if (i + 1 < inputs.size() || format != WordFormat::Pdf)
            selection.InsertBreak(kSectionBreakNextPage);
    }
    if (shortfalls)
        *shortfalls = word->Shortfalls();
    const QString old = saveReplacing(doc, outputPath, format, keptOldFile ? OldFile::Keep : OldFile::Replace);
    if (keptOldFile)
        *keptOldFile = old;
    closeAfterSaving([&] {
        doc.Close();
        word->Quit();
    });
    return true;
}

} // namespace kumiro
