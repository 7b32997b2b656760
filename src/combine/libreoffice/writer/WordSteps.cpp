// The Word side, inside the office: documents by number, and each input inserted with the
// look it has alone.
#include "WordSteps.h"
#include "WriterLooks.h"
#include "module/Inside.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentInsertable.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XRelativeTextContentInsert.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>
#include <com/sun/star/text/XTextSection.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace kumiro::lo {

namespace {

// Word documents the combine and the conversion accept; plain text is refused, since the
// office takes anything for text (random bytes included).
bool isWordType(const QString& type)
{
    return type.startsWith(QStringLiteral("writer_MS_Word")) || type.startsWith(QStringLiteral("writer_Rich_Text")) ||
        type.startsWith(QStringLiteral("writer_Word")) || type == u"writer8" || type == u"writer_OOXML" ||
        type.startsWith(QStringLiteral("writer_StarOffice_XML_Writer"));
}

const char* exportFilter(WordFormat format)
{
    switch (format) {
    case WordFormat::Native: break;
    case WordFormat::Text: return "Text (encoded)";
    case WordFormat::RichText: return "Rich Text Format";
    case WordFormat::Docx: return "MS Word 2007 XML";
    case WordFormat::Odt: return "writer8";
    case WordFormat::Pdf: return "writer_pdf_Export";
    }
    return "MS Word 97";
}

void closeDocument(const Reference<css::uno::XInterface>& doc)
{
    const Reference<css::util::XCloseable> closeable(doc, UNO_QUERY);
    if (closeable.is())
        closeable->close(true);
}

} // namespace

class WordSteps::Impl {
public:
    explicit Impl(Inside& inside) : inside_(inside) {}
    ~Impl()
    {
        for (auto& [id, doc] : documents_) {
            try {
                closeDocument(doc);
            } catch (const css::uno::Exception&) {
            }
        }
    }

    Any step(const rtl::OUString& name, const wire::Args& a)
    {
        if (name == "Add")
            return Any(add());
        if (name == "Open")
            return Any(open(wire::get<rtl::OUString>(a, "Url"), qs(wire::get<rtl::OUString>(a, "Path")),
                            wire::get<bool>(a, "Text")));
        if (name == "Insert")
            return Any(ou(insertFile(wire::get<rtl::OUString>(a, "Url"), qs(wire::get<rtl::OUString>(a, "Path")),
                                     wire::get<rtl::OUString>(a, "Copy"))));
        if (name == "Break") {
            insertBreak();
            return {};
        }
        if (name == "InsertBefore") {
            insertBeforeLastParagraph(document(a), wire::get<rtl::OUString>(a, "Text"));
            return {};
        }
        if (name == "Save") {
            save(document(a), wire::get<rtl::OUString>(a, "Url"), WordFormat(wire::get<sal_Int32>(a, "Format")),
                 wire::get<rtl::OUString>(a, "Scratch"));
            return {};
        }
        if (name == "Close") {
            const sal_Int32 id = wire::get<sal_Int32>(a, "Doc");
            const auto doc = document(a);
            documents_.erase(id);
            closeDocument(doc);
            return {};
        }
        throw OfficeError(OfficeError::Internal, QStringLiteral("no step Word.") + qs(name));
    }

private:
    Reference<css::text::XTextDocument> document(const wire::Args& a) const
    {
        const auto found = documents_.find(wire::get<sal_Int32>(a, "Doc"));
        if (found == documents_.end())
            throw OfficeError(OfficeError::Internal, QStringLiteral("no such document"));
        return found->second;
    }

    sal_Int32 keep(Reference<css::text::XTextDocument> doc)
    {
        documents_[++lastId_] = std::move(doc);
        return lastId_;
    }

    // The combined document: empty, with its insertion point at its end.
    sal_Int32 add()
    {
        const auto loadable = inside_.newModel("com.sun.star.text.TextDocument");
        loadable->initNew();
        doc_.set(loadable, UNO_QUERY_THROW);
        looks_.attach(doc_);
        pageStyles_ = family(doc_, "PageStyles");
        defaults_.take(doc_);
        breakStyle_ = "Standard"; // the first part starts on the default page
        before_ = partEnd_ = 0;
        return keep(doc_);
    }

