#include "TextCombine.h"
#include "OfficeSaving.h"
#include "TextEncoding.h"

#include "platform/FileWriting.h"
#include "platform/Leftovers.h"
#include "platform/OutputPath.h"
#include "platform/ReplaceFile.h"
#include "platform/SystemErrors.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace kumiro {

namespace {

// The first CR or LF at or after p, or end. Eight bytes at a time: this is the hot loop.
const char* findLineEnd(const char* p, const char* end)
{
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    constexpr quint64 ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    constexpr quint64 crs = 0x0D0D0D0D0D0D0D0DULL, lfs = 0x0A0A0A0A0A0A0A0AULL;
    while (end - p >= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        const quint64 x = w ^ crs, y = w ^ lfs;
        // A zero byte in x or y is a CR or LF; the lowest flagged byte is exact.
        const quint64 hit = (((x - ones) & ~x) | ((y - ones) & ~y)) & highs;
        if (hit)
            return p + (qCountTrailingZeroBits(hit) >> 3);
        p += 8;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

enum class ReadStatus { Ok, TooManyLines };

// Opens an input only if it is a regular file: without blocking (a FIFO would wait for a
// writer), then checked on what was opened, so a file swapped meanwhile is caught too.
int openRegular(const QString& path, QString& reason, bool& notAFile)
{
    notAFile = false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = plainSystemReason(errno, true);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        notAFile = true;
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Reads a whole regular file; false with the reason when it cannot.
bool readWhole(const QString& path, QByteArray& bytes, QString& reason)
{
    bool notAFile = false;
    const int fd = openRegular(path, reason, notAFile);
    if (fd < 0) {
        if (notAFile)
            reason = QStringLiteral("通常のファイルではありません。");
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        reason = file.errorString();
        ::close(fd);
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    return true;
}

// Turns one input's text into what the output receives: every line, whatever ended it
// (CR LF, LF or CR), followed by CR LF. Stops as soon as the line limit is passed.
ReadStatus withCrLfLines(const QByteArray& in, QByteArray& out)
{
    const char* p = in.constData();
    const char* end = p + in.size();
    out.resize(2 * in.size() + 2); // the worst case: every byte a line end of its own
    char* o = out.data();
    qsizetype lines = 0;
    while (p < end) {
        const char* q = findLineEnd(p, end);
        std::memcpy(o, p, size_t(q - p));
        o += q - p;
        *o++ = '\r';
        *o++ = '\n';
        if (++lines > kTextLineLimit)
            return ReadStatus::TooManyLines;
        if (q == end)
            break;
        p = q + 1;
        if (*q == '\r' && p < end && *p == '\n')
            ++p;
    }
    out.resize(o - out.constData());
    return ReadStatus::Ok;
}

// The line (from 1) that holds byte `offset` of a text.
int lineAt(const QByteArray& text, qsizetype offset)
{
    int line = 1;
    for (qsizetype i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}

bool appendToOutput(const QString& outputPath, const QByteArray& out, QString& reason)
{
    if (out.isEmpty())
        return true;
    const int fd = ::open(QFile::encodeName(outputPath).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = plainSystemReason(errno);
        return false;
    }
    struct stat st {};
    ::fstat(fd, &st);
    const off_t before = st.st_size;
    if (const int error = writeAll(fd, out.constData(), out.size())) {
        reason = plainSystemReason(error);
        // The input goes in whole or not at all.
        if (::ftruncate(fd, before) != 0) {}
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace

TextCombineResult combineTextFiles(const QStringList& inputs, const QString& outputPath,
                                   const CommandProgress& progress)
{
    TextCombineResult result;
    // An output where no file may be written is refused before anything is read.
    result.reason = outputRefusal(outputPath);
    if (!result.reason.isEmpty()) {
        result.status = TextCombineResult::WriteFailed;
        return result;
    }
    if ((result.failedIndex = inputIndexOf(outputPath, inputs)) >= 0) {
        result.status = TextCombineResult::WriteFailed;
        result.reason = outputIsInputReason();
        return result;
    }
    // Every input is looked at before anything is read or written.
    for (int i = 0; i < inputs.size(); ++i) {
        bool notAFile = false;
        const int fd = openRegular(inputs[i], result.reason, notAFile);
        if (fd < 0) {
            result.status = notAFile ? TextCombineResult::NotAFile : TextCombineResult::ReadFailed;
            result.failedIndex = i;
            return result;
        }
        ::close(fd);
    }
    // A folder that cannot be written is told before anything is read.
    if (const int error = folderWriteError(QFileInfo(outputPath).absolutePath())) {
        result.status = TextCombineResult::FolderNotWritable;
        result.reason = plainSystemReason(error);
        return result;
    }

    // An output that is the user's own link becomes a regular file in the link's place,
    // holding what the link showed, as the other kinds write it; a combine that does not
    // complete puts the link back.
    const QString link = linkText(outputPath);
    if (!link.isEmpty()) {
        const ReplaceResult made = replaceFile(outputPath, [&](const QString& temp) {
            const QString target = QFileInfo(outputPath).symLinkTarget();
            QFile empty(temp);
            const bool made = QFileInfo::exists(target) ? QFile::copy(target, temp) : empty.open(QIODevice::WriteOnly);
            return made ? QString() : plainSystemReason(EACCES, true);
        });
        if (!made.ok()) {
            result.status = TextCombineResult::WriteFailed;
            result.reason = made.reason;
            return result;
        }
    }
    struct PutLinkBack {
        const QString& path;
        const QString& link;
        const TextCombineResult& result;
        ~PutLinkBack()
        {
            if (link.isEmpty() || result.status == TextCombineResult::Done)
                return;
            const QString temp = partialFileName(QFileInfo(path).absolutePath());
            if (QFile::link(link, temp) &&
                std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
                QFile::remove(temp);
        }
    } putLinkBack{outputPath, link, result};

    const QFileInfo before(outputPath);
    const bool existed = before.exists();
    const qint64 sizeBefore = existed ? before.size() : 0;

    // The output has one encoding: the existing output's, else the first input's that is
    // not plain ASCII (never UTF-16: UTF-8 then).
    std::optional<TextEncoding> target;
    if (sizeBefore > 0) {
        QByteArray existing;
        if (!readWhole(outputPath, existing, result.reason)) {
            result.status = TextCombineResult::WriteFailed;
            return result;
        }
        if (!isPlainAscii(existing))
            target = detectTextEncoding(existing);
        if (target == TextEncoding::Utf16LE || target == TextEncoding::Utf16BE) {
            result.status = TextCombineResult::WriteFailed;
            result.reason = QStringLiteral("UTF-16 のファイルには追記できません。");
            return result;
        }
    }

    bool outputHasBytes = sizeBefore > 0;
    QByteArray bytes, out;
    // Whatever stops the combine after something was written puts the output back as it
    // was: a combine that fails writes nothing, and running it again adds nothing twice.
    auto putBack = [&](TextCombineResult::Status status, int index) {
        if (!existed)
            QFile::remove(outputPath);
        else
            QFile::resize(outputPath, sizeBefore);
        result.status = status;
        result.failedIndex = index;
        return result;
    };
    for (int i = 0; i < inputs.size(); ++i) {
        if (progress.cancelRequested())
            return putBack(TextCombineResult::Cancelled, -1);
        progress.at(i, int(inputs.size()), inputs[i]);
        if (!readWhole(inputs[i], bytes, result.reason))
            return putBack(TextCombineResult::ReadFailed, i);
        // Bytes go through unchanged when the input is in the output's encoding (or plain
        // ASCII, the same in all); else its text is converted, every character or nothing.
        if (!isPlainAscii(bytes)) {
            const TextEncoding encoding = detectTextEncoding(bytes);
            if (!target)
                target = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ? TextEncoding::Utf8
                                                                                                : encoding;
            if (encoding != *target) {
                const QByteArray utf8 = toUtf8(bytes, encoding);
                if (*target == TextEncoding::Utf8) {
                    bytes = utf8;
                } else if (const qsizetype at = fromUtf8Strictly(utf8, *target, bytes); at >= 0) {
                    result.reason = QStringLiteral("%1 行目に %2 で表せない文字があります。")
                                        .arg(lineAt(utf8, at))
                                        .arg(QLatin1String(encodingName(*target)));
                    return putBack(TextCombineResult::EncodingFailed, i);
                }
                result.converted << qMakePair(i, QString::fromLatin1(encodingName(encoding)));
            }
            result.encoding = QString::fromLatin1(encodingName(*target));
        }
        // A UTF-8 byte-order mark belongs at the start of a file only: in the middle of the
        // output it would be garbage to most programs.
        if (outputHasBytes && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        if (withCrLfLines(bytes, out) == ReadStatus::TooManyLines)
            return putBack(TextCombineResult::LineLimit, i);
        if (!appendToOutput(outputPath, out, result.reason))
            return putBack(TextCombineResult::WriteFailed, i);
        outputHasBytes = outputHasBytes || !out.isEmpty();
    }
    // A cancel asked once all are in leaves nothing of this combine either.
    if (progress.cancelRequested())
        return putBack(TextCombineResult::Cancelled, -1);
    return result;
}

} // namespace kumiro
