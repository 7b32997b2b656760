#include "TextCombine.h"

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

enum class ReadStatus { Ok, TooManyLines, Failed };

// Reads one input and turns it into what the output receives: every line, whatever ended
// it (CR LF, LF or CR), followed by CR LF. Stops as soon as the line limit is passed.
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

ReadStatus readInput(const QString& path, QByteArray& chunk, QByteArray& out, QString& reason, bool dropBom)
{
    out.resize(0);
    bool notAFile = false;
    const int fd = openRegular(path, reason, notAFile);
    if (fd < 0) {
        if (notAFile)
            reason = QStringLiteral("通常のファイルではありません。");
        return ReadStatus::Failed;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        reason = file.errorString();
        ::close(fd);
        return ReadStatus::Failed;
    }
    qsizetype lines = 0;
    bool atLineStart = true;
    bool swallowLf = false; // a CR ended the last piece: an LF next belongs to it
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0) {
            reason = file.errorString();
            return ReadStatus::Failed;
        }
        if (got == 0)
            break;
        const char* p = chunk.constData();
        const char* end = p + got;
        // A UTF-8 byte-order mark belongs at the start of a file only: in the middle of the
        // output it would be garbage to most programs.
        if (dropBom && got >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
            p += 3;
        dropBom = false;
        if (swallowLf && *p == '\n')
            ++p;
        swallowLf = false;
        // Room for the worst case, every byte a line end of its own.
        const qsizetype used = out.size();
        out.resize(used + 2 * (end - p) + 2);
        char* o = out.data() + used;
        while (p < end) {
            const char* q = findLineEnd(p, end);
            std::memcpy(o, p, size_t(q - p));
            o += q - p;
            if (q == end) {
                atLineStart = false;
                break;
            }
            *o++ = '\r';
            *o++ = '\n';
            atLineStart = true;
            if (++lines > kTextLineLimit)
                return ReadStatus::TooManyLines;
            p = q + 1;
            if (*q == '\r') {
                if (p == end)
                    swallowLf = true;
                else if (*p == '\n')
                    ++p;
            }
        }
        out.resize(o - out.constData());
    }
    if (!atLineStart) {
        out.append("\r\n", 2);
        if (++lines > kTextLineLimit)
            return ReadStatus::TooManyLines;
    }
    return ReadStatus::Ok;
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

    bool outputHasBytes = sizeBefore > 0;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    QByteArray out;
    // A cancel, asked before an input or once all are in, leaves nothing of this combine.
    auto cancelled = [&] {
        if (!progress.cancelRequested())
            return false;
        if (!existed)
            QFile::remove(outputPath);
        else
            QFile::resize(outputPath, sizeBefore);
        result.status = TextCombineResult::Cancelled;
        return true;
    };
    for (int i = 0; i < inputs.size(); ++i) {
        if (cancelled())
            return result;
        progress.at(i, int(inputs.size()), inputs[i]);
        switch (readInput(inputs[i], chunk, out, result.reason, outputHasBytes)) {
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
        if (!appendToOutput(outputPath, out, result.reason)) {
            result.status = TextCombineResult::WriteFailed;
            result.failedIndex = i;
            return result;
        }
        outputHasBytes = outputHasBytes || !out.isEmpty();
    }
    cancelled();
    return result;
}

} // namespace kumiro
