// Cells of a workbook asked for in bulk: every round trip to the office costs about as much
// as the office's own work on a small sheet.
#pragma once

#include "common/Uno.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCell.hpp>

#include <utility>
#include <vector>

namespace kumiro::lo {

// Every cell of a sheet or of a set of ranges with content of the kinds `flags` name
// (css::sheet::CellFlags).
template <typename F> void forEachCellWith(const Any& sheet, sal_Int16 flags, F&& f)
{
    const Reference<css::sheet::XCellRangesQuery> query(sheet, UNO_QUERY_THROW);
    const auto cells =
        Reference<css::container::XEnumerationAccess>(query->queryContentCells(flags)->getCells(), UNO_QUERY_THROW)
            ->createEnumeration();
    while (cells->hasMoreElements())
        f(Reference<css::table::XCell>(cells->nextElement(), UNO_QUERY_THROW));
}

// Every formula cell of a sheet or of a set of ranges.
template <typename F> void forEachFormula(const Any& sheet, F&& f)
{
    forEachCellWith(sheet, css::sheet::CellFlags::FORMULA, std::forward<F>(f));
}

// Whole sheets of a document (by index) as one set of ranges, so that one query or search
// covers them all.
Reference<css::sheet::XCellRangesQuery> wholeSheets(const Reference<css::sheet::XSpreadsheetDocument>& doc,
                                                    const std::vector<sal_Int32>& indexes);

// A document's sheets, by index.
Reference<css::container::XIndexAccess> sheetsOf(const Reference<css::sheet::XSpreadsheetDocument>& doc);

// Every sheet of a document, by index.
std::vector<sal_Int32> everySheet(const Reference<css::sheet::XSpreadsheetDocument>& doc);

// The cells of `ranges` whose formula has `pattern` (a regular expression when `regex`), in
// one search; null when none has.
Reference<css::container::XIndexAccess> findInFormulas(const Reference<css::sheet::XCellRangesQuery>& ranges,
                                                       const char* pattern, bool regex = false);

} // namespace kumiro::lo
