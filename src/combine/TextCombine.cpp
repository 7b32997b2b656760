#include "TextCombine.h"
#include "OfficeSaving.h"
#include "TextEncoding.h"

#include "platform/FileModes.h"
#include "platform/FileWriting.h"
#include "platform/FolderLock.h"
#include "platform/Interrupt.h"
#include "platform/OutputPath.h"
#include "platform/ReplaceFile.h"
#include "platform/SystemErrors.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace kumiro {

namespace {

// A byte that ends a line, or with `plainOnly` one that plain ASCII text has not.
inline bool isMark(char c, bool plainOnly)
{
    return c == '\r' || c == '\n' || (plainOnly && (uchar(c) >= 0x80 || c == '\x1B' || c == '\0'));
}

// Copies bytes from p to o up to the first mark (see isMark), and answers where it stopped.
// Eight bytes at a time, copied before they are looked at: this is the hot loop. `o` needs
// room for 8 bytes beyond what it receives.
const char* copyToMark(const char* p, const char* end, char*& o, bool plainOnly)
{
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    constexpr quint64 ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    constexpr quint64 crs = 0x0D0D0D0D0D0D0D0DULL, lfs = 0x0A0A0A0A0A0A0A0AULL, escs = 0x1B1B1B1B1B1B1B1BULL;
    while (end - p >= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        std::memcpy(o, &w, 8);
        const quint64 x = w ^ crs, y = w ^ lfs;
        // A zero byte in x or y is a CR or LF (in w a NUL, in z an ESC); each mask's lowest
        // flagged byte is exact, so the lowest of all is.
        quint64 hit = ((x - ones) & ~x) | ((y - ones) & ~y);
        if (plainOnly) {
            const quint64 z = w ^ escs;
            hit |= w | ((w - ones) & ~w) | ((z - ones) & ~z);
        }
        hit &= highs;
        if (hit) {
            const int at = qCountTrailingZeroBits(hit) >> 3;
            o += at;
            return p + at;
        }
        p += 8;
        o += 8;
    }
#endif
    while (p < end && !isMark(*p, plainOnly))
        *o++ = *p++;
    return p;
}

// Opens an input only if it is a regular file: without blocking (a FIFO would wait for a
// writer), then checked on what was opened, so a file swapped meanwhile is caught too.
int openRegular(const QString& path, QString& reason, bool& notAFile)
{
    notAFile = false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        reason = plainSystemReason(error, true);
        errno = error; // for the caller that tells a missing file apart
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

// Reads what is left of an open file into `bytes`; 0, or the errno.
int readRest(int fd, QByteArray& bytes)
{
    struct stat st {};
    const qsizetype expected = ::fstat(fd, &st) == 0 ? qsizetype(st.st_size) : 0;
    bytes.resize(expected + 1); // one more, to see the end without a second call
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(2 * bytes.size());
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        done += n;
    }
    bytes.resize(done);
    return 0;
}

// Where one input's line ends stand between the blocks it is read in.
struct LineEnds {
    qsizetype lines = 0;
    bool afterCr = false; // the last block ended in CR: an LF starting the next belongs to it
    bool midLine = false; // bytes since the last line end
};

enum class Block { Ok, TooManyLines, NotPlain };

// Turns a block of an input's text into what the output receives: every line, whatever
// ended it (CR LF, LF or CR), followed by CR LF. Stops as soon as the line limit is passed,
// or with `plainOnly` at the first byte that is not plain ASCII.
Block withCrLfLines(const char* p, const char* end, LineEnds& at, QByteArray& out, bool plainOnly)
{
    out.resize(2 * (end - p) + 8); // the worst case: every byte a line end of its own
    char* o = out.data();
    if (at.afterCr && p < end && *p == '\n')
        ++p;
    at.afterCr = false;
    while (p < end) {
        const char* q = copyToMark(p, end, o, plainOnly);
        if (q == end) {
            at.midLine = at.midLine || q > p;
            break;
        }
        if (*q != '\r' && *q != '\n')
            return Block::NotPlain;
        *o++ = '\r';
        *o++ = '\n';
        at.midLine = false;
        if (++at.lines > kTextLineLimit)
            return Block::TooManyLines;
        p = q + 1;
        if (*q == '\r' && p == end)
            at.afterCr = true;
        else if (*q == '\r' && *p == '\n')
            ++p;
    }
    out.resize(o - out.constData());
    return Block::Ok;
}

// Ends an input's last line when nothing ended it, so the next input starts on a line of
// its own.
bool endLastLine(LineEnds& at, QByteArray& out)
{
    out.clear();
    if (!at.midLine)
        return true;
    out = "\r\n";
    return ++at.lines <= kTextLineLimit;
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

// No byte of another encoding in it: what is not plain ASCII is NULs at most.
bool sevenBit(const QByteArray& bytes)
{
    return std::none_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80 || c == '\x1B'; });
}

