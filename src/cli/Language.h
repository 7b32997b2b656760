// The command line speaks the user's language: Japanese under a Japanese locale, English
// otherwise. The window is always Japanese, and so are the messages the combines make: the
// command line puts those into English here, phrase by phrase.
#pragma once

#include <QString>

namespace kumiro {

// True when the locale of messages is Japanese: the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty starts with "ja".
bool japaneseLocale();

// A message of the combines in English, line by line; a line that is not known stays as it
// is (a file's name, a system's own words).
QString inEnglish(const QString& japanese);

// A message's title ("ファイル確認") in English.
QString titleInEnglish(const QString& japanese);

} // namespace kumiro
