#include "CalcLinks.h"
#include "CalcCells.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/text/XText.hpp>

namespace kumiro::lo {

namespace {

// How a formula names another file or program, as the office writes it.
bool readsElsewhere(const rtl::OUString& formula)
{
    const rtl::OUString upper = formula.toAsciiUpperCase();
    // INDIRECT reads another file only through an address it builds, with a file's "://" or
    // the "#" before its sheet (or characters made by code); one over the workbook's own
    // cells, common in real workbooks, stays a formula.
    const bool addressOfAFile = formula.indexOf("://") >= 0 || formula.indexOf('#') >= 0 || upper.indexOf("CHAR(") >= 0;
    return formula.indexOf("'file:") >= 0 || upper.indexOf("DDE(") >= 0 || upper.indexOf("WEBSERVICE(") >= 0 ||
        upper.indexOf("FILTERXML(") >= 0 || (upper.indexOf("INDIRECT(") >= 0 && addressOfAFile);
}

} // namespace

int keepLinkedValues(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    // One search over every sheet; a workbook without such formulas (nearly all) costs no more.
    const auto found =
        findInFormulas(wholeSheets(doc, everySheet(doc)), "'file:|DDE\\(|WEBSERVICE\\(|INDIRECT\\(", true);
    if (!found.is())
        return 0;
    int kept = 0;
    for (sal_Int32 r = 0; r < found->getCount(); ++r) {
        forEachFormula(found->getByIndex(r), [&](const Reference<css::table::XCell>& cell) {
            if (!readsElsewhere(cell->getFormula()))
                return;
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
        });
    }
    return kept;
}

} // namespace kumiro::lo