// What an output that is there holds (`existed` says whether one is): false, with the
// reason, when it cannot be read.
bool readExisting(const QString& outputPath, QByteArray& bytes, bool& existed, QString& reason)
{
    bytes.clear();
    bool notAFile = false;
    const int fd = openRegular(outputPath, reason, notAFile);
    existed = fd >= 0 || notAFile || errno != ENOENT;
    if (!existed)
        return true;
    if (fd < 0) {
        if (notAFile)
            reason = QStringLiteral("通常のファイルではありません。");
        return false;
    }
    const int error = readRest(fd, bytes);
    ::close(fd);
    if (error != 0)
        reason = plainSystemReason(error, true);
    return error == 0;
}

// Builds the new output in a file of its own: the old output's bytes, then every input's
// lines. Only a complete one is renamed over the output.
class TextBuilder {
public:
    TextBuilder(const CommandProgress& progress, TextCombineResult& result)
        : progress_(progress), result_(result), block_(kBlock, Qt::Uninitialized)
    {
    }

    // The file's encoding once the old output's bytes are in; false when it cannot take more.
    bool startFrom(const QByteArray& existing)
    {
        existing_ = &existing;
        if (existing.isEmpty() || isPlainAscii(existing))
            return true;
        target_ = detectTextEncoding(existing);
        if (target_ != TextEncoding::Utf16LE && target_ != TextEncoding::Utf16BE && sevenBit(existing))
            target_.reset();
        if (!target_)
            return true;
        result_.encoding = QString::fromLatin1(encodingName(*target_));
        if (target_ != TextEncoding::Utf16LE && target_ != TextEncoding::Utf16BE)
            return true;
        result_.status = TextCombineResult::WriteFailed;
        result_.reason = QStringLiteral("UTF-16 のファイルには追記できません。");
        return false;
    }

    // Writes the new output at `temp`: empty when it is complete, else why not (the
    // result says what stopped it).
    QString build(const QString& temp, const QStringList& inputs, bool keepModeOf, const QString& outputPath);

private:
    static constexpr qsizetype kBlock = 256 * 1024;
    enum class Step { Ok, NotPlain, Failed };

    Step failed(TextCombineResult::Status status, int index)
    {
        stop(status, index);
        return Step::Failed;
    }
    QString stop(TextCombineResult::Status status, int index)
    {
        result_.status = status;
        result_.failedIndex = index;
        // Only a non-empty answer makes the temporary go; the result carries what is said.
        return result_.reason.isEmpty() ? QStringLiteral("stopped") : result_.reason;
    }
    bool put(const QByteArray& bytes)
    {
        if (const int error = writeAll(out_, bytes.constData(), bytes.size())) {
            result_.reason = plainSystemReason(error);
            return false;
        }
        size_ += bytes.size();
        return true;
    }
    Step appendPlain(int in, int index);
    Step appendConverted(int in, int index);
    QByteArray converted(int index, const QByteArray& original);

    const CommandProgress& progress_;
    TextCombineResult& result_;
    const QByteArray* existing_ = nullptr;
    std::optional<TextEncoding> target_;
    QByteArray block_, lines_, whole_;
    int out_ = -1;
    qint64 size_ = 0;
};

