#include "FileDialogs.h"
#include "Mounts.h"

#include <QDir>
#include <QFileDialog>
#include <QUrl>
#include <QStandardPaths>
#include <QFileInfo>

namespace kumiro {

QStringList qtFilters(const QString& barFilter)
{
    QStringList parts = barFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        if (patterns.isEmpty())
            continue;
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

QStringList QtFileDialogs::openFiles(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // The filter names already show their patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = qtFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    QString folder = request.initialFolder;
    if (folder.isEmpty())
        folder = !lastFolder_.isEmpty()      ? lastFolder_
            : !request.firstFolder.isEmpty() ? request.firstFolder
                                             : QDir::currentPath();
    dialog.setDirectory(folder);
    // The places a file of the user's is likely to be: home, Documents and the media
    // mounted now (a desktop's own dialog shows its own).
    QList<QUrl> places{QUrl::fromLocalFile(QDir::homePath())};
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (QFileInfo(documents).isDir() && documents != QDir::homePath())
        places << QUrl::fromLocalFile(documents);
    for (const Volume& medium : removableMedia())
        places << QUrl::fromLocalFile(medium.root);
    dialog.setSidebarUrls(places);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    if (!files.isEmpty())
        lastFolder_ = QFileInfo(files.first()).absolutePath();
    QStringList out;
    for (const QString& f : files)
        out << QDir::toNativeSeparators(f);
    return out;
}

} // namespace kumiro
