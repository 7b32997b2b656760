#include "CalcPivots.h"
#include "CalcLooks.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XDataPilotDescriptor.hpp>
#include <com/sun/star/sheet/XDataPilotTable.hpp>
#include <com/sun/star/sheet/XDataPilotTables.hpp>
#include <com/sun/star/sheet/XDataPilotTablesSupplier.hpp>
#include <com/sun/star/sheet/XSheetFilterDescriptor2.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/util/XProtectable.hpp>

#include <QRandomGenerator>

#include <optional>
#include <set>

namespace kumiro::lo {

namespace {

// What a pivot table's layout is made of, in the order it can be set: a field's place
// after its orientation, a "has" flag after what it switches.
const char* const kOptions[] = {"ColumnGrand",   "RowGrand",         "IgnoreEmptyRows",
                                "RepeatIfEmpty", "ShowFilterButton", "DrillDownOnDoubleClick",
                                "GrandTotalName"};
const char* const kField[] = {"Function2",   "Subtotals2",   "ShowEmpty",     "RepeatItemLabels", "SortInfo",
                              "HasSortInfo", "LayoutInfo",   "HasLayoutInfo", "AutoShowInfo",     "HasAutoShowInfo",
                              "Reference",   "HasReference", "SelectedPage",  "UseSelectedPage"};

void copyProperty(const Reference<css::beans::XPropertySet>& from, const Reference<css::beans::XPropertySet>& to,
                  const char* name)
{
    try {
        const rtl::OUString n = rtl::OUString::createFromAscii(name);
        to->setPropertyValue(n, from->getPropertyValue(n));
    } catch (const css::uno::Exception&) {
        // What this office version lacks is compared below like everything else.
    }
}

Reference<css::sheet::XDataPilotTables> pivotsOf(const Any& sheet)
{
    return Reference<css::sheet::XDataPilotTablesSupplier>(sheet, UNO_QUERY_THROW)->getDataPilotTables();
}

Sequence<Sequence<Any>> valuesAt(const Any& sheet, const css::table::CellRangeAddress& a)
{
    return Reference<css::sheet::XCellRangeData>(
               Reference<css::table::XCellRange>(sheet, UNO_QUERY_THROW)
                   ->getCellRangeByPosition(a.StartColumn, a.StartRow, a.EndColumn, a.EndRow),
               UNO_QUERY_THROW)
        ->getDataArray();
}

// The field of `made` that a field of the source named `name` reads: the same name, or for
// a data field shown as "Sum - Amount" (the names given vary), the longest name it ends with.
Reference<css::beans::XPropertySet> fieldFor(const Reference<css::sheet::XDataPilotDescriptor>& made,
                                             const rtl::OUString& name)
{
    const auto all = made->getDataPilotFields();
    Reference<css::beans::XPropertySet> best;
    sal_Int32 bestLength = 0;
    for (sal_Int32 i = 0; i < all->getCount(); ++i) {
        const Reference<css::container::XNamed> f(all->getByIndex(i), UNO_QUERY_THROW);
        const rtl::OUString mine = f->getName();
        if (mine == name)
            return Reference<css::beans::XPropertySet>(f, UNO_QUERY_THROW);
        if (mine.getLength() > bestLength && name.endsWith(mine)) {
            best.set(f, UNO_QUERY_THROW);
            bestLength = mine.getLength();
        }
    }
    return best;
}

// A descriptor of `pivots` (on the target) laid out as `source`, reading `range`; null when
// one of the source's fields has no counterpart.
Reference<css::sheet::XDataPilotDescriptor> likeSource(const Reference<css::sheet::XDataPilotTables>& pivots,
                                                       const Reference<css::sheet::XDataPilotDescriptor>& source,
                                                       const css::table::CellRangeAddress& range)
{
    const auto made = pivots->createDataPilotDescriptor();
    made->setSourceRange(range);
    const Reference<css::beans::XPropertySet> from(source, UNO_QUERY_THROW), to(made, UNO_QUERY_THROW);
    for (const char* name : kOptions)
        copyProperty(from, to, name);
    // Data fields first: the layout field that orders them exists only once they do.
    std::vector<std::pair<Reference<css::container::XNamed>, Reference<css::beans::XPropertySet>>> pairs;
    for (const auto& list :
         {source->getDataFields(), source->getRowFields(), source->getColumnFields(), source->getPageFields()}) {
        for (sal_Int32 i = 0; i < list->getCount(); ++i) {
            const Reference<css::container::XNamed> theirs(list->getByIndex(i), UNO_QUERY_THROW);
            const auto mine = fieldFor(made, theirs->getName());
            if (!mine.is())
                return {};
            copyProperty(Reference<css::beans::XPropertySet>(theirs, UNO_QUERY_THROW), mine, "Orientation");
            pairs.emplace_back(theirs, mine);
        }
    }
    for (const auto& [theirs, mine] : pairs) {
        const Reference<css::beans::XPropertySet> f(theirs, UNO_QUERY_THROW);
        for (const char* name : kField)
            copyProperty(f, mine, name);
        const Reference<css::container::XNamed> named(mine, UNO_QUERY_THROW);
        if (named->getName() != theirs->getName())
            named->setName(theirs->getName());
    }
    for (const auto& [theirs, mine] : pairs)
        copyProperty(Reference<css::beans::XPropertySet>(theirs, UNO_QUERY_THROW), mine, "Position");
    const Reference<css::sheet::XSheetFilterDescriptor2> filterFrom(source->getFilterDescriptor(), UNO_QUERY),
        filterTo(made->getFilterDescriptor(), UNO_QUERY);
    if (filterFrom.is() && filterTo.is())
        filterTo->setFilterFields2(filterFrom->getFilterFields2());
    return made;
}

// Whether the pivot table `name`, made like `source` over `range` at `out`, shows what the
// source shows: made first on a sheet of its own, so that one that comes out otherwise never
// touches the copy.
bool sameOnTrial(const Reference<css::sheet::XSpreadsheetDocument>& target, const rtl::OUString& name,
                 const css::table::CellRangeAddress& out, const Reference<css::sheet::XDataPilotDescriptor>& source,
                 const css::table::CellRangeAddress& range, const Sequence<Sequence<Any>>& shown)
{
    const auto targetSheets = sheetsOf(target);
    const auto sheets = target->getSheets();
    const rtl::OUString scratch =
        ou(QStringLiteral("~kumiro-pivot~%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
    sheets->insertNewByName(scratch, sal_Int16(targetSheets->getCount()));
    bool same = false;
    try {
        const Any trial = sheets->getByName(scratch);
        const auto trialPivots = pivotsOf(trial);
        trialPivots->insertNewByName(
            name, css::table::CellAddress(sal_Int16(targetSheets->getCount() - 1), out.StartColumn, out.StartRow),
            likeSource(trialPivots, source, range));
        const auto made =
            Reference<css::sheet::XDataPilotTable>(trialPivots->getByName(name), UNO_QUERY_THROW)->getOutputRange();
        same = made.StartColumn == out.StartColumn && made.StartRow == out.StartRow &&
            made.EndColumn == out.EndColumn && made.EndRow == out.EndRow && valuesAt(trial, made) == shown;
    } catch (const css::uno::Exception&) {
    }
    sheets->removeByName(scratch);
    return same;
}

} // namespace

void keepPivots(const Reference<css::sheet::XSpreadsheetDocument>& target, const std::vector<SheetCopies>& copies)
{
    const auto targetSheets = sheetsOf(target);
    // A pivot table's name is the workbook's; the names in use are asked for once needed.
    std::optional<std::set<rtl::OUString>> names;
    auto unique = [&](const rtl::OUString& wanted) {
        if (!names) {
            names.emplace();
            for (sal_Int32 s = 0; s < targetSheets->getCount(); ++s) {
                for (const rtl::OUString& n : pivotsOf(targetSheets->getByIndex(s))->getElementNames())
                    names->insert(n);
            }
        }
        rtl::OUString name = wanted;
        for (int n = 2; names->count(name); ++n)
            name = wanted + " " + rtl::OUString::number(n);
        return name;
    };
    for (const SheetCopies& c : copies) {
        const auto sources = sheetsOf(c.source);
        for (const auto& [from, to] : c.sheets) {
            const Any sourceSheet = sources->getByIndex(from);
            const auto theirs = pivotsOf(sourceSheet);
            const Reference<css::container::XIndexAccess> tables(theirs, UNO_QUERY_THROW);
            for (sal_Int32 t = 0; t < tables->getCount(); ++t) {
                const Reference<css::sheet::XDataPilotDescriptor> source(tables->getByIndex(t), UNO_QUERY_THROW);
                css::table::CellRangeAddress range = source->getSourceRange();
                const auto copy = c.sheets.find(range.Sheet);
                // A source that is no range of the workbook (a database) reads as A1:A1.
                if (copy == c.sheets.end() || (range.EndColumn == 0 && range.EndRow == 0))
                    continue;
                range.Sheet = sal_Int16(copy->second);
                const Any targetSheet = targetSheets->getByIndex(to);
                // The office refuses a pivot table on a protected sheet, which the copy stays.
                if (Reference<css::util::XProtectable>(targetSheet, UNO_QUERY_THROW)->isProtected())
                    continue;
                const auto out = Reference<css::sheet::XDataPilotTable>(source, UNO_QUERY_THROW)->getOutputRange();
                const auto shown = valuesAt(sourceSheet, out);
                const rtl::OUString name = unique(source->getName());
                if (!sameOnTrial(target, name, out, source, range, shown))
                    continue;
                const auto area =
                    Reference<css::table::XCellRange>(targetSheet, UNO_QUERY_THROW)
                        ->getCellRangeByPosition(out.StartColumn, out.StartRow, out.EndColumn, out.EndRow);
                // The office lays a pivot table out in its own font: the copy's cells keep the
                // one they showed.
                const auto fonts = cellFonts(area);
                Reference<css::sheet::XSheetOperation>(area, UNO_QUERY_THROW)
                    ->clearContents(css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME |
                                    css::sheet::CellFlags::STRING | css::sheet::CellFlags::FORMULA);
                const auto ours = pivotsOf(targetSheet);
                try {
                    ours->insertNewByName(name, css::table::CellAddress(sal_Int16(to), out.StartColumn, out.StartRow),
                                          likeSource(ours, source, range));
                } catch (const css::uno::Exception&) {
                    // Refused after all: the copy gets back the values it came with.
                    Reference<css::sheet::XCellRangeData>(area, UNO_QUERY_THROW)->setDataArray(shown);
                    continue;
                }
                setCellFonts(area, fonts);
                names->insert(name);
            }
        }
    }
}

} // namespace kumiro::lo