// The common case and the fast one: plain ASCII text, the same in every encoding, goes
// through a block at a time. A block that is not makes the input start again converted.
TextBuilder::Step TextBuilder::appendPlain(int in, int index)
{
    LineEnds at;
    for (;;) {
        const ssize_t n = ::read(in, block_.data(), size_t(kBlock));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result_.reason = plainSystemReason(errno, true);
            return failed(TextCombineResult::ReadFailed, index);
        }
        if (n == 0)
            break;
        const Block block = withCrLfLines(block_.constData(), block_.constData() + n, at, lines_, true);
        if (block == Block::NotPlain)
            return Step::NotPlain;
        if (block == Block::TooManyLines)
            return failed(TextCombineResult::LineLimit, index);
        if (!put(lines_))
            return failed(TextCombineResult::WriteFailed, index);
    }
    if (!endLastLine(at, lines_))
        return failed(TextCombineResult::LineLimit, index);
    if (!put(lines_))
        return failed(TextCombineResult::WriteFailed, index);
    return Step::Ok;
}

// An input's whole text in the file's encoding: its own bytes when it is in it, else
// converted, every character or nothing (empty, with the result saying why).
QByteArray TextBuilder::converted(int index, const QByteArray& original)
{
    const TextEncoding encoding = detectTextEncoding(original);
    // Seven-bit text with a NUL here and there (no UTF-16) is the same bytes in every
    // encoding all the same.
    const bool utf16 = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
    if (!utf16 && sevenBit(original))
        return original;
    // Every character or nothing: bytes that are no text in what they were taken for are
    // not guessed at.
    if (const qsizetype bad = undecodableAt(original, encoding); bad >= 0) {
        const QByteArray before = toUtf8(original.left(bad), encoding);
        result_.reason = QStringLiteral("%1 行目に %2 として読めないバイトがあります。")
                             .arg(lineAt(before, before.size()))
                             .arg(QLatin1String(encodingName(encoding)));
        stop(TextCombineResult::EncodingFailed, index);
        return {};
    }
    // A Japanese program's output: Western text starts none in its own encoding.
    if (!target_)
        target_ = utf16 || encoding == TextEncoding::Windows1252 ? TextEncoding::Utf8 : encoding;
    result_.encoding = QString::fromLatin1(encodingName(*target_));
    if (encoding == *target_)
        return original;
    QByteArray bytes = toUtf8(original, encoding);
    if (*target_ != TextEncoding::Utf8) {
        const QByteArray utf8 = bytes;
        if (const qsizetype at = fromUtf8Strictly(utf8, *target_, bytes); at >= 0) {
            result_.reason = QStringLiteral("%1 行目に %2 で表せない文字があります。")
                                 .arg(lineAt(utf8, at))
                                 .arg(QLatin1String(encodingName(*target_)));
            stop(TextCombineResult::EncodingFailed, index);
            return {};
        }
    }
    result_.converted << qMakePair(index, QString::fromLatin1(encodingName(encoding)));
    return bytes;
}

