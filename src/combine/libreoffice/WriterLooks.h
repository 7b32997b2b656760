// An input's look carried into its part of a combined document, as the office shows the
// input opened on its own: the page setup of each of its sections with their headers and
// footers (formatting kept), and the font, size and language of its text. Also a count of
// what the input holds against what arrived.
#pragma once

#include "Uno.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/text/XTextDocument.hpp>

#include <set>
#include <vector>

namespace kumiro::lo {

// What a whole document holds that an insertion adds to.
struct WordTotals {
    int tables = 0;
    int pictures = 0;
    int footnotes = 0;
};
WordTotals wordTotals(const Reference<css::text::XTextDocument>& doc);

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
    void attach(Reference<css::text::XTextDocument> doc) { doc_ = std::move(doc); }

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
    int keepPages(const Reference<css::text::XTextDocument>& alone,
                  const std::vector<Reference<css::uno::XInterface>>& aloneElements,
                  const std::vector<Reference<css::uno::XInterface>>& elements, const std::set<rtl::OUString>& own);
    void keepTextLook(const Reference<css::text::XTextDocument>& alone,
                      const std::vector<Reference<css::uno::XInterface>>& elements, const QString& path);

    Reference<css::text::XTextDocument> doc_;
    int pageStyles_ = 0;
};

} // namespace kumiro::lo
