#include "CalcDates.h"
#include "CalcCells.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <QDate>

namespace kumiro::lo {

namespace {

QDate nullDate(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    css::util::Date d;
    Reference<css::beans::XPropertySet>(doc, UNO_QUERY_THROW)->getPropertyValue(rtl::OUString("NullDate")) >>= d;
    return QDate(d.Year, d.Month, d.Day);
}

} // namespace

void keepDates(const Reference<css::sheet::XSpreadsheetDocument>& source,
               const Reference<css::sheet::XSpreadsheetDocument>& target, const Reference<css::uno::XInterface>& sheet)
{
    const qint64 days = nullDate(target).daysTo(nullDate(source));
    if (days == 0)
        return;
    // Constants the office counts as dates or times; of those, only the ones whose format
    // shows a day move (a duration or a time of day is the same in both systems).
    const auto formats = Reference<css::util::XNumberFormatsSupplier>(target, UNO_QUERY_THROW)->getNumberFormats();
    forEachCellWith(Any(sheet), css::sheet::CellFlags::DATETIME, [&](const Reference<css::table::XCell>& cell) {
        sal_Int32 key = 0;
        Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue(rtl::OUString("NumberFormat")) >>=
            key;
        sal_Int16 type = 0;
        formats->getByKey(key)->getPropertyValue(rtl::OUString("Type")) >>= type;
        if (type & css::util::NumberFormat::DATE)
            cell->setValue(cell->getValue() + double(days));
    });
}

} // namespace kumiro::lo
