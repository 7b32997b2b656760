#pragma once

#include <QString>

namespace kumiro {

// Gives a file written by a helper process (the office runs with a private umask) the
// permissions the user expects: those of the file it replaces, or else what the user's
// umask gives a new file.
void giveUsualPermissions(const QString& file, const QString& replaced);

} // namespace kumiro
