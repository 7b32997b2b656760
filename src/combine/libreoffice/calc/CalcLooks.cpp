#include "CalcLooks.h"
#include "CalcCells.h"

#include <com/sun/star/beans/PropertyState.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XUniqueCellFormatRangesSupplier.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
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

// Rows of an optimal height would take the height of a font set on them, the target's default
// rather than their own (12.75 pt rows became 14.65 pt). The rows `first` to `last` of a sheet
// that the office fits to their font, with the height they have, in runs of one height.
struct Run {
    sal_Int32 first, last, height;
};

std::vector<Run> optimalHeights(const Reference<css::uno::XInterface>& sheet, sal_Int32 first, sal_Int32 last)
{
    const auto rows = Reference<css::table::XColumnRowRange>(sheet, UNO_QUERY_THROW)->getRows();
    const rtl::OUString both[] = {"Height", "OptimalHeight"};
    const Sequence<rtl::OUString> names(both, 2);
    std::vector<Run> runs;
    for (sal_Int32 r = first; r <= last; ++r) {
        const auto values =
            Reference<css::beans::XMultiPropertySet>(rows->getByIndex(r), UNO_QUERY_THROW)->getPropertyValues(names);
        if (!values[1].get<bool>())
            continue;
        const sal_Int32 height = values[0].get<sal_Int32>();
        if (!runs.empty() && runs.back().last == r - 1 && runs.back().height == height)
            runs.back().last = r;
        else
            runs.push_back({r, r, height});
    }
    return runs;
}

// Those rows at the height they had, now their own.
void keepHeights(const Reference<css::uno::XInterface>& sheet, const std::vector<Run>& runs)
{
    const Reference<css::table::XCellRange> cells(sheet, UNO_QUERY_THROW);
    for (const Run& run : runs)
        Reference<css::beans::XPropertySet>(
            Reference<css::table::XColumnRowRange>(cells->getCellRangeByPosition(0, run.first, 0, run.last),
                                                   UNO_QUERY_THROW)
                ->getRows(),
            UNO_QUERY_THROW)
            ->setPropertyValue(rtl::OUString("Height"), Any(run.height));
}

// One look of a sheet (cells formatted alike, wherever they are) and its font.
struct Look {
    Reference<css::beans::XMultiPropertySet> cells;
    Sequence<css::beans::PropertyState> states;
    Sequence<Any> font;
};

// The font of a sheet's cells becomes their own, which no style of the target changes. Setting
// it look by look costs as much as the look has ranges (a sheet of 50,000 merged cells has
// 100,000 of them): what of the source's default font the target's lacks is set once over the
// used area instead, and only looks with another font (their own, or their style's) are set
// again. What both defaults share (an automatic colour) stays as it is.
void fixFonts(const Reference<css::uno::XInterface>& sheet, const Sequence<Any>& defaultFont,
              const Sequence<Any>& targetFont)
{
    const auto all =
        Reference<css::sheet::XUniqueCellFormatRangesSupplier>(sheet, UNO_QUERY_THROW)->getUniqueCellFormatRanges();
    std::vector<Look> looks;
    for (sal_Int32 r = 0; r < all->getCount(); ++r) {
        const Reference<css::beans::XMultiPropertySet> cells(all->getByIndex(r), UNO_QUERY_THROW);
        looks.push_back({cells,
                         Reference<css::beans::XPropertyState>(cells, UNO_QUERY_THROW)->getPropertyStates(fontNames()),
                         cells->getPropertyValues(fontNames())});
    }
    const auto cursor = Reference<css::sheet::XSpreadsheet>(sheet, UNO_QUERY_THROW)->createCursor();
    const Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    const auto area = Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
    const auto heights = optimalHeights(sheet, area.StartRow, area.EndRow);
    std::vector<rtl::OUString> names;
    std::vector<Any> values;
    for (sal_Int32 i = 0; i < defaultFont.getLength(); ++i) {
        if (defaultFont[i] != targetFont[i]) {
            names.push_back(fontNames()[i]);
            values.push_back(defaultFont[i]);
        }
    }
    if (!names.empty())
        Reference<css::beans::XMultiPropertySet>(cursor, UNO_QUERY_THROW)
            ->setPropertyValues(Sequence<rtl::OUString>(names.data(), sal_Int32(names.size())),
                                Sequence<Any>(values.data(), sal_Int32(values.size())));
    for (const Look& look : looks) {
        names.clear();
        values.clear();
        for (sal_Int32 i = 0; i < look.font.getLength(); ++i) {
            if (look.font[i] != defaultFont[i] ||
                (defaultFont[i] != targetFont[i] && look.states[i] == css::beans::PropertyState_DIRECT_VALUE)) {
                names.push_back(fontNames()[i]);
                values.push_back(look.font[i]);
            }
        }
        if (!names.empty())
            look.cells->setPropertyValues(Sequence<rtl::OUString>(names.data(), sal_Int32(names.size())),
                                          Sequence<Any>(values.data(), sal_Int32(values.size())));
    }
    keepHeights(sheet, heights);
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
    const auto font = fontOf(ours);
    const auto targetFont = fontOf(theirs);
    const auto sheets = sheetsOf(source);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i)
        fixFonts(sheets->getByIndex(i).get<Reference<css::uno::XInterface>>(), font, targetFont);
}

namespace {

template <typename F> void forEachCell(const Reference<css::table::XCellRange>& area, F&& f)
{
    const auto at = Reference<css::sheet::XCellRangeAddressable>(area, UNO_QUERY_THROW)->getRangeAddress();
    for (sal_Int32 r = 0; r <= at.EndRow - at.StartRow; ++r) {
        for (sal_Int32 c = 0; c <= at.EndColumn - at.StartColumn; ++c)
            f(Reference<css::beans::XMultiPropertySet>(area->getCellByPosition(c, r), UNO_QUERY_THROW));
    }
}

} // namespace

std::vector<Sequence<Any>> cellFonts(const Reference<css::table::XCellRange>& area)
{
    std::vector<Sequence<Any>> fonts;
    forEachCell(area, [&](const Reference<css::beans::XMultiPropertySet>& cell) {
        fonts.push_back(cell->getPropertyValues(fontNames()));
    });
    return fonts;
}

void setCellFonts(const Reference<css::table::XCellRange>& area, const std::vector<Sequence<Any>>& fonts)
{
    size_t i = 0;
    forEachCell(area, [&](const Reference<css::beans::XMultiPropertySet>& cell) {
        if (i < fonts.size())
            cell->setPropertyValues(fontNames(), fonts[i++]);
    });
}

} // namespace kumiro::lo
