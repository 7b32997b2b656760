#include "CalcLinks.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XSearchable.hpp>

namespace kumiro::lo {

namespace {

// How a formula names another file or program, as the office writes it.
bool readsElsewhere(const rtl::OUString& formula)
{
    const rtl::OUString upper = formula.toAsciiUpperCase();
    return formula.indexOf("'file:") >= 0 || upper.indexOf("DDE(") >= 0 || upper.indexOf("WEBSERVICE(") >= 0 ||
        upper.indexOf("FILTERXML(") >= 0;
}

} // namespace

int keepLinkedValues(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    int kept = 0;
    const Reference<css::container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const Reference<css::util::XSearchable> searchable(sheets->getByIndex(i), UNO_QUERY_THROW);
        for (const char* word : {"'file:", "DDE(", "WEBSERVICE("}) {
            const auto search = searchable->createSearchDescriptor();
            search->setSearchString(rtl::OUString::createFromAscii(word));
            const auto found = searchable->findAll(search);
            if (!found.is())
                continue;
            for (sal_Int32 r = 0; r < found->getCount(); ++r) {
                const Reference<css::sheet::XCellRangesQuery> range(found->getByIndex(r), UNO_QUERY_THROW);
                const auto cells =
                    Reference<css::container::XEnumerationAccess>(
                        range->queryContentCells(css::sheet::CellFlags::FORMULA)->getCells(), UNO_QUERY_THROW)
                        ->createEnumeration();
                while (cells->hasMoreElements()) {
                    const Reference<css::table::XCell> cell(cells->nextElement(), UNO_QUERY_THROW);
                    if (!readsElsewhere(cell->getFormula()))
                        continue;
                    const Reference<css::text::XText> text(cell, UNO_QUERY_THROW);
                    const rtl::OUString shown = text->getString();
                    const double value = cell->getValue();
                    sal_Int32 result = 0;
                    Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)
                        ->getPropertyValue(rtl::OUString("FormulaResultType2")) >>= result;
                    const bool number = cell->getError() == 0 && result == css::sheet::FormulaResult::VALUE;
                    if (number)
                        cell->setValue(value);
                    else
                        text->setString(shown);
                    ++kept;
                }
            }
        }
    }
    return kept;
}

} // namespace kumiro::lo
