// The Word side: documents, the insertion point and the application, on an office of their own.
#include "Writer.h"
#include "Session.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentInsertable.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>
#include <com/sun/star/util/XCloseable.hpp>

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
    // an OpenDocument copy, opened hidden in the same office.
    void savePdf(const QString& path)
    {
        const QString odt = session_.tempDir() + QStringLiteral("/kumiro-pdf-source.odt");
        struct Cleanup {
            QString file;
            Reference<css::util::XCloseable> view;
            ~Cleanup()
            {
                try {
                    if (view.is())
                        view->close(true);
                } catch (const css::uno::Exception&) {
                }
                QFile::remove(file);
            }
        } cleanup{odt, {}};
        session_.call(
            [&] {
                Reference<css::frame::XStorable>(doc_, UNO_QUERY_THROW)
                    ->storeToURL(
                        session_.officeUrl(odt),
                        props(prop("FilterName", Any(rtl::OUString("writer8"))), prop("Overwrite", Any(true))));
                const auto loader = Reference<css::frame::XComponentLoader>(session_.desktop(), UNO_QUERY_THROW);
                cleanup.view.set(loader->loadComponentFromURL(session_.officeUrl(odt), rtl::OUString("_blank"), 0,
                                                              inputProps(prop("Hidden", Any(true)))),
                                 UNO_QUERY_THROW);
            },
            path);
        session_.store(cleanup.view, props(prop("FilterName", Any(rtl::OUString("writer_pdf_Export")))), path);
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

    void attach(Reference<css::text::XTextDocument> doc) { doc_ = std::move(doc); }

    void InsertFile(const QString& path) override
    {
        checkReadable(path);
        const QString filter = wordFilterFor(path);
        const bool richText = filter == u"Rich Text Format";
        const auto page = richText ? richTextPage(path) : std::map<std::string, int>{};
        session_.noteInput(path);
        session_.call(
            [&] {
                const auto stylesBefore = pageStyles()->getElementNames();
                const auto cursor = doc_->getText()->createTextCursor();
                cursor->gotoEnd(false);
                Reference<css::document::XDocumentInsertable>(cursor, UNO_QUERY_THROW)
                    ->insertDocumentFromURL(session_.inputUrl(path), inputProps(prop("FilterName", Any(ou(filter)))));
                // The cursor now spans what was inserted, from the paragraph it started in.
                // Even an empty document brings a paragraph; nothing at all means the office
                // could not read it (a password, say) and said nothing.
                const Reference<css::text::XTextRangeCompare> compare(doc_->getText(), UNO_QUERY_THROW);
                if (compare->compareRegionStarts(cursor->getStart(), cursor->getEnd()) == 0)
                    throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
                tidySeams(cursor, stylesBefore, richText, page, path);
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
            // A page style of its own makes the break a section break in .doc and .rtf.
            const rtl::OUString name = ou(QStringLiteral("Kumiro %1").arg(++sections_));
            const Reference<css::lang::XMultiServiceFactory> factory(doc_, UNO_QUERY_THROW);
            const Reference<css::style::XStyleFamiliesSupplier> families(doc_, UNO_QUERY_THROW);
            Reference<css::container::XNameContainer> pageStyles(
                families->getStyleFamilies()->getByName(rtl::OUString("PageStyles")), UNO_QUERY_THROW);
            pageStyles->insertByName(name, Any(factory->createInstance(rtl::OUString("com.sun.star.style.PageStyle"))));
            Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
                ->setPropertyValue(rtl::OUString("PageDescName"), Any(name));
        });
    }

    // The import filter for a Word or rich-text file; refuses anything else.
    QString wordFilterFor(const QString& path)
    {
        return session_.importFilter(path, isWordType, QStringLiteral("Word 文書でもリッチテキストでもありません。"));
    }

private:
    static std::vector<Reference<css::uno::XInterface>> elementsOf(const Reference<css::uno::XInterface>& range)
    {
        std::vector<Reference<css::uno::XInterface>> out;
        const Reference<css::container::XEnumerationAccess> access(range, UNO_QUERY_THROW);
        const auto e = access->createEnumeration();
        while (e->hasMoreElements())
            out.emplace_back(e->nextElement(), UNO_QUERY);
        return out;
    }

    Reference<css::container::XNameContainer> pageStyles() const
    {
        const Reference<css::style::XStyleFamiliesSupplier> families(doc_, UNO_QUERY_THROW);
        return Reference<css::container::XNameContainer>(
            families->getStyleFamilies()->getByName(rtl::OUString("PageStyles")), UNO_QUERY_THROW);
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

    // An inserted document arrives with an empty paragraph before it (.doc) or after it
    // (.rtf): remove them, keeping the section's page style on the first paragraph, and
    // give the section the page setup the document brought with it.
    void tidySeams(const Reference<css::text::XTextCursor>& inserted, const Sequence<rtl::OUString>& stylesBefore,
                   bool richText, const std::map<std::string, int>& page, const QString& path)
    {
        // Only the inserted range is looked at: the document before it is done with.
        auto elements = elementsOf(inserted);
        if (!richText && elements.size() > 1 && isEmptyParagraph(elements[0]) && isParagraph(elements[1])) {
            const rtl::OUString page = pageDesc(elements[0]);
            Reference<css::lang::XComponent>(elements[0], UNO_QUERY_THROW)->dispose();
            if (!page.isEmpty())
                setPageDesc(elements[1], page);
            elements.erase(elements.begin());
        }
        // Only rich text brings an empty paragraph of its own at the end; a Word document's
        // last empty paragraph is the author's and stays.
        if (richText && elements.size() > 1 && isEmptyParagraph(elements.back()) &&
            isParagraph(elements[elements.size() - 2]) && pageDesc(elements.back()).isEmpty()) {
            Reference<css::lang::XComponent>(elements.back(), UNO_QUERY_THROW)->dispose();
            elements.pop_back();
        }
        // The import names a document's page setup "Convert 0", "Convert 1"... and reuses a
        // name that exists: rename each new one so that the next document brings its own.
        const std::set<rtl::OUString> known(stylesBefore.begin(), stylesBefore.end());
        rtl::OUString first;
        for (const rtl::OUString& name : pageStyles()->getElementNames()) {
            if (known.count(name) || !name.startsWith("Convert"))
                continue;
            const rtl::OUString unique = ou(QStringLiteral("Kumiro page %1").arg(++imported_));
            Reference<css::container::XNamed>(pageStyles()->getByName(name), UNO_QUERY_THROW)->setName(unique);
            if (first.isEmpty())
                first = unique;
        }
        if (!first.isEmpty() && !elements.empty() && isParagraph(elements[0]))
            setPageDesc(elements[0], first);
        // Rich text brings no page style of its own when inserted: give its section the
        // paper and margins the file states.
        if (richText && first.isEmpty() && !page.empty() && !elements.empty() && isParagraph(elements[0])) {
            rtl::OUString name = pageDesc(elements[0]);
            if (name.isEmpty())
                name = "Standard";
            const Reference<css::beans::XPropertySet> style(pageStyles()->getByName(name), UNO_QUERY_THROW);
            auto set = [&](const char* property, const char* word) {
                const auto it = page.find(word);
                if (it != page.end())
                    style->setPropertyValue(rtl::OUString::createFromAscii(property),
                                            Any(sal_Int32(it->second * 2540 / 1440)));
            };
            if (page.count("landscape"))
                style->setPropertyValue(rtl::OUString("IsLandscape"), Any(true));
            set("Width", "paperw");
            set("Height", "paperh");
            set("LeftMargin", "margl");
            set("RightMargin", "margr");
            set("TopMargin", "margt");
            set("BottomMargin", "margb");
            copyHeadersAndFooters(path, style);
        }
    }

    // Nor its headers and footers: their text is taken from the file opened on its own.
    void copyHeadersAndFooters(const QString& path, const Reference<css::beans::XPropertySet>& to)
    {
        const auto loadable = session_.newModel("com.sun.star.text.TextDocument");
        try {
            loadable->load(inputProps(prop("URL", Any(session_.inputUrl(path))),
                                      prop("FilterName", Any(rtl::OUString("Rich Text Format")))));
        } catch (const css::uno::Exception&) {
            return; // what was inserted stays; only the headers are missing
        }
        const Reference<css::style::XStyleFamiliesSupplier> families(loadable, UNO_QUERY_THROW);
        const Reference<css::container::XNameAccess> styles(
            families->getStyleFamilies()->getByName(rtl::OUString("PageStyles")), UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> from(styles->getByName(rtl::OUString("Standard")), UNO_QUERY_THROW);
        for (const char* part : {"Header", "Footer"}) {
            const rtl::OUString on = rtl::OUString::createFromAscii(part) + "IsOn";
            bool isOn = false;
            from->getPropertyValue(on) >>= isOn;
            if (!isOn)
                continue;
            Reference<css::text::XText> source, target;
            from->getPropertyValue(rtl::OUString::createFromAscii(part) + "Text") >>= source;
            to->setPropertyValue(on, Any(true));
            to->getPropertyValue(rtl::OUString::createFromAscii(part) + "Text") >>= target;
            if (source.is() && target.is())
                target->setString(source->getString());
        }
        const Reference<css::util::XCloseable> closeable(loadable, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    }

    // The page a rich-text file states, in twips: \paperw, \paperh, \margl... and
    // \landscape, the first section's own values (\pgwsxn...) winning.
    static std::map<std::string, int> richTextPage(const QString& path)
    {
        std::map<std::string, int> page;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return page;
        const QByteArray head = file.read(256 << 10);
        static const QRegularExpression word(
            QStringLiteral("\\\\(paperw|paperh|margl|margr|margt|margb|landscape|"
                           "pgwsxn|pghsxn|marglsxn|margrsxn|margtsxn|margbsxn|lndscpsxn|sect)(-?\\d*)"));
        static const std::map<std::string, std::string> section = {
            {"pgwsxn", "paperw"},  {"pghsxn", "paperh"},  {"marglsxn", "margl"},     {"margrsxn", "margr"},
            {"margtsxn", "margt"}, {"margbsxn", "margb"}, {"lndscpsxn", "landscape"}};
        for (auto it = word.globalMatch(QString::fromLatin1(head)); it.hasNext();) {
            const auto m = it.next();
            const std::string name = m.captured(1).toStdString();
            if (name == "sect")
                break; // the first section ends
            const auto s = section.find(name);
            page[s == section.end() ? name : s->second] = m.captured(2).toInt();
        }
        return page;
    }

    Session& session_;
    Reference<css::text::XTextDocument> doc_;
    int sections_ = 0;
    int imported_ = 0;
};

class LoWordApplication final : public WordApplication {
public:
    LoWordApplication(const OfficeOptions& options, const QString& profile)
        : session_(std::make_unique<Session>(options, profile)), selection_(*session_)
    {
    }
    ~LoWordApplication() override
    {
        documents_.clear();
        session_->end();
    }

    WordDocument& Documents_Add() override
    {
        auto doc = session_->call([&] {
            const auto loadable = session_->newModel("com.sun.star.text.TextDocument");
            loadable->initNew();
            return Reference<css::text::XTextDocument>(loadable, UNO_QUERY_THROW);
        });
        selection_.attach(doc);
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
                try {
                    d.set(loader->loadComponentFromURL(source, rtl::OUString("_blank"), 0, args), UNO_QUERY);
                } catch (const css::io::IOException&) {
                    throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
                } catch (const css::lang::IllegalArgumentException&) {
                    throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
                }
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

    void Quit() override
    {
        documents_.clear();
        session_->end();
    }

private:
    std::unique_ptr<Session> session_;
    LoWordSelection selection_;
    std::vector<std::unique_ptr<LoWordDocument>> documents_;
};

} // namespace

std::unique_ptr<WordApplication> newWordApplication(const OfficeOptions& options, const QString& profile)
{
    return std::make_unique<LoWordApplication>(options, profile);
}

} // namespace kumiro::lo
