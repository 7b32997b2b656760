#pragma once

#include <QByteArray>
#include <QStringDecoder>

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace kumiro {

// Windows1252: Western European text (Latin-1 and its Windows superset), which is no
// Japanese encoding's and must not be taken for one.
enum class TextEncoding { Utf8, ShiftJis, EucJp, Iso2022Jp, Utf16LE, Utf16BE, Windows1252 };

// Header-only: the office driver, a module of its own, uses it too.

// The length of a byte-order mark at the start, 0 when there is none.
inline int byteOrderMarkLength(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return 3;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return 2;
    return 0;
}

// How unlikely a short text is in an encoding: -1 when it does not decode there at all,
// or only into control characters no text has (U+0080 to U+009F, which EUC-JP gives single
// bytes 0x80 to 0x8D), else the number of half-width katakana it would show (rare in real
// text, common in another encoding's bytes read wrongly).
inline int shortTextOddness(const QByteArray& bytes, const char* encoding)
{
    iconv_t cd = iconv_open("UTF-8", encoding);
    if (cd == iconv_t(-1))
        return -1;
    QByteArray in = bytes;
    QByteArray out(in.size() * 4 + 16, Qt::Uninitialized);
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1) && srcLeft == 0;
    iconv_close(cd);
    if (!ok)
        return -1;
    int odd = 0;
    for (const char* p = out.constData(); p + 1 < dst; ++p) {
        if (uchar(p[0]) == 0xC2 && uchar(p[1]) < 0xA0)
            return -1;
        if (p + 2 >= dst)
            continue;
        // U+FF61..U+FF9F: EF BD A1..BF, EF BE 80..9F
        if (uchar(p[0]) == 0xEF && (uchar(p[1]) == 0xBD || uchar(p[1]) == 0xBE))
            ++odd;
    }
    return odd;
}

// UTF-16 without its byte-order mark, told by its NULs: text with Latin letters, digits,
// spaces or line ends has them in one half of its code units and none in the other.
inline std::optional<TextEncoding> utf16ByNuls(const QByteArray& bytes)
{
    if (bytes.size() < 4 || bytes.size() % 2 != 0)
        return std::nullopt;
    qsizetype nuls[2] = {0, 0};
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0')
            ++nuls[i % 2];
    }
    const qsizetype enough = qMax<qsizetype>(2, bytes.size() / 128);
    if (nuls[0] == 0 && nuls[1] >= enough)
        return TextEncoding::Utf16LE;
    if (nuls[1] == 0 && nuls[0] >= enough)
        return TextEncoding::Utf16BE;
    return std::nullopt;
}

inline const char* iconvName(TextEncoding encoding);

// For a short text uchardet calls Western: its bytes above 0x7F are mostly accented letters
// (0xA0 and up), not what Shift-JIS starts nearly every character with (0x81 to 0x9F).
inline bool mostlyWesternLetters(const QByteArray& bytes)
{
    qsizetype letters = 0, leads = 0;
    for (char c : bytes) {
        if (uchar(c) >= 0xA0)
            ++letters;
        else if (uchar(c) >= 0x80)
            ++leads;
    }
    return leads * 2 < letters;
}

// The offset of the first byte that is no character of the encoding (or a character cut
// off at the end), -1 when every byte is.
inline qsizetype undecodableAt(const QByteArray& bytes, TextEncoding encoding)
{
    iconv_t cd = iconv_open("UTF-8", iconvName(encoding));
    if (cd == iconv_t(-1))
        return 0;
    QByteArray in = bytes;
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char buffer[16384];
    qsizetype at = -1;
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == size_t(-1) && errno != E2BIG) {
            at = src - in.data();
            break;
        }
    }
    iconv_close(cd);
    return at;
}

// A byte-order mark decides; then NULs that only UTF-16 has; then uchardet, with strict
// UTF-8 before the rest (plain ASCII is UTF-8); what cannot be told apart is Shift-JIS
// (CP932), the usual Japanese text. A text too short for uchardet's answer to be worth much
// is Shift-JIS or EUC-JP, whichever decodes without error and looks least like another
// encoding's bytes. Western text (uchardet's answer, decoded without error) is never taken
// for Japanese; what decodes in nothing is answered as the most likely encoding, for the
// caller to refuse (undecodableAt).
// `complete`: the bytes are the whole file (else a character cut at the end is no error).
inline TextEncoding detectTextEncoding(const QByteArray& bytes, bool complete = true)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    if (bytes.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16BE;
    if (const auto utf16 = complete ? utf16ByNuls(bytes) : std::nullopt)
        return *utf16;
    QByteArray guess;
    if (uchardet_t detector = uchardet_new()) {
        if (uchardet_handle_data(detector, bytes.constData(), size_t(bytes.size())) == 0) {
            uchardet_data_end(detector);
            guess = QByteArray(uchardet_get_charset(detector)).toUpper();
        }
        uchardet_delete(detector);
    }
    // Seven-bit, so it would pass for UTF-8 below.
    if (guess == "ISO-2022-JP")
        return TextEncoding::Iso2022Jp;
    QStringDecoder utf8(QStringDecoder::Utf8,
                        complete ? QStringDecoder::Flag::Stateless : QStringDecoder::Flag::Default);
    const QString decoded = utf8.decode(bytes);
    Q_UNUSED(decoded);
    if (!utf8.hasError() || guess == "UTF-8")
        return TextEncoding::Utf8;
    constexpr qsizetype kShortText = 256;
    if (complete && bytes.size() < kShortText && guess != "UTF-16LE" && guess != "UTF-16BE") {
        const int sjis = shortTextOddness(bytes, "CP932");
        const int euc = shortTextOddness(bytes, "EUC-JP-MS");
        if (euc >= 0 && (sjis < 0 || euc < sjis))
            return TextEncoding::EucJp;
        if (sjis >= 0)
            return TextEncoding::ShiftJis;
    }
    if (guess == "EUC-JP")
        return TextEncoding::EucJp;
    if (guess == "UTF-16LE")
        return TextEncoding::Utf16LE;
    if (guess == "UTF-16BE")
        return TextEncoding::Utf16BE;
    const bool western = guess == "WINDOWS-1252" || guess == "ISO-8859-1" || guess == "ISO-8859-15";
    if (complete && western && undecodableAt(bytes, TextEncoding::Windows1252) < 0 &&
        (bytes.size() >= kShortText || mostlyWesternLetters(bytes)))
        return TextEncoding::Windows1252;
    return TextEncoding::ShiftJis;
}

