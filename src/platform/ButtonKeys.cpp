#include "ButtonKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

namespace kumiro {

namespace {

class ButtonKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || button != QApplication::focusWidget() || !button->isEnabled() || !button->isVisible())
            return false;
        button->animateClick();
        return true;
    }
};

} // namespace

void installButtonKeys(QObject& application)
{
    application.installEventFilter(new ButtonKeys(&application));
}

} // namespace kumiro
