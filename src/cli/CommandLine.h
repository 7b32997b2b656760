#pragma once

#include "app/Kinds.h"
#include "combine/Office.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace kumiro {

class SettingsStore;

// True when the arguments ask for the command line rather than the window: anything but
// nothing at all, the window system's own options ("-platform offscreen") and files for
// the window (windowFiles). An option the
// program does not know is the command line's usage error, never a window.
bool isCommandLine(const QStringList& arguments);
// Files given to the window ("open with" from a file manager, or `kumiro FILE...`): every
// argument but the window system's options names an existing file, and the first is no
// command; nothing otherwise.
QStringList windowFiles(const QStringList& arguments);

// A generous bound for one office call on the command line, where nobody may be there to
// cancel: a frozen office is ended far sooner, after 10 s without progress.
inline constexpr int kDefaultTimeoutSeconds = 1800;

// A text of the command line in both the languages it speaks.
struct CliText {
    QString japanese;
    QString english;
};

// What was asked, before anything is looked at on disk.
struct CliRequest {
    enum Command { Help, Version, Combine, Convert, Usage };
    Command command = Usage;
    QString topic; // "combine" or "convert": the command a help or a usage error is about
    std::optional<Kind> kind; // combine --kind
    QString output; // combine -o; "-" is standard output
    bool append = false; // combine --append: a text output is added to, as the window does
    QString outdir; // convert --outdir: where the converted files go, else beside each file
    int timeoutSeconds = kDefaultTimeoutSeconds; // --timeout: the longest one office call may take
    WordFormat to = WordFormat::Text; // convert --to
    bool quiet = false; // -q: nothing said on success but what a combine could not carry
    QStringList files;
    CliText problem; // for Usage: what is wrong
};
// `arguments` without the program name; the window system's options before the command are
// passed over.
CliRequest parseCommandLine(const QStringList& arguments);

// Where the command line runs: its settings, its office and its standard error.
struct CliContext {
    SettingsStore& store; // read only: nothing is ever saved
    QString programFolder; // for the settings' fallback folder and the office driver
    std::function<std::unique_ptr<Office>(const OfficeOptions&)> office;
    std::function<void(const QString&)> out; // standard output: the help and the version
    std::function<void(const QString&)> err; // standard error: progress and messages, a line each
    bool terminal = false; // standard error is a terminal: progress is shown
    bool japanese = true; // every text in Japanese (else English)
    std::function<QByteArray()> in; // standard input, read whole: the input "-"
    std::function<bool(const QByteArray&)> write; // standard output's bytes (-o -); false when they could not go
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs the request; the exit status (128 + the signal's number when a signal ended it).
int runCommandLine(const CliRequest& request, CliContext& context);

} // namespace kumiro