inline const char* iconvName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::ShiftJis: return "CP932";
    case TextEncoding::EucJp: return "EUC-JP-MS";
    case TextEncoding::Iso2022Jp: return "ISO-2022-JP-2";
    case TextEncoding::Utf16LE: return "UTF-16LE";
    case TextEncoding::Utf16BE: return "UTF-16BE";
    case TextEncoding::Windows1252: return "CP1252";
    }
    return "CP932";
}

// Makes room for `extra` more bytes behind `dst` in an iconv output buffer.
inline void growOutput(QByteArray& out, char*& dst, size_t& dstLeft, qsizetype extra)
{
    const qsizetype used = dst - out.data();
    out.resize(out.size() + extra);
    dst = out.data() + used;
    dstLeft = size_t(out.size() - used);
}

// The text as UTF-8 without a byte-order mark. A byte sequence the encoding does not know
// becomes U+FFFD, so nothing stops the reading and the rest still arrives.
inline QByteArray toUtf8(const QByteArray& bytes, TextEncoding encoding)
{
    const int bom = byteOrderMarkLength(bytes);
    const bool bomFits = (bom == 3 && encoding == TextEncoding::Utf8) ||
        (bom == 2 && (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE));
    QByteArray in = bytes.mid(bomFits ? bom : 0);
    iconv_t cd = iconv_open("UTF-8", iconvName(encoding));
    if (cd == iconv_t(-1))
        return in;
    QByteArray out(in.size() * 3 + 16, Qt::Uninitialized);
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    const int unitSize = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ? 2 : 1;
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            growOutput(out, dst, dstLeft, out.size());
            continue;
        }
        // EILSEQ or a sequence cut at the end: mark it and go on.
        if (dstLeft < 3)
            growOutput(out, dst, dstLeft, 16);
        std::memcpy(dst, "\xEF\xBF\xBD", 3);
        dst += 3;
        dstLeft -= 3;
        const size_t skip = qMin(srcLeft, size_t(unitSize));
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(dst - out.data());
    iconv_close(cd);
    return out;
}

// Seven-bit text without escapes or NUL bytes: the same bytes in every encoding a text
// output is written in. (A NUL is no character of text: it is what UTF-16 without its
// byte-order mark looks like.) Eight bytes at a time: every input goes through this.
inline bool isPlainAscii(const char* p, const char* end)
{
    constexpr quint64 ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    constexpr quint64 escapes = 0x1B1B1B1B1B1B1B1BULL;
    for (; end - p >= 8; p += 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        const quint64 x = w ^ escapes;
        // A high bit, or a zero byte in w (a NUL) or in x (an ESC).
        if ((w | ((w - ones) & ~w) | ((x - ones) & ~x)) & highs)
            return false;
    }
    for (; p < end; ++p) {
        if (uchar(*p) >= 0x80 || *p == '\x1B' || *p == '\0')
            return false;
    }
    return true;
}

inline bool isPlainAscii(const QByteArray& bytes)
{
    return isPlainAscii(bytes.constData(), bytes.constData() + bytes.size());
}

// The encoding's name as editors show it.
inline const char* encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::ShiftJis: return "Shift_JIS";
    case TextEncoding::EucJp: return "EUC-JP";
    case TextEncoding::Iso2022Jp: return "ISO-2022-JP";
    case TextEncoding::Utf16LE: return "UTF-16LE";
    case TextEncoding::Utf16BE: return "UTF-16BE";
    case TextEncoding::Windows1252: return "Windows-1252";
    }
    return "Shift_JIS";
}

// UTF-8 text in another encoding, every character kept or nothing: the offset of the first
// character the encoding cannot hold, or -1 when all went through into `out`.
inline qsizetype fromUtf8Strictly(const QByteArray& utf8, TextEncoding encoding, QByteArray& out)
{
    iconv_t cd = iconv_open(iconvName(encoding), "UTF-8");
    if (cd == iconv_t(-1))
        return 0;
    QByteArray in = utf8;
    out = QByteArray(in.size() * 2 + 16, Qt::Uninitialized);
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    qsizetype failedAt = -1;
    while (srcLeft > 0 || failedAt < 0) {
        const size_t r =
            srcLeft > 0 ? iconv(cd, &src, &srcLeft, &dst, &dstLeft) : iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        if (r != size_t(-1)) {
            if (srcLeft == 0)
                break;
            continue;
        }
        if (errno == E2BIG) {
            growOutput(out, dst, dstLeft, out.size());
            continue;
        }
        failedAt = src - in.data();
        break;
    }
    iconv_close(cd);
    if (failedAt >= 0)
        return failedAt;
    out.resize(dst - out.data());
    return -1;
}

// CR LF, LF and CR alike become LF: one line, one paragraph, whatever made the file.
inline QByteArray withLfLineEnds(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace kumiro
