// Workbook names across a combine: each source keeps what its names mean, whatever names
// other sources bring and wherever its sheets land.
#pragma once

#include "CalcCells.h"

#include <QString>

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

#include <map>
#include <set>
#include <vector>

namespace kumiro::lo {

// The names of a workbook, or of one sheet (its own names); null when it has none.
Reference<css::uno::XInterface> namedRanges(const Reference<css::uno::XInterface>& holder);

// A source, before its first sheet is copied into `target`: its workbook names that the
// target or an earlier source already has (`claimed`, which this source's names then join;
// maybe meaning something else) get a name of their own, and its formulas and names made of
// names follow. Only the source in memory changes.
void keepNamesApart(const Reference<css::sheet::XSpreadsheetDocument>& source,
                    const Reference<css::sheet::XSpreadsheetDocument>& target, std::set<rtl::OUString>& claimed);

// Where one source's sheets landed: its sheet index to the copy's index in the target.
struct SheetCopies {
    Reference<css::sheet::XSpreadsheetDocument> source;
    QString path; // the user's file
    std::map<int, int> sheets;
    int linkedValues = 0; // formulas that read other files, kept as their values
};

// Once every sheet is in place: the tables (database ranges) of a source's copied sheets over
// their copies, where the copy of a sheet put them elsewhere or left them behind. A table of a
// name an earlier source `claimed` (upper case; this source's join) stays the earlier one's.
void placeTables(const Reference<css::sheet::XSpreadsheetDocument>& target, const SheetCopies& c,
                 std::set<rtl::OUString>& claimed);

// Once every sheet is in place: every name of every source defined in the target as it is
// in the source, pointing at the copies of its sheets (3-D ranges, names made of names,
// names of errors and of tables included), never at the source file; a name of another
// workbook is defined as an error and not counted as defined. Returns, in the order of
// `copies`, how many names each source has and how many were defined.
std::vector<std::pair<int, int>> defineNames(const Reference<css::sheet::XSpreadsheetDocument>& target,
                                             const std::vector<SheetCopies>& copies);

} // namespace kumiro::lo
