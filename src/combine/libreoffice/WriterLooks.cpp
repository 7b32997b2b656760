#include "WriterLooks.h"
#include "Tally.h"

#include <QFileInfo>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCopy.hpp>
#include <com/sun/star/text/XTextEmbeddedObjectsSupplier.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

#include <map>

namespace kumiro::lo {

namespace {

// The page setup a section takes from its input, in the order they can be set (a header's
// height after the header is on).
const char* const kPage[] = {"IsLandscape",
                             "Width",
                             "Height",
                             "LeftMargin",
                             "RightMargin",
                             "TopMargin",
                             "BottomMargin",
                             "PageStyleLayout",
                             "WritingMode",
                             "TextColumns",
                             "HeaderIsOn",
                             "HeaderIsShared",
                             "FooterIsOn",
                             "FooterIsShared",
                             "FirstIsShared",
                             "HeaderBodyDistance",
                             "HeaderHeight",
                             "HeaderIsDynamicHeight",
                             "HeaderLeftMargin",
                             "HeaderRightMargin",
                             "FooterBodyDistance",
                             "FooterHeight",
                             "FooterIsDynamicHeight",
                             "FooterLeftMargin",
                             "FooterRightMargin"};

// What text looks like before any direct formatting: font, size and language, for Western,
// Asian and complex scripts.
const char* const kLook[] = {"CharFontName",
                             "CharFontStyleName",
                             "CharFontFamily",
                             "CharFontCharSet",
                             "CharFontPitch",
                             "CharHeight",
                             "CharLocale",
                             "CharFontNameAsian",
                             "CharFontStyleNameAsian",
                             "CharFontFamilyAsian",
                             "CharFontCharSetAsian",
                             "CharFontPitchAsian",
                             "CharHeightAsian",
                             "CharLocaleAsian",
                             "CharFontNameComplex",
                             "CharFontStyleNameComplex",
                             "CharFontFamilyComplex",
                             "CharFontCharSetComplex",
                             "CharFontPitchComplex",
                             "CharHeightComplex",
                             "CharLocaleComplex"};

template <size_t N> Sequence<rtl::OUString> names(const char* const (&list)[N])
{
    Sequence<rtl::OUString> out(N);
    for (size_t i = 0; i < N; ++i)
        out.getArray()[i] = rtl::OUString::createFromAscii(list[i]);
    return out;
}

// Every value at once, or one by one when the other side lacks one of them.
void copyValues(const Sequence<rtl::OUString>& names, const Reference<css::beans::XPropertySet>& from,
                const Reference<css::beans::XPropertySet>& to)
{
    const Reference<css::beans::XMultiPropertySet> f(from, UNO_QUERY), t(to, UNO_QUERY);
    if (f.is() && t.is()) {
        try {
            t->setPropertyValues(names, f->getPropertyValues(names));
            return;
        } catch (const css::uno::Exception&) {
        }
    }
    for (const rtl::OUString& name : names) {
        try {
            to->setPropertyValue(name, from->getPropertyValue(name));
        } catch (const css::uno::Exception&) {
        }
    }
}

Reference<css::container::XNameContainer> family(const Reference<css::text::XTextDocument>& doc, const char* name)
{
    return Reference<css::container::XNameContainer>(Reference<css::style::XStyleFamiliesSupplier>(doc, UNO_QUERY_THROW)
                                                         ->getStyleFamilies()
                                                         ->getByName(rtl::OUString::createFromAscii(name)),
                                                     UNO_QUERY_THROW);
}

bool isParagraph(const Reference<css::uno::XInterface>& e)
{
    const Reference<css::lang::XServiceInfo> info(e, UNO_QUERY);
    return info.is() && info->supportsService(rtl::OUString("com.sun.star.text.Paragraph"));
}

rtl::OUString pageDesc(const Reference<css::uno::XInterface>& e)
{
    rtl::OUString name;
    const Reference<css::beans::XPropertySet> p(e, UNO_QUERY);
    if (p.is())
        p->getPropertyValue(rtl::OUString("PageDescName")) >>= name;
    return name;
}

int countOf(const Reference<css::uno::XInterface>& container)
{
    const Reference<css::container::XIndexAccess> index(container, UNO_QUERY);
    if (index.is())
        return int(index->getCount());
    const Reference<css::container::XNameAccess> names(container, UNO_QUERY);
    return names.is() ? int(names->getElementNames().getLength()) : 0;
}

// A header's or footer's text, formatting and fields included; only its words where the
// office cannot copy between documents.
void copyText(const Reference<css::text::XText>& from, const Reference<css::text::XText>& to)
{
    to->setString(rtl::OUString());
    const Reference<css::text::XTextCopy> source(from, UNO_QUERY), target(to, UNO_QUERY);
    if (!source.is() || !target.is()) {
        to->setString(from->getString());
        return;
    }
    target->copyText(source);
    // The copy goes before the paragraph that was there, which is left over and empty.
    const auto cursor = to->createTextCursor();
    cursor->gotoEnd(false);
    const Reference<css::text::XParagraphCursor> paragraph(cursor, UNO_QUERY);
    if (paragraph.is() && paragraph->isStartOfParagraph() && cursor->goLeft(1, true))
        cursor->setString(rtl::OUString());
}

void copyPageStyle(const Reference<css::beans::XPropertySet>& from, const Reference<css::beans::XPropertySet>& to)
{
    static const Sequence<rtl::OUString> page = names(kPage);
    copyValues(page, from, to);
    auto flag = [&](const rtl::OUString& name) {
        bool on = false;
        try {
            from->getPropertyValue(name) >>= on;
        } catch (const css::uno::Exception&) {
        }
        return on;
    };
    for (const char* const name : {"Header", "Footer"}) {
        const rtl::OUString part = rtl::OUString::createFromAscii(name);
        if (!flag(part + "IsOn"))
            continue;
        std::vector<rtl::OUString> texts{part + "Text"};
        if (!flag(part + "IsShared"))
            texts.push_back(part + "TextLeft");
        if (!flag("FirstIsShared"))
            texts.push_back(part + "TextFirst");
        for (const rtl::OUString& name : texts) {
            try {
                Reference<css::text::XText> source, target;
                from->getPropertyValue(name) >>= source;
                to->getPropertyValue(name) >>= target;
                if (source.is() && target.is())
                    copyText(source, target);
            } catch (const css::uno::Exception&) {
            }
        }
    }
}

} // namespace

std::vector<Reference<css::uno::XInterface>> elementsOf(const Reference<css::uno::XInterface>& text)
{
    std::vector<Reference<css::uno::XInterface>> out;
    const Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY_THROW);
    const auto e = access->createEnumeration();
    while (e->hasMoreElements())
        out.emplace_back(e->nextElement(), UNO_QUERY);
    return out;
}

