// The office on LibreOffice, driven through UNO over a private pipe. The only file that
// sees UNO types.
#include "OfficeProcess.h"
#include "combine/Office.h"
#include "platform/FileWriting.h"
#include "combine/SheetNames.h"
#include "platform/SystemErrors.h"
#include "combine/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QUrl>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XDocumentInsertable.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/util/XSearchable.hpp>
#include <com/sun/star/sheet/XCalculatable.hpp>
#include <com/sun/star/sheet/XCellFormatRangesSupplier.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XSpreadsheets2.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>
#include <set>
#include <thread>

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace kumiro::lo {

namespace {

rtl::OUString ou(const QString& s)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), sal_Int32(s.size()));
}

QString qs(const rtl::OUString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

rtl::OUString fileUrl(const QString& path)
{
    return ou(QString::fromUtf8(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded()));
}

css::beans::PropertyValue prop(const char* name, const Any& value)
{
    css::beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

template <typename... P>
Sequence<css::beans::PropertyValue> props(P... p)
{
    Sequence<css::beans::PropertyValue> s(sizeof...(P));
    css::beans::PropertyValue* out = s.getArray();
    ((*out++ = p), ...);
    return s;
}

// Arguments for every file the office opens: the file may be anybody's, so nothing in it
// runs or updates itself (macros, links, external data).
template <typename... P>
Sequence<css::beans::PropertyValue> inputProps(P... p)
{
    return props(prop("MacroExecutionMode", Any(sal_Int16(css::document::MacroExecMode::NEVER_EXECUTE))),
                 prop("UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))), p...);
}

Reference<css::text::XTextRange> range(const Reference<css::text::XTextCursor>& cursor)
{
    return Reference<css::text::XTextRange>(cursor.get());
}

QString officeDir(const OfficeOptions& options)
{
    return options.officeProgramDir.isEmpty() ? kOfficeProgramDir
                                               : options.officeProgramDir;
}

// The client side of UNO, made once per process.
Reference<css::uno::XComponentContext> localContext(const QString& programDir)
{
    static std::once_flag once;
    static Reference<css::uno::XComponentContext> context;
    static QString failure;
    std::call_once(once, [&] {
        try {
            rtl::Bootstrap::set(rtl::OUString("URE_BOOTSTRAP"),
                                ou(QStringLiteral("vnd.sun.star.pathname:") + programDir +
                                   QStringLiteral("/fundamentalrc")));
            context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception& e) {
            failure = qs(e.Message);
        }
    });
    if (!context.is())
        throw OfficeError(OfficeError::Setup, QStringLiteral("LibreOffice と接続する準備ができませんでした。　\r\r") + failure);
    return context;
}

// Copies what the office saved into the user's file `to` (made here, complete or not at
// all), every write checked.
void copyOut(const QString& from, const QString& to, bool dropByteOrderMark)
{
    const QString folder = QFileInfo(to).absolutePath();
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw OfficeError(OfficeError::Failed,
                          QStringLiteral("LibreOffice が保存したファイルを読み取れません。　\r\r") + in.errorString(), to);
    // Text for other programs: UTF-8 needs no byte-order mark, and one in the middle of a
    // text combined from such files would be garbage.
    if (dropByteOrderMark && in.peek(3) == QByteArray("\xEF\xBB\xBF"))
        in.seek(3);
    const qint64 room = freeBytes(folder);
    if (room >= 0 && room < in.size())
        throw OfficeError(OfficeError::OutputFolder, plainSystemReason(ENOSPC) + roomText(in.size(), room), folder);
    auto fail = [&](int error) {
        const bool full = error == ENOSPC || error == EDQUOT;
        return OfficeError(full ? OfficeError::OutputFolder : OfficeError::OutputFile, plainSystemReason(error),
                           full ? folder : to);
    };
    bool named = false;
    const int fd = openUnnamed(folder, to, named);
    if (fd < 0)
        throw fail(errno);
    // Whatever goes wrong, no part-written file keeps its name.
    struct Discard {
        QString path;
        bool armed;
        ~Discard()
        {
            if (armed)
                QFile::remove(path);
        }
    } discard{to, named};
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0) {
            ::close(fd);
            throw OfficeError(OfficeError::Failed, in.errorString(), to);
        }
        if (got == 0)
            break;
        if (const int error = writeAll(fd, buffer.constData(), got)) {
            ::close(fd);
            throw fail(error);
        }
    }
    if (::fsync(fd) != 0 || (!named && !linkUnnamed(fd, to))) {
        const int error = errno;
        ::close(fd);
        throw fail(error);
    }
    if (::close(fd) != 0)
        throw fail(errno);
    discard.armed = false;
}

} // namespace

// One running office: process, bridge and desktop, every call under the watchdog.
class Session {
public:
    Session(const OfficeOptions& options, const QString& profileTemplate)
        : options_(options), process_(officeDir(options), profileTemplate),
          watchdog_([this] { process_.signalKill(); })
    {
        connect();
    }

    ~Session() { end(); }

    // Runs one call against the office; a hang, a crash or a refusal becomes OfficeError.
    template <typename F>
    auto call(F&& f, const QString& file = {}) -> decltype(f())
    {
        watchdog_.arm(options_.callTimeoutMs);
        try {
            if constexpr (std::is_void_v<decltype(f())>) {
                f();
                watchdog_.disarm();
            } else {
                auto r = f();
                watchdog_.disarm();
                return r;
            }
        } catch (const OfficeError&) {
            watchdog_.disarm();
            throw;
        } catch (const css::lang::DisposedException&) {
            watchdog_.disarm();
            throw lost(file);
        } catch (const css::uno::RuntimeException& e) {
            watchdog_.disarm();
            if (watchdog_.fired() || !process_.running())
                throw lost(file);
            throw OfficeError(OfficeError::Failed, qs(e.Message), file);
        } catch (const css::uno::Exception& e) {
            watchdog_.disarm();
            throw OfficeError(OfficeError::Failed, qs(e.Message), file);
        }
    }

    Reference<css::frame::XDesktop2> desktop() const { return desktop_; }
    Reference<css::lang::XMultiComponentFactory> services() const { return remote_->getServiceManager(); }
    Reference<css::uno::XComponentContext> context() const { return remote_; }
    QString profileDir() const { return process_.profileDir(); }

    // A document model without a frame or view (nothing is ever shown or laid out on
    // screen, which makes loading and inserting cheaper): empty, or loaded by `args`.
    Reference<css::frame::XLoadable> newModel(const char* service)
    {
        return Reference<css::frame::XLoadable>(
            services()->createInstanceWithContext(rtl::OUString::createFromAscii(service), context()),
            UNO_QUERY_THROW);
    }

    // The import filter the office's own detection picks for a file; files of a type that
    // `accept` refuses are refused with `refusal`.
    QString importFilter(const QString& path, bool (*accept)(const QString&), const QString& refusal)
    {
        return call(
            [&] {
                if (!detection_.is())
                    detection_.set(services()->createInstanceWithContext(
                                       rtl::OUString("com.sun.star.document.TypeDetection"), context()),
                                   UNO_QUERY_THROW);
                Sequence<css::beans::PropertyValue> descriptor = inputProps(prop("URL", Any(fileUrl(path))));
                const QString type = qs(detection_->queryTypeByDescriptor(descriptor, true));
                if (!accept(type))
                    throw OfficeError(OfficeError::Unreadable, refusal, path);
                Sequence<css::beans::PropertyValue> typeProps;
                Reference<css::container::XNameAccess>(detection_, UNO_QUERY_THROW)->getByName(ou(type)) >>= typeProps;
                for (const auto& p : typeProps) {
                    rtl::OUString filter;
                    if (p.Name == "PreferredFilter" && (p.Value >>= filter) && !filter.isEmpty())
                        return qs(filter);
                }
                throw OfficeError(OfficeError::Unreadable, QStringLiteral("読み込む方法がありません。"), path);
            },
            path);
    }

    // A text or CSV file as the office reads it best: a private copy in UTF-8 without a
    // byte-order mark, whatever the encoding it was written in (told apart here, where
    // EUC-JP, ISO-2022-JP and UTF-16 are known), and for text with LF line ends, so that
    // CR-only files from old editors give one paragraph a line.
    QString utf8Copy(const QString& path, bool lfLineEnds)
    {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            throw OfficeError(OfficeError::Unreadable, in.errorString(), path);
        const QByteArray bytes = in.readAll();
        QByteArray text = toUtf8(bytes, detectTextEncoding(bytes));
        if (lfLineEnds)
            text = withLfLineEnds(text);
        const QString copy = process_.tempDir() + QStringLiteral("/kumiro-text-%1.%2").arg(++copies_).arg(QFileInfo(path).suffix());
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush())
            throw OfficeError(OfficeError::Failed,
                              QStringLiteral("LibreOffice の作業フォルダに書き込めません。　\r\r") + out.errorString(), path);
        return copy;
    }

    // What the office has read so far, for telling whether it has room to save.
    void noteInput(const QString& path) { inputBytes_ += QFileInfo(path).size(); }

    // Saves through the office's own temporary folder and copies the result into `path`
    // here: the office never writes into the user's folder (and leaves nothing of its own
    // there), and a full or failing disk is an error at once, not an office that spins.
    void store(const Reference<css::uno::XInterface>& doc, const Sequence<css::beans::PropertyValue>& args,
               const QString& path, bool dropByteOrderMark = false)
    {
        const QString temp = process_.tempDir();
        const qint64 estimate = 2 * inputBytes_ + (4 << 20);
        const qint64 room = freeBytes(temp);
        if (room >= 0 && room < estimate)
            throw OfficeError(OfficeError::Failed,
                              QStringLiteral("LibreOffice の作業フォルダ %1 の空きが足りません。%2")
                                  .arg(QDir::tempPath(), roomText(estimate, room)),
                              path);
        const QString staging = temp + QStringLiteral("/kumiro-save-%1").arg(++saves_);
        struct Remove {
            QString file;
            ~Remove() { QFile::remove(file); }
        } removeStaging{staging};
        call([&] { Reference<css::frame::XStorable>(doc, UNO_QUERY_THROW)->storeToURL(fileUrl(staging), args); },
             path);
        copyOut(staging, path, dropByteOrderMark);
    }

    // Ends the office: asked first, killed if it does not go.
    void end()
    {
        if (ended_)
            return;
        ended_ = true;
        if (desktop_.is() && process_.running() && !watchdog_.fired()) {
            watchdog_.arm(5000);
            try {
                desktop_->terminate();
            } catch (const css::uno::Exception&) {
            }
            watchdog_.disarm();
        }
        desktop_.clear();
        remote_.clear();
        if (bridge_.is()) {
            try {
                bridge_->dispose();
            } catch (const css::uno::Exception&) {
            }
            bridge_.clear();
        }
        if (!process_.waitForExit(5000))
            process_.kill();
    }

private:
    OfficeError lost(const QString& file) const
    {
        if (watchdog_.fired())
            return OfficeError(OfficeError::Hung,
                               QStringLiteral("LibreOffice が %1 秒以上応答しなかったため、終了させました。")
                                   .arg(options_.callTimeoutMs / 1000),
                               file);
        return OfficeError(OfficeError::Crashed, QStringLiteral("LibreOffice が途中で終了しました。"),
                           file);
    }

    void connect()
    {
        const auto local = localContext(officeDir(options_));
        // A brand-new profile makes the office restart itself once (exit code 81).
        for (int attempt = 0; attempt < 3; ++attempt) {
            QString reason;
            if (!process_.start(reason))
                throw OfficeError(OfficeError::Setup,
                                  QStringLiteral("LibreOffice を起動できませんでした。　\r\r") + reason);
            if (tryConnect(local))
                return;
            if (process_.exitCode() == OfficeProcess::kNoNamespaceExit)
                process_.startWithoutNamespace();
            else if (process_.exitCode() != 81)
                break;
        }
        process_.kill();
        throw OfficeError(OfficeError::Setup,
                          QStringLiteral("LibreOffice を起動できませんでした (終了コード %1)。")
                              .arg(process_.exitCode()));
    }

    bool tryConnect(const Reference<css::uno::XComponentContext>& local)
    {
        const auto connector = css::connection::Connector::create(local);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.callTimeoutMs);
        Reference<css::connection::XConnection> connection;
        while (!connection.is()) {
            try {
                connection = connector->connect(rtl::OUString("pipe,name=") + ou(process_.pipeName()));
            } catch (const css::connection::NoConnectException&) {
                if (!process_.running() || std::chrono::steady_clock::now() > until)
                    return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        watchdog_.arm(options_.callTimeoutMs);
        try {
            const auto factory = css::bridge::BridgeFactory::create(local);
            auto bridge = factory->createBridge(rtl::OUString(), rtl::OUString("urp"), connection, nullptr);
            bridge_.set(bridge, UNO_QUERY);
            remote_.set(bridge->getInstance(rtl::OUString("StarOffice.ComponentContext")), UNO_QUERY_THROW);
            desktop_ = css::frame::Desktop::create(remote_);
        } catch (const css::uno::Exception& e) {
            watchdog_.disarm();
            throw OfficeError(watchdog_.fired() ? OfficeError::Hung : OfficeError::Failed, qs(e.Message));
        }
        watchdog_.disarm();
        return true;
    }

    OfficeOptions options_;
    OfficeProcess process_;
    Watchdog watchdog_;
    Reference<css::lang::XComponent> bridge_;
    Reference<css::uno::XComponentContext> remote_;
    Reference<css::frame::XDesktop2> desktop_;
    Reference<css::document::XTypeDetection> detection_;
    bool ended_ = false;
    qint64 inputBytes_ = 0;
    int saves_ = 0;
    int copies_ = 0;
};

namespace {

// Word documents the combine and the conversion accept; plain text is refused, since the
// office takes anything for text (random bytes included).
bool isWordType(const QString& type)
{
    return type.startsWith(QStringLiteral("writer_MS_Word")) ||
           type.startsWith(QStringLiteral("writer_Rich_Text")) ||
           type.startsWith(QStringLiteral("writer_Word")) || type == u"writer8" ||
           type.startsWith(QStringLiteral("writer_StarOffice_XML_Writer"));
}

QString unreadableContent()
{
    return QStringLiteral("LibreOffice が内容を読み取れませんでした。パスワードで保護されているか、壊れている可能性があります。");
}

void checkReadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw OfficeError(OfficeError::Unreadable, QStringLiteral("ファイルがありません。"), path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw OfficeError(OfficeError::Unreadable,
                          info.isFile() ? file.errorString() : QStringLiteral("ファイルではありません。"),
                          path);
}

} // namespace

class LoWordApplication;

class LoWordDocument final : public WordDocument {
public:
    LoWordDocument(Session& session, Reference<css::text::XTextDocument> doc)
        : session_(session), doc_(std::move(doc))
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
        const char* filter = format == WordFormat::Text ? "Text (encoded)"
                           : format == WordFormat::RichText ? "Rich Text Format"
                                                            : "MS Word 97";
        auto args = format == WordFormat::Text
            ? props(prop("FilterName", Any(rtl::OUString::createFromAscii(filter))),
                    prop("Overwrite", Any(true)),
                    prop("FilterOptions", Any(rtl::OUString("UTF8,CRLF,,,"))))
            : props(prop("FilterName", Any(rtl::OUString::createFromAscii(filter))),
                    prop("Overwrite", Any(true)));
        session_.store(doc_, args, path, format == WordFormat::Text);
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
                    ->insertDocumentFromURL(fileUrl(path), inputProps(prop("FilterName", Any(ou(filter)))));
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
    void tidySeams(const Reference<css::text::XTextCursor>& inserted,
                   const Sequence<rtl::OUString>& stylesBefore, bool richText,
                   const std::map<std::string, int>& page, const QString& path)
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
                    style->setPropertyValue(rtl::OUString::createFromAscii(property), Any(sal_Int32(it->second * 2540 / 1440)));
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
            loadable->load(inputProps(prop("URL", Any(fileUrl(path))), prop("FilterName", Any(rtl::OUString("Rich Text Format")))));
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
        static const QRegularExpression word(QStringLiteral("\\\\(paperw|paperh|margl|margr|margt|margb|landscape|"
                                                            "pgwsxn|pghsxn|marglsxn|margrsxn|margtsxn|margbsxn|lndscpsxn|sect)(-?\\d*)"));
        static const std::map<std::string, std::string> section = {
            {"pgwsxn", "paperw"}, {"pghsxn", "paperh"}, {"marglsxn", "margl"}, {"margrsxn", "margr"},
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
        const QString source = text ? session_->utf8Copy(path, true) : path;
        auto args = text ? inputProps(prop("Hidden", Any(true)), prop("FilterName", Any(ou(filter))),
                                      prop("FilterOptions", Any(rtl::OUString("UTF8,LF,,,"))))
                         : inputProps(prop("Hidden", Any(true)), prop("FilterName", Any(ou(filter))));
        session_->noteInput(path);
        auto doc = session_->call(
            [&] {
                const Reference<css::frame::XComponentLoader> loader(session_->desktop(), UNO_QUERY_THROW);
                Reference<css::text::XTextDocument> d;
                try {
                    d.set(loader->loadComponentFromURL(fileUrl(source), rtl::OUString("_blank"), 0, args), UNO_QUERY);
                } catch (const css::io::IOException&) {
                    throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
                } catch (const css::lang::IllegalArgumentException&) {
                    throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
                }
                if (!d.is())
                    throw OfficeError(OfficeError::Unreadable,
                                      QStringLiteral("LibreOffice で開けませんでした。"), path);
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


namespace {

bool isCalcType(const QString& type)
{
    return type.startsWith(QStringLiteral("calc_MS_Excel")) || type == u"calc8" ||
           type.startsWith(QStringLiteral("calc_StarOffice_XML_Calc")) ||
           type.startsWith(QStringLiteral("calc_Text_txt_csv"));
}

Reference<css::container::XIndexAccess> sheetsOf(const Reference<css::sheet::XSpreadsheetDocument>& doc)
{
    return Reference<css::container::XIndexAccess>(doc->getSheets(), UNO_QUERY_THROW);
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

} // namespace

class LoExcelWorkbook;

class LoExcelSheet final : public ExcelSheet {
public:
    LoExcelSheet(Session& session, LoExcelWorkbook& book, int index)
        : session_(session), book_(book), index_(index)
    {
    }
    QString Name() override;
    void Copy(ExcelSheet& after) override;

    LoExcelWorkbook& book() const { return book_; }
    int index() const { return index_; }

private:
    Session& session_;
    LoExcelWorkbook& book_;
    int index_; // from 0
};

class LoExcelWorkbook final : public ExcelWorkbook {
public:
    LoExcelWorkbook(Session& session, Reference<css::sheet::XSpreadsheetDocument> doc, QString path)
        : session_(session), doc_(std::move(doc)), path_(std::move(path))
    {
    }

    int Sheets_Count() override
    {
        return session_.call([&] { return int(sheetsOf(doc_)->getCount()); }, path_);
    }

    ExcelSheet& Sheets(int n) override
    {
        if (n < 1 || n > Sheets_Count())
            throw OfficeError(OfficeError::Failed, QStringLiteral("シート %1 はありません。").arg(n), path_);
        sheets_.push_back(std::make_unique<LoExcelSheet>(session_, *this, n - 1));
        return *sheets_.back();
    }

    void SaveAs(const QString& path) override
    {
        session_.call(
            [&] {
                relinkCopies();
                // Copied formulas wait for their results; without them a text or TRUE/FALSE
                // result would be written as 0.
                Reference<css::sheet::XCalculatable>(doc_, UNO_QUERY_THROW)->calculate();
            },
            path);
        session_.store(doc_, props(prop("FilterName", Any(rtl::OUString("MS Excel 97"))), prop("Overwrite", Any(true))),
                       path);
    }

    const Reference<css::sheet::XSpreadsheetDocument>& document() const { return doc_; }
    const QString& path() const { return path_; }

    // A source, once, before its first sheet is copied into `target`: its workbook names
    // that the target already has (from an earlier source, maybe meaning something else) get
    // a name of their own, and its formulas follow, so that each copied sheet keeps its
    // meaning. Only the source in memory changes.
    void keepNamesApartFrom(const Reference<css::sheet::XSpreadsheetDocument>& target)
    {
        if (namesKeptApart_)
            return;
        namesKeptApart_ = true;
        const Reference<css::sheet::XNamedRanges> ours(namedRanges(doc_), UNO_QUERY_THROW);
        const Reference<css::container::XNameAccess> theirs(namedRanges(target), UNO_QUERY_THROW);
        QList<QPair<QString, QString>> renamed;
        for (const rtl::OUString& name : ours->getElementNames()) {
            if (!theirs->hasByName(name))
                continue;
            rtl::OUString unique;
            for (int n = 2; unique.isEmpty() || ours->hasByName(unique) || theirs->hasByName(unique); ++n)
                unique = name + "_" + rtl::OUString::number(n);
            const Reference<css::sheet::XNamedRange> old(ours->getByName(name), UNO_QUERY_THROW);
            ours->addNewByName(unique, old->getContent(), old->getReferencePosition(), old->getType());
            renamed << qMakePair(qs(name), qs(unique));
        }
        if (renamed.isEmpty())
            return;
        // The office would rename a name without its formulas: they are rewritten here,
        // outside string constants, then the old name goes.
        QList<QPair<QRegularExpression, QString>> rules;
        for (const auto& [from, to] : renamed)
            rules << qMakePair(QRegularExpression(QStringLiteral("(?<![\\w.$'])%1(?![\\w.(])").arg(QRegularExpression::escape(from)),
                                                  QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption),
                               to);
        const auto sheets = sheetsOf(doc_);
        for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
            forEachFormula(sheets->getByIndex(i), [&](const Reference<css::table::XCell>& cell) {
                const QString formula = qs(cell->getFormula());
                QStringList parts = formula.split(u'"');
                for (qsizetype p = 0; p < parts.size(); p += 2) {
                    for (const auto& [re, to] : rules)
                        parts[p].replace(re, to);
                }
                const QString rewritten = parts.join(u'"');
                if (rewritten != formula)
                    cell->setFormula(ou(rewritten));
            });
        }
        for (const auto& [from, to] : renamed)
            ours->removeByName(ou(from));
    }

    // A source, once, before its first sheet is copied: its cells in the default style keep
    // its default font. The first source's default becomes the new workbook's (Excel keeps
    // one per workbook); a later source with another default gets a style of its own.
    void keepLookApartFrom(const Reference<css::sheet::XSpreadsheetDocument>& target, bool first)
    {
        if (lookKeptApart_)
            return;
        lookKeptApart_ = true;
        static const char* const kFont[] = {
            "CharFontName", "CharFontNameAsian", "CharFontNameComplex", "CharFontFamily", "CharFontFamilyAsian",
            "CharFontCharSet", "CharFontCharSetAsian", "CharFontPitch", "CharFontPitchAsian", "CharHeight",
            "CharHeightAsian", "CharHeightComplex", "CharWeight", "CharWeightAsian", "CharPosture",
            "CharPostureAsian", "CharColor"};
        const auto ours = defaultStyle(doc_);
        const auto theirs = defaultStyle(target);
        auto copyFont = [&](const Reference<css::beans::XPropertySet>& to) {
            for (const char* name : kFont) {
                try {
                    to->setPropertyValue(rtl::OUString::createFromAscii(name),
                                         ours->getPropertyValue(rtl::OUString::createFromAscii(name)));
                } catch (const css::uno::Exception&) {
                }
            }
        };
        if (first) {
            copyFont(theirs);
            return;
        }
        bool same = true;
        for (const char* name : {"CharFontName", "CharFontNameAsian", "CharHeight", "CharHeightAsian"})
            same = same && ours->getPropertyValue(rtl::OUString::createFromAscii(name)) ==
                               theirs->getPropertyValue(rtl::OUString::createFromAscii(name));
        if (same)
            return;
        const Reference<css::container::XNameContainer> styles(cellStyles(doc_), UNO_QUERY_THROW);
        const Reference<css::container::XNameAccess> targetStyles(cellStyles(target), UNO_QUERY_THROW);
        rtl::OUString name = ou(QFileInfo(path_).completeBaseName());
        for (int n = 2; styles->hasByName(name) || targetStyles->hasByName(name); ++n)
            name = ou(QFileInfo(path_).completeBaseName()) + " " + rtl::OUString::number(n);
        const Reference<css::beans::XPropertySet> style(
            Reference<css::lang::XMultiServiceFactory>(doc_, UNO_QUERY_THROW)
                ->createInstance(rtl::OUString("com.sun.star.style.CellStyle")),
            UNO_QUERY_THROW);
        styles->insertByName(name, Any(style));
        copyFont(style);
        const auto sheets = sheetsOf(doc_);
        for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
            const auto ranges = Reference<css::sheet::XCellFormatRangesSupplier>(sheets->getByIndex(i), UNO_QUERY_THROW)
                                    ->getCellFormatRanges();
            for (sal_Int32 r = 0; r < ranges->getCount(); ++r) {
                const Reference<css::beans::XPropertySet> range(ranges->getByIndex(r), UNO_QUERY_THROW);
                rtl::OUString current;
                range->getPropertyValue(rtl::OUString("CellStyle")) >>= current;
                if (current == "Default")
                    range->setPropertyValue(rtl::OUString("CellStyle"), Any(name));
            }
        }
    }

    int copies() const { return int(copies_.size()); }

    // The target, after a sheet was copied in from `source`.
    void noteCopy(const Reference<css::sheet::XSpreadsheetDocument>& source, const rtl::OUString& sourceSheet,
                  const Reference<css::container::XNamed>& copy)
    {
        copies_.push_back({Reference<css::frame::XModel>(source, UNO_QUERY_THROW)->getURL(), sourceSheet, copy});
    }

private:
    static Reference<css::uno::XInterface> namedRanges(const Reference<css::sheet::XSpreadsheetDocument>& doc)
    {
        Reference<css::uno::XInterface> names;
        Reference<css::beans::XPropertySet>(doc, UNO_QUERY_THROW)->getPropertyValue(rtl::OUString("NamedRanges")) >>= names;
        return names;
    }

    template <typename F>
    static void forEachFormula(const Any& sheet, F&& f)
    {
        const Reference<css::sheet::XCellRangesQuery> query(sheet, UNO_QUERY_THROW);
        const auto cells = Reference<css::container::XEnumerationAccess>(
                               query->queryContentCells(css::sheet::CellFlags::FORMULA)->getCells(), UNO_QUERY_THROW)
                               ->createEnumeration();
        while (cells->hasMoreElements())
            f(Reference<css::table::XCell>(cells->nextElement(), UNO_QUERY_THROW));
    }

    static Reference<css::container::XNameAccess> cellStyles(const Reference<css::sheet::XSpreadsheetDocument>& doc)
    {
        return Reference<css::container::XNameAccess>(
            Reference<css::style::XStyleFamiliesSupplier>(doc, UNO_QUERY_THROW)->getStyleFamilies()->getByName(rtl::OUString("CellStyles")),
            UNO_QUERY_THROW);
    }

    static Reference<css::beans::XPropertySet> defaultStyle(const Reference<css::sheet::XSpreadsheetDocument>& doc)
    {
        return Reference<css::beans::XPropertySet>(cellStyles(doc)->getByName(rtl::OUString("Default")), UNO_QUERY_THROW);
    }

    static rtl::OUString quotedSheet(const rtl::OUString& name)
    {
        return "'" + name.replaceAll("'", "''") + "'";
    }

    // A sheet copied before the sheets it refers to (a total that reads a later sheet, a
    // name for a range on another sheet) gets references to the source file instead of to
    // the sheet beside it: point them back at the copies.
    void relinkCopies()
    {
        std::vector<std::pair<rtl::OUString, rtl::OUString>> replace;
        for (const Copied& c : copies_) {
            const rtl::OUString to = "$" + quotedSheet(c.copy->getName()) + ".";
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
        relinkNames(namedRanges(doc_));
        std::set<rtl::OUString> sources;
        for (const Copied& c : copies_)
            sources.insert(c.sourceUrl);
        for (const Copied& c : copies_) {
            const Reference<css::beans::XPropertySet> sheet(c.copy, UNO_QUERY_THROW);
            Reference<css::uno::XInterface> local;
            if (sheet->getPropertySetInfo()->hasPropertyByName(rtl::OUString("NamedRanges")))
                sheet->getPropertyValue(rtl::OUString("NamedRanges")) >>= local;
            relinkNames(local);
            // Formulas that point into a source file, and formulas with text results (a copy
            // would be saved with 0 for them), are set again; the office finds both itself,
            // which is far cheaper than asking every cell.
            const Reference<css::util::XSearchable> searchable(c.copy, UNO_QUERY_THROW);
            const auto search = searchable->createSearchDescriptor();
            search->setSearchString(rtl::OUString("'file:"));
            std::vector<Reference<css::uno::XInterface>> touch;
            if (const auto found = searchable->findAll(search); found.is()) {
                for (sal_Int32 i = 0; i < found->getCount(); ++i)
                    touch.emplace_back(found->getByIndex(i), UNO_QUERY);
            }
            touch.emplace_back(Reference<css::sheet::XCellRangesQuery>(c.copy, UNO_QUERY_THROW)
                                   ->queryFormulaCells(css::sheet::FormulaResult::STRING), UNO_QUERY);
            for (const auto& ranges : touch) {
                forEachFormula(Any(ranges), [&](const Reference<css::table::XCell>& cell) {
                    const rtl::OUString formula = cell->getFormula();
                    cell->setFormula(formula.indexOf("'file:") >= 0 ? relink(formula) : formula);
                });
            }
        }
    }

    struct Copied {
        rtl::OUString sourceUrl;
        rtl::OUString sourceSheet;
        Reference<css::container::XNamed> copy;
    };

    Session& session_;
    Reference<css::sheet::XSpreadsheetDocument> doc_;
    QString path_; // empty for a new workbook
    std::vector<std::unique_ptr<LoExcelSheet>> sheets_;
    std::vector<Copied> copies_;
    bool namesKeptApart_ = false;
    bool lookKeptApart_ = false;
};

QString LoExcelSheet::Name()
{
    return session_.call([&] { return qs(sheetName(book_.document(), index_)); }, book_.path());
}

void LoExcelSheet::Copy(ExcelSheet& afterSheet)
{
    auto& after = static_cast<LoExcelSheet&>(afterSheet);
    const auto target = after.book().document();
    session_.call(
        [&] {
            book_.keepNamesApartFrom(target);
            book_.keepLookApartFrom(target, after.book().copies() == 0);
            const rtl::OUString source = sheetName(book_.document(), index_);
            const QString wanted = excelSheetName(qs(source), sheetNames(target));
            const Reference<css::sheet::XSpreadsheets2> sheets(target->getSheets(), UNO_QUERY_THROW);
            const sal_Int32 at = sheets->importSheet(book_.document(), source, after.index() + 1);
            const Reference<css::container::XNamed> copy(sheetsOf(target)->getByIndex(at), UNO_QUERY_THROW);
            copy->setName(ou(wanted));
            // The copy leaves the print ranges behind.
            const Reference<css::sheet::XPrintAreas> from(sheetsOf(book_.document())->getByIndex(index_), UNO_QUERY_THROW);
            auto areas = from->getPrintAreas();
            if (areas.hasElements()) {
                for (sal_Int32 a = 0; a < areas.getLength(); ++a)
                    areas.getArray()[a].Sheet = sal_Int16(at);
                Reference<css::sheet::XPrintAreas>(copy, UNO_QUERY_THROW)->setPrintAreas(areas);
            }
            after.book().noteCopy(book_.document(), source, copy);
        },
        book_.path());
}

class LoExcelApplication final : public ExcelApplication {
public:
    LoExcelApplication(const OfficeOptions& options, const QString& profile)
        : session_(std::make_unique<Session>(options, profile))
    {
    }
    ~LoExcelApplication() override { Quit(); }

    void SheetsInNewWorkbook(int count) override { sheetsInNewWorkbook_ = qMax(1, count); }

    ExcelWorkbook& Workbooks_Open(const QString& path) override
    {
        checkReadable(path);
        const bool csv = QFileInfo(path).suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0;
        Sequence<css::beans::PropertyValue> args;
        if (csv) {
            // Comma, double quote, UTF-8 (76; the copy is in UTF-8), from line 1, standard
            // columns, Japanese.
            args = inputProps(prop("URL", Any(fileUrl(session_->utf8Copy(path, false)))),
                              prop("FilterName", Any(rtl::OUString("Text - txt - csv (StarCalc)"))),
                              prop("FilterOptions", Any(rtl::OUString("44,34,76,1,,1041"))));
        } else {
            args = inputProps(prop("URL", Any(fileUrl(path))), prop("FilterName", Any(ou(calcFilterFor(path)))));
        }
        session_->noteInput(path);
        auto doc = session_->call(
            [&] {
                const auto loadable = session_->newModel("com.sun.star.sheet.SpreadsheetDocument");
                try {
                    loadable->load(args);
                } catch (const css::io::IOException&) {
                    throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
                } catch (const css::lang::IllegalArgumentException&) {
                    throw OfficeError(OfficeError::Unreadable, unreadableContent(), path);
                }
                Reference<css::sheet::XSpreadsheetDocument> d(loadable, UNO_QUERY_THROW);
                if (csv) // a CSV's sheet is named after its file, as Excel names it
                    Reference<css::container::XNamed>(sheetsOf(d)->getByIndex(0), UNO_QUERY_THROW)
                        ->setName(ou(excelSheetName(QFileInfo(path).completeBaseName(), {})));
                return d;
            },
            path);
        books_.push_back(std::make_unique<LoExcelWorkbook>(*session_, doc, path));
        return *books_.back();
    }

    ExcelWorkbook& Workbooks_Add() override
    {
        auto doc = session_->call([&] {
            const auto loadable = session_->newModel("com.sun.star.sheet.SpreadsheetDocument");
            loadable->initNew();
            Reference<css::sheet::XSpreadsheetDocument> d(loadable, UNO_QUERY_THROW);
            const auto sheets = d->getSheets();
            // A name no source sheet has, so that copies keep theirs.
            const QString blank = QStringLiteral("~kumiro~%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
            Reference<css::container::XNamed>(sheetsOf(d)->getByIndex(0), UNO_QUERY_THROW)->setName(ou(blank));
            // A workbook without a window has no drawing layer until something asks for one,
            // and a sheet copied into it would arrive without its pictures, charts and
            // comments.
            Reference<css::drawing::XDrawPagesSupplier>(d, UNO_QUERY_THROW)->getDrawPages()->getByIndex(0);
            for (int i = int(sheetsOf(d)->getCount()); i < sheetsInNewWorkbook_; ++i)
                sheets->insertNewByName(ou(QStringLiteral("%1 (%2)").arg(blank).arg(i + 1)), sal_Int16(i));
            while (sheetsOf(d)->getCount() > sheetsInNewWorkbook_)
                sheets->removeByName(sheetName(d, int(sheetsOf(d)->getCount()) - 1));
            return d;
        });
        books_.push_back(std::make_unique<LoExcelWorkbook>(*session_, doc, QString()));
        active_ = books_.back().get();
        activeSheet_ = 0;
        return *active_;
    }

    void ActivateFirstWorksheet() override { activeSheet_ = 0; }

    // Nothing here ever asks the user.
    void DisplayAlerts(bool) override {}

    void DeleteActiveSheet() override
    {
        ExcelWorkbook& book = ActiveWorkbook();
        session_->call([&] {
            const auto doc = static_cast<LoExcelWorkbook&>(book).document();
            doc->getSheets()->removeByName(sheetName(doc, activeSheet_));
        });
    }

    ExcelWorkbook& ActiveWorkbook() override
    {
        if (!active_)
            throw OfficeError(OfficeError::Failed, QStringLiteral("作業中のブックがありません。"));
        return *active_;
    }

    void Quit() override
    {
        active_ = nullptr;
        books_.clear();
        session_->end();
    }

private:
    QString calcFilterFor(const QString& path)
    {
        // A BIFF8 workbook, by far the usual input, is known by its first bytes here; the
        // office's own detection is a round trip that reads the file.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) &&
            file.size() > 4096)
            return QStringLiteral("MS Excel 97");
        return session_->importFilter(path, isCalcType, QStringLiteral("Excel のブックではありません。"));
    }

    std::unique_ptr<Session> session_;
    std::vector<std::unique_ptr<LoExcelWorkbook>> books_;
    LoExcelWorkbook* active_ = nullptr;
    int activeSheet_ = 0;
    int sheetsInNewWorkbook_ = 1;
};

// Settings every private office starts with. The version marks first-start work as done;
// no lock files are written beside documents (a killed office would leave them in the way);
// macros never run; and should the office's empty network ever not be had, every address
// goes to a proxy that refuses.
QByteArray profileSeed(const QString& version)
{
    struct Item {
        const char* path;
        const char* name;
        QString value;
    };
    const Item items[] = {
        {"/org.openoffice.Setup/Product", "ooSetupLastVersion", version},
        {"/org.openoffice.Office.Common/Misc", "UseLocking", QStringLiteral("false")},
        {"/org.openoffice.Office.Common/Security/Scripting", "MacroSecurityLevel", QStringLiteral("3")},
        {"/org.openoffice.Office.Common/Security/Scripting", "DisableMacrosExecution", QStringLiteral("true")},
        {"/org.openoffice.Office.Common/Security/Scripting", "BlockUntrustedRefererLinks", QStringLiteral("true")},
        {"/org.openoffice.Inet/Settings", "ooInetProxyType", QStringLiteral("1")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPProxyName", QStringLiteral("127.0.0.1")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPProxyPort", QStringLiteral("9")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPSProxyName", QStringLiteral("127.0.0.1")},
        {"/org.openoffice.Inet/Settings", "ooInetHTTPSProxyPort", QStringLiteral("9")},
        {"/org.openoffice.Inet/Settings", "ooInetFTPProxyName", QStringLiteral("127.0.0.1")},
        {"/org.openoffice.Inet/Settings", "ooInetFTPProxyPort", QStringLiteral("9")},
        {"/org.openoffice.Inet/Settings", "ooInetNoProxy", QString()},
    };
    QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
        "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n");
    for (const Item& item : items)
        xml += QStringLiteral("<item oor:path=\"%1\"><prop oor:name=\"%2\" oor:op=\"fuse\"><value>%3</value></prop></item>\n")
                   .arg(QLatin1String(item.path), QLatin1String(item.name), item.value.toHtmlEscaped());
    xml += QStringLiteral("</oor:items>\n");
    return xml.toUtf8();
}

// Keeps a profile that the office has already set up, so that each start is quick.
class LibreOfficeOffice final : public Office {
public:
    explicit LibreOfficeOffice(OfficeOptions options) : options_(std::move(options))
    {
        // Before any office of ours starts: what a killed Kumiro left goes.
        removeStaleOfficeFiles();
    }

    std::unique_ptr<WordApplication> newWord() override
    {
        return std::make_unique<LoWordApplication>(options_, preparedProfile());
    }

    std::unique_ptr<ExcelApplication> newExcel() override
    {
        return std::make_unique<LoExcelApplication>(options_, preparedProfile());
    }

private:
    // Raised when the seed changes, so that profiles prepared from an older seed are not used.
    static constexpr int kSeedRevision = 2;

    QString preparedProfile()
    {
        const QString programDir = officeDir(options_);
        const QString version = installedVersion(programDir);
        const QString cache = options_.cacheDir.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/kumiro")
            : options_.cacheDir;
        const QString ready = cache + QStringLiteral("/libreoffice-%1-r%2").arg(version).arg(kSeedRevision);
        if (QFileInfo::exists(ready + QStringLiteral("/ready")))
            return ready;
        if (unsaved_ && unsaved_->isValid())
            return unsaved_->path();

        QTemporaryDir seed;
        QDir().mkpath(seed.path() + QStringLiteral("/user"));
        QFile xcu(seed.path() + QStringLiteral("/user/registrymodifications.xcu"));
        if (xcu.open(QIODevice::WriteOnly)) {
            xcu.write(profileSeed(version));
            xcu.close();
        }
        // Let one office set the profile up, then keep what it made.
        Session session(options_, seed.path());
        session.end();
        const QString made = session.profileDir();
        QDir(cache).mkpath(QStringLiteral("."));
        const QString staging = ready + QStringLiteral(".tmp-%1").arg(getpid());
        QDir(staging).removeRecursively();
        if (copyTree(made, staging)) {
            QFile(staging + QStringLiteral("/ready")).open(QIODevice::WriteOnly);
            // A finished profile is only ever renamed into place, marker included: one
            // without the marker is a leftover. One with it is another instance's, which
            // may be in use, so it stays and ours goes.
            if (!QFileInfo::exists(ready + QStringLiteral("/ready")))
                QDir(ready).removeRecursively();
            if (!QDir().rename(staging, ready))
                QDir(staging).removeRecursively();
        } else {
            QDir(staging).removeRecursively();
        }
        if (QFileInfo::exists(ready + QStringLiteral("/ready")))
            return ready;
        // The cache cannot be written: keep the prepared profile for as long as this
        // office lives, so later commands still start quickly.
        unsaved_ = std::make_unique<QTemporaryDir>(privateProfileTemplate());
        if (!unsaved_->isValid() || !copyTree(made, unsaved_->path())) {
            unsaved_.reset();
            return QString();
        }
        QDir(unsaved_->path() + QStringLiteral("/tmp")).removeRecursively();
        return unsaved_->path();
    }

    OfficeOptions options_;
    std::unique_ptr<QTemporaryDir> unsaved_;
};

} // namespace kumiro::lo

extern "C" Q_DECL_EXPORT kumiro::Office* kumiro_libreoffice_create(const kumiro::OfficeOptions* options)
{
    return new kumiro::lo::LibreOfficeOffice(options ? *options : kumiro::OfficeOptions{});
}
