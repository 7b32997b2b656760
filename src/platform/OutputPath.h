// One rule for every file Kumiro writes (a combined file, a converted file, a copy, the
// settings): what may be at its path.
#pragma once

#include <QString>
#include <QStringList>

namespace kumiro {

// How a writer treats a link where it writes: puts a regular file in the link's place
// (combines, conversions, copies), or writes the file the link points at (the settings,
// whose file the user may keep elsewhere through a link of their own).
enum class LinkWrite { InPlace, Through };

// Empty when a file may be written at `path`, else the reason in the user's words. Nothing
// there, or a regular file: yes. A FIFO, device, socket or folder: no (a FIFO would block
// for ever). A symbolic link: only when the link is the user's own and points into a
// folder of the user's own; the file is then written as a regular file in the link's
// place, never through it. Anything else would let a link someone else planted steer a
// write into a file the user never named. A writer that goes through links is refused a
// link that points at nothing too: it would make a file the user never named.
QString outputRefusal(const QString& path, LinkWrite how = LinkWrite::InPlace);

// The index of the input that is the very file `output` names (the same file, by its
// inode, also through a link or a second name), or -1: a combine never writes into one of
// its own inputs.
int inputIndexOf(const QString& output, const QStringList& inputs);

// What a symbolic link at `path` holds; empty when it is no link.
QString linkText(const QString& path);

} // namespace kumiro
