// The Word side: documents, the insertion point and the application, on an office of their own.
#include "Writer.h"
#include "Session.h"
#include "WriterLooks.h"

#include <QFile>
#include <QFileInfo>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentInsertable.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
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
#include <memory>
#include <set>
#include <string>
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

// Loads the input `path` by `load`; what the office refuses to load is the input's fault.
template <typename F> void loadingInput(const QString& path, F&& load)
{
    try {
        load();
    } catch (const css::io::IOException&) {
        throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
    } catch (const css::lang::IllegalArgumentException&) {
        throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
    }
}

class LoWordApplication;

class LoWordDocument final : public WordDocument {
public:
    LoWordDocument(Session& session, Reference<css::text::XTextDocument> doc) : session_(session), doc_(std::move(doc))
    {
    }
    void InsertBeforeLastParagraph(const QString& text) override
    {
        session_.call([&] {
            const auto cursor = doc_->getText()->createTextCursor();
            cursor->gotoEnd(false);
            Reference<css::text::XParagraphCursor>(cursor, UNO_QUERY_THROW)->gotoStartOfParagraph(false);
            cursor->getText()->insertString(range(cursor), ou(text), false);
        });
    }

    void SaveAs(const QString& path, WordFormat format) override
    {
        if (format == WordFormat::Pdf) {
            savePdf(path);
            return;
        }
        const char* filter = "MS Word 97";
        switch (format) {
        case WordFormat::Native: break;
        case WordFormat::Text: filter = "Text (encoded)"; break;
        case WordFormat::RichText: filter = "Rich Text Format"; break;
        case WordFormat::Docx: filter = "MS Word 2007 XML"; break;
        case WordFormat::Odt: filter = "writer8"; break;
        case WordFormat::Pdf: filter = "writer_pdf_Export"; break;
        }
        auto args = format == WordFormat::Text
            ? props(prop("FilterName", Any(rtl::OUString::createFromAscii(filter))), prop("Overwrite", Any(true)),
                    prop("FilterOptions", Any(rtl::OUString("UTF8,CRLF,,,"))))
            : props(prop("FilterName", Any(rtl::OUString::createFromAscii(filter))), prop("Overwrite", Any(true)));
        session_.store(doc_, args, path, format == WordFormat::Text);
    }

