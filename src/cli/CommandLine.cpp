#include "CommandLine.h"

#include "CombineOutput.h"
#include "CommandHelp.h"
#include "Language.h"
#include "app/BuildInfo.h"
#include "app/FileListing.h"
#include "app/Main.h"
#include "app/Paths.h"
#include "app/SettingsStore.h"
#include "app/SettingsTable.h"
#include "combine/CombineMessages.h"
#include "combine/ExcelCombine.h"
#include "combine/TextCombine.h"
#include "combine/WordCombine.h"
#include "platform/Interrupt.h"
#include "platform/Message.h"
#include "platform/OutputPath.h"
#include "platform/ReplaceFile.h"
#include "tools/Convert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kumiro {

namespace {

// How many words the window system's option at `i` takes ("-platform offscreen": 2), or 0
// when it is not one. Qt reads its options with one dash or two.
int windowSystemOption(const QStringList& arguments, int i)
{
    static const QStringList withValue = {QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
                                          QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
                                          QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
                                          QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
                                          QStringLiteral("display"),         QStringLiteral("geometry"),
                                          QStringLiteral("style"),           QStringLiteral("stylesheet")};
    static const QStringList alone = {QStringLiteral("reverse"), QStringLiteral("widgetcount")};
    QString word = arguments[i];
    if (word.startsWith(QStringLiteral("--")))
        word.remove(0, 1);
    if (!word.startsWith(u'-'))
        return 0;
    word.remove(0, 1);
    if (alone.contains(word))
        return 1;
    if (withValue.contains(word))
        return i + 1 < arguments.size() ? 2 : 0;
    if (word.startsWith(QStringLiteral("style=")) || word.startsWith(QStringLiteral("stylesheet=")) ||
        word.startsWith(QStringLiteral("qmljsdebugger=")))
        return 1;
    return 0;
}

} // namespace

bool isCommandLine(const QStringList& arguments)
{
    for (int i = 0; i < arguments.size();) {
        const int taken = windowSystemOption(arguments, i);
        if (taken == 0)
            return true;
        i += taken;
    }
    return false;
}

QStringList windowFiles(const QStringList& arguments)
{
    QStringList files;
    for (int i = 0; i < arguments.size();) {
        if (const int taken = windowSystemOption(arguments, i)) {
            i += taken;
            continue;
        }
        const QString& word = arguments[i++];
        if (word.startsWith(u'-') || (files.isEmpty() && (word == u"combine" || word == u"convert")) ||
            !QFileInfo(word).isFile())
            return {};
        files << QFileInfo(word).absoluteFilePath();
    }
    return files;
}

