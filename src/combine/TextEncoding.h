#pragma once

#include <QByteArray>
#include <QStringDecoder>

namespace kumiro {

enum class TextEncoding { Utf8, ShiftJis };

// UTF-8 when the bytes start with its mark or decode without error, else Shift-JIS (CP932).
// Header-only: the office driver, a module of its own, uses it too.
inline TextEncoding detectTextEncoding(const QByteArray& bytes, bool complete = true)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    // Complete: a sequence cut at the end is an error. Only the start of a file: a
    // character cut where the reading stopped is none.
    QStringDecoder utf8(QStringDecoder::Utf8, complete ? QStringDecoder::Flag::Stateless
                                                       : QStringDecoder::Flag::Default);
    const QString decoded = utf8.decode(bytes);
    Q_UNUSED(decoded);
    return utf8.hasError() ? TextEncoding::ShiftJis : TextEncoding::Utf8;
}

} // namespace kumiro
