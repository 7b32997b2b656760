#include "CalcTally.h"
#include "Tally.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/sheet/XDataPilotTablesSupplier.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

namespace kumiro::lo {

namespace {

struct SheetCount {
    int cells = 0, formulas = 0, drawings = 0, comments = 0, pivots = 0;
};

int cellsIn(const Reference<css::sheet::XCellRangesQuery>& query, sal_Int16 flags)
{
    int n = 0;
    for (const auto& a : query->queryContentCells(flags)->getRangeAddresses())
        n += (a.EndColumn - a.StartColumn + 1) * (a.EndRow - a.StartRow + 1);
    return n;
}

SheetCount countSheet(const Reference<css::sheet::XSpreadsheetDocument>& doc, sal_Int32 index)
{
    SheetCount c;
    const Any sheet = Reference<css::container::XIndexAccess>(doc->getSheets(), UNO_QUERY_THROW)->getByIndex(index);
    const Reference<css::sheet::XCellRangesQuery> query(sheet, UNO_QUERY_THROW);
    namespace flags = css::sheet::CellFlags;
    c.cells = cellsIn(query, flags::VALUE | flags::DATETIME | flags::STRING | flags::FORMULA);
    c.formulas = cellsIn(query, flags::FORMULA);
    c.drawings =
        int(Reference<css::container::XIndexAccess>(
                Reference<css::drawing::XDrawPagesSupplier>(doc, UNO_QUERY_THROW)->getDrawPages()->getByIndex(index),
                UNO_QUERY_THROW)
                ->getCount());
    c.comments = int(
        Reference<css::container::XIndexAccess>(
            Reference<css::sheet::XSheetAnnotationsSupplier>(sheet, UNO_QUERY_THROW)->getAnnotations(), UNO_QUERY_THROW)
            ->getCount());
    c.pivots = int(Reference<css::container::XIndexAccess>(
                       Reference<css::sheet::XDataPilotTablesSupplier>(sheet, UNO_QUERY_THROW)->getDataPilotTables(),
                       UNO_QUERY_THROW)
                       ->getCount());
    return c;
}

} // namespace

QStringList calcShortfalls(const Reference<css::sheet::XSpreadsheetDocument>& target,
                           const std::vector<SheetCopies>& copies, const std::vector<int>& namesLost)
{
    QStringList out;
    for (size_t i = 0; i < copies.size(); ++i) {
        const SheetCopies& c = copies[i];
        const Reference<css::container::XIndexAccess> sources(c.source->getSheets(), UNO_QUERY_THROW);
        SheetCount in, got;
        for (sal_Int32 s = 0; s < sources->getCount(); ++s) {
            const SheetCount one = countSheet(c.source, s);
            in.cells += one.cells;
            in.formulas += one.formulas;
            in.drawings += one.drawings;
            in.comments += one.comments;
            in.pivots += one.pivots;
        }
        for (const auto& [from, to] : c.sheets) {
            const SheetCount one = countSheet(target, to);
            got.cells += one.cells;
            got.formulas += one.formulas;
            got.drawings += one.drawings;
            got.comments += one.comments;
            got.pivots += one.pivots;
        }
        const int names = nameCount(c.source);
        const QString sentence =
            shortfallSentence(c.path,
                              {{QStringLiteral("シート"), int(sources->getCount()), int(c.sheets.size())},
                               {QStringLiteral("値のあるセル"), in.cells, got.cells},
                               {QStringLiteral("数式"), in.formulas, got.formulas},
                               {QStringLiteral("名前"), names, names - (i < namesLost.size() ? namesLost[i] : 0)},
                               {QStringLiteral("図とグラフ"), in.drawings, got.drawings},
                               {QStringLiteral("コメント"), in.comments, got.comments}},
                              {{QStringLiteral("ピボットテーブル"), in.pivots, got.pivots}});
        if (!sentence.isEmpty())
            out << sentence;
    }
    return out;
}

} // namespace kumiro::lo