namespace {

std::optional<Kind> kindNamed(const QString& name)
{
    if (name == u"word")
        return Kind::Word;
    if (name == u"excel")
        return Kind::Excel;
    if (name == u"text")
        return Kind::Text;
    return std::nullopt;
}

std::optional<WordFormat> formatNamed(const QString& name)
{
    for (WordFormat f : {WordFormat::Text, WordFormat::Native, WordFormat::RichText, WordFormat::Docx, WordFormat::Odt,
                         WordFormat::Pdf}) {
        if (extensionOf(f) == name)
            return f;
    }
    return std::nullopt;
}

CliRequest usage(const CliText& problem, const QString& topic = {})
{
    CliRequest r;
    r.command = CliRequest::Usage;
    r.problem = problem;
    r.topic = topic;
    return r;
}

CliText unknownOption(const QString& option)
{
    return {QStringLiteral("オプション「%1」はありません。").arg(option),
            QStringLiteral("unknown option '%1'").arg(option)};
}

bool isHelp(const QString& word)
{
    return word == u"--help" || word == u"-h";
}

// The words after the window system's options ("kumiro -platform offscreen --bogus": the
// window's options are the window's).
QStringList withoutWindowOptions(const QStringList& words)
{
    qsizetype first = 0;
    while (first < words.size()) {
        const int taken = windowSystemOption(words, int(first));
        if (taken == 0)
            break;
        first += taken;
    }
    return words.mid(first);
}

CliRequest requestOf(CliRequest::Command command, const QString& topic = {})
{
    CliRequest r;
    r.command = command;
    r.topic = topic;
    return r;
}

// The command word: help, the version, or what is wrong with it; nothing for "combine" and
// "convert", whose options follow.
std::optional<CliRequest> requestOfCommandWord(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return usage({QStringLiteral("コマンドを指定して下さい。"), QStringLiteral("no command given")});
    const QString command = arguments.first();
    if (isHelp(command))
        return requestOf(CliRequest::Help);
    if (command == u"--version")
        return requestOf(CliRequest::Version);
    if (command.startsWith(u'-') && command != u"-")
        return usage(unknownOption(command));
    if (command == u"combine" || command == u"convert")
        return std::nullopt;
    // "kumiro memo.txt" opens the file in the window: a word that reads as a file's name
    // is one that is not there.
    if (command.contains(u'/') || command.contains(u'.'))
        return usage({QStringLiteral("ファイル %1 がありません。").arg(command),
                      QStringLiteral("no such file: %1").arg(command)});
    return usage({QStringLiteral("コマンド「%1」はありません。").arg(command),
                  QStringLiteral("unknown command '%1'").arg(command)});
}

bool takesValue(const QString& option)
{
    return option == u"--kind" || option == u"-o" || option == u"--output" || option == u"--to" ||
        option == u"--timeout" || option == u"--outdir";
}

// An option with its value into the request; what is wrong when the option is not the
// command's or its value is none it takes. `written` is the option as the user wrote it.
std::optional<CliText> takeOption(CliRequest& r, const QString& option, const QString& value, const QString& written)
{
    const bool combine = r.command == CliRequest::Combine;
    if (combine && option == u"--kind") {
        r.kind = kindNamed(value);
        if (!r.kind)
            return CliText{QStringLiteral("--kind は word、excel、text のどれかです。"),
                           QStringLiteral("--kind is one of word, excel, text")};
    } else if (combine && (option == u"-o" || option == u"--output")) {
        r.output = value;
    } else if (option == u"--timeout") {
        bool ok = false;
        r.timeoutSeconds = value.toInt(&ok);
        if (!ok || r.timeoutSeconds <= 0)
            return CliText{QStringLiteral("--timeout は 1 以上の秒数です。"),
                           QStringLiteral("--timeout is a number of seconds, 1 or more")};
    } else if (!combine && option == u"--outdir") {
        r.outdir = value;
    } else if (!combine && option == u"--to") {
        const auto f = formatNamed(value);
        if (!f)
            return CliText{QStringLiteral("--to は txt、doc、rtf、docx、odt、pdf のどれかです。"),
                           QStringLiteral("--to is one of txt, doc, rtf, docx, odt, pdf")};
        r.to = *f;
    } else {
        return unknownOption(written);
    }
    return std::nullopt;
}

} // namespace

