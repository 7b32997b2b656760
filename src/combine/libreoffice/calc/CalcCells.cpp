#include "CalcCells.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XSheetCellRangeContainer.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/util/XSearchable.hpp>

namespace kumiro::lo {

Reference<css::sheet::XCellRangesQuery> wholeSheets(const Reference<css::sheet::XSpreadsheetDocument>& doc,
                                                    const std::vector<sal_Int32>& indexes)
{
    const Reference<css::sheet::XSheetCellRangeContainer> all(
        Reference<css::lang::XMultiServiceFactory>(doc, UNO_QUERY_THROW)
            ->createInstance(rtl::OUString("com.sun.star.sheet.SheetCellRanges")),
        UNO_QUERY_THROW);
    Sequence<css::table::CellRangeAddress> whole(sal_Int32(indexes.size()));
    for (size_t i = 0; i < indexes.size(); ++i)
        whole.getArray()[i] = css::table::CellRangeAddress(sal_Int16(indexes[i]), 0, 0, 1023, 1048575);
    all->addRangeAddresses(whole, false);
    return Reference<css::sheet::XCellRangesQuery>(all, UNO_QUERY_THROW);
}

Reference<css::container::XIndexAccess> sheetsOf(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    return Reference<css::container::XIndexAccess>(doc->getSheets(), UNO_QUERY_THROW);
}

std::vector<sal_Int32> everySheet(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    std::vector<sal_Int32> all(size_t(sheetsOf(doc)->getCount()));
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = sal_Int32(i);
    return all;
}

Reference<css::container::XIndexAccess> findInFormulas(const Reference<css::sheet::XCellRangesQuery>& ranges,
                                                       const char* pattern, bool regex)
{
    const Reference<css::util::XSearchable> searchable(ranges, UNO_QUERY_THROW);
    const auto search = searchable->createSearchDescriptor();
    search->setSearchString(rtl::OUString::createFromAscii(pattern));
    if (regex)
        Reference<css::beans::XPropertySet>(search, UNO_QUERY_THROW)
            ->setPropertyValue(rtl::OUString("SearchRegularExpression"), Any(true));
    return searchable->findAll(search);
}

} // namespace kumiro::lo
