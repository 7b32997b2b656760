#include "Wire.h"

namespace kumiro::lo::wire {

Args args(Named named)
{
    return stepArgs(nullptr, named);
}

Args stepArgs(const char* name, Named named)
{
    Args out(sal_Int32(named.size()) + (name ? 1 : 0));
    auto* at = out.getArray();
    if (name)
        *at++ = css::beans::NamedValue(rtl::OUString("Step"), Any(rtl::OUString::createFromAscii(name)));
    for (const auto& [n, value] : named)
        *at++ = css::beans::NamedValue(rtl::OUString::createFromAscii(n), value);
    return out;
}

Any arg(const Args& args, const char* name)
{
    for (const auto& a : args) {
        if (a.Name.equalsAscii(name))
            return a.Value;
    }
    throw OfficeError(OfficeError::Internal, QStringLiteral("step argument %1").arg(QLatin1String(name)));
}

Any answer(const Any& result)
{
    return Any(args({{"Result", result}}));
}

Any failure(const OfficeError& error)
{
    return Any(args(
        {{"Error", Any(sal_Int32(error.kind()))}, {"What", Any(ou(error.what()))}, {"File", Any(ou(error.file()))}}));
}

Any unpack(const Any& reply)
{
    Args named;
    if (!(reply >>= named))
        throw OfficeError(OfficeError::Internal, QStringLiteral("unexpected answer"));
    Any result;
    sal_Int32 kind = -1;
    rtl::OUString what, file;
    for (const auto& a : named) {
        if (a.Name == "Result")
            result = a.Value;
        else if (a.Name == "Error")
            a.Value >>= kind;
        else if (a.Name == "What")
            a.Value >>= what;
        else if (a.Name == "File")
            a.Value >>= file;
    }
    if (kind >= 0)
        throw OfficeError(OfficeError::Kind(kind), qs(what), qs(file));
    return result;
}

QString unreadableContent()
{
    return QStringLiteral(
        "LibreOffice が内容を読み取れませんでした。パスワードで保護されているか、壊れている可能性があります。");
}

} // namespace kumiro::lo::wire
