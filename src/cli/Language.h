// The command line speaks the user's language: Japanese under a Japanese locale, English
// otherwise. The window is always Japanese, and so are the messages the combines make: the
// command line puts those into English here, phrase by phrase.
#pragma once

#include <QByteArray>
#include <QString>

namespace kumiro {

// True when the locale of messages is Japanese: the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty starts with "ja".
bool japaneseLocale();

// A message of the combines in English, line by line; a line that is not known stays as it
// is (a file's name, a system's own words).
QString inEnglish(const QString& japanese);

// A line of the window's Japanese as a terminal program says it: without the box's wide
// spaces after a sentence or blanks around 「」, and in the command line's words where the
// window's speak of choosing files ("選択された Text ファイル…" → "ファイル…").
QString terminalJapanese(const QString& windowLine);

// Text in the encoding of the locale's characters (LC_ALL, LC_CTYPE, LANG: "ja_JP.eucJP"),
// UTF-8 when the locale names none or one the system cannot convert to; a character the
// encoding has not becomes "?".
QByteArray inLocaleEncoding(const QString& text);

// A message's title ("ファイル確認") in English.
QString titleInEnglish(const QString& japanese);

} // namespace kumiro
