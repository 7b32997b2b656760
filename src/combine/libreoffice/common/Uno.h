// UNO helpers the driver's files share: strings, file URLs, property lists, the local context.
#pragma once

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

namespace css = com::sun::star;

namespace kumiro::lo {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

rtl::OUString ou(const QString& s);

QString qs(const rtl::OUString& s);

rtl::OUString fileUrl(const QString& path);

css::beans::PropertyValue prop(const char* name, const Any& value);

template <typename... P> Sequence<css::beans::PropertyValue> props(P... p)
{
    Sequence<css::beans::PropertyValue> s(sizeof...(P));
    css::beans::PropertyValue* out = s.getArray();
    ((*out++ = p), ...);
    return s;
}

// Arguments for every file the office opens: the file may be anybody's, so nothing in it
// runs or updates itself (macros, links, external data).
template <typename... P> Sequence<css::beans::PropertyValue> inputProps(P... p)
{
    return props(prop("MacroExecutionMode", Any(sal_Int16(css::document::MacroExecMode::NEVER_EXECUTE))),
                 prop("UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))), p...);
}

Reference<css::text::XTextRange> range(const Reference<css::text::XTextCursor>& cursor);

// The client side of UNO, made once per process.
Reference<css::uno::XComponentContext> localContext(const QString& programDir);

} // namespace kumiro::lo
