#include "MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kumiro {

QWidget* visibleOwner(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->isVisible())
            return w->window();
    }
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->inherits("QMainWindow"))
            return top;
    }
    return widget;
}

MsgAnswer QtMessageBoxes::show(QWidget* parent, MsgIcon icon, const QString& title, const QString& text,
                               MsgButtons buttons)
{
    // A box centres itself on its owner; one that is not shown yet (a dialog still loading) has
    // no place, so the box goes to the visible window it belongs to.
    QMessageBox box(visibleOwner(parent));
    box.setWindowTitle(title);
    box.setText(displayText(text));
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    QPushButton* openFolder = nullptr;
    if (buttons == MsgButtons::OkCancel)
        cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    if (buttons == MsgButtons::OkOpenFolder)
        openFolder = box.addButton(QStringLiteral("フォルダを開く"), QMessageBox::ActionRole);
    for (QPushButton* b : {ok, cancel, openFolder})
        if (b)
            b->setAccessibleName(b->text());
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    if (openFolder && box.clickedButton() == openFolder)
        return MsgAnswer::OpenFolder;
    return box.clickedButton() == ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

} // namespace kumiro
