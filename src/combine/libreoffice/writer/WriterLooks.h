// An input's look carried into its part of a combined document, as the office shows the
// input opened on its own: the page setup of each of its sections with their headers and
// footers (formatting kept), and the font, size and language of its text. Also a count of
// what the input holds against what arrived.
#pragma once

#include "common/Uno.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/text/XTextDocument.hpp>

#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace kumiro::lo {

// What a whole document holds that an insertion adds to.
struct WordTotals {
    int tables = 0;
    int pictures = 0;
    int footnotes = 0;
};
// A document's tables, pictures, embedded objects and footnotes, asked for once.
struct WordCollections {
    explicit WordCollections(const Reference<css::text::XTextDocument>& doc);
    WordTotals totals() const;
    Reference<css::container::XIndexAccess> tables, pictures, objects, footnotes;
};

// A style family of a document: "PageStyles", "ParagraphStyles".
Reference<css::container::XNameContainer> family(const Reference<css::text::XTextDocument>& doc, const char* name);

// A document's default font, size and language. Inserting a .docx replaces the combined
// document's with its own, which would change the look of every input before it.
class WordDefaults {
public:
    void take(const Reference<css::text::XTextDocument>& doc);
    void restore() const; // as they were when taken
private:
    Reference<css::beans::XPropertySet> defaults_;
    std::vector<std::pair<rtl::OUString, Any>> values_;
};

// The paragraphs and tables of a text, in order.
std::vector<Reference<css::uno::XInterface>> elementsOf(const Reference<css::uno::XInterface>& text);

class PartLooks {
public:
    void attach(Reference<css::text::XTextDocument> doc);

    // What the document holds after the last part.
    const WordTotals& totals() const { return after_; }

    // `alone` is the input `path` opened on its own, `aloneElements` its paragraphs and
    // tables; `elements` the paragraphs and tables
    // of its part of the document, seams removed; `own` the page styles made for this part,
    // which may be changed in place (any other gets a copy). `before` is what the document
    // held before the part came. Returns what the part lacks, in words, or nothing.
    QString keep(const Reference<css::text::XTextDocument>& alone,
                 const std::vector<Reference<css::uno::XInterface>>& aloneElements,
                 const std::vector<Reference<css::uno::XInterface>>& elements, const std::set<rtl::OUString>& own,
                 const QString& path, const WordTotals& before);

private:
    int keepPages(const Reference<css::text::XTextDocument>& alone, const std::vector<rtl::OUString>& starts,
                  const std::vector<Reference<css::uno::XInterface>>& elements, const std::set<rtl::OUString>& own,
                  std::vector<Reference<css::beans::XPropertySet>>& paragraphs);
    void keepTextLook(const Reference<css::container::XNameContainer>& aloneStyles,
                      const std::vector<Reference<css::beans::XPropertySet>>& paragraphs);
    void restyle(const Reference<css::beans::XPropertySet>& paragraph, const rtl::OUString& style);
    rtl::OUString styleFor(const Reference<css::container::XNameContainer>& aloneStyles, const rtl::OUString& style);

    Reference<css::text::XTextDocument> doc_;
    Reference<css::container::XNameContainer> pageStyles_, paraStyles_;
    std::unique_ptr<WordCollections> collections_;
    int pageSetups_ = 0;
    // The paragraph styles made for inputs: the style each is based on, its look, its name.
    std::vector<std::tuple<rtl::OUString, Sequence<Any>, rtl::OUString>> made_;
    std::set<rtl::OUString> used_; // the paragraph styles the parts so far use
    int headingsNotKept_ = 0; // the part's headings whose style another part had defined
    std::map<rtl::OUString, Sequence<Any>> here_; // the document's own paragraph styles' looks, by name
    WordTotals after_;
};

} // namespace kumiro::lo