    // A document to convert; `text`: a UTF-8 copy with LF line ends. A model without a view,
    // as the combined document is: one laid out in a view with comments ends the office when
    // it is saved or closed from any thread but the office's own.
    sal_Int32 open(const rtl::OUString& url, const QString& path, bool text)
    {
        const QString filter = text ? QStringLiteral("Text (encoded)") : wordFilterFor(url, path);
        auto args = text ? inputProps(prop("URL", Any(url)), prop("FilterName", Any(ou(filter))),
                                      prop("FilterOptions", Any(rtl::OUString("UTF8,LF,,,"))))
                         : inputProps(prop("URL", Any(url)), prop("FilterName", Any(ou(filter))));
        const auto model = inside_.newModel("com.sun.star.text.TextDocument");
        loadingInput(path, [&] { model->load(args); });
        return keep(Reference<css::text::XTextDocument>(model, UNO_QUERY_THROW));
    }

    // The input at `url` (the user's `path`) at the end of the combined document, looking as
    // it does alone; `copy` is where a .docx input's OpenDocument copy goes. Returns what
    // it lacks in the document, in one sentence, or nothing.
    QString insertFile(const rtl::OUString& url, const QString& path, const rtl::OUString& copy)
    {
        const QString filter = wordFilterFor(url, path);
        // The office inserts a .docx with a reader of its own that drops what loading it does
        // not (whole tables, paragraph breaks): such an input goes in as the document it loads.
        const bool viaCopy = filter.startsWith(u"MS Word 2007") || filter.startsWith(u"Office Open XML Text");
        const auto stylesBefore = pageStyles_->getElementNames();
        const WordTotals before = looks_.totals();
        // The input as the office shows it alone: what the part should look like.
        struct Alone {
            Reference<css::util::XCloseable> doc;
            ~Alone()
            {
                try {
                    doc->close(true);
                } catch (const css::uno::Exception&) {
                }
            }
        } alone{Reference<css::util::XCloseable>(inside_.newModel("com.sun.star.text.TextDocument"), UNO_QUERY_THROW)};
        // An input the office cannot load (a password, say) says so itself.
        loadingInput(path, [&] {
            Reference<css::frame::XLoadable>(alone.doc, UNO_QUERY_THROW)
                ->load(inputProps(prop("URL", Any(url)), prop("FilterName", Any(ou(filter)))));
        });
        const Reference<css::text::XTextDocument> aloneDoc(alone.doc, UNO_QUERY_THROW);
        rtl::OUString source = url, sourceFilter = ou(filter);
        if (viaCopy) {
            // The copy stays until the office ends (its folder goes with it): the office reads
            // parts of an inserted file (pictures, say) only when it needs them.
            source = copy;
            sourceFilter = "writer8";
            Reference<css::frame::XStorable>(alone.doc, UNO_QUERY_THROW)
                ->storeToURL(source, props(prop("FilterName", Any(sourceFilter)), prop("Overwrite", Any(true))));
        }
        const auto cursor = doc_->getText()->createTextCursor();
        cursor->gotoEnd(false);
        Reference<css::document::XDocumentInsertable>(cursor, UNO_QUERY_THROW)
            ->insertDocumentFromURL(source, inputProps(prop("FilterName", Any(sourceFilter))));
        const auto inserted = insertedPart(cursor, path);
        const auto aloneElements = elementsOf(aloneDoc->getText());
        std::set<rtl::OUString> own{breakStyle_};
        const auto elements = tidySeams(inserted, stylesBefore, aloneElements.size(), own);
        defaults_.restore();
        partEnd_ = before_ + elements.size();
        return looks_.keep(aloneDoc, aloneElements, elements, own, path, before);
    }

    void insertBreak()
    {
        const auto text = doc_->getText();
        const auto cursor = text->createTextCursor();
        cursor->gotoEnd(false);
        text->insertControlCharacter(range(cursor), css::text::ControlCharacter::PARAGRAPH_BREAK, false);
        leaveSections(cursor);
        before_ = partEnd_;
        // A page style of its own makes the break a section break in .doc and .rtf.
        const rtl::OUString name = ou(QStringLiteral("Kumiro %1").arg(++sections_));
        breakStyle_ = name;
        const Reference<css::lang::XMultiServiceFactory> factory(doc_, UNO_QUERY_THROW);
        pageStyles_->insertByName(name, Any(factory->createInstance(rtl::OUString("com.sun.star.style.PageStyle"))));
        Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
            ->setPropertyValue(rtl::OUString("PageDescName"), Any(name));
    }