WordTotals wordTotals(const Reference<css::text::XTextDocument>& doc)
{
    WordTotals t;
    t.tables = countOf(Reference<css::text::XTextTablesSupplier>(doc, UNO_QUERY_THROW)->getTextTables());
    t.pictures = countOf(Reference<css::text::XTextGraphicObjectsSupplier>(doc, UNO_QUERY_THROW)->getGraphicObjects()) +
        countOf(Reference<css::text::XTextEmbeddedObjectsSupplier>(doc, UNO_QUERY_THROW)->getEmbeddedObjects());
    t.footnotes = countOf(Reference<css::text::XFootnotesSupplier>(doc, UNO_QUERY_THROW)->getFootnotes());
    return t;
}

// The defaults answer one property at a time. A .docx replaces them all, so a few tell.
void WordDefaults::take(const Reference<css::text::XTextDocument>& doc)
{
    defaults_.set(Reference<css::lang::XMultiServiceFactory>(doc, UNO_QUERY_THROW)
                      ->createInstance(rtl::OUString("com.sun.star.text.Defaults")),
                  UNO_QUERY_THROW);
    values_.clear();
    for (const char* name : kLook) {
        try {
            values_.emplace_back(rtl::OUString::createFromAscii(name),
                                 defaults_->getPropertyValue(rtl::OUString::createFromAscii(name)));
        } catch (const css::uno::Exception&) {
        }
    }
}

void WordDefaults::restore() const
{
    if (!defaults_.is())
        return;
    bool changed = false;
    for (const auto& [name, value] : values_) {
        if (name == "CharFontName" || name == "CharHeight" || name == "CharFontNameAsian" ||
            name == "CharHeightAsian" || name == "CharLocale" || name == "CharLocaleAsian")
            changed = changed || defaults_->getPropertyValue(name) != value;
    }
    if (!changed)
        return;
    for (const auto& [name, value] : values_) {
        try {
            defaults_->setPropertyValue(name, value);
        } catch (const css::uno::Exception&) {
        }
    }
}

QString PartLooks::keep(const Reference<css::text::XTextDocument>& alone,
                        const std::vector<Reference<css::uno::XInterface>>& aloneElements,
                        const std::vector<Reference<css::uno::XInterface>>& elements,
                        const std::set<rtl::OUString>& own, const QString& path, const WordTotals& before)
{
    const int sections = keepPages(alone, aloneElements, elements, own);
    keepTextLook(alone, elements, path);

    int aloneSections = 0, aloneParagraphs = 0, paragraphs = 0;
    for (size_t i = 0; i < aloneElements.size(); ++i) {
        aloneParagraphs += isParagraph(aloneElements[i]);
        aloneSections += i == 0 || !pageDesc(aloneElements[i]).isEmpty();
    }
    for (const auto& e : elements)
        paragraphs += isParagraph(e);
    const WordTotals input = wordTotals(alone), after = wordTotals(doc_);
    return shortfallSentence(path,
                             {{QStringLiteral("段落"), aloneParagraphs, paragraphs},
                              {QStringLiteral("表"), input.tables, after.tables - before.tables},
                              {QStringLiteral("図"), input.pictures, after.pictures - before.pictures},
                              {QStringLiteral("脚注"), input.footnotes, after.footnotes - before.footnotes},
                              {QStringLiteral("セクション"), aloneSections, sections}});
}

