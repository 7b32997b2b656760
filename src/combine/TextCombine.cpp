#include "TextCombine.h"

#include "app/Paths.h"

#include <QFile>

#include <vector>

namespace kumiro {

namespace {

// One input's lines: the bytes in one buffer and where each line starts and ends.
struct Lines {
    QByteArray bytes;
    std::vector<std::pair<qsizetype, qsizetype>> spans; // [begin, end) without terminator
};

enum class ReadStatus { Ok, TooManyLines, Failed };

ReadStatus readLines(const QString& path, Lines& lines, QString& reason)
{
    lines.bytes.clear();
    lines.spans.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return ReadStatus::Failed;
    }
    constexpr qsizetype kChunk = 1 << 20;
    qsizetype lineStart = 0;
    qsizetype scanned = 0;
    bool pendingCr = false; // a CR ended the last chunk: an LF next belongs to it
    for (;;) {
        const qsizetype old = lines.bytes.size();
        lines.bytes.resize(old + kChunk);
        const qint64 got = file.read(lines.bytes.data() + old, kChunk);
        if (got < 0) {
            reason = file.errorString();
            return ReadStatus::Failed;
        }
        lines.bytes.resize(old + got);
        if (got == 0)
            break;
        const char* data = lines.bytes.constData();
        for (qsizetype i = scanned; i < lines.bytes.size(); ++i) {
            const char c = data[i];
            if (pendingCr) {
                pendingCr = false;
                if (c == '\n') {
                    lineStart = i + 1;
                    continue;
                }
            }
            if (c != '\r' && c != '\n')
                continue;
            lines.spans.emplace_back(lineStart, i);
            if (lines.spans.size() > size_t(kTextLineLimit))
                return ReadStatus::TooManyLines;
            lineStart = i + 1;
            pendingCr = c == '\r';
        }
        scanned = lines.bytes.size();
    }
    if (lineStart < lines.bytes.size()) {
        lines.spans.emplace_back(lineStart, lines.bytes.size());
        if (lines.spans.size() > size_t(kTextLineLimit))
            return ReadStatus::TooManyLines;
    }
    return ReadStatus::Ok;
}

bool appendLines(const QString& outputPath, const Lines& lines, QByteArray& out, QString& reason)
{
    if (lines.spans.empty())
        return true;
    out.clear();
    out.reserve(lines.bytes.size() + 2 * qsizetype(lines.spans.size()));
    for (const auto& [begin, end] : lines.spans) {
        out.append(lines.bytes.constData() + begin, end - begin);
        out.append("\r\n", 2);
    }
    QFile file(outputPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        reason = file.errorString();
        return false;
    }
    const qint64 before = file.size();
    if (file.write(out) != out.size() || !file.flush()) {
        reason = file.errorString();
        // The input goes in whole or not at all.
        file.resize(before);
        return false;
    }
    return true;
}

} // namespace

QString textOutputPath(const QString& folder, const QString& baseName)
{
    return joinPath(folder, baseName + QStringLiteral(".txt"));
}

TextCombineResult combineTextFiles(const QStringList& inputs, const QString& outputPath)
{
    TextCombineResult result;
    Lines lines;
    QByteArray out;
    for (int i = 0; i < inputs.size(); ++i) {
        switch (readLines(inputs[i], lines, result.reason)) {
        case ReadStatus::Ok: break;
        case ReadStatus::TooManyLines:
            result.status = TextCombineResult::LineLimit;
            result.failedIndex = i;
            return result;
        case ReadStatus::Failed:
            result.status = TextCombineResult::ReadFailed;
            result.failedIndex = i;
            return result;
        }
        if (!appendLines(outputPath, lines, out, result.reason)) {
            result.status = TextCombineResult::WriteFailed;
            result.failedIndex = i;
            return result;
        }
    }
    return result;
}

} // namespace kumiro