CliRequest parseCommandLine(const QStringList& words)
{
    const QStringList arguments = withoutWindowOptions(words);
    if (auto early = requestOfCommandWord(arguments))
        return *early;
    const QString command = arguments.first();
    CliRequest r = requestOf(command == u"combine" ? CliRequest::Combine : CliRequest::Convert, command);
    auto problem = [&](const CliText& text) { return usage(text, command); };
    bool toGiven = false;
    bool options = true;
    for (int i = 1; i < arguments.size(); ++i) {
        QString a = arguments[i];
        if (options && a == u"--") {
            options = false;
            continue;
        }
        if (!options || !a.startsWith(u'-') || a == u"-") {
            r.files << a;
            continue;
        }
        if (isHelp(a))
            return requestOf(CliRequest::Help, command);
        if (a == u"-q" || a == u"--quiet") {
            r.quiet = true;
            continue;
        }
        if (r.command == CliRequest::Combine && a == u"--append") {
            r.append = true;
            continue;
        }
        // "--kind=word" as well as "--kind word".
        QString value;
        const qsizetype eq = a.indexOf(u'=');
        if (a.startsWith(QStringLiteral("--")) && eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
        } else if (takesValue(a)) {
            if (i + 1 >= arguments.size())
                return problem(
                    {QStringLiteral("%1 の値がありません。").arg(a), QStringLiteral("%1 needs a value").arg(a)});
            value = arguments[++i];
        }
        if (const auto wrong = takeOption(r, a, value, arguments[i]))
            return problem(*wrong);
        toGiven = toGiven || (r.command == CliRequest::Convert && a == u"--to");
    }
    if (r.files.isEmpty())
        return problem({QStringLiteral("ファイルを指定して下さい。"), QStringLiteral("no files given")});
    if (r.command == CliRequest::Convert && !toGiven)
        return problem({QStringLiteral("--to で変換先の形式を指定して下さい。"),
                        QStringLiteral("--to is needed: the format to convert to")});
    return r;
}

