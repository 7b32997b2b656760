// The Excel side, inside the office: workbooks by number, each sheet copied with what it
// needs to compute and look as it did in its own workbook.
#include "CalcSteps.h"
#include "CalcDates.h"
#include "CalcLinks.h"
#include "CalcLooks.h"
#include "CalcNames.h"
#include "CalcPivots.h"
#include "CalcSheetRefs.h"
#include "CalcTally.h"
#include "module/Inside.h"
#include "combine/SheetNames.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCalculatable.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XSpreadsheets2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace kumiro::lo {

namespace {

bool isCalcType(const QString& type)
{
    // The workbooks of today: "MS Excel 2007 XML" (.xlsx), its VBA twin (.xlsm), and
    // "Office Open XML Spreadsheet".
    return type.startsWith(QStringLiteral("calc_MS_Excel")) || type == u"calc8" || type == u"MS Excel 2007 XML" ||
        type == u"MS Excel 2007 VBA XML" || type == u"Office Open XML Spreadsheet" ||
        type.startsWith(QStringLiteral("calc_StarOffice_XML_Calc")) ||
        type.startsWith(QStringLiteral("calc_Text_txt_csv"));
}

rtl::OUString sheetName(const Reference<css::sheet::XSpreadsheetDocument>& doc, int index)
{
    return Reference<css::container::XNamed>(sheetsOf(doc)->getByIndex(index), UNO_QUERY_THROW)->getName();
}

QStringList sheetNames(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    QStringList names;
    for (const rtl::OUString& n : doc->getSheets()->getElementNames())
        names << qs(n);
    return names;
}

class Book {
public:
    Book(Reference<css::sheet::XSpreadsheetDocument> doc, QString path) : doc_(std::move(doc)), path_(std::move(path))
    {
    }

    int count()
    {
        if (!count_)
            count_ = int(sheetsOf(doc_)->getCount());
        return *count_;
    }

    // The combined workbook made ready to save: references between the copies, names,
    // results, pivots; returns what the sources lost on the way.
    QStringList prepareSave()
    {
        relinkCopies();
        const auto copies = sheetCopies();
        const auto names = defineNames(doc_, copies);
        // Copied formulas wait for their results; without them a text or TRUE/FALSE
        // result would be written as 0.
        Reference<css::sheet::XCalculatable>(doc_, UNO_QUERY_THROW)->calculate();
        keepPivots(doc_, copies);
        return calcShortfalls(doc_, copies, names);
    }

    const Reference<css::sheet::XSpreadsheetDocument>& document() const { return doc_; }
    const QString& path() const { return path_; }

    // A source's sheet names and address, read once: a source is not changed after it is
    // opened (in the office's call).
    const rtl::OUString& sourceSheetName(int index)
    {
        if (!sourceNames_.hasElements())
            sourceNames_ = doc_->getSheets()->getElementNames();
        return sourceNames_[index];
    }
    const rtl::OUString& sourceUrl()
    {
        if (url_.isEmpty())
            url_ = Reference<css::frame::XModel>(doc_, UNO_QUERY_THROW)->getURL();
        return url_;
    }

    // The target's sheet names as they are now (in the office's call), kept up to date by
    // the copies and the removal.
    const QStringList& targetSheetNames()
    {
        if (!targetNames_)
            targetNames_ = sheetNames(doc_);
        return *targetNames_;
    }
    void sheetRemoved()
    {
        count_.reset();
        targetNames_.reset();
    }

    // A source, once, before its first sheet is copied into `target`: names that clash with
    // the target's or an earlier source's get names of their own.
    void keepNamesApartFrom(Book& target)
    {
        if (namesKeptApart_)
            return;
        namesKeptApart_ = true;
        keepNamesApart(doc_, target.document(), target.claimedNames_);
    }

    // A source, once, before its first sheet is copied: its cells keep their look.
    void keepLookApartFrom(const Reference<css::sheet::XSpreadsheetDocument>& target, bool first)
    {
        if (lookKeptApart_)
            return;
        lookKeptApart_ = true;
        keepLookApart(doc_, target, first);
    }

    int copies() const { return int(copies_.size()); }
    // How many formulas of this source that read other files arrive as values.
    void setLinkedValues(int n) { linkedValues_ = n; }
    int linkedValues() const { return linkedValues_; }

