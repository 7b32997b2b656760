#include "FolderList.h"

#include "SystemErrors.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace kumiro {

QStringList folderChain(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    QStringList chain{QStringLiteral("/")};
    QString current;
    for (const QString& part : clean.split(u'/', Qt::SkipEmptyParts)) {
        current += u'/' + part;
        chain << current;
    }
    return chain;
}

QStringList subfolders(const QString& path)
{
    QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::openRow);
}

bool FolderList::setPath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        return false;
    path_ = QDir::cleanPath(path);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = folderChain(path_);
    int depth = 0;
    for (const QString& folder : chain) {
        const QString label = folder == u'/' ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, u' ') + label, this);
        item->setData(Qt::UserRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QString base = chain.last();
    for (const QString& name : subfolders(path_)) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, u' ') + name, this);
        item->setData(Qt::UserRole, base == u'/' ? base + name : base + u'/' + name);
    }
    Q_EMIT pathChanged(path_);
    return true;
}

QStringList FolderList::rowPaths() const
{
    QStringList paths;
    for (int i = 0; i < count(); ++i)
        paths << item(i)->data(Qt::UserRole).toString();
    return paths;
}

void FolderList::openRow(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString path = item->data(Qt::UserRole).toString();
    if (!setPath(path))
        Q_EMIT openFailed(path);
}

QString FolderList::openNearest(const QString& path)
{
    QStringList chain = folderChain(path);
    while (!chain.isEmpty()) {
        if (setPath(chain.last()))
            return path_;
        chain.removeLast();
    }
    return {};
}

QString folderUnreadableText(const QString& folder)
{
    const int error = ::access(QFile::encodeName(folder).constData(), R_OK | X_OK) == 0 ? EACCES : errno;
    // A missing folder is told as a folder, the rest as reading.
    return QStringLiteral("フォルダ ") + folder + QStringLiteral(" を開けません。　\r\r") +
        plainSystemReason(error, error != ENOENT);
}

void FolderList::keyPressEvent(QKeyEvent* event)
{
    QListWidgetItem* item = currentItem();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Return on another folder opens it; on the open folder it falls through to the
    // dialog's default button.
    if (enter && item && QDir::cleanPath(item->data(Qt::UserRole).toString()) != QDir::cleanPath(path_)) {
        openRow(item);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        const QStringList chain = folderChain(path_);
        if (chain.size() > 1)
            setPath(chain[chain.size() - 2]);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace kumiro
