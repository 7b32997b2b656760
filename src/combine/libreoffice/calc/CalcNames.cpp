#include "CalcNames.h"
#include "CalcSheetRefs.h"

#include <QList>
#include <QPair>
#include <QRegularExpression>
#include <QStringList>

#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/ComplexReference.hpp>
#include <com/sun/star/sheet/FormulaLanguage.hpp>
#include <com/sun/star/sheet/FormulaMapGroup.hpp>
#include <com/sun/star/sheet/FormulaMapGroupSpecialOffset.hpp>
#include <com/sun/star/sheet/FormulaToken.hpp>
#include <com/sun/star/sheet/XDatabaseRange.hpp>
#include <com/sun/star/sheet/XDatabaseRanges.hpp>
#include <com/sun/star/sheet/XFormulaOpCodeMapper.hpp>
#include <com/sun/star/sheet/NameToken.hpp>
#include <com/sun/star/sheet/ReferenceFlags.hpp>
#include <com/sun/star/sheet/SingleReference.hpp>
#include <com/sun/star/sheet/XFormulaTokens.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

namespace kumiro::lo {

namespace {

// The workbook's names (sheet -1), then each sheet's own.
template <typename F> void forEachNameSet(const Reference<css::sheet::XSpreadsheetDocument>& doc, F&& f)
{
    f(-1, Reference<css::sheet::XNamedRanges>(namedRanges(doc), UNO_QUERY));
    const auto sheets = sheetsOf(doc);
    for (sal_Int32 s = 0; s < sheets->getCount(); ++s)
        f(int(s),
          Reference<css::sheet::XNamedRanges>(namedRanges(sheets->getByIndex(s).get<Reference<css::uno::XInterface>>()),
                                              UNO_QUERY));
}

// The operation of a token that names a name; other tokens (a table's part, a database
// range) carry a number of the same shape that means something else.
sal_Int32 nameOpCode(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    const Reference<css::sheet::XFormulaOpCodeMapper> mapper(
        Reference<css::lang::XMultiServiceFactory>(doc, UNO_QUERY_THROW)
            ->createInstance(rtl::OUString("com.sun.star.sheet.FormulaOpCodeMapper")),
        UNO_QUERY_THROW);
    return mapper
        ->getAvailableMappings(css::sheet::FormulaLanguage::ENGLISH,
                               css::sheet::FormulaMapGroup::SPECIAL)[css::sheet::FormulaMapGroupSpecialOffset::NAME]
        .Token.OpCode;
}

int tokenIndex(const Reference<css::uno::XInterface>& range)
{
    sal_Int32 index = -1;
    Reference<css::beans::XPropertySet>(range, UNO_QUERY_THROW)->getPropertyValue(rtl::OUString("TokenIndex")) >>=
        index;
    return int(index);
}

} // namespace

Reference<css::uno::XInterface> namedRanges(const Reference<css::uno::XInterface>& holder)
{
    Reference<css::uno::XInterface> names;
    const Reference<css::beans::XPropertySet> p(holder, UNO_QUERY);
    try {
        if (p.is())
            p->getPropertyValue(rtl::OUString("NamedRanges")) >>= names;
    } catch (const css::beans::UnknownPropertyException&) {
    }
    return names;
}

namespace {

// The office would rename a name without its formulas: they are rewritten here, outside
// string constants, and so are names made of other names; then the old names go.
void followRenames(const Reference<css::sheet::XSpreadsheetDocument>& source,
                   const QList<QPair<QString, QString>>& renamed)
{
    QList<QPair<QRegularExpression, QString>> rules;
    for (const auto& [from, to] : renamed)
        rules << qMakePair(
            QRegularExpression(QStringLiteral("(?<![\\w.$'])%1(?![\\w.(])").arg(QRegularExpression::escape(from)),
                               QRegularExpression::CaseInsensitiveOption |
                                   QRegularExpression::UseUnicodePropertiesOption),
            to);
    auto rewrite = [&](const rtl::OUString& text) {
        QStringList parts = qs(text).split(u'"');
        for (qsizetype p = 0; p < parts.size(); p += 2) {
            for (const auto& [re, to] : rules)
                parts[p].replace(re, to);
        }
        return ou(parts.join(u'"'));
    };
    const auto sheets = sheetsOf(source);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        forEachFormula(sheets->getByIndex(i), [&](const Reference<css::table::XCell>& cell) {
            const rtl::OUString formula = cell->getFormula();
            const rtl::OUString rewritten = rewrite(formula);
            if (rewritten != formula)
                cell->setFormula(rewritten);
        });
    }
    forEachNameSet(source, [&](int, const Reference<css::sheet::XNamedRanges>& names) {
        if (!names.is())
            return;
        for (const rtl::OUString& name : names->getElementNames()) {
            const Reference<css::sheet::XNamedRange> range(names->getByName(name), UNO_QUERY_THROW);
            const rtl::OUString content = range->getContent();
            const rtl::OUString rewritten = rewrite(content);
            if (rewritten != content)
                range->setContent(rewritten);
        }
    });
    const Reference<css::sheet::XNamedRanges> ours(namedRanges(source), UNO_QUERY_THROW);
    for (const auto& [from, to] : renamed)
        ours->removeByName(ou(from));
}

} // namespace

