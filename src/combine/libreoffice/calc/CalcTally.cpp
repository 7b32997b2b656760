#include "CalcTally.h"
#include "CalcCells.h"
#include "module/Tally.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/sheet/XDataPilotTablesSupplier.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <algorithm>
#include <cmath>
#include <map>
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

bool sameResult(const Any& a, const Any& b)
{
    double x = 0, y = 0;
    if ((a >>= x) && (b >>= y))
        return std::fabs(x - y) <= 1e-9 * std::max(1.0, std::fabs(x));
    return a == b;
}

// The error of every formula with one, by position.
std::map<std::pair<sal_Int32, sal_Int32>, sal_Int32> errorsOf(const Any& sheet)
{
    std::map<std::pair<sal_Int32, sal_Int32>, sal_Int32> errors;
    const auto cells =
        Reference<css::container::XEnumerationAccess>(Reference<css::sheet::XCellRangesQuery>(sheet, UNO_QUERY_THROW)
                                                          ->queryFormulaCells(css::sheet::FormulaResult::ERROR)
                                                          ->getCells(),
                                                      UNO_QUERY_THROW)
            ->createEnumeration();
    while (cells->hasMoreElements()) {
        const Any cell = cells->nextElement();
        const auto at = Reference<css::sheet::XCellAddressable>(cell, UNO_QUERY_THROW)->getCellAddress();
        errors[{at.Column, at.Row}] = Reference<css::table::XCell>(cell, UNO_QUERY_THROW)->getError();
    }
    return errors;
}

// Cells of a copy whose result, once the combined workbook computed it, is not what the source
// holds; two reads a sheet, whatever its size.
int changedResults(const Reference<css::sheet::XSpreadsheetDocument>& source,
                   const Reference<css::sheet::XSpreadsheetDocument>& target, const std::map<int, int>& sheets)
{
    int changed = 0;
    const auto from = sheetsOf(source);
    const auto to = sheetsOf(target);
    for (const auto& [s, t] : sheets) {
        const Reference<css::sheet::XSpreadsheet> sheet(from->getByIndex(s), UNO_QUERY_THROW);
        const auto cursor = sheet->createCursor();
        const Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
        used->gotoStartOfUsedArea(false);
        used->gotoEndOfUsedArea(true);
        const auto area = Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
        const auto was = Reference<css::sheet::XCellRangeData>(cursor, UNO_QUERY_THROW)->getDataArray();
        const auto is = Reference<css::sheet::XCellRangeData>(
                            Reference<css::table::XCellRange>(to->getByIndex(t), UNO_QUERY_THROW)
                                ->getCellRangeByPosition(area.StartColumn, area.StartRow, area.EndColumn, area.EndRow),
                            UNO_QUERY_THROW)
                            ->getDataArray();
        for (sal_Int32 r = 0; r < was.getLength() && r < is.getLength(); ++r) {
            for (sal_Int32 c = 0; c < was[r].getLength() && c < is[r].getLength(); ++c)
                changed += !sameResult(was[r][c], is[r][c]);
        }
        // The data leaves errors out: one error for another is counted here.
        const auto errorsWere = errorsOf(Any(sheet));
        for (const auto& [at, error] : errorsOf(to->getByIndex(t))) {
            const auto it = errorsWere.find(at);
            changed += it != errorsWere.end() && it->second != error;
        }
    }
    return changed;
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
        const int changed = in.formulas ? changedResults(c.source, target, c.sheets) : 0;
        const QString sentence = shortfallSentence(
            c.path,
            {{QStringLiteral("シート"), int(from.size()), int(c.sheets.size())},
             {QStringLiteral("値のあるセル"), in.cells, got.cells},
             {QStringLiteral("数式"), in.formulas, got.formulas},
             {QStringLiteral("名前"), i < names.size() ? names[i].first : 0, i < names.size() ? names[i].second : 0},
             {QStringLiteral("図とグラフ"), in.drawings, got.drawings},
             {QStringLiteral("コメント"), in.comments, got.comments},
             {QStringLiteral("計算結果が変わったセル"), changed, 0}},
            {{QStringLiteral("ピボットテーブル"), in.pivots, got.pivots},
             {QStringLiteral("他のファイルを読む数式"), c.linkedValues, 0}});
        if (!sentence.isEmpty())
            out << sentence;
    }
    return out;
}

} // namespace kumiro::lo
