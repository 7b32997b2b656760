// UNO helpers the driver's files share: strings, file URLs, property lists, the local context.
#include "common/Uno.h"
#include "combine/Office.h"

#include <QFileInfo>
#include <QUrl>

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <mutex>

namespace kumiro::lo {

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

Reference<css::text::XTextRange> range(const Reference<css::text::XTextCursor>& cursor)
{
    return Reference<css::text::XTextRange>(cursor.get());
}

Reference<css::uno::XComponentContext> localContext(const QString& programDir)
{
    static std::once_flag once;
    static Reference<css::uno::XComponentContext> context;
    static QString failure;
    std::call_once(once, [&] {
        try {
            rtl::Bootstrap::set(
                rtl::OUString("URE_BOOTSTRAP"),
                ou(QStringLiteral("vnd.sun.star.pathname:") + programDir + QStringLiteral("/fundamentalrc")));
            context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception& e) {
            failure = qs(e.Message);
        }
    });
    if (!context.is())
        throw OfficeError(OfficeError::Setup,
                          QStringLiteral("LibreOffice と接続する準備ができませんでした。　\r\r") + failure);
    return context;
}

} // namespace kumiro::lo
