#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kumiro {

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    const QChar sep = QDir::separator();
    if (folder.endsWith(sep) || folder.endsWith(u'/'))
        return folder + name;
    return folder + sep + name;
}

bool isWritableFolder(const QString& folder)
{
#ifdef _WIN32
    return QFileInfo(folder).isWritable();
#else
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#endif
}

QString fallbackFolder(const QString& programFolder, bool programFolderWritable)
{
    if (programFolderWritable)
        return programFolder;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    QDir().mkpath(documents);
    return QDir::toNativeSeparators(documents);
}

QString programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

} // namespace kumiro
