// A report to the user as plain data: what the combines and the command line work out, and
// what a window shows (MessageBoxes.h). No widgets here.
#pragma once

#include <QString>

namespace kumiro {

enum class MsgIcon { Exclamation, Critical, Information, Question };
// OkOpenFolder: a completion that names what it wrote, with "フォルダを開く" beside OK.
enum class MsgButtons { Ok, OkCancel, OkOpenFolder };
enum class MsgAnswer { Ok, Cancel, OpenFolder };

struct Message {
    MsgIcon icon;
    QString title;
    QString text;
};

// The text as a box shows it: each CR, or CR LF, becomes one line break.
inline QString displayText(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

} // namespace kumiro
