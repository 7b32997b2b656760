// What our own processes leave behind when they die before they can clean up (killed, or a
// power cut), and the sweep that removes it once they are gone.
#pragma once

#include <QString>

namespace kumiro {

// Each office's private folder in the temporary folder: "kumiro-office-<pid>-XXXXXX".
inline const QString kOfficeFolderPrefix = QStringLiteral("kumiro-office-");
// The command line's stand-ins for names in another encoding: "kumiro-names-<pid>-XXXXXX".
inline const QString kNamesFolderPrefix = QStringLiteral("kumiro-names-");

// The socket an office run without its box leaves in /tmp for a profile folder.
QString officeSingleInstanceSocket(const QString& profileDir);

// A name for a partial file in `folder` that says whose it is: ".~kumiro-<pid>-<random>.tmp".
QString partialFileName(const QString& folder);

// Notes a partial file that is about to be made, so that the next start can remove it if
// this process dies first; forgotten once the file is renamed or removed.
void notePartialFile(const QString& path);
void forgetPartialFile(const QString& path);

// Removes what dead processes of ours left: their offices' private folders, pipes and
// sockets, and the partial files they had noted. Leaves everything of live processes and
// of other users alone.
void sweepLeftovers();

} // namespace kumiro