    // The target, after a sheet was copied in from `source`.
    void noteCopy(Book& from, int sourceIndex, const rtl::OUString& sourceSheet,
                  const Reference<css::container::XNamed>& copy, const rtl::OUString& name)
    {
        copies_.push_back({from.sourceUrl(), sourceSheet, copy, name, from.document(), from.path(), sourceIndex,
                           from.linkedValues()});
        if (count_)
            ++*count_;
        if (targetNames_)
            targetNames_->append(qs(name));
    }

private:
    static rtl::OUString quotedSheet(const rtl::OUString& name) { return "'" + name.replaceAll("'", "''") + "'"; }

    // A sheet copied before the sheets it refers to (a total that reads a later sheet, a
    // name for a range on another sheet) gets references to the source file instead of to
    // the sheet beside it: point them back at the copies.
    void relinkCopies()
    {
        std::vector<std::pair<rtl::OUString, rtl::OUString>> replace;
        for (const Copied& c : copies_) {
            const rtl::OUString to = "$" + quotedSheet(c.name) + ".";
            replace.emplace_back("'" + c.sourceUrl + "'#$" + c.sourceSheet + ".", to);
            replace.emplace_back("'" + c.sourceUrl + "'#$" + quotedSheet(c.sourceSheet) + ".", to);
        }
        auto relink = [&](rtl::OUString text) {
            for (const auto& [from, to] : replace)
                text = text.replaceAll(from, to);
            return text;
        };
        auto relinkNames = [&](const Reference<css::uno::XInterface>& names) {
            const Reference<css::container::XNameAccess> access(names, UNO_QUERY);
            if (!access.is())
                return;
            for (const rtl::OUString& name : access->getElementNames()) {
                const Reference<css::sheet::XNamedRange> range(access->getByName(name), UNO_QUERY);
                if (range.is() && range->getContent().indexOf("'file:") >= 0)
                    range->setContent(relink(range->getContent()));
            }
        };
        // The workbook's own names are all defined again from their sources afterwards; a
        // sheet's copy may bring names of its own that no source has on that sheet.
        for (const Copied& c : copies_)
            relinkNames(namedRanges(c.copy));
        if (copies_.empty())
            return;
        // Formulas that point into a source file, and formulas with text results (a copy
        // would be saved with 0 for them), are set again; the office finds both itself,
        // which is far cheaper than asking every cell. One search covers every copy; a query
        // does not (over several sheets it answers with their union on the first).
        const auto at = sheetIndexes();
        std::vector<sal_Int32> indexes;
        std::vector<Any> touch;
        std::map<sal_Int32, const Copied*> onSheet;
        CopyNames copyOf;
        for (const Copied& c : copies_) {
            onSheet[at.at(c.name)] = &c;
            copyOf[c.source.get()][c.sourceSheet] = c.name;
        }
        for (const Copied& c : copies_) {
            indexes.push_back(at.at(c.name));
            touch.emplace_back(Reference<css::sheet::XCellRangesQuery>(c.copy, UNO_QUERY_THROW)
                                   ->queryFormulaCells(css::sheet::FormulaResult::STRING));
        }
        // A structured reference names its table by a number, and the copy brings a table
        // over to another place or not at all: the tables are put where their sheets are, and
        // formulas with structured references set again from their source.
        std::set<rtl::OUString> tables;
        for (const SheetCopies& c : sheetCopies()) {
            placeTables(doc_, c, tables);
            resetTableFormulas(c, copyOf.at(c.source.get()));
        }
        if (const auto found = findInFormulas(wholeSheets(doc_, indexes), "'file:"); found.is()) {
            for (sal_Int32 i = 0; i < found->getCount(); ++i)
                touch.push_back(found->getByIndex(i));
        }
        for (const Any& ranges : touch) {
            forEachFormula(ranges, [&](const Reference<css::table::XCell>& cell) {
                rtl::OUString relinked = cell->getFormula();
                const bool linked = relinked.indexOf("'file:") >= 0;
                // An error stays as the source computed it: set again, a call of a macro or an
                // unknown function would read as an unknown name.
                if (!linked && cell->getError() != 0)
                    return;
                // The copy names the other sheets of its source as sheets of the source file,
                // and a range over several of them as an error: the source's own formula,
                // with its sheets named as their copies, reads the copies.
                if (linked)
                    relinked = sourceFormula(cell, onSheet, copyOf);
                // A formula that still reads another file or program would fetch it when set
                // again: it keeps the value it was saved with.
                if (relinked.indexOf("'file:") < 0 && relinked.toAsciiUpperCase().indexOf("DDE(") < 0)
                    cell->setFormula(relinked);
            });
        }
    }