TextBuilder::Step TextBuilder::appendConverted(int in, int index)
{
    if (::lseek(in, 0, SEEK_SET) != 0 || readRest(in, whole_) != 0) {
        result_.reason = plainSystemReason(errno, true);
        return failed(TextCombineResult::ReadFailed, index);
    }
    QByteArray bytes = converted(index, whole_);
    if (result_.status != TextCombineResult::Done)
        return Step::Failed;
    // A UTF-8 byte-order mark belongs at the start of a file only: in the middle of the
    // output it would be garbage to most programs.
    if (size_ > 0 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    LineEnds at;
    QByteArray last;
    if (withCrLfLines(bytes.constData(), bytes.constData() + bytes.size(), at, lines_, false) != Block::Ok ||
        !endLastLine(at, last))
        return failed(TextCombineResult::LineLimit, index);
    if (!put(lines_) || !put(last))
        return failed(TextCombineResult::WriteFailed, index);
    return Step::Ok;
}

QString TextBuilder::build(const QString& temp, const QStringList& inputs, bool keepModeOf, const QString& outputPath)
{
    out_ = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out_ < 0) {
        result_.reason = plainSystemReason(errno);
        return stop(TextCombineResult::WriteFailed, -1);
    }
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } close{out_};
    if (keepModeOf)
        giveUsualPermissions(temp, outputPath);
    if (!put(*existing_))
        return stop(TextCombineResult::WriteFailed, -1);
    for (int i = 0; i < inputs.size(); ++i) {
        if (progress_.cancelRequested())
            return stop(TextCombineResult::Cancelled, -1);
        progress_.at(i, int(inputs.size()), inputs[i]);
        bool notAFile = false;
        const int in = openRegular(inputs[i], result_.reason, notAFile);
        if (in < 0) {
            if (notAFile)
                result_.reason = QStringLiteral("通常のファイルではありません。");
            return stop(TextCombineResult::ReadFailed, i);
        }
        struct Close {
            int fd;
            ~Close() { ::close(fd); }
        } closeInput{in};
        const qint64 start = size_;
        Step step = appendPlain(in, i);
        if (step == Step::NotPlain) {
            // What went through of it goes again, converted.
            if (::ftruncate(out_, start) != 0 || ::lseek(out_, start, SEEK_SET) != start) {
                result_.reason = plainSystemReason(errno);
                return stop(TextCombineResult::WriteFailed, i);
            }
            size_ = start;
            step = appendConverted(in, i);
        }
        if (step == Step::Failed)
            return stop(result_.status, i);
    }
    // A cancel asked once all are in leaves nothing of this combine either.
    if (progress_.cancelRequested())
        return stop(TextCombineResult::Cancelled, -1);
    return QString();
}

// Waits this long for another combine into the same folder to finish.
constexpr int kLockWaitMs = 30000;

TextCombineResult buildOutput(const QStringList& inputs, const QString& outputPath, const CommandProgress& progress,
                              TextCombineResult& result)
{
    QByteArray existing;
    bool existed = false;
    if (!readExisting(outputPath, existing, existed, result.reason)) {
        result.status = TextCombineResult::WriteFailed;
        return result;
    }
    TextBuilder builder(progress, result);
    if (!builder.startFrom(existing))
        return result;
    // The new output is made whole beside the old one and then takes its place: a combine
    // that fails or is killed at any moment leaves the old output as it was. An output that
    // is the user's own link becomes a regular file in the link's place, never written
    // through.
    const ReplaceResult made =
        replaceFile(outputPath, [&](const QString& temp) { return builder.build(temp, inputs, existed, outputPath); });
    if (result.status == TextCombineResult::Done && !made.ok()) {
        result.status = interruptSignal() != 0                ? TextCombineResult::Cancelled
            : made.status == ReplaceResult::FolderNotWritable ? TextCombineResult::FolderNotWritable
                                                              : TextCombineResult::WriteFailed;
        result.reason = made.reason;
    }
    return result;
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
    const QString folder = QFileInfo(outputPath).absolutePath();
    // A folder that cannot be written is told before anything is read.
    if (const int error = folderWriteError(folder)) {
        result.status = TextCombineResult::FolderNotWritable;
        result.reason = plainSystemReason(error);
        return result;
    }
    // Two combines into one folder take turns: each builds on the output the other left.
    const FolderLock lock(folder, kLockWaitMs, [&] { return progress.cancelRequested(); });
    if (lock.status() != FolderLock::Held) {
        result.status =
            lock.status() == FolderLock::Busy ? TextCombineResult::WriteFailed : TextCombineResult::Cancelled;
        if (lock.status() == FolderLock::Busy)
            result.reason =
                QStringLiteral("別の「くみろ」が同じフォルダに書き込み中です。　しばらくしてからやり直して下さい。");
        return result;
    }
    return buildOutput(inputs, outputPath, progress, result);
}

} // namespace kumiro
