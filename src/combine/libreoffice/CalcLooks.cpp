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

const Sequence<rtl::OUString>& fontNames()
{
    static const Sequence<rtl::OUString> names = [] {
        Sequence<rtl::OUString> n(std::size(kFont));
        for (size_t i = 0; i < std::size(kFont); ++i)
            n.getArray()[i] = rtl::OUString::createFromAscii(kFont[i]);
        return n;
    }();
    return names;
}

Sequence<Any> fontOf(const Reference<css::uno::XInterface>& holder)
{
    return Reference<css::beans::XMultiPropertySet>(holder, UNO_QUERY_THROW)->getPropertyValues(fontNames());
}

// Whether a cell of the source could look otherwise in the target: a style of the same name
// there sets another font, or a style only the source has would lean on the target's default.
bool fontsCouldChange(const Reference<css::sheet::XSpreadsheetDocument>& source,
                      const Reference<css::sheet::XSpreadsheetDocument>& target)
{
    const auto ours = cellStyles(source);
    const auto theirs = cellStyles(target);
    if (fontOf(defaultStyle(source)) != fontOf(defaultStyle(target)))
        return true;
    for (const rtl::OUString& name : ours->getElementNames()) {
        if (theirs->hasByName(name) &&
            fontOf(ours->getByName(name).get<Reference<css::uno::XInterface>>()) !=
                fontOf(theirs->getByName(name).get<Reference<css::uno::XInterface>>()))
            return true;
    }
    return false;
}

// The font a range has from its style becomes its own, which no style of the target changes.
void fixFont(const Reference<css::uno::XInterface>& range)
{
    const auto states = Reference<css::beans::XPropertyState>(range, UNO_QUERY_THROW)->getPropertyStates(fontNames());
    std::vector<rtl::OUString> inherited;
    for (sal_Int32 i = 0; i < states.getLength(); ++i) {
        if (states[i] != css::beans::PropertyState_DIRECT_VALUE)
            inherited.push_back(fontNames()[i]);
    }
    if (inherited.empty())
        return;
    Sequence<rtl::OUString> names(sal_Int32(inherited.size()));
    std::copy(inherited.begin(), inherited.end(), names.getArray());
    const Reference<css::beans::XMultiPropertySet> multi(range, UNO_QUERY_THROW);
    multi->setPropertyValues(names, multi->getPropertyValues(names));
}

} // namespace

void keepLookApart(const Reference<css::sheet::XSpreadsheetDocument>& source,
                   const Reference<css::sheet::XSpreadsheetDocument>& target, bool first)
{
    const auto ours = defaultStyle(source);
    const auto theirs = defaultStyle(target);
    if (first)
        copyFont(ours, theirs);
    if (!fontsCouldChange(source, target))
        return;
    const auto sheets = sheetsOf(source);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const auto ranges = Reference<css::sheet::XCellFormatRangesSupplier>(sheets->getByIndex(i), UNO_QUERY_THROW)
                                ->getCellFormatRanges();
        for (sal_Int32 r = 0; r < ranges->getCount(); ++r)
            fixFont(ranges->getByIndex(r).get<Reference<css::uno::XInterface>>());
    }
}

} // namespace kumiro::lo