    // The formulas of a source with a structured reference, set again from the source on its
    // copies (the copy's own may name another table, or none).
    void resetTableFormulas(const SheetCopies& c, const std::map<rtl::OUString, rtl::OUString>& copyOf)
    {
        std::vector<sal_Int32> from;
        for (const auto& [source, copy] : c.sheets)
            from.push_back(source);
        const auto found = findInFormulas(wholeSheets(c.source, from), "[");
        if (!found.is())
            return;
        for (sal_Int32 i = 0; i < found->getCount(); ++i) {
            forEachFormula(found->getByIndex(i), [&](const Reference<css::table::XCell>& cell) {
                const auto at = Reference<css::sheet::XCellAddressable>(cell, UNO_QUERY_THROW)->getCellAddress();
                const auto to = Reference<css::table::XCellRange>(sheetsOf(doc_)->getByIndex(c.sheets.at(at.Sheet)),
                                                                  UNO_QUERY_THROW)
                                    ->getCellByPosition(at.Column, at.Row);
                Reference<css::table::XCell>(to, UNO_QUERY_THROW)
                    ->setFormula(renameSheetsIn(cell->getFormula(), copyOf));
            });
        }
    }

    struct Copied {
        rtl::OUString sourceUrl;
        rtl::OUString sourceSheet;
        Reference<css::container::XNamed> copy;
        rtl::OUString name; // the copy's, known here without asking
        Reference<css::sheet::XSpreadsheetDocument> source;
        QString path;
        int sourceIndex;
        int linkedValues;
    };

    using CopyNames = std::map<const void*, std::map<rtl::OUString, rtl::OUString>>; // by source

    // A copied cell's formula as its source has it, with the source's sheets named as their copies.
    static rtl::OUString sourceFormula(const Reference<css::table::XCell>& cell,
                                       const std::map<sal_Int32, const Copied*>& onSheet, const CopyNames& copyOf)
    {
        const auto where = Reference<css::sheet::XCellAddressable>(cell, UNO_QUERY_THROW)->getCellAddress();
        const Copied& c = *onSheet.at(where.Sheet);
        const auto from =
            Reference<css::table::XCellRange>(sheetsOf(c.source)->getByIndex(c.sourceIndex), UNO_QUERY_THROW)
                ->getCellByPosition(where.Column, where.Row);
        return renameSheetsIn(Reference<css::table::XCell>(from, UNO_QUERY_THROW)->getFormula(),
                              copyOf.at(c.source.get()));
    }

    // Where each sheet of the workbook is now.
    std::map<rtl::OUString, sal_Int32> sheetIndexes() const
    {
        std::map<rtl::OUString, sal_Int32> at;
        const auto names = doc_->getSheets()->getElementNames();
        for (sal_Int32 i = 0; i < names.getLength(); ++i)
            at[names[i]] = i;
        return at;
    }

    // Where each source's sheets are now, sources in the order of their first copy.
    std::vector<SheetCopies> sheetCopies() const
    {
        const auto at = sheetIndexes();
        std::vector<SheetCopies> out;
        for (const Copied& c : copies_) {
            if (out.empty() || out.back().source != c.source)
                out.push_back({c.source, c.path, {}, c.linkedValues});
            out.back().sheets[c.sourceIndex] = int(at.at(c.name));
        }
        return out;
    }

    Reference<css::sheet::XSpreadsheetDocument> doc_;
    QString path_; // empty for a new workbook
    std::vector<Copied> copies_;
    bool namesKeptApart_ = false;
    std::set<rtl::OUString> claimedNames_; // the target's: every source's workbook names, in upper case
    bool lookKeptApart_ = false;
    int linkedValues_ = 0;
    std::optional<int> count_;
    Sequence<rtl::OUString> sourceNames_;
    rtl::OUString url_;
    std::optional<QStringList> targetNames_;
};

} // namespace

