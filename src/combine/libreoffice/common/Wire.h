// How Kumiro asks its component inside the office for one step of a combine or a
// conversion: one call across the bridge, the arguments by name, the answer one value, and
// a failure of ours carried back as a value (no type of our own crosses the bridge).
#pragma once

#include "common/Uno.h"
#include "combine/Office.h"

#include <com/sun/star/beans/NamedValue.hpp>

#include <initializer_list>
#include <utility>

namespace kumiro::lo::wire {

// The service the component answers to, as its registration names it.
inline constexpr char kService[] = "org.kumiro.office.Steps";
inline constexpr char kImplementation[] = "org.kumiro.office.Steps";

using Args = Sequence<css::beans::NamedValue>;
using Named = std::initializer_list<std::pair<const char*, Any>>;

Args args(Named named);
// The arguments of step `name` ("Word.Insert"): its name first, as "Step", then `named`.
Args stepArgs(const char* name, Named named);

// The argument `name`; a step asked without it is a fault of ours.
Any arg(const Args& args, const char* name);
template <typename T> T get(const Args& a, const char* name)
{
    T value{};
    if (!(arg(a, name) >>= value))
        throw OfficeError(OfficeError::Internal, QStringLiteral("step argument %1").arg(QLatin1String(name)));
    return value;
}

// Inside: the answer of a step that did its work, or the failure that ended it.
Any answer(const Any& result);
Any failure(const OfficeError& error);

// Kumiro's side: the step's result, or its failure thrown again as it was thrown inside.
Any unpack(const Any& reply);

// What the user is told when the office cannot read what a file holds.
QString unreadableContent();

} // namespace kumiro::lo::wire
