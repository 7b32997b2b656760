#pragma once

#include <QString>
#include <QStringList>

namespace kumiro {

inline constexpr int kTextLineLimit = 30000;

struct TextCombineResult {
    enum Status { Done, LineLimit, ReadFailed, WriteFailed };
    Status status = Done;
    int failedIndex = -1; // the input that stopped the combine
    QString reason;       // the system's words for a read or write failure
};

// Appends every input's lines to the output, each line ended with CR LF, bytes unchanged.
// An input of more than 30,000 lines, or one that cannot be read, stops the combine
// before anything of it is written; a failed write is cut back to the output's size
// before that input. Earlier inputs stay appended.
TextCombineResult combineTextFiles(const QStringList& inputs, const QString& outputPath);

// The text combine's output: the folder joined with the name and ".txt".
QString textOutputPath(const QString& folder, const QString& baseName);

} // namespace kumiro