    static void insertBeforeLastParagraph(const Reference<css::text::XTextDocument>& doc, const rtl::OUString& text)
    {
        const auto cursor = doc->getText()->createTextCursor();
        cursor->gotoEnd(false);
        Reference<css::text::XParagraphCursor>(cursor, UNO_QUERY_THROW)->gotoStartOfParagraph(false);
        cursor->getText()->insertString(range(cursor), text, false);
    }

    // `scratch` is where a PDF's OpenDocument source goes: a document made here has no
    // view, and the PDF export lays one out, so the copy is opened hidden and saved and
    // closed at once on the office's main thread.
    void save(const Reference<css::text::XTextDocument>& doc, const rtl::OUString& url, WordFormat format,
              const rtl::OUString& scratch)
    {
        const Reference<css::frame::XStorable> storable(doc, UNO_QUERY_THROW);
        if (format != WordFormat::Pdf) {
            const auto filter = rtl::OUString::createFromAscii(exportFilter(format));
            storable->storeToURL(url,
                                 format == WordFormat::Text
                                     ? props(prop("FilterName", Any(filter)), prop("Overwrite", Any(true)),
                                             prop("FilterOptions", Any(rtl::OUString("UTF8,CRLF,,,"))))
                                     : props(prop("FilterName", Any(filter)), prop("Overwrite", Any(true))));
            return;
        }
        storable->storeToURL(scratch,
                             props(prop("FilterName", Any(rtl::OUString("writer8"))), prop("Overwrite", Any(true))));
        const Reference<css::frame::XComponentLoader> loader(inside_.desktop(), UNO_QUERY_THROW);
        inside_.onMainThread([&] {
            const Reference<css::util::XCloseable> view(
                loader->loadComponentFromURL(scratch, rtl::OUString("_blank"), 0,
                                             inputProps(prop("Hidden", Any(true)))),
                UNO_QUERY_THROW);
            try {
                Reference<css::frame::XStorable>(view, UNO_QUERY_THROW)
                    ->storeToURL(url, props(prop("FilterName", Any(rtl::OUString("writer_pdf_Export")))));
            } catch (...) {
                view->close(true);
                throw;
            }
            view->close(true);
        });
    }

    // The import filter for a Word or rich-text file; refuses anything else.
    QString wordFilterFor(const rtl::OUString& url, const QString& path)
    {
        return inside_.importFilter(url, path, isWordType,
                                    QStringLiteral("Word 文書でもリッチテキストでもありません。"));
    }

