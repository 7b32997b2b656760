#include "CommandLine.h"

#include "CommandHelp.h"
#include "Language.h"
#include "app/BuildInfo.h"
#include "app/FileListing.h"
#include "app/Main.h"
#include "app/Paths.h"
#include "app/ProgramState.h"
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
    return {QStringLiteral("オプション 「%1」 はありません。").arg(option),
            QStringLiteral("unknown option '%1'").arg(option)};
}

bool isHelp(const QString& word)
{
    return word == u"--help" || word == u"-h";
}

} // namespace

CliRequest parseCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return usage({QStringLiteral("コマンドを指定して下さい。"), QStringLiteral("no command given")});
    const QString command = arguments.first();
    if (isHelp(command)) {
        CliRequest r;
        r.command = CliRequest::Help;
        return r;
    }
    if (command == u"--version") {
        CliRequest r;
        r.command = CliRequest::Version;
        return r;
    }
    if (command.startsWith(u'-') && command != u"-")
        return usage(unknownOption(command));
    if (command != u"combine" && command != u"convert")
        return usage({QStringLiteral("コマンド 「%1」 はありません。").arg(command),
                      QStringLiteral("unknown command '%1'").arg(command)});

    CliRequest r;
    r.command = command == u"combine" ? CliRequest::Combine : CliRequest::Convert;
    r.topic = command;
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
        if (isHelp(a)) {
            CliRequest help;
            help.command = CliRequest::Help;
            help.topic = command;
            return help;
        }
        if (a == u"-q" || a == u"--quiet") {
            r.quiet = true;
            continue;
        }
        // "--kind=word" as well as "--kind word".
        QString value;
        const qsizetype eq = a.indexOf(u'=');
        if (a.startsWith(QStringLiteral("--")) && eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
        } else if (a == u"--kind" || a == u"-o" || a == u"--output" || a == u"--to" || a == u"--timeout") {
            if (i + 1 >= arguments.size())
                return problem(
                    {QStringLiteral("%1 の値がありません。").arg(a), QStringLiteral("%1 needs a value").arg(a)});
            value = arguments[++i];
        }
        if (r.command == CliRequest::Combine && a == u"--kind") {
            r.kind = kindNamed(value);
            if (!r.kind)
                return problem({QStringLiteral("--kind は word、excel、text のどれかです。"),
                                QStringLiteral("--kind is one of word, excel, text")});
        } else if (r.command == CliRequest::Combine && (a == u"-o" || a == u"--output")) {
            r.output = value;
        } else if (a == u"--timeout") {
            bool ok = false;
            r.timeoutSeconds = value.toInt(&ok);
            if (!ok || r.timeoutSeconds <= 0)
                return problem({QStringLiteral("--timeout は 1 以上の秒数です。"),
                                QStringLiteral("--timeout is a number of seconds, 1 or more")});
        } else if (r.command == CliRequest::Convert && a == u"--to") {
            const auto f = formatNamed(value);
            if (!f)
                return problem({QStringLiteral("--to は txt、doc、rtf、docx、odt、pdf のどれかです。"),
                                QStringLiteral("--to is one of txt, doc, rtf, docx, odt, pdf")});
            r.to = *f;
            toGiven = true;
        } else {
            return problem(unknownOption(arguments[i]));
        }
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

// A message of the window's, a line each on standard error; in English unless the locale
// is Japanese.
void say(CliContext& c, const QString& title, const QString& text)
{
    QStringList lines = displayText(text).split(u'\n');
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    if (!c.japanese) {
        for (QString& line : lines)
            line = inEnglish(line);
    }
    c.err((c.japanese ? title : titleInEnglish(title)) + QStringLiteral(": ") + lines.join(QStringLiteral("\n  ")));
}

void say(CliContext& c, const Message& m)
{
    say(c, m.title, m.text);
}