class CalcSteps::Impl {
public:
    explicit Impl(Inside& inside) : inside_(inside) {}
    ~Impl()
    {
        // The combined workbook first: its copies refer to the sources.
        for (auto it = books_.rbegin(); it != books_.rend(); ++it) {
            try {
                const Reference<css::util::XCloseable> closeable(it->second->document(), UNO_QUERY);
                if (closeable.is())
                    closeable->close(true);
            } catch (const css::uno::Exception&) {
            }
        }
    }

    Any step(const rtl::OUString& name, const wire::Args& a)
    {
        if (name == "Open")
            return open(wire::get<rtl::OUString>(a, "Url"), qs(wire::get<rtl::OUString>(a, "Path")),
                        qs(wire::get<rtl::OUString>(a, "Filter")), wire::get<bool>(a, "Csv"));
        if (name == "Add")
            return add(wire::get<sal_Int32>(a, "Sheets"));
        if (name == "SheetName")
            return Any(sheetName(book(a, "Book").document(), wire::get<sal_Int32>(a, "Index")));
        if (name == "Copy")
            return Any(sal_Int32(copy(book(a, "Book"), wire::get<sal_Int32>(a, "Index"), book(a, "Target"),
                                      wire::get<sal_Int32>(a, "After"))));
        if (name == "Delete") {
            Book& b = book(a, "Book");
            const auto doc = b.document();
            const rtl::OUString sheet = sheetName(doc, wire::get<sal_Int32>(a, "Index"));
            b.sheetRemoved();
            doc->getSheets()->removeByName(sheet);
            return Any(sal_Int32(b.count()));
        }
        if (name == "Save")
            return save(book(a, "Book"), wire::get<rtl::OUString>(a, "Url"),
                        ExcelFormat(wire::get<sal_Int32>(a, "Format")));
        throw OfficeError(OfficeError::Internal, QStringLiteral("no step Calc.") + qs(name));
    }

private:
    Book& book(const wire::Args& a, const char* which)
    {
        const auto found = books_.find(wire::get<sal_Int32>(a, which));
        if (found == books_.end())
            throw OfficeError(OfficeError::Internal, QStringLiteral("no such workbook"));
        return *found->second;
    }

    Any opened(Reference<css::sheet::XSpreadsheetDocument> doc, const QString& path, int linked)
    {
        auto b = std::make_unique<Book>(std::move(doc), path);
        b->setLinkedValues(linked);
        const sal_Int32 count = b->count();
        books_[++lastId_] = std::move(b);
        Sequence<sal_Int32> answer(2);
        answer.getArray()[0] = lastId_;
        answer.getArray()[1] = count;
        return Any(answer);
    }

    // A source workbook; `filter` empty: the office's detection picks it.
    Any open(const rtl::OUString& url, const QString& path, QString filter, bool csv)
    {
        Sequence<css::beans::PropertyValue> args;
        if (csv) {
            // Comma, double quote, UTF-8 (76; the copy is in UTF-8), from line 1, standard
            // columns, Japanese.
            args =
                inputProps(prop("URL", Any(url)), prop("FilterName", Any(rtl::OUString("Text - txt - csv (StarCalc)"))),
                           prop("FilterOptions", Any(rtl::OUString("44,34,76,1,,1041"))));
        } else {
            if (filter.isEmpty())
                filter = inside_.importFilter(url, path, isCalcType, QStringLiteral("Excel のブックではありません。"));
            args = inputProps(prop("URL", Any(url)), prop("FilterName", Any(ou(filter))));
        }
        const auto loadable = inside_.newModel("com.sun.star.sheet.SpreadsheetDocument");
        loadingInput(path, [&] { loadable->load(args); });
        Reference<css::sheet::XSpreadsheetDocument> d(loadable, UNO_QUERY_THROW);
        const int linked = keepLinkedValues(d);
        if (csv) // a CSV's sheet is named after its file, as Excel names it
            Reference<css::container::XNamed>(sheetsOf(d)->getByIndex(0), UNO_QUERY_THROW)
                ->setName(ou(excelSheetName(QFileInfo(path).completeBaseName(), {})));
        return opened(d, path, linked);
    }