namespace {

QString pick(const CliContext& c, const CliText& text)
{
    return c.japanese ? text.japanese : text.english;
}

// A line of the command line's own on standard error.
void tell(CliContext& c, const CliText& text)
{
    c.err(QStringLiteral("kumiro: ") + pick(c, text));
}

// A message of the window's (its title is the box's, not the terminal's), a line each on
// standard error: in a terminal program's Japanese, or in English unless the locale is
// Japanese.
void say(CliContext& c, const QString& text)
{
    for (const QString& line : displayText(text).split(u'\n')) {
        if (!line.trimmed().isEmpty())
            c.err(QStringLiteral("kumiro: ") + (c.japanese ? terminalJapanese(line) : inEnglish(line)));
    }
}

int usageError(CliContext& c, const CliText& problem, const QString& topic)
{
    const QString help =
        topic.isEmpty() ? QStringLiteral("kumiro --help") : QStringLiteral("kumiro %1 --help").arg(topic);
    c.err(QStringLiteral("kumiro: ") + pick(c, problem));
    c.err(c.japanese ? QStringLiteral("kumiro: %1 で使い方を表示します。").arg(help)
                     : QStringLiteral("kumiro: Try '%1'.").arg(help));
    return kExitUsage;
}

CommandProgress progressOn(CliContext& c, const CliRequest& r)
{
    CommandProgress progress;
    progress.cancelled = [] { return interruptSignal() != 0; };
    if (c.terminal && !r.quiet)
        progress.step = [&c](int index, int count, const QString& file) {
            c.err(QStringLiteral("%1 / %2 : %3").arg(index + 1).arg(count).arg(QFileInfo(file).fileName()));
        };
    return progress;
}

SettingsRecord readSettings(CliContext& c)
{
    c.store.setReadOnly();
    SettingsRecord settings;
    loadLogoSetting(settings, c.store, kAppTitle);
    const QString fallback = fallbackFolder(c.programFolder, isWritableFolder(c.programFolder));
    loadRemainingSettings(settings, c.store, kAppTitle, fallback, ScreenTwips{});
    return settings;
}

// The one kind of the files, as a drop would choose it; nothing, with the reason, otherwise.
std::optional<Kind> kindOfFiles(const SettingsRecord& settings, const QStringList& files, CliText& problem)
{
    QStringList names;
    for (const QString& file : files)
        names << QFileInfo(file).fileName();
    int unknown = -1;
    const std::optional<Kind> kind = kindOfNames(settings, names, std::nullopt, unknown);
    if (unknown >= 0)
        problem = {
            QStringLiteral("ファイル %1 の種類が分かりません。--kind で種類を指定して下さい。").arg(files[unknown]),
            QStringLiteral("the kind of %1 is not known by its extension; give it with --kind").arg(files[unknown])};
    else if (!kind)
        problem = {QStringLiteral("種類の違うファイルが混ざっています。同じ種類のファイルを指定して下さい。"),
                   QStringLiteral("the files are of different kinds; give files of one kind")};
    return kind;
}

// A file named .xlsx holds a workbook: an output's extension must be one its kind writes
// (a text may be named as the user likes, but not as an office file).
std::optional<CliText> outputExtensionProblem(Kind kind, const QString& output)
{
    const QString suffix = QFileInfo(output).suffix().toLower();
    QStringList can;
    for (const OutputFormat& f : kindInfo(kind).outputFormats)
        can << f.extension;
    if (kind == Kind::Word)
        can << QStringLiteral("rtf");
    if (kind == Kind::Text) {
        QStringList office;
        for (Kind k : {Kind::Word, Kind::Excel})
            for (const OutputFormat& f : kindInfo(k).outputFormats)
                office << f.extension;
        if (!office.contains(suffix) && suffix != u"rtf")
            return std::nullopt;
    } else if (can.contains(suffix)) {
        return std::nullopt;
    }
    return CliText{QStringLiteral("%1 の出力には拡張子 .%2 のどれかを付けて下さい。")
                       .arg(kindInfo(kind).word, can.join(QStringLiteral("、."))),
                   QStringLiteral("the output of %1 files needs one of the extensions .%2")
                       .arg(kindInfo(kind).word, can.join(QStringLiteral(", .")))};
}

OfficeOptions officeOptions(const CliRequest& r)
{
    OfficeOptions options;
    options.callTimeoutMs = r.timeoutSeconds * 1000;
    options.interrupt = interruptFlag();
    return options;
}

// What the words of a combine ask that cannot be done, before the kind is known.
std::optional<CliText> combineWordsProblem(const CliRequest& r)
{
    // The order list's lower limit; its upper one (100) is the window's, which a script
    // does not share.
    if (r.files.size() == 1)
        return CliText{QStringLiteral("ファイルを 2 個以上指定して下さい。"),
                       QStringLiteral("give two or more files to combine")};
    if (r.files.count(QStringLiteral("-")) > 1)
        return CliText{QStringLiteral("標準入力 (-) は 1 回しか読めません。"),
                       QStringLiteral("standard input (-) can be read only once")};
    return std::nullopt;
}

// What the kind cannot write as asked.
std::optional<CliText> combineOutputProblem(const CliRequest& r, Kind kind)
{
    if (kind != Kind::Text && namesStandardOutput(r.output))
        return CliText{QStringLiteral("標準出力 (-o -) に書けるのはテキストだけです。Word と Excel は -o "
                                      "で書き込むファイルを指定して下さい。"),
                       QStringLiteral("only text goes to standard output (-o -); give a Word or Excel output a "
                                      "file name with -o")};
    if (kind != Kind::Text && r.append)
        return CliText{QStringLiteral("--append で追記できるのはテキストだけです。"),
                       QStringLiteral("--append is for text files only")};
    if (!r.output.isEmpty() && !namesStandardOutput(r.output))
        return outputExtensionProblem(kind, r.output);
    return std::nullopt;
}

int combineText(const CliRequest& r, CliContext& c, const QStringList& inputs, const QString& output, OutputMode mode)
{
    QString kept;
    const TextCombineResult result = combineTextAs(mode, inputs, output, progressOn(c, r), kept);
    if (result.status != TextCombineResult::Done) {
        for (const Message& m : textCombineMessages(result, inputs, output, true))
            say(c, m.text);
        return kExitFailed;
    }
    if (mode == OutputMode::StandardOutput) {
        QFile file(output);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (file.error() != QFileDevice::NoError || !c.write || !c.write(bytes)) {
            tell(c, {QStringLiteral("標準出力に書き込めません。"), QStringLiteral("cannot write to standard output")});
            return kExitFailed;
        }
    } else if (!r.quiet) {
        tell(c, combineDoneLine(mode, output, int(inputs.size()), kept));
    }
    if (!r.quiet && !result.converted.isEmpty())
        tell(c, convertedInputsLine(result, inputs));
    return kExitOk;
}

// The command's office; where it runs without its box, the user hears of it.
std::unique_ptr<Office> openOffice(const CliRequest& r, CliContext& c)
{
    std::unique_ptr<Office> office = c.office(officeOptions(r));
    if (office->unboxed())
        say(c, unboxedOfficeNotice());
    return office;
}

int combineOffice(const CliRequest& r, CliContext& c, Kind kind, const QStringList& inputs, const QString& output,
                  OutputMode mode)
{
    QStringList shortfalls;
    QString kept;
    QString* keep = mode == OutputMode::Replace ? &kept : nullptr;
    try {
        const std::unique_ptr<Office> office = openOffice(r, c);
        const CommandProgress progress = progressOn(c, r);
        const bool completed = kind == Kind::Word ? combineWord(*office, inputs, output, progress, &shortfalls, keep)
                                                  : combineExcel(*office, inputs, output, progress, &shortfalls, keep);
        if (!completed)
            return kExitFailed; // cancelled: nothing written
    } catch (const OfficeError& e) {
        say(c, officeFailureMessage(e).text);
        return kExitFailed;
    }
    if (!r.quiet)
        tell(c, combineDoneLine(mode, output, int(inputs.size()), kept));
    // What a combine could not carry is said even when asked to be quiet.
    for (const QString& shortfall : shortfalls)
        say(c, shortfall);
    return kExitOk;
}

int combine(const CliRequest& r, CliContext& c)
{
    const SettingsRecord settings = readSettings(c);
    if (const auto problem = combineWordsProblem(r))
        return usageError(c, *problem, r.topic);
    CliText problem;
    QStringList named = r.files;
    named.removeAll(QStringLiteral("-"));
    const std::optional<Kind> kind = r.kind ? r.kind : kindOfFiles(settings, named, problem);
    if (!kind)
        return usageError(c, problem, r.topic);
    if (const auto problem = combineOutputProblem(r, *kind))
        return usageError(c, *problem, r.topic);

    // Messages name the streams, never the private files that hold them.
    StreamFiles streams;
    CliContext shown = c;
    shown.err = [&](const QString& line) { c.err(streams.shown(line, c.japanese)); };
    const bool toStandardOutput = namesStandardOutput(r.output);
    const QString output = toStandardOutput ? streams.outputPath()
        : r.output.isEmpty()                ? outputPathOf(settings, *kind)
                                            : QFileInfo(r.output).absoluteFilePath();
    QStringList inputs;
    for (const QString& f : r.files) {
        if (f != u"-") {
            inputs << QFileInfo(f).absoluteFilePath();
            continue;
        }
        inputs << streams.saveInput(c.in ? c.in() : QByteArray(), *kind);
        if (inputs.last().isEmpty()) {
            tell(c,
                 {QStringLiteral("標準入力を一時ファイルに保存できません。"),
                  QStringLiteral("cannot keep standard input in a temporary file")});
            return kExitFailed;
        }
    }
    if (const int same = toStandardOutput ? -1 : inputIndexOf(output, inputs); same >= 0)
        return usageError(
            shown,
            {QStringLiteral("出力 %1 は、くみろするファイル %2 と同じファイルです。").arg(output, inputs[same]),
             QStringLiteral("the output %1 is the input %2").arg(output, inputs[same])},
            r.topic);
    const QFileInfo there(output);
    const OutputMode mode = toStandardOutput  ? OutputMode::StandardOutput
        : r.append                            ? OutputMode::Append
        : there.exists() || there.isSymLink() ? OutputMode::Replace
                                              : OutputMode::Create;
    if (*kind == Kind::Text)
        return combineText(r, shown, inputs, output, mode);
    return combineOffice(r, shown, *kind, inputs, output, mode);
}

// The completion of one conversion, and where the file it replaced went.
CliText convertedLine(const QString& input, const Conversion& done)
{
    const QString from = QDir::toNativeSeparators(input), to = QDir::toNativeSeparators(done.output);
    const QString kept = oldFileText(done.output, done.oldFile);
    const bool trash = kept.contains(QStringLiteral("ごみ箱"));
    const QString old = QDir::toNativeSeparators(done.oldFile);
    return {QStringLiteral("%1 を %2 に変換しました。").arg(from, to) +
                (kept.isEmpty() ? QString()
                     : trash    ? QStringLiteral("元の %1 はごみ箱に移しました。").arg(to)
                                : QStringLiteral("元の %1 は %2 として残しました。").arg(to, old)),
            QStringLiteral("converted %1 to %2").arg(from, to) +
                (kept.isEmpty() ? QString()
                     : trash    ? QStringLiteral("; the old %1 was moved to the trash").arg(to)
                                : QStringLiteral("; the old %1 was kept as %2").arg(to, old))};
}

int convert(const CliRequest& r, CliContext& c)
{
    if (r.files.contains(QStringLiteral("-")))
        return usageError(c,
                          {QStringLiteral("convert は標準入力 (-) を変換できません。ファイルを指定して下さい。"),
                           QStringLiteral("convert cannot read standard input (-); give files")},
                          r.topic);
    const QString folder = r.outdir.isEmpty() ? QString() : QFileInfo(r.outdir).absoluteFilePath();
    if (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        tell(c,
             {QStringLiteral("フォルダ %1 がありません。").arg(r.outdir),
              QStringLiteral("no such folder: %1").arg(r.outdir)});
        return kExitFailed;
    }
    QStringList inputs, written;
    for (const QString& file : r.files)
        inputs << QFileInfo(file).absoluteFilePath();
    try {
        // Every file is looked at first: either all are converted or none.
        for (const QString& input : inputs)
            checkConvertible(input, r.to, folder);
        const std::unique_ptr<Office> office = openOffice(r, c);
        const CommandProgress progress = progressOn(c, r);
        for (int i = 0; i < inputs.size(); ++i) {
            if (progress.cancelRequested())
                break;
            progress.at(i, int(inputs.size()), inputs[i]);
            const Conversion done = convertFileTo(*office, inputs[i], r.to, folder);
            written << done.output;
            if (!r.quiet)
                tell(c, convertedLine(inputs[i], done));
        }
    } catch (const OfficeError& e) {
        // As in the window, a failure stops the files after it.
        say(c, officeFailureMessage(e, QStringLiteral("変換先")).text);
    }
    if (written.size() == inputs.size())
        return kExitOk;
    // What was written before the failure stays: said file by file.
    if (!written.isEmpty())
        tell(c,
             {QStringLiteral("次のファイルは変換済みです: ") + written.join(QStringLiteral("、")),
              QStringLiteral("these files were converted: ") + written.join(QStringLiteral(", "))});
    return kExitFailed;
}

} // namespace

int runCommandLine(const CliRequest& r, CliContext& c)
{
    int status = kExitUsage;
    switch (r.command) {
    case CliRequest::Help: c.out(commandLineHelp(c.japanese, r.topic)); return kExitOk;
    case CliRequest::Version: c.out(QStringLiteral("kumiro " KUMIRO_VERSION)); return kExitOk;
    case CliRequest::Usage: return usageError(c, r.problem, r.topic);
    case CliRequest::Combine: status = combine(r, c); break;
    case CliRequest::Convert: status = convert(r, c); break;
    }
    // A command that was done before it saw the signal stays done.
    return status != kExitOk && interruptSignal() != 0 ? interruptExitStatus() : status;
}

} // namespace kumiro