int usageError(CliContext& c, const CliText& problem, const QString& topic)
{
    const QString help =
        topic.isEmpty() ? QStringLiteral("kumiro --help") : QStringLiteral("kumiro %1 --help").arg(topic);
    c.err(QStringLiteral("kumiro: ") + pick(c, problem));
    c.err(c.japanese ? QStringLiteral("%1 で使い方を表示します。").arg(help) : QStringLiteral("Try '%1'.").arg(help));
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
            QStringLiteral("ファイル %1 の種類が分かりません。　--kind で種類を指定して下さい。").arg(files[unknown]),
            QStringLiteral("the kind of %1 is not known by its extension; give it with --kind").arg(files[unknown])};
    else if (!kind)
        problem = {QStringLiteral("種類の違うファイルが混ざっています。　同じ種類のファイルを指定して下さい。"),
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

int combine(const CliRequest& r, CliContext& c)
{
    const SettingsRecord settings = readSettings(c);
    // The order list's lower limit; its upper one (100) is the window's, which a script
    // does not share.
    if (r.files.size() == 1) {
        say(c, pick(c, {QStringLiteral("選択ファイル数の確認"), QStringLiteral("Files")}),
            pick(c,
                 {QStringLiteral(
                      "くみろ順で指定されたファイルの数は \"１個\" だけです。　複数のファイルを選択して下さい。　"),
                  QStringLiteral("Only one file was given; combine two or more.")}));
        return kExitUsage;
    }
    CliText problem;
    const std::optional<Kind> kind = r.kind ? r.kind : kindOfFiles(settings, r.files, problem);
    if (!kind)
        return usageError(c, problem, r.topic);

    if (!r.output.isEmpty()) {
        if (const auto problem = outputExtensionProblem(*kind, r.output))
            return usageError(c, *problem, r.topic);
    }
    QStringList inputs;
    for (const QString& f : r.files)
        inputs << QFileInfo(f).absoluteFilePath();
    const QString output = r.output.isEmpty() ? outputPathOf(settings, *kind) : QFileInfo(r.output).absoluteFilePath();
    if (const int same = inputIndexOf(output, inputs); same >= 0)
        return usageError(
            c,
            {QStringLiteral("出力 %1 は、くみろするファイル %2 と同じファイルです。").arg(output, inputs[same]),
             QStringLiteral("the output %1 is the input %2").arg(output, inputs[same])},
            r.topic);
    const CommandProgress progress = progressOn(c, r);

    if (*kind == Kind::Text) {
        const TextCombineResult result = combineTextFiles(inputs, output, progress);
        if (r.quiet && result.status == TextCombineResult::Done)
            return kExitOk;
        for (const Message& m : textCombineMessages(result, inputs, output, true))
            say(c, m);
        return result.status == TextCombineResult::Done ? kExitOk : kExitFailed;
    }
    QStringList shortfalls;
    try {
        const std::unique_ptr<Office> office = c.office(officeOptions(r));
        const bool completed = *kind == Kind::Word ? combineWord(*office, inputs, output, progress, &shortfalls)
                                                   : combineExcel(*office, inputs, output, progress, &shortfalls);
        if (!completed)
            return kExitFailed; // cancelled: nothing written
    } catch (const OfficeError& e) {
        const OfficeMessage m = officeFailureMessage(e);
        say(c, m.title, m.text);
        return kExitFailed;
    }
    // What a combine could not carry is said even when asked to be quiet.
    if (!r.quiet || !shortfalls.isEmpty())
        say(c, combineDoneMessage(*kind, output, shortfalls));
    return kExitOk;
}

int convert(const CliRequest& r, CliContext& c)
{
    QStringList inputs, written;
    for (const QString& file : r.files)
        inputs << QFileInfo(file).absoluteFilePath();
    try {
        // Every file is looked at first: either all are converted or none.
        for (const QString& input : inputs)
            checkConvertible(input, r.to);
        const std::unique_ptr<Office> office = c.office(officeOptions(r));
        const CommandProgress progress = progressOn(c, r);
        for (int i = 0; i < inputs.size(); ++i) {
            if (progress.cancelRequested())
                break;
            progress.at(i, int(inputs.size()), inputs[i]);
            const Conversion done = convertFileTo(*office, inputs[i], r.to);
            written << done.output;
            if (r.quiet)
                continue;
            const QString kept = oldFileText(done.output, done.oldFile);
            say(c, QStringLiteral("変換確認"),
                convertDoneText(r.to) + QStringLiteral("\r") + done.output +
                    (kept.isEmpty() ? QString() : QStringLiteral("\r") + kept));
        }
    } catch (const OfficeError& e) {
        // As in the window, a failure stops the files after it.
        const OfficeMessage m = officeFailureMessage(e, QStringLiteral("変換先"));
        say(c, m.title, m.text);
    }
    if (written.size() == inputs.size())
        return kExitOk;
    // What was written before the failure stays: said file by file.
    if (!written.isEmpty())
        say(c, QStringLiteral("変換確認"),
            pick(c, {QStringLiteral("次のファイルは変換済みです:"), QStringLiteral("These files were converted:")}) +
                u'\r' + written.join(QStringLiteral("\r")));
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