    // A part that ends in a section of its own (its columns, say) would take the next part in:
    // the paragraph at `cursor`, just made and empty, moves after the outermost section.
    void leaveSections(const Reference<css::text::XTextCursor>& cursor)
    {
        Reference<css::text::XTextSection> section;
        Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)->getPropertyValue(rtl::OUString("TextSection")) >>=
            section;
        if (!section.is())
            return;
        while (section->getParentSection().is())
            section = section->getParentSection();
        cursor->goLeft(1, true);
        cursor->setString(rtl::OUString());
        const Reference<css::text::XTextContent> paragraph(
            Reference<css::lang::XMultiServiceFactory>(doc_, UNO_QUERY_THROW)
                ->createInstance(rtl::OUString("com.sun.star.text.Paragraph")),
            UNO_QUERY_THROW);
        // Marked deprecated without a successor; nothing else puts a paragraph after a section
        // that ends the text.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        Reference<css::text::XRelativeTextContentInsert>(doc_->getText(), UNO_QUERY_THROW)
            ->insertTextContentAfter(paragraph, Reference<css::text::XTextContent>(section, UNO_QUERY_THROW));
#pragma GCC diagnostic pop
        cursor->gotoEnd(false);
    }

    static bool isParagraph(const Reference<css::uno::XInterface>& e)
    {
        const Reference<css::lang::XServiceInfo> info(e, UNO_QUERY);
        return info.is() && info->supportsService(rtl::OUString("com.sun.star.text.Paragraph"));
    }

    static bool isEmptyParagraph(const Reference<css::uno::XInterface>& e)
    {
        const Reference<css::text::XTextRange> range(e, UNO_QUERY);
        return isParagraph(e) && range.is() && range->getString().isEmpty();
    }

    static rtl::OUString pageDesc(const Reference<css::uno::XInterface>& e)
    {
        rtl::OUString name;
        const Reference<css::beans::XPropertySet> p(e, UNO_QUERY);
        if (p.is())
            p->getPropertyValue(rtl::OUString("PageDescName")) >>= name;
        return name;
    }

    static void setPageDesc(const Reference<css::uno::XInterface>& e, const rtl::OUString& name)
    {
        Reference<css::beans::XPropertySet>(e, UNO_QUERY_THROW)
            ->setPropertyValue(rtl::OUString("PageDescName"), Any(name));
    }

    // The paragraphs and tables an insertion added. The cursor spans them from the paragraph
    // it started in, except where the input starts with a table or a section of its own: then
    // the part is everything after the parts before it. Even an empty document brings a
    // paragraph; nothing at all means the office could not read it (a password, say) and
    // said nothing.
    std::vector<Reference<css::uno::XInterface>> insertedPart(const Reference<css::text::XTextCursor>& cursor,
                                                              const QString& path)
    {
        const Reference<css::text::XTextRangeCompare> compare(doc_->getText(), UNO_QUERY_THROW);
        if (compare->compareRegionStarts(cursor->getStart(), cursor->getEnd()) != 0)
            return elementsOf(cursor);
        const auto all = elementsOf(doc_->getText());
        std::vector<Reference<css::uno::XInterface>> part(all.begin() + std::min(before_, all.size()), all.end());
        if (part.empty() || (part.size() == 1 && isEmptyParagraph(part.front())))
            throw OfficeError(OfficeError::Unreadable, wire::unreadableContent(), path);
        return part;
    }

    // An inserted document may arrive with an empty paragraph before it (.doc) or after it
    // (.rtf, .docx) that the document alone does not have (`paragraphs` is what it has):
    // remove them, keeping the section's page style on the first paragraph. Returns the
    // part's paragraphs and tables; the page styles it brought join `own`.
    std::vector<Reference<css::uno::XInterface>> tidySeams(std::vector<Reference<css::uno::XInterface>> elements,
                                                           const Sequence<rtl::OUString>& stylesBefore,
                                                           size_t paragraphs, std::set<rtl::OUString>& own)
    {
        if (elements.size() > paragraphs && elements.size() > 1 && isEmptyParagraph(elements[0]) &&
            isParagraph(elements[1])) {
            const rtl::OUString page = pageDesc(elements[0]);
            Reference<css::lang::XComponent>(elements[0], UNO_QUERY_THROW)->dispose();
            if (!page.isEmpty())
                setPageDesc(elements[1], page);
            elements.erase(elements.begin());
        }
        if (elements.size() > paragraphs && elements.size() > 1 && isEmptyParagraph(elements.back()) &&
            isParagraph(elements[elements.size() - 2]) && pageDesc(elements.back()).isEmpty()) {
            Reference<css::lang::XComponent>(elements.back(), UNO_QUERY_THROW)->dispose();
            elements.pop_back();
        }
        // The import names a document's page setup "Convert 0", "Convert 1"... and reuses a
        // name that exists: rename each new one so that the next document brings its own.
        const std::set<rtl::OUString> known(stylesBefore.begin(), stylesBefore.end());
        for (const rtl::OUString& name : pageStyles_->getElementNames()) {
            if (known.count(name))
                continue;
            if (name.startsWith("Convert")) {
                const rtl::OUString unique = ou(QStringLiteral("Kumiro page %1").arg(++imported_));
                Reference<css::container::XNamed>(pageStyles_->getByName(name), UNO_QUERY_THROW)->setName(unique);
                own.insert(unique);
            } else {
                own.insert(name);
            }
        }
        return elements;
    }

    Inside& inside_;
    std::map<sal_Int32, Reference<css::text::XTextDocument>> documents_;
    sal_Int32 lastId_ = 0;
    Reference<css::text::XTextDocument> doc_; // the combined document
    int sections_ = 0;
    int imported_ = 0;
    // The document's paragraphs and tables before the part being inserted, and after it.
    size_t before_ = 0, partEnd_ = 0;
    rtl::OUString breakStyle_; // the page style of the last break, which the next part starts with
    PartLooks looks_;
    Reference<css::container::XNameContainer> pageStyles_;
    WordDefaults defaults_;
};

WordSteps::WordSteps(Inside& inside) : impl_(std::make_unique<Impl>(inside)) {}

WordSteps::~WordSteps() = default;

Any WordSteps::step(const rtl::OUString& name, const wire::Args& args)
{
    return impl_->step(name, args);
}

} // namespace kumiro::lo
