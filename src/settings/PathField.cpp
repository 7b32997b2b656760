#include "PathField.h"

#include "platform/DriveList.h"
#include "platform/FolderList.h"
#include "platform/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>

namespace kumiro {

PathField::PathField(QLineEdit* field, DriveList* drives, FolderList* folders, MessageBoxes& messages)
    : QObject(field), field_(field), drives_(drives), folders_(folders), messages_(messages)
{
    field_->installEventFilter(this);
    connect(folders_, &FolderList::pathChanged, field_, &QLineEdit::setText);
}

bool PathField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && field_->text() != folders_->path()) {
            openTyped();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PathField::openTyped()
{
    QString typed = field_->text().trimmed();
    if (typed == u'~' || typed.startsWith(QStringLiteral("~/")))
        typed = QDir::homePath() + typed.mid(1);
    const QFileInfo info(typed);
    if (typed.isEmpty() || !info.isAbsolute() || !info.isDir()) {
        messages_.show(field_->window(), MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                       QStringLiteral("指定フォルダは存在しません。 "));
        field_->setText(folders_->path());
        return;
    }
    // An unreadable one is told by the list, as a double-click would be.
    if (folders_->setPath(QDir::cleanPath(info.absoluteFilePath())))
        drives_->setPath(folders_->path());
    else
        field_->setText(folders_->path());
}

} // namespace kumiro
