#pragma once

#include "CommandProgress.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace kumiro {

inline constexpr int kTextLineLimit = 30000;

struct TextCombineResult {
    enum Status { Done, LineLimit, ReadFailed, NotAFile, FolderNotWritable, WriteFailed, Cancelled, EncodingFailed };
    Status status = Done;
    int failedIndex = -1; // the input that stopped the combine
    QString reason; // the reason for a read, write or encoding failure, in the user's words
    QList<QPair<int, QString>> converted; // inputs whose text was converted, and from what
    QString encoding; // the output's encoding, when it is not plain ASCII
};

// Appends every input's lines to the output, each line ended with CR LF, but for a UTF-8
// byte-order mark that would land anywhere but the start of the output. The output has one
// encoding (the existing output's, else the first input's that is not plain ASCII; never
// UTF-16): an input in it goes through byte for byte, one in another is converted, and a
// character the output's encoding cannot hold stops the combine. Every input must be a
// regular file (a FIFO would wait for a writer for ever), or nothing is read. The new output
// is made beside the old one and renamed over it only when complete, while no other combine
// works in the same folder (one that does is waited for, up to 30 s): an input of more than
// 30,000 lines, one that cannot be read, a failed write, a cancel or a killed program leave
// the output exactly as it was.
TextCombineResult combineTextFiles(const QStringList& inputs, const QString& outputPath,
                                   const CommandProgress& progress = {});

} // namespace kumiro
