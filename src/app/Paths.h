#pragma once

#include <QString>

namespace kumiro {

// Joins a folder and a name with one separator: "/" + "a.txt" is "/a.txt".
QString joinPath(const QString& folder, const QString& name);

// The folder that holds the program file, without a trailing separator.
QString programFolder();

// The program folder when the user may write in it (a build or a private copy), else the
// user's documents folder (an installed program), made if missing.
QString fallbackFolder(const QString& programFolder, bool programFolderWritable);
bool isWritableFolder(const QString& folder);

} // namespace kumiro
