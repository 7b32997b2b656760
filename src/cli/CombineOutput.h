// Where the command line's combine writes and what it reads besides files: a new output, one
// replaced (the old one to the trash), one appended to as the window does, or standard
// output; and standard input as one of the inputs.
#pragma once

#include "CommandLine.h"
#include "combine/TextCombine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace kumiro {

enum class OutputMode { Create, Replace, Append, StandardOutput };

// The process's standard input, read whole; and bytes written whole to its standard output
// (false when they could not be: a closed pipe, a full disk).
QByteArray readStandardInput();
bool writeStandardOutput(const QByteArray& bytes);

// "-" and the system's names for standard output.
bool namesStandardOutput(const QString& output);

// A private folder, removed with this (or by the next start when the program is killed),
// for standard input's copy and for the text bound for standard output.
class StreamFiles {
public:
    StreamFiles();
    bool isValid() const { return folder_->isValid(); }
    // Standard input's bytes as a file whose extension the office reads it by; empty when
    // the file cannot be made.
    QString saveInput(const QByteArray& bytes, Kind kind);
    // Where a combine bound for standard output writes first.
    QString outputPath() const { return folder_->filePath(QStringLiteral("out.txt")); }
    // A message with the copies' paths replaced by the streams they stand for.
    QString shown(QString text, bool japanese) const;

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString input_;
};

// A text combine written as `mode` asks (not StandardOutput); `keptOldFile` is where a
// replaced output went.
TextCombineResult combineTextAs(OutputMode mode, const QStringList& inputs, const QString& output,
                                const CommandProgress& progress, QString& keptOldFile);

// The completion: what became of the output, and of the file it replaced.
CliText combineDoneLine(OutputMode mode, const QString& output, int files, const QString& keptOldFile);

// The inputs whose text was converted into the output's encoding, or nothing.
CliText convertedInputsLine(const TextCombineResult& result, const QStringList& inputs);

} // namespace kumiro
