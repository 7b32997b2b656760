#pragma once

#include <QString>

namespace kumiro {

// Joins a folder and a name with one separator: "/" + "a.txt" is "/a.txt".
QString joinPath(const QString& folder, const QString& name);

// The folder that holds the program file, without a trailing separator.
QString programFolder();

} // namespace kumiro
