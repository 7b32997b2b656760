#include "ExcelCombine.h"

#include "OfficeSaving.h"

#include <vector>

namespace kumiro {

bool combineExcel(Office& office, const QStringList& inputs, const QString& outputPath, const CommandProgress& progress,
                  QStringList* shortfalls, QString* keptOldFile)
{
    auto cancelled = [&] { return progress.cancelled && progress.cancelled(); };
    refuseUnwritableOutput(outputPath, inputs);
    const auto excel = office.newExcel();
    excel->SheetsInNewWorkbook(1);

    // Every source is open before the new workbook is made, so the new one is active.
    std::vector<ExcelWorkbook*> sourceBooks;
    for (int i = 0; i < inputs.size(); ++i) {
        if (cancelled()) {
            excel->Quit();
            return false;
        }
        if (progress.step)
            progress.step(i, int(inputs.size()), inputs[i]);
        sourceBooks.push_back(&excel->Workbooks_Open(inputs[i]));
    }
    ExcelWorkbook& combined = excel->Workbooks_Add();
    for (ExcelWorkbook* book : sourceBooks) {
        for (int n = 1; n <= book->Sheets_Count(); ++n)
            book->Sheets(n).Copy(combined.Sheets(combined.Sheets_Count()));
    }
    if (cancelled()) {
        excel->Quit();
        return false;
    }
    // One save, after the blank first sheet is gone: the file on disk is the same as the
    // two saves around the deletion would leave.
    excel->ActivateFirstWorksheet();
    excel->DisplayAlerts(false);
    excel->DeleteActiveSheet();
    const ExcelFormat format = excelFormatFor(outputPath);
    const QString old = saveReplacing(
        outputPath, [&](const QString& path) { excel->ActiveWorkbook().SaveAs(path, format); },
        keptOldFile ? OldFile::Keep : OldFile::Replace);
    if (keptOldFile)
        *keptOldFile = old;
    if (shortfalls)
        *shortfalls = excel->Shortfalls();
    closeAfterSaving([&] {
        excel->DisplayAlerts(true);
        excel->Quit();
    });
    return true;
}

} // namespace kumiro
