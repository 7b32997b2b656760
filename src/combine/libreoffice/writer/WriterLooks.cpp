#include "WriterLooks.h"
#include "module/Tally.h"

#include <QFileInfo>

#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/NoSuchElementException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/TabStop.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextColumns.hpp>
#include <com/sun/star/text/XTextCopy.hpp>
#include <com/sun/star/text/XTextEmbeddedObjectsSupplier.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

#include <cstdlib>
#include <map>
#include <string_view>

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

// Everything a paragraph style says about how its text looks and sits. A style made for an
// input sets all of it, so that nothing comes from the combined document's styles or
// defaults; it starts as kLook does, whose font and size name the style.
const char* const kStyleLook[] = {"CharFontName",
                                  "CharFontStyleName",
                                  "CharFontFamily",
                                  "CharFontCharSet",
                                  "CharFontPitch",
                                  "CharHeight",
                                  "CharWeight",
                                  "CharPosture",
                                  "CharLocale",
                                  "CharFontNameAsian",
                                  "CharFontStyleNameAsian",
                                  "CharFontFamilyAsian",
                                  "CharFontCharSetAsian",
                                  "CharFontPitchAsian",
                                  "CharHeightAsian",
                                  "CharWeightAsian",
                                  "CharPostureAsian",
                                  "CharLocaleAsian",
                                  "CharFontNameComplex",
                                  "CharFontStyleNameComplex",
                                  "CharFontFamilyComplex",
                                  "CharFontCharSetComplex",
                                  "CharFontPitchComplex",
                                  "CharHeightComplex",
                                  "CharWeightComplex",
                                  "CharPostureComplex",
                                  "CharLocaleComplex",
                                  "CharColor",
                                  "CharUnderline",
                                  "CharUnderlineColor",
                                  "CharUnderlineHasColor",
                                  "CharStrikeout",
                                  "CharCaseMap",
                                  "CharKerning",
                                  "CharAutoKerning",
                                  "CharEscapement",
                                  "CharEscapementHeight",
                                  "CharShadowed",
                                  "CharContoured",
                                  "CharRelief",
                                  "CharScaleWidth",
                                  "CharBackColor",
                                  "CharBackTransparent",
                                  "CharHidden",
                                  "CharWordMode",
                                  "CharEmphasis",
                                  "CharRotation",
                                  "ParaAdjust",
                                  "ParaLastLineAdjust",
                                  "ParaLeftMargin",
                                  "ParaRightMargin",
                                  "ParaFirstLineIndent",
                                  "ParaIsAutoFirstLineIndent",
                                  "ParaTopMargin",
                                  "ParaBottomMargin",
                                  "ParaContextMargin",
                                  "ParaLineSpacing",
                                  "ParaIsHyphenation",
                                  "ParaHyphenationMaxLeadingChars",
                                  "ParaHyphenationMaxTrailingChars",
                                  "ParaHyphenationMaxHyphens",
                                  "ParaOrphans",
                                  "ParaWidows",
                                  "ParaTabStops",
                                  "ParaKeepTogether",
                                  "ParaSplit",
                                  "ParaRegisterModeActive",
                                  "ParaBackColor",
                                  "ParaBackTransparent",
                                  "WritingMode",
                                  "ParaExpandSingleWord",
                                  "ParaIsCharacterDistance",
                                  "ParaIsHangingPunctuation",
                                  "ParaIsForbiddenRules",
                                  "ParaVertAlignment",
                                  "ParaIsConnectBorder",
                                  "LeftBorder",
                                  "RightBorder",
                                  "TopBorder",
                                  "BottomBorder",
                                  "LeftBorderDistance",
                                  "RightBorderDistance",
                                  "TopBorderDistance",
                                  "BottomBorderDistance",
                                  "ParaShadowFormat",
                                  "OutlineLevel"};

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

} // namespace

