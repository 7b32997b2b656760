#include "CombineOutput.h"

#include "platform/FileModes.h"
#include "platform/FileWriting.h"
#include "platform/Leftovers.h"
#include "platform/ReplaceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cstdio>

namespace kumiro {

QByteArray readStandardInput()
{
    QFile in;
    return in.open(stdin, QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

bool writeStandardOutput(const QByteArray& bytes)
{
    std::fflush(stdout);
    return writeAll(STDOUT_FILENO, bytes.constData(), bytes.size()) == 0;
}

bool namesStandardOutput(const QString& output)
{
    return output == u"-" || output == u"/dev/stdout" || output == u"/dev/fd/1" || output == u"/proc/self/fd/1";
}

StreamFiles::StreamFiles()
    : folder_(std::make_unique<QTemporaryDir>(QDir::tempPath() + u'/' + kNamesFolderPrefix +
                                              QStringLiteral("%1-XXXXXX").arg(::getpid())))
{
}

namespace {

// The office tells a file's type by its name first: the extension its bytes call for.
QString extensionFor(const QByteArray& bytes, Kind kind)
{
    if (kind == Kind::Text)
        return QStringLiteral("txt");
    const bool word = kind == Kind::Word;
    if (bytes.startsWith("\xD0\xCF\x11\xE0"))
        return word ? QStringLiteral("doc") : QStringLiteral("xls");
    if (bytes.startsWith("PK")) {
        if (bytes.left(200).contains("opendocument"))
            return word ? QStringLiteral("odt") : QStringLiteral("ods");
        return word ? QStringLiteral("docx") : QStringLiteral("xlsx");
    }
    if (word)
        return bytes.startsWith("{\\rtf") ? QStringLiteral("rtf") : QStringLiteral("doc");
    return QStringLiteral("csv");
}

} // namespace

QString StreamFiles::saveInput(const QByteArray& bytes, Kind kind)
{
    const QString path = folder_->filePath(QStringLiteral("stdin.") + extensionFor(bytes, kind));
    QFile file(path);
    if (!folder_->isValid() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return QString();
    input_ = path;
    return path;
}

QString StreamFiles::shown(QString text, bool japanese) const
{
    const QString in = japanese ? QStringLiteral("標準入力") : QStringLiteral("standard input");
    const QString out = japanese ? QStringLiteral("標準出力") : QStringLiteral("standard output");
    if (!input_.isEmpty())
        text.replace(input_, in).replace(QFileInfo(input_).fileName(), in);
    return text.replace(outputPath(), out);
}

TextCombineResult combineTextAs(OutputMode mode, const QStringList& inputs, const QString& output,
                                const CommandProgress& progress, QString& keptOldFile)
{
    if (mode == OutputMode::Append || mode == OutputMode::StandardOutput)
        return combineTextFiles(inputs, output, progress);
    // A new file made whole beside the output, then put in its place: the old one goes to
    // the trash only once the new one is complete.
    TextCombineResult result;
    bool combined = false;
    const ReplaceResult replaced = replaceFile(
        output,
        [&](const QString& temp) {
            combined = true;
            result = combineTextFiles(inputs, temp, progress);
            if (result.status != TextCombineResult::Done)
                return result.reason.isEmpty() ? QStringLiteral("-") : result.reason;
            giveUsualPermissions(temp, output);
            return QString();
        },
        OldFile::Keep);
    keptOldFile = replaced.oldFile;
    if (!replaced.ok() && (!combined || result.status == TextCombineResult::Done)) {
        result.status = replaced.status == ReplaceResult::FolderNotWritable ? TextCombineResult::FolderNotWritable
                                                                            : TextCombineResult::WriteFailed;
        result.reason = replaced.reason;
        result.failedIndex = -1;
    }
    return result;
}

CliText combineDoneLine(OutputMode mode, const QString& output, int files, const QString& keptOldFile)
{
    const QString name = QDir::toNativeSeparators(output);
    switch (mode) {
    case OutputMode::Append:
        return {QStringLiteral("%1 に %2 個のファイルを追記しました。").arg(name).arg(files),
                QStringLiteral("appended %2 files to %1").arg(name).arg(files)};
    case OutputMode::Replace: {
        const bool trash = oldFileText(output, keptOldFile).contains(QStringLiteral("ごみ箱"));
        const QString kept = QDir::toNativeSeparators(keptOldFile);
        return {QStringLiteral("%1 を %2 個のファイルで置き換えました。").arg(name).arg(files) +
                    (trash ? QStringLiteral("元のファイルはごみ箱に移しました。")
                           : QStringLiteral("元のファイルは %1 として残しました。").arg(kept)),
                QStringLiteral("replaced %1 with %2 files; ").arg(name).arg(files) +
                    (trash ? QStringLiteral("the old file was moved to the trash")
                           : QStringLiteral("the old file was kept as %1").arg(kept))};
    }
    case OutputMode::Create:
    case OutputMode::StandardOutput: break;
    }
    return {QStringLiteral("%1 を %2 個のファイルから作りました。").arg(name).arg(files),
            QStringLiteral("created %1 from %2 files").arg(name).arg(files)};
}

CliText convertedInputsLine(const TextCombineResult& result, const QStringList& inputs)
{
    if (result.converted.isEmpty())
        return {};
    QStringList names;
    for (const auto& [index, from] : result.converted)
        names << QStringLiteral("%1 (%2)").arg(QFileInfo(inputs.value(index)).fileName(), from);
    return {QStringLiteral("次のファイルは文字コードを %1 に変換して追加しました: %2。")
                .arg(result.encoding, names.join(QStringLiteral("、"))),
            QStringLiteral("these files were converted to %1 and added: %2")
                .arg(result.encoding, names.join(QStringLiteral(", ")))};
}

} // namespace kumiro
