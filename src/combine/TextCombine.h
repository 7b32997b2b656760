#pragma once

#include "CommandProgress.h"

#include <QString>
#include <QStringList>

namespace kumiro {

inline constexpr int kTextLineLimit = 30000;

struct TextCombineResult {
    enum Status { Done, LineLimit, ReadFailed, NotAFile, FolderNotWritable, WriteFailed, Cancelled };
    Status status = Done;
    int failedIndex = -1; // the input that stopped the combine
    QString reason; // the reason for a read or write failure, in the user's words
};

// Appends every input's lines to the output, each line ended with CR LF, bytes unchanged,
// but for a UTF-8 byte-order mark that would land anywhere but the start of the output.
// Every input must be a regular file (a FIFO would wait for a writer for ever), or nothing
// is read. An input of more than 30,000 lines, or one that cannot be read, stops the
// combine before anything of it is written; a failed write is cut back to the output's
// size before that input. Earlier inputs stay appended. A cancel (asked between inputs)
// cuts the output back to what it was before the combine.
TextCombineResult combineTextFiles(const QStringList& inputs, const QString& outputPath,
                                   const CommandProgress& progress = {});

} // namespace kumiro