void keepNamesApart(const Reference<css::sheet::XSpreadsheetDocument>& source,
                    const Reference<css::sheet::XSpreadsheetDocument>& target, std::set<rtl::OUString>& claimed)
{
    const Reference<css::sheet::XNamedRanges> ours(namedRanges(source), UNO_QUERY_THROW);
    const Reference<css::container::XNameAccess> theirs(namedRanges(target), UNO_QUERY_THROW);
    // Names are one whatever their case. The target holds only the names that copied
    // formulas used so far; every name of an earlier source is defined there later.
    auto taken = [&](const rtl::OUString& name) {
        return theirs->hasByName(name) || claimed.count(name.toAsciiUpperCase()) > 0;
    };
    QList<QPair<QString, QString>> renamed;
    for (const rtl::OUString& name : ours->getElementNames()) {
        if (!taken(name))
            continue;
        rtl::OUString unique;
        for (int n = 2; unique.isEmpty() || ours->hasByName(unique) || taken(unique); ++n)
            unique = name + "_" + rtl::OUString::number(n);
        const Reference<css::sheet::XNamedRange> old(ours->getByName(name), UNO_QUERY_THROW);
        ours->addNewByName(unique, old->getContent(), old->getReferencePosition(), old->getType());
        renamed << qMakePair(qs(name), qs(unique));
    }
    if (!renamed.isEmpty())
        followRenames(source, renamed);
    for (const rtl::OUString& name : ours->getElementNames())
        claimed.insert(name.toAsciiUpperCase());
}

namespace {

Reference<css::sheet::XDatabaseRanges> tablesOf(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    return Reference<css::sheet::XDatabaseRanges>(
        Reference<css::beans::XPropertySet>(doc, UNO_QUERY_THROW)->getPropertyValue(rtl::OUString("DatabaseRanges")),
        UNO_QUERY_THROW);
}

// A source's sheet names to its copies'.
std::map<rtl::OUString, rtl::OUString> copyNames(const Reference<css::sheet::XSpreadsheetDocument>& target,
                                                 const SheetCopies& c)
{
    std::map<rtl::OUString, rtl::OUString> names;
    const auto from = sheetsOf(c.source);
    const auto to = sheetsOf(target);
    for (const auto& [s, t] : c.sheets)
        names[Reference<css::container::XNamed>(from->getByIndex(s), UNO_QUERY_THROW)->getName()] =
            Reference<css::container::XNamed>(to->getByIndex(t), UNO_QUERY_THROW)->getName();
    return names;
}

// A reference token's sheets as their copies; false for another token.
template <typename F> bool moveToCopies(Any& data, F&& sheetOf)
{
    auto move = [&](css::sheet::SingleReference& r) {
        if (!(r.Flags & css::sheet::ReferenceFlags::SHEET_RELATIVE))
            r.Sheet = sheetOf(r.Sheet);
    };
    css::sheet::SingleReference single;
    css::sheet::ComplexReference complex;
    if (data >>= single) {
        move(single);
        data <<= single;
    } else if (data >>= complex) {
        move(complex.Reference1);
        move(complex.Reference2);
        data <<= complex;
    } else {
        return false;
    }
    return true;
}

} // namespace