Reference<css::container::XNameContainer> family(const Reference<css::text::XTextDocument>& doc, const char* name)
{
    return Reference<css::container::XNameContainer>(Reference<css::style::XStyleFamiliesSupplier>(doc, UNO_QUERY_THROW)
                                                         ->getStyleFamilies()
                                                         ->getByName(rtl::OUString::createFromAscii(name)),
                                                     UNO_QUERY_THROW);
}

namespace {

void paragraphsOf(const Reference<css::uno::XInterface>& element,
                  std::vector<Reference<css::beans::XPropertySet>>& out);

rtl::OUString pageDesc(const Reference<css::uno::XInterface>& e)
{
    rtl::OUString name;
    const Reference<css::beans::XPropertySet> p(e, UNO_QUERY);
    if (p.is())
        p->getPropertyValue(rtl::OUString("PageDescName")) >>= name;
    return name;
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

// The page setup, headers and footers of `from` on `to`; the paragraphs of the headers and
// footers copied join `paragraphs`.
void copyPageStyle(const Reference<css::beans::XPropertySet>& from, const Reference<css::beans::XPropertySet>& to,
                   std::vector<Reference<css::beans::XPropertySet>>& paragraphs)
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
                if (source.is() && target.is()) {
                    copyText(source, target);
                    for (const auto& e : elementsOf(target))
                        paragraphsOf(e, paragraphs);
                }
            } catch (const css::uno::Exception&) {
            }
        }
    }
}

// Whether `to` now shows the page size, orientation, margins and columns of `from`: what the
// count of sections kept tells. The office stores lengths in twips, so a hundredth of a
// millimetre either way is the same length.
bool samePage(const Reference<css::beans::XPropertySet>& from, const Reference<css::beans::XPropertySet>& to)
{
    static const Sequence<rtl::OUString> shape =
        names({"IsLandscape", "Width", "Height", "LeftMargin", "RightMargin", "TopMargin", "BottomMargin"});
    const auto a = Reference<css::beans::XMultiPropertySet>(from, UNO_QUERY_THROW)->getPropertyValues(shape);
    const auto b = Reference<css::beans::XMultiPropertySet>(to, UNO_QUERY_THROW)->getPropertyValues(shape);
    for (sal_Int32 i = 0; i < a.getLength(); ++i) {
        sal_Int32 x = 0, y = 0;
        if ((a[i] >>= x) && (b[i] >>= y) ? std::abs(x - y) > 2 : a[i] != b[i])
            return false;
    }
    auto columns = [](const Reference<css::beans::XPropertySet>& style) {
        Reference<css::text::XTextColumns> c;
        style->getPropertyValue(rtl::OUString("TextColumns")) >>= c;
        return c.is() ? c->getColumnCount() : 1;
    };
    return columns(from) == columns(to);
}

// A font by its first family: a Word file's fonts come with the one they stand in for
// ("Liberation Serif;Times New Roman"), and look the same without it.
rtl::OUString firstFamily(const rtl::OUString& font)
{
    const sal_Int32 end = font.indexOf(';');
    return end < 0 ? font : font.copy(0, end);
}

bool sameLook(const Sequence<Any>& a, const Sequence<Any>& b)
{
    if (a.getLength() != b.getLength())
        return false;
    for (sal_Int32 i = 0; i < a.getLength(); ++i) {
        rtl::OUString x, y;
        if ((a[i] >>= x) && (b[i] >>= y) ? firstFamily(x) != firstFamily(y) : a[i] != b[i])
            return false;
    }
    return true;
}

// The office answers a style without tab stops with one "default" stop, which it refuses
// to be given back: the same style says none.
void withoutDefaultTabs(Sequence<Any>& values)
{
    static const sal_Int32 at = [] {
        sal_Int32 i = 0;
        while (std::string_view(kStyleLook[i]) != "ParaTabStops")
            ++i;
        return i;
    }();
    Sequence<css::style::TabStop> tabs;
    if (values.getLength() <= at || !(values[at] >>= tabs))
        return;
    std::vector<css::style::TabStop> kept;
    for (const auto& tab : tabs) {
        if (tab.Alignment != css::style::TabAlign_DEFAULT)
            kept.push_back(tab);
    }
    if (sal_Int32(kept.size()) != tabs.getLength())
        values.getArray()[at] <<= Sequence<css::style::TabStop>(kept.data(), sal_Int32(kept.size()));
}

