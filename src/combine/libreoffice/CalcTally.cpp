#include "CalcTally.h"
#include "CalcCells.h"
#include "Tally.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/sheet/XDataPilotTablesSupplier.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <vector>

namespace kumiro::lo {

namespace {

struct SheetCount {
    int cells = 0, formulas = 0, drawings = 0, comments = 0, pivots = 0;
};

int countOf(const Reference<css::uno::XInterface>& collection)
{
    return int(Reference<css::container::XIndexAccess>(collection, UNO_QUERY_THROW)->getCount());
}

int cellsIn(const Reference<css::sheet::XCellRangesQuery>& query, sal_Int16 flags)
{
    int n = 0;
    for (const auto& a : query->queryContentCells(flags)->getRangeAddresses())
        n += (a.EndColumn - a.StartColumn + 1) * (a.EndRow - a.StartRow + 1);
    return n;
}

// Cells with values and formulas of one sheet. A query over several sheets at once would
// answer with the union of their cells on the first of them. `wanted` as below.
void countCells(const Any& sheet, SheetCount& c, const SheetCount* wanted)
{
    namespace flags = css::sheet::CellFlags;
    const Reference<css::sheet::XCellRangesQuery> query(sheet, UNO_QUERY_THROW);
    c.cells += cellsIn(query, flags::VALUE | flags::DATETIME | flags::STRING | flags::FORMULA);
    if (!wanted || wanted->formulas)
        c.formulas += cellsIn(query, flags::FORMULA);
}

// What some sheets of a document hold. `wanted`, when given, names what is worth asking:
// a copy cannot hold what its source lacks.
SheetCount countSheets(const Reference<css::sheet::XSpreadsheetDocument>& doc, const std::vector<sal_Int32>& indexes,
                       const SheetCount* wanted = nullptr)
{
    SheetCount c;
    const auto sheets = sheetsOf(doc);
    const Reference<css::container::XIndexAccess> pages(
        Reference<css::drawing::XDrawPagesSupplier>(doc, UNO_QUERY_THROW)->getDrawPages(), UNO_QUERY_THROW);
    for (const sal_Int32 index : indexes) {
        const Any sheet = sheets->getByIndex(index);
        countCells(sheet, c, wanted);
        if (!wanted || wanted->drawings)
            c.drawings += countOf(pages->getByIndex(index).get<Reference<css::uno::XInterface>>());
        if (!wanted || wanted->comments)
            c.comments +=
                countOf(Reference<css::sheet::XSheetAnnotationsSupplier>(sheet, UNO_QUERY_THROW)->getAnnotations());
        if (!wanted || wanted->pivots)
            c.pivots +=
                countOf(Reference<css::sheet::XDataPilotTablesSupplier>(sheet, UNO_QUERY_THROW)->getDataPilotTables());
    }
    return c;
}

} // namespace

QStringList calcShortfalls(const Reference<css::sheet::XSpreadsheetDocument>& target,
                           const std::vector<SheetCopies>& copies, const std::vector<std::pair<int, int>>& names)
{
    QStringList out;
    for (size_t i = 0; i < copies.size(); ++i) {
        const SheetCopies& c = copies[i];
        const auto from = everySheet(c.source);
        std::vector<sal_Int32> to;
        for (const auto& [source, copy] : c.sheets)
            to.push_back(copy);
        const SheetCount in = countSheets(c.source, from);
        const SheetCount got = countSheets(target, to, &in);
        const QString sentence = shortfallSentence(
            c.path,
            {{QStringLiteral("シート"), int(from.size()), int(c.sheets.size())},
             {QStringLiteral("値のあるセル"), in.cells, got.cells},
             {QStringLiteral("数式"), in.formulas, got.formulas},
             {QStringLiteral("名前"), i < names.size() ? names[i].first : 0, i < names.size() ? names[i].second : 0},
             {QStringLiteral("図とグラフ"), in.drawings, got.drawings},
             {QStringLiteral("コメント"), in.comments, got.comments}},
            {{QStringLiteral("ピボットテーブル"), in.pivots, got.pivots},
             {QStringLiteral("他のファイルを読む数式"), c.linkedValues, 0}});
        if (!sentence.isEmpty())
            out << sentence;
    }
    return out;
}

} // namespace kumiro::lo