void placeTables(const Reference<css::sheet::XSpreadsheetDocument>& target, const SheetCopies& c,
                 std::set<rtl::OUString>& claimed)
{
    const auto ours = tablesOf(c.source);
    const auto theirs = tablesOf(target);
    for (const rtl::OUString& name : ours->getElementNames()) {
        const Reference<css::beans::XPropertySet> from(ours->getByName(name), UNO_QUERY_THROW);
        auto area = Reference<css::sheet::XDatabaseRange>(from, UNO_QUERY_THROW)->getDataArea();
        const auto copy = c.sheets.find(area.Sheet);
        if (copy == c.sheets.end() || !claimed.insert(name.toAsciiUpperCase()).second)
            continue;
        area.Sheet = sal_Int16(copy->second);
        if (theirs->hasByName(name))
            Reference<css::sheet::XDatabaseRange>(theirs->getByName(name), UNO_QUERY_THROW)->setDataArea(area);
        else
            theirs->addNewByName(name, area);
        const Reference<css::beans::XPropertySet> to(theirs->getByName(name), UNO_QUERY_THROW);
        for (const char* p : {"ContainsHeader", "TotalsRow"}) {
            const rtl::OUString property = rtl::OUString::createFromAscii(p);
            to->setPropertyValue(property, from->getPropertyValue(property));
        }
    }
}