Sequence<Any> styleLook(const Any& style)
{
    static const Sequence<rtl::OUString> look = names(kStyleLook);
    auto values = Reference<css::beans::XMultiPropertySet>(style, UNO_QUERY_THROW)->getPropertyValues(look);
    withoutDefaultTabs(values);
    return values;
}

// All at once, or one by one when the office refuses one of them.
void setValues(const Sequence<rtl::OUString>& names, const Sequence<Any>& values,
               const Reference<css::beans::XPropertySet>& to)
{
    if (names.getLength() == 0)
        return;
    try {
        Reference<css::beans::XMultiPropertySet>(to, UNO_QUERY_THROW)->setPropertyValues(names, values);
        return;
    } catch (const css::uno::Exception&) {
    }
    for (sal_Int32 i = 0; i < names.getLength(); ++i) {
        try {
            to->setPropertyValue(names[i], values[i]);
        } catch (const css::uno::Exception&) {
        }
    }
}

// The paragraphs of a part's element: itself, or those in a table's cells (nested ones too).
void paragraphsOf(const Reference<css::uno::XInterface>& element, std::vector<Reference<css::beans::XPropertySet>>& out)
{
    const Reference<css::text::XTextTable> table(element, UNO_QUERY);
    if (!table.is()) {
        out.emplace_back(element, UNO_QUERY);
        return;
    }
    for (const rtl::OUString& name : table->getCellNames()) {
        const Reference<css::uno::XInterface> cell(table->getCellByName(name), UNO_QUERY);
        for (const auto& e : elementsOf(cell))
            paragraphsOf(e, out);
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

WordCollections::WordCollections(const Reference<css::text::XTextDocument>& doc)
    : tables(Reference<css::text::XTextTablesSupplier>(doc, UNO_QUERY_THROW)->getTextTables(), UNO_QUERY_THROW),
      pictures(Reference<css::text::XTextGraphicObjectsSupplier>(doc, UNO_QUERY_THROW)->getGraphicObjects(),
               UNO_QUERY_THROW),
      objects(Reference<css::text::XTextEmbeddedObjectsSupplier>(doc, UNO_QUERY_THROW)->getEmbeddedObjects(),
              UNO_QUERY_THROW),
      footnotes(Reference<css::text::XFootnotesSupplier>(doc, UNO_QUERY_THROW)->getFootnotes(), UNO_QUERY_THROW)
{
}

WordTotals WordCollections::totals() const
{
    return {int(tables->getCount()), int(pictures->getCount()) + int(objects->getCount()), int(footnotes->getCount())};
}

// The defaults answer one property at a time. A .docx replaces them all, so three tell.
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
        if (name == "CharFontName" || name == "CharHeight" || name == "CharFontNameAsian")
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
    // Each remote call costs a round trip: what is read once serves every purpose.
    std::vector<rtl::OUString> starts; // the page style each of the input's elements starts, if any
    int aloneSections = 0;
    for (const auto& e : aloneElements) {
        starts.push_back(pageDesc(e));
        aloneSections += starts.size() == 1 || !starts.back().isEmpty();
    }
    headingsNotKept_ = 0;
    std::vector<Reference<css::beans::XPropertySet>> paragraphs;
    for (const auto& e : elements)
        paragraphsOf(e, paragraphs);
    const int sections = keepPages(alone, starts, elements, own, paragraphs);
    keepTextLook(family(alone, "ParagraphStyles"), paragraphs);
    const WordTotals input = WordCollections(alone).totals();
    after_ = collections_->totals();
    // Paragraphs are the elements that are no tables (tables in tables are rare enough).
    return shortfallSentence(path,
                             {{QStringLiteral("段落"), int(aloneElements.size()) - input.tables,
                               int(elements.size()) - (after_.tables - before.tables)},
                              {QStringLiteral("表"), input.tables, after_.tables - before.tables},
                              {QStringLiteral("図"), input.pictures, after_.pictures - before.pictures},
                              {QStringLiteral("脚注"), input.footnotes, after_.footnotes - before.footnotes},
                              {QStringLiteral("セクション"), aloneSections, sections},
                              {QStringLiteral("見出しの書式"), headingsNotKept_, 0}});
}

// Each section of the input (where a page style starts) gets that style's page setup. When
// the part's paragraphs and tables do not pair off with the input's, only the first section
// can be told; the count says so. Returns the sections that show their setup.
int PartLooks::keepPages(const Reference<css::text::XTextDocument>& alone, const std::vector<rtl::OUString>& starts,
                         const std::vector<Reference<css::uno::XInterface>>& elements,
                         const std::set<rtl::OUString>& own,
                         std::vector<Reference<css::beans::XPropertySet>>& paragraphs)
{
    if (elements.empty() || starts.empty())
        return 0;
    const auto aloneStyles = family(alone, "PageStyles");
    const auto& styles = pageStyles_;
    const Reference<css::lang::XMultiServiceFactory> factory(doc_, UNO_QUERY_THROW);
    const bool paired = starts.size() == elements.size();
    int kept = 0;
    for (size_t i = 0; i < (paired ? elements.size() : 1); ++i) {
        rtl::OUString from = starts[i];
        if (from.isEmpty() && i == 0)
            from = "Standard"; // where every document starts
        if (from.isEmpty() || !aloneStyles->hasByName(from))
            continue;
        rtl::OUString to = pageDesc(elements[i]);
        if (to.isEmpty() && i == 0)
            to = "Standard";
        if (!own.count(to)) {
            to = ou(QStringLiteral("Kumiro page setup %1").arg(++pageSetups_));
            styles->insertByName(to, Any(factory->createInstance(rtl::OUString("com.sun.star.style.PageStyle"))));
            Reference<css::beans::XPropertySet>(elements[i], UNO_QUERY_THROW)
                ->setPropertyValue(rtl::OUString("PageDescName"), Any(to));
        }
        const Reference<css::beans::XPropertySet> source(aloneStyles->getByName(from), UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> target(styles->getByName(to), UNO_QUERY_THROW);
        copyPageStyle(source, target, paragraphs);
        kept += samePage(source, target);
    }
    return kept;
}

// Paragraphs whose style looks different here than in the input (another default font, or
// a style of the same name defined otherwise) get a style of the input's own, based on it.
void PartLooks::attach(Reference<css::text::XTextDocument> doc)
{
    doc_ = std::move(doc);
    made_.clear();
    here_.clear();
    used_.clear();
    pageStyles_ = family(doc_, "PageStyles");
    paraStyles_ = family(doc_, "ParagraphStyles");
    collections_ = std::make_unique<WordCollections>(doc_);
    after_ = collections_->totals();
}

// Paragraphs whose style looks different here than in the input (another default, or a
// style of the same name defined otherwise) get a style of the input's look, based on it.
void PartLooks::keepTextLook(const Reference<css::container::XNameContainer>& aloneStyles,
                             const std::vector<Reference<css::beans::XPropertySet>>& paragraphs)
{
    std::map<rtl::OUString, std::vector<Reference<css::beans::XPropertySet>>> byStyle;
    for (const auto& p : paragraphs) {
        rtl::OUString style;
        try {
            if (p.is())
                p->getPropertyValue(rtl::OUString("ParaStyleName")) >>= style;
        } catch (const css::beans::UnknownPropertyException&) {
            continue;
        }
        if (!style.isEmpty())
            byStyle[style].push_back(p);
    }
    for (const auto& [style, ps] : byStyle) {
        const int notKept = headingsNotKept_;
        const rtl::OUString name = styleFor(aloneStyles, style);
        if (headingsNotKept_ > notKept)
            headingsNotKept_ = notKept + int(ps.size());
        if (name.isEmpty() || name == style)
            continue;
        for (const auto& p : ps)
            restyle(p, name);
    }
    for (const auto& entry : byStyle)
        used_.insert(entry.first);
}

// Giving a paragraph a style drops the formatting set on the paragraph as a whole (a line in
// a font of its own, say): it is read first and set again.
void PartLooks::restyle(const Reference<css::beans::XPropertySet>& paragraph, const rtl::OUString& style)
{
    static const Sequence<rtl::OUString> look = names(kStyleLook);
    std::vector<rtl::OUString> direct;
    Sequence<Any> values;
    try {
        const auto states = Reference<css::beans::XPropertyState>(paragraph, UNO_QUERY_THROW)->getPropertyStates(look);
        for (sal_Int32 i = 0; i < states.getLength(); ++i) {
            if (states[i] == css::beans::PropertyState_DIRECT_VALUE)
                direct.push_back(look[i]);
        }
        if (!direct.empty())
            values = Reference<css::beans::XMultiPropertySet>(paragraph, UNO_QUERY_THROW)
                         ->getPropertyValues(Sequence<rtl::OUString>(direct.data(), sal_Int32(direct.size())));
    } catch (const css::uno::Exception&) {
        direct.clear();
    }
    paragraph->setPropertyValue(rtl::OUString("ParaStyleName"), Any(style));
    setValues(Sequence<rtl::OUString>(direct.data(), sal_Int32(direct.size())), values, paragraph);
}

// The style an input's paragraphs of `style` take here: that one where it looks as in the
// input, else one made for the input's look and shared by the inputs that have it; nothing
// where the input has no such style.
rtl::OUString PartLooks::styleFor(const Reference<css::container::XNameContainer>& aloneStyles,
                                  const rtl::OUString& style)
{
    static const Sequence<rtl::OUString> look = names(kStyleLook);
    const auto& styles = paraStyles_;
    // Inserting keeps a style that exists, so the document's own is asked once.
    auto known = here_.find(style);
    if (known == here_.end()) {
        Sequence<Any> values;
        try {
            values = styleLook(styles->getByName(style));
        } catch (const css::container::NoSuchElementException&) {
        }
        known = here_.emplace(style, values).first;
    }
    Sequence<Any> wanted;
    try {
        wanted = styleLook(aloneStyles->getByName(style));
    } catch (const css::container::NoSuchElementException&) {
        return {};
    }
    if (sameLook(known->second, wanted))
        return style;
    // A heading keeps the document's heading style, or it would be none in a Word file: the
    // first part to use one gives it its look; a later part with another look is told.
    sal_Int16 level = 0;
    if (known->second.getLength() > 0)
        known->second[look.getLength() - 1] >>= level; // OutlineLevel, last of the look
    if (level > 0) {
        if (used_.count(style)) {
            ++headingsNotKept_;
            return style;
        }
        setValues(look, wanted, Reference<css::beans::XPropertySet>(styles->getByName(style), UNO_QUERY_THROW));
        known->second = wanted;
        return style;
    }
    for (const auto& [made, values, as] : made_) {
        if (made == style && values == wanted)
            return as;
    }
    const rtl::OUString font = firstFamily(wanted[0].get<rtl::OUString>());
    const rtl::OUString named = style + " (" + font + " " + ou(QString::number(wanted[5].get<float>())) + ")";
    rtl::OUString name = named;
    for (int n = 2; styles->hasByName(name); ++n)
        name = named + " " + rtl::OUString::number(n);
    const Reference<css::style::XStyle> own(Reference<css::lang::XMultiServiceFactory>(doc_, UNO_QUERY_THROW)
                                                ->createInstance(rtl::OUString("com.sun.star.style.ParagraphStyle")),
                                            UNO_QUERY_THROW);
    styles->insertByName(name, Any(own));
    if (styles->hasByName(style))
        own->setParentStyle(style);
    setValues(look, wanted, Reference<css::beans::XPropertySet>(own, UNO_QUERY_THROW));
    made_.push_back({style, wanted, name});
    return name;
}

} // namespace kumiro::lo
