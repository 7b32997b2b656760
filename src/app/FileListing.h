#pragma once

#include "app/Kinds.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kumiro {

struct SettingsRecord;

// Case-insensitive match with "*" (any run) and "?" (one character).
bool wildcardMatch(QStringView name, QStringView pattern);

// Sorts names as the lists show them: ignoring case, and equal names that differ only in
// case in a fixed order.
void sortNames(QStringList& names);

// Ordinary, visible files of the folder (not its subfolders) that match the pattern,
// sorted by name ignoring case. An unreadable folder gives nothing.
QStringList searchFolder(const QString& folder, const QString& pattern);

// The patterns a kind searches, in order; a pattern may appear twice.
QStringList kindPatterns(const SettingsRecord& settings, Kind kind);

// Every pattern a file of the program's may have, for the data file dialogs: each kind's
// fixed patterns, the formats it writes (.pdf, .ods, …) and the Text patterns switched on.
QStringList everyDataPattern(const SettingsRecord& settings);
// The data file dialogs' filter: every pattern, then each kind's, then every file.
QString dataFileFilter(const SettingsRecord& settings);

// The kinds whose listed patterns the file name matches, in the kinds' order.
QList<Kind> kindsMatching(const SettingsRecord& settings, const QString& name);

// The one kind of a set of files (drops, "open with", the command line): a kind every
// name matches; of several, `preferred` when it is one of them, else the first in the
// kinds' order. `unknown` is the index of a name of no kind, or -1; nothing and -1 means
// the names have no kind in common.
std::optional<Kind> kindOfNames(const SettingsRecord& settings, const QStringList& names, std::optional<Kind> preferred,
                                int& unknown);

// Every search of the kind, appended in order.
QStringList listKindFiles(const SettingsRecord& settings, Kind kind, const QString& folder);

// True when folder + separator + name is longer than 255 UTF-16 code units for any name.
bool anyPathTooLong(const QString& folder, const QStringList& names);

// Matching files whose names are not text (bytes that are not UTF-8): no name shown in a
// list could open them, so they are counted and the user is told instead.
int countUnnamableFiles(const SettingsRecord& settings, Kind kind, const QString& folder);

// The count message; `unnamable` files add a paragraph that says they are there.
QString fileCountText(int count, Kind kind, int unnamable = 0);
inline const QString kFileCountTitle = QStringLiteral("ファイル数確認");
inline const QString kPathTooLongTitle = QStringLiteral("文字数制限確認");
QString pathTooLongText();

} // namespace kumiro
