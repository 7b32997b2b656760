#include "ToolButtons.h"

#include "platform/Icons.h"

#include <QAction>
#include <QToolBar>

namespace kumiro {

void addToolButtons(QToolBar* bar, std::initializer_list<ToolButton> buttons)
{
    int image = 0;
    for (const ToolButton& button : buttons) {
        const QString tip = QString::fromUtf16(button.tip);
        if (tip.isEmpty()) {
            bar->addSeparator();
            continue;
        }
        ++image;
        const QString resource = QStringLiteral(":/toolbar/%1.svg").arg(image, 2, 10, QChar(u'0'));
        QAction* a = bar->addAction(QIcon(svgPixmap(resource, 16)), tip.trimmed());
        a->setToolTip(tip);
        QObject::connect(a, &QAction::triggered, bar, button.click);
        if (button.kept)
            *button.kept = a;
    }
}

} // namespace kumiro
