#include "CalcLooks.h"
#include "CalcCells.h"

#include <com/sun/star/beans/PropertyState.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XCellFormatRangesSupplier.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>

#include <vector>

namespace kumiro::lo {

namespace {

const char* const kFont[] = {"CharFontName",
                             "CharFontNameAsian",
                             "CharFontNameComplex",
                             "CharFontFamily",
                             "CharFontFamilyAsian",
                             "CharFontCharSet",
                             "CharFontCharSetAsian",
                             "CharFontPitch",
                             "CharFontPitchAsian",
                             "CharHeight",
                             "CharHeightAsian",
                             "CharHeightComplex",
                             "CharWeight",
                             "CharWeightAsian",
                             "CharPosture",
                             "CharPostureAsian",
                             "CharColor"};

Reference<css::container::XNameContainer> cellStyles(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    return Reference<css::container::XNameContainer>(Reference<css::style::XStyleFamiliesSupplier>(doc, UNO_QUERY_THROW)
                                                         ->getStyleFamilies()
                                                         ->getByName(rtl::OUString("CellStyles")),
                                                     UNO_QUERY_THROW);
}

Reference<css::beans::XPropertySet> defaultStyle(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    return Reference<css::beans::XPropertySet>(cellStyles(doc)->getByName(rtl::OUString("Default")), UNO_QUERY_THROW);
}

void copyFont(const Reference<css::beans::XPropertySet>& from, const Reference<css::beans::XPropertySet>& to)
{
    for (const char* name : kFont) {
        try {
            to->setPropertyValue(rtl::OUString::createFromAscii(name),
                                 from->getPropertyValue(rtl::OUString::createFromAscii(name)));
        } catch (const css::uno::Exception&) {
        }
    }
}

// Applying a cell style drops the cells' own values of what the style sets: they are read
// first and set again.
void applyKeepingOwn(const Reference<css::beans::XPropertySet>& range, const rtl::OUString& style)
{
    static const Sequence<rtl::OUString> font = [] {
        Sequence<rtl::OUString> names(std::size(kFont));
        for (size_t i = 0; i < std::size(kFont); ++i)
            names.getArray()[i] = rtl::OUString::createFromAscii(kFont[i]);
        return names;
    }();
    const auto states = Reference<css::beans::XPropertyState>(range, UNO_QUERY_THROW)->getPropertyStates(font);
    std::vector<rtl::OUString> own;
    for (sal_Int32 i = 0; i < states.getLength(); ++i) {
        if (states[i] == css::beans::PropertyState_DIRECT_VALUE)
            own.push_back(font[i]);
    }
    const Reference<css::beans::XMultiPropertySet> multi(range, UNO_QUERY_THROW);
    Sequence<rtl::OUString> names(sal_Int32(own.size()));
    std::copy(own.begin(), own.end(), names.getArray());
    const Sequence<Any> values = own.empty() ? Sequence<Any>() : multi->getPropertyValues(names);
    range->setPropertyValue(rtl::OUString("CellStyle"), Any(style));
    if (!own.empty())
        multi->setPropertyValues(names, values);
}

} // namespace

void keepLookApart(const Reference<css::sheet::XSpreadsheetDocument>& source,
                   const Reference<css::sheet::XSpreadsheetDocument>& target, bool first, const QString& name)
{
    const auto ours = defaultStyle(source);
    const auto theirs = defaultStyle(target);
    if (first) {
        copyFont(ours, theirs);
        return;
    }
    const rtl::OUString names[] = {"CharFontName", "CharFontNameAsian", "CharHeight", "CharHeightAsian"};
    const Sequence<rtl::OUString> face(names, 4);
    if (Reference<css::beans::XMultiPropertySet>(ours, UNO_QUERY_THROW)->getPropertyValues(face) ==
        Reference<css::beans::XMultiPropertySet>(theirs, UNO_QUERY_THROW)->getPropertyValues(face))
        return;
    const auto styles = cellStyles(source);
    const auto targetStyles = cellStyles(target);
    rtl::OUString unique = ou(name);
    for (int n = 2; styles->hasByName(unique) || targetStyles->hasByName(unique); ++n)
        unique = ou(name) + " " + rtl::OUString::number(n);
    const Reference<css::beans::XPropertySet> style(Reference<css::lang::XMultiServiceFactory>(source, UNO_QUERY_THROW)
                                                        ->createInstance(rtl::OUString("com.sun.star.style.CellStyle")),
                                                    UNO_QUERY_THROW);
    styles->insertByName(unique, Any(style));
    copyFont(ours, style);
    const auto sheets = sheetsOf(source);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const auto ranges = Reference<css::sheet::XCellFormatRangesSupplier>(sheets->getByIndex(i), UNO_QUERY_THROW)
                                ->getCellFormatRanges();
        for (sal_Int32 r = 0; r < ranges->getCount(); ++r) {
            const Reference<css::beans::XPropertySet> range(ranges->getByIndex(r), UNO_QUERY_THROW);
            rtl::OUString current;
            range->getPropertyValue(rtl::OUString("CellStyle")) >>= current;
            if (current == "Default")
                applyKeepingOwn(range, unique);
        }
    }
}

} // namespace kumiro::lo