    // The combined workbook, with `sheets` blank sheets.
    Any add(int count)
    {
        const auto loadable = inside_.newModel("com.sun.star.sheet.SpreadsheetDocument");
        loadable->initNew();
        Reference<css::sheet::XSpreadsheetDocument> d(loadable, UNO_QUERY_THROW);
        const auto sheets = d->getSheets();
        // A name no source sheet has, so that copies keep theirs.
        const QString blank =
            QStringLiteral("~kumiro~%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        Reference<css::container::XNamed>(sheetsOf(d)->getByIndex(0), UNO_QUERY_THROW)->setName(ou(blank));
        // A workbook without a window has no drawing layer until something asks for one,
        // and a sheet copied into it would arrive without its pictures, charts and
        // comments.
        Reference<css::drawing::XDrawPagesSupplier>(d, UNO_QUERY_THROW)->getDrawPages()->getByIndex(0);
        for (int i = int(sheetsOf(d)->getCount()); i < count; ++i)
            sheets->insertNewByName(ou(QStringLiteral("%1 (%2)").arg(blank).arg(i + 1)), sal_Int16(i));
        while (sheetsOf(d)->getCount() > count)
            sheets->removeByName(sheetName(d, int(sheetsOf(d)->getCount()) - 1));
        return opened(d, QString(), 0);
    }

    // Sheet `index` of `from` copied after sheet `after` of `to`, named as Excel names
    // copies; returns how many sheets `to` has now.
    int copy(Book& from, int index, Book& to, int after)
    {
        const auto target = to.document();
        from.keepNamesApartFrom(to);
        from.keepLookApartFrom(target, to.copies() == 0);
        const rtl::OUString source = from.sourceSheetName(index);
        const QString wanted = excelSheetName(qs(source), to.targetSheetNames());
        const Reference<css::sheet::XSpreadsheets2> sheets(target->getSheets(), UNO_QUERY_THROW);
        const sal_Int32 at = sheets->importSheet(from.document(), source, after + 1);
        const Reference<css::container::XNamed> copy(sheetsOf(target)->getByIndex(at), UNO_QUERY_THROW);
        copy->setName(ou(wanted));
        keepDates(from.document(), target, copy);
        // The copy leaves the print ranges behind.
        const Reference<css::sheet::XPrintAreas> areasFrom(sheetsOf(from.document())->getByIndex(index),
                                                           UNO_QUERY_THROW);
        auto areas = areasFrom->getPrintAreas();
        if (areas.hasElements()) {
            for (sal_Int32 a = 0; a < areas.getLength(); ++a)
                areas.getArray()[a].Sheet = sal_Int16(at);
            Reference<css::sheet::XPrintAreas>(copy, UNO_QUERY_THROW)->setPrintAreas(areas);
        }
        to.noteCopy(from, index, source, copy, ou(wanted));
        return to.count();
    }

    Any save(Book& b, const rtl::OUString& url, ExcelFormat format)
    {
        const QStringList shortfalls = b.prepareSave();
        const char* filter = format == ExcelFormat::Xlsx ? "Calc MS Excel 2007 XML"
            : format == ExcelFormat::Ods                 ? "calc8"
                                                         : "MS Excel 97";
        Reference<css::frame::XStorable>(b.document(), UNO_QUERY_THROW)
            ->storeToURL(
                url,
                props(prop("FilterName", Any(rtl::OUString::createFromAscii(filter))), prop("Overwrite", Any(true))));
        Sequence<rtl::OUString> out(shortfalls.size());
        for (qsizetype i = 0; i < shortfalls.size(); ++i)
            out.getArray()[i] = ou(shortfalls[i]);
        return Any(out);
    }

    Inside& inside_;
    std::map<sal_Int32, std::unique_ptr<Book>> books_;
    sal_Int32 lastId_ = 0;
};

CalcSteps::CalcSteps(Inside& inside) : impl_(std::make_unique<Impl>(inside)) {}

CalcSteps::~CalcSteps() = default;

Any CalcSteps::step(const rtl::OUString& name, const wire::Args& args)
{
    return impl_->step(name, args);
}

} // namespace kumiro::lo