namespace {

// A source's names as made in the target, empty at first.
struct SourceNames {
    struct Name {
        int sheet; // -1 for the workbook's
        rtl::OUString name;
        Reference<css::sheet::XNamedRange> from;
        Reference<css::sheet::XNamedRange> to;
    };
    std::vector<Name> names;
    std::map<std::pair<int, int>, size_t> byIndex; // (sheet, token index) in the source
    int lost = 0;
    int all = 0;
};

// Where sheet `s` of a source is in the target; a sheet not copied keeps its number.
int sheetOf(const SheetCopies& c, int s)
{
    const auto it = c.sheets.find(s);
    return it == c.sheets.end() ? s : it->second;
}

// A name that could not be defined as in its source: the copy of a sheet may have brought
// it along reading the source file, which is the office's private copy. It stays as an
// error, counted as not taken in.
void unlink(const Reference<css::sheet::XNamedRanges>& in, const rtl::OUString& name,
            Reference<css::sheet::XNamedRange> range = {})
{
    try {
        if (!range.is() && in.is() && in->hasByName(name))
            range.set(in->getByName(name), UNO_QUERY);
        if (range.is() && range->getContent().indexOf("'file:") >= 0)
            range->setContent(rtl::OUString("#REF!"));
    } catch (const css::uno::Exception&) {
    }
}

// Every name of the source made first, so that names made of names find each other; the
// source's tokens name them by number.
SourceNames makeNames(const Reference<css::sheet::XSpreadsheetDocument>& target, const SheetCopies& c)
{
    const auto targetSheets = sheetsOf(target);
    auto targetNames = [&](int sheet) {
        return Reference<css::sheet::XNamedRanges>(
            sheet < 0 ? namedRanges(target)
                      : namedRanges(targetSheets->getByIndex(sheet).get<Reference<css::uno::XInterface>>()),
            UNO_QUERY);
    };
    SourceNames made;
    forEachNameSet(c.source, [&](int sheet, const Reference<css::sheet::XNamedRanges>& ranges) {
        if (!ranges.is() || (sheet >= 0 && !c.sheets.count(sheet)))
            return;
        const auto these = ranges->getElementNames();
        made.all += int(these.getLength());
        if (!these.hasElements())
            return;
        const auto into = targetNames(sheet < 0 ? -1 : sheetOf(c, sheet));
        for (const rtl::OUString& name : these) {
            try {
                const Reference<css::sheet::XNamedRange> from(ranges->getByName(name), UNO_QUERY_THROW);
                if (!into->hasByName(name)) {
                    auto at = from->getReferencePosition();
                    at.Sheet = sal_Int16(sheetOf(c, at.Sheet));
                    into->addNewByName(name, rtl::OUString("0"), at, from->getType());
                }
                made.byIndex[{sheet, tokenIndex(from)}] = made.names.size();
                made.names.push_back(
                    {sheet, name, from, Reference<css::sheet::XNamedRange>(into->getByName(name), UNO_QUERY_THROW)});
            } catch (const css::uno::Exception&) {
                ++made.lost;
                unlink(into, name);
            }
        }
    });
    return made;
}

// Name `n`'s content as in the source, its ranges on the copies and the names it is made of
// the target's; false for a name of another workbook.
bool copyContent(const SourceNames::Name& n, const SourceNames& made,
                 const Reference<css::sheet::XSpreadsheetDocument>& target, const SheetCopies& c, sal_Int32 nameOp)
{
    const rtl::OUString content = n.from->getContent();
    // A name for another workbook would link to the office's private copy of the source's
    // folder: it stays, as an error, and is counted as not taken in.
    if (content.indexOf("'file:") >= 0) {
        n.to->setContent(rtl::OUString("#REF!"));
        return false;
    }
    auto tokens = Reference<css::sheet::XFormulaTokens>(n.from, UNO_QUERY_THROW)->getTokens();
    bool table = false;
    for (auto& t : tokens) {
        css::sheet::NameToken name;
        if (moveToCopies(t.Data, [&](int s) { return sheetOf(c, s); }))
            continue;
        if (t.OpCode != nameOp && (t.Data >>= name)) {
            table = true;
        } else if (t.Data >>= name) {
            const auto it = made.byIndex.find({name.Sheet < 0 ? -1 : int(name.Sheet), int(name.Index)});
            if (it != made.byIndex.end()) {
                const auto& other = made.names[it->second];
                name.Index = tokenIndex(other.to);
                name.Sheet = other.sheet < 0 ? -1 : sheetOf(c, other.sheet);
                t.Data <<= name;
            }
        }
    }
    // A structured reference set by its tokens reads no table: by its text, the table of
    // that name.
    if (table)
        n.to->setContent(renameSheetsIn(content, copyNames(target, c)));
    else
        Reference<css::sheet::XFormulaTokens>(n.to, UNO_QUERY_THROW)->setTokens(tokens);
    return true;
}

} // namespace

std::vector<std::pair<int, int>> defineNames(const Reference<css::sheet::XSpreadsheetDocument>& target,
                                             const std::vector<SheetCopies>& copies)
{
    const sal_Int32 nameOp = nameOpCode(target);
    std::vector<std::pair<int, int>> counts;
    for (const SheetCopies& c : copies) {
        SourceNames made = makeNames(target, c);
        for (const auto& n : made.names) {
            try {
                if (!copyContent(n, made, target, c, nameOp))
                    ++made.lost;
            } catch (const css::uno::Exception&) {
                ++made.lost;
                unlink(Reference<css::sheet::XNamedRanges>(), n.name, n.to);
            }
        }
        counts.push_back({made.all, made.all - made.lost});
    }
    return counts;
}

} // namespace kumiro::lo
