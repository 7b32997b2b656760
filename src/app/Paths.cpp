#include "Paths.h"

#include <QCoreApplication>
#include <QDir>

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

QString programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

} // namespace kumiro
