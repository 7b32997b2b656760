#pragma once

// Controls found as a user or a screen reader finds them: by accessible name (a button's
// caption, a list's or a box's tooltip without the blanks). A test that asks for a control
// that is missing or named twice ends with the name, rather than crash on a null.
#include <QString>
#include <QWidget>

namespace kumiro::test {

[[noreturn]] void noSuchControl(const QString& name, bool twice);

template <typename T> T* named(const QWidget& root, const QString& name)
{
    T* found = nullptr;
    for (T* w : root.findChildren<T*>()) {
        if (w->accessibleName() != name)
            continue;
        if (found)
            noSuchControl(name, true);
        found = w;
    }
    if (!found)
        noSuchControl(name, false);
    return found;
}

} // namespace kumiro::test