// Each section of the input (where a page style starts) gets that style's page setup. When
// the part's paragraphs and tables do not pair off with the input's, only the first section
// can be told; the count says so. Returns the sections given their setup.
int PartLooks::keepPages(const Reference<css::text::XTextDocument>& alone,
                         const std::vector<Reference<css::uno::XInterface>>& aloneElements,
                         const std::vector<Reference<css::uno::XInterface>>& elements,
                         const std::set<rtl::OUString>& own)
{
    if (elements.empty() || aloneElements.empty())
        return 0;
    const auto aloneStyles = family(alone, "PageStyles");
    const auto styles = family(doc_, "PageStyles");
    const Reference<css::lang::XMultiServiceFactory> factory(doc_, UNO_QUERY_THROW);
    const bool paired = aloneElements.size() == elements.size();
    int kept = 0;
    for (size_t i = 0; i < (paired ? elements.size() : 1); ++i) {
        rtl::OUString from = pageDesc(aloneElements[i]);
        if (from.isEmpty() && i == 0)
            from = "Standard"; // where every document starts
        if (from.isEmpty() || !aloneStyles->hasByName(from))
            continue;
        rtl::OUString to = pageDesc(elements[i]);
        if (to.isEmpty() && i == 0)
            to = "Standard";
        if (!own.count(to)) {
            to = ou(QStringLiteral("Kumiro page setup %1").arg(++pageStyles_));
            styles->insertByName(to, Any(factory->createInstance(rtl::OUString("com.sun.star.style.PageStyle"))));
            Reference<css::beans::XPropertySet>(elements[i], UNO_QUERY_THROW)
                ->setPropertyValue(rtl::OUString("PageDescName"), Any(to));
        }
        copyPageStyle(Reference<css::beans::XPropertySet>(aloneStyles->getByName(from), UNO_QUERY_THROW),
                      Reference<css::beans::XPropertySet>(styles->getByName(to), UNO_QUERY_THROW));
        ++kept;
    }
    return kept;
}

// Paragraphs whose style looks different here than in the input (another default font, or
// a style of the same name defined otherwise) get a style of the input's own, based on it.
void PartLooks::keepTextLook(const Reference<css::text::XTextDocument>& alone,
                             const std::vector<Reference<css::uno::XInterface>>& elements, const QString& path)
{
    static const Sequence<rtl::OUString> look = names(kLook);
    std::map<rtl::OUString, std::vector<Reference<css::beans::XPropertySet>>> byStyle;
    auto note = [&](const Reference<css::uno::XInterface>& e) {
        if (!isParagraph(e))
            return;
        const Reference<css::beans::XPropertySet> p(e, UNO_QUERY_THROW);
        rtl::OUString style;
        p->getPropertyValue(rtl::OUString("ParaStyleName")) >>= style;
        byStyle[style].push_back(p);
    };
    for (const auto& e : elements) {
        const Reference<css::text::XTextTable> table(e, UNO_QUERY);
        if (!table.is()) {
            note(e);
            continue;
        }
        for (const rtl::OUString& cell : table->getCellNames()) {
            for (const auto& p : elementsOf(table->getCellByName(cell)))
                note(p);
        }
    }
    const auto aloneStyles = family(alone, "ParagraphStyles");
    const auto styles = family(doc_, "ParagraphStyles");
    const Reference<css::lang::XMultiServiceFactory> factory(doc_, UNO_QUERY_THROW);
    const QString base = QFileInfo(path).completeBaseName();
    for (const auto& [style, paragraphs] : byStyle) {
        if (style.isEmpty() || !aloneStyles->hasByName(style) || !styles->hasByName(style))
            continue;
        // Headings keep the document's own: a style based on one would be no heading in a
        // Word file (nor in its outline).
        sal_Int16 level = 0;
        try {
            Reference<css::beans::XPropertySet>(styles->getByName(style), UNO_QUERY_THROW)
                ->getPropertyValue(rtl::OUString("OutlineLevel")) >>= level;
        } catch (const css::uno::Exception&) {
        }
        if (level > 0)
            continue;
        const Sequence<Any> wanted =
            Reference<css::beans::XMultiPropertySet>(aloneStyles->getByName(style), UNO_QUERY_THROW)
                ->getPropertyValues(look);
        if (Reference<css::beans::XMultiPropertySet>(styles->getByName(style), UNO_QUERY_THROW)
                ->getPropertyValues(look) == wanted)
            continue;
        rtl::OUString name = ou(base) + " " + style;
        for (int n = 2; styles->hasByName(name); ++n)
            name = ou(base) + " " + style + " " + rtl::OUString::number(n);
        const Reference<css::style::XStyle> own(
            factory->createInstance(rtl::OUString("com.sun.star.style.ParagraphStyle")), UNO_QUERY_THROW);
        styles->insertByName(name, Any(own));
        own->setParentStyle(style);
        Reference<css::beans::XMultiPropertySet>(own, UNO_QUERY_THROW)->setPropertyValues(look, wanted);
        for (const auto& p : paragraphs)
            p->setPropertyValue(rtl::OUString("ParaStyleName"), Any(name));
    }
}

} // namespace kumiro::lo