    // A document made here has no view, and the PDF export lays one out: it goes through
    // an OpenDocument copy, opened hidden in the same office and saved and closed at once on
    // its main thread.
    void savePdf(const QString& path)
    {
        const QString odt = session_.tempDir() + QStringLiteral("/kumiro-pdf-source.odt");
        struct Remove {
            QString file;
            ~Remove() { QFile::remove(file); }
        } remove{odt};
        session_.call(
            [&] {
                Reference<css::frame::XStorable>(doc_, UNO_QUERY_THROW)
                    ->storeToURL(
                        session_.officeUrl(odt),
                        props(prop("FilterName", Any(rtl::OUString("writer8"))), prop("Overwrite", Any(true))));
            },
            path);
        session_.storeWith(
            [&](const rtl::OUString& url) {
                const auto loader = Reference<css::frame::XComponentLoader>(session_.desktop(), UNO_QUERY_THROW);
                session_.onMainThread([&] {
                    const Reference<css::util::XCloseable> view(
                        loader->loadComponentFromURL(session_.officeUrl(odt), rtl::OUString("_blank"), 0,
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
            },
            path);
    }

    void Close() override
    {
        session_.call([&] { closeNow(); });
    }

    Reference<css::text::XTextDocument> document() const { return doc_; }

private:
    void closeNow()
    {
        if (!doc_.is())
            return;
        const Reference<css::util::XCloseable> closeable(doc_, UNO_QUERY);
        doc_.clear();
        if (closeable.is())
            closeable->close(true);
    }

    Session& session_;
    Reference<css::text::XTextDocument> doc_;
};

class LoWordSelection final : public WordSelection {
public:
    explicit LoWordSelection(Session& session) : session_(session) {}

    void attach(Reference<css::text::XTextDocument> doc)
    {
        doc_ = std::move(doc);
        looks_.attach(doc_);
        pageStyles_ = family(doc_, "PageStyles");
        defaults_.take(doc_);
        shortfalls_.clear();
        breakStyle_ = "Standard"; // the first part starts on the default page
        before_ = partEnd_ = 0;
    }

    // What each input lacks in the document, one sentence an input.
    const QStringList& shortfalls() const { return shortfalls_; }

    void InsertFile(const QString& path) override
    {
        checkReadable(path);
        const QString filter = wordFilterFor(path);
        session_.noteInput(path);
        // The office inserts a .docx with a reader of its own that drops what loading it does
        // not (whole tables, paragraph breaks): such an input goes in as the document it loads.
        const bool viaCopy = filter.startsWith(u"MS Word 2007") || filter.startsWith(u"Office Open XML Text");
        // Each copy stays until the office ends (its folder goes with it): the office reads
        // parts of an inserted file (pictures, say) only when it needs them.
        const QString copy = session_.tempDir() + QStringLiteral("/kumiro-insert-%1.odt").arg(++copies_);
        session_.call(
            [&] {
                const auto stylesBefore = pageStyles()->getElementNames();
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
                } alone{Reference<css::util::XCloseable>(session_.newModel("com.sun.star.text.TextDocument"),
                                                         UNO_QUERY_THROW)};
                // An input the office cannot load (a password, say) says so itself.
                loadingInput(path, [&] {
                    Reference<css::frame::XLoadable>(alone.doc, UNO_QUERY_THROW)
                        ->load(
                            inputProps(prop("URL", Any(session_.inputUrl(path))), prop("FilterName", Any(ou(filter)))));
                });
                const Reference<css::text::XTextDocument> aloneDoc(alone.doc, UNO_QUERY_THROW);
                rtl::OUString source = session_.inputUrl(path), sourceFilter = ou(filter);
                if (viaCopy) {
                    source = session_.officeUrl(copy);
                    sourceFilter = "writer8";
                    Reference<css::frame::XStorable>(alone.doc, UNO_QUERY_THROW)
                        ->storeToURL(source,
                                     props(prop("FilterName", Any(sourceFilter)), prop("Overwrite", Any(true))));
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
                const QString lost = looks_.keep(aloneDoc, aloneElements, elements, own, path, before);
                if (!lost.isEmpty())
                    shortfalls_ << lost;
            },
            path);
    }

    void InsertBreak(int type) override
    {
        if (type != kSectionBreakNextPage)
            throw OfficeError(OfficeError::Failed, QStringLiteral("区切りの種類 %1 は扱えません。").arg(type));
        session_.call([&] {
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
            pageStyles_->insertByName(name,
                                      Any(factory->createInstance(rtl::OUString("com.sun.star.style.PageStyle"))));
            Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
                ->setPropertyValue(rtl::OUString("PageDescName"), Any(name));
        });
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

    // The import filter for a Word or rich-text file; refuses anything else.
    QString wordFilterFor(const QString& path)
    {
        return session_.importFilter(path, isWordType, QStringLiteral("Word 文書でもリッチテキストでもありません。"));
    }

private:
    const Reference<css::container::XNameContainer>& pageStyles() const
    {
        return pageStyles_;
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
            throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
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
        for (const rtl::OUString& name : pageStyles()->getElementNames()) {
            if (known.count(name))
                continue;
            if (name.startsWith("Convert")) {
                const rtl::OUString unique = ou(QStringLiteral("Kumiro page %1").arg(++imported_));
                Reference<css::container::XNamed>(pageStyles()->getByName(name), UNO_QUERY_THROW)->setName(unique);
                own.insert(unique);
            } else {
                own.insert(name);
            }
        }
        return elements;
    }

    Session& session_;
    Reference<css::text::XTextDocument> doc_;
    int sections_ = 0;
    int imported_ = 0;
    int copies_ = 0;
    // The document's paragraphs and tables before the part being inserted, and after it.
    size_t before_ = 0, partEnd_ = 0;
    rtl::OUString breakStyle_; // the page style of the last break, which the next part starts with
    PartLooks looks_;
    Reference<css::container::XNameContainer> pageStyles_;
    WordDefaults defaults_;
    QStringList shortfalls_;
};

class LoWordApplication final : public WordApplication {
public:
    LoWordApplication(std::unique_ptr<Session> session, Retire retire)
        : session_(std::move(session)), retire_(std::move(retire)), selection_(*session_)
    {
    }
    ~LoWordApplication() override { Quit(); }

    WordDocument& Documents_Add() override
    {
        auto doc = session_->call([&] {
            const auto loadable = session_->newModel("com.sun.star.text.TextDocument");
            loadable->initNew();
            const Reference<css::text::XTextDocument> d(loadable, UNO_QUERY_THROW);
            selection_.attach(d);
            return d;
        });
        documents_.push_back(std::make_unique<LoWordDocument>(*session_, doc));
        return *documents_.back();
    }

    WordDocument& Documents_Open(const QString& path) override
    {
        checkReadable(path);
        const bool text = QFileInfo(path).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
        const QString filter = text ? QStringLiteral("Text (encoded)") : selection_.wordFilterFor(path);
        const rtl::OUString source = text ? session_->utf8Copy(path, true) : session_->inputUrl(path);
        auto args = text ? inputProps(prop("Hidden", Any(true)), prop("FilterName", Any(ou(filter))),
                                      prop("FilterOptions", Any(rtl::OUString("UTF8,LF,,,"))))
                         : inputProps(prop("Hidden", Any(true)), prop("FilterName", Any(ou(filter))));
        session_->noteInput(path);
        auto doc = session_->call(
            [&] {
                const Reference<css::frame::XComponentLoader> loader(session_->desktop(), UNO_QUERY_THROW);
                Reference<css::text::XTextDocument> d;
                loadingInput(path, [&] {
                    d.set(loader->loadComponentFromURL(source, rtl::OUString("_blank"), 0, args), UNO_QUERY);
                });
                if (!d.is())
                    throw OfficeError(OfficeError::Unreadable, QStringLiteral("LibreOffice で開けませんでした。"),
                                      path);
                return d;
            },
            path);
        documents_.push_back(std::make_unique<LoWordDocument>(*session_, doc));
        return *documents_.back();
    }

    WordSelection& Selection() override { return selection_; }

    QStringList Shortfalls() override { return selection_.shortfalls(); }

    void Quit() override
    {
        documents_.clear();
        finish(session_, retire_);
    }

private:
    std::unique_ptr<Session> session_;
    Retire retire_;
    LoWordSelection selection_;
    std::vector<std::unique_ptr<LoWordDocument>> documents_;
};

} // namespace

std::unique_ptr<WordApplication> newWordApplication(std::unique_ptr<Session> session, Retire retire)
{
    return std::make_unique<LoWordApplication>(std::move(session), std::move(retire));
}

} // namespace kumiro::lo
