#include "CommandLine.h"

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

bool isCommandLine(const QStringList& arguments)
{
    // Any word is a command (an unknown one is a usage error, not a window); of the options
    // only the program's own: the rest are the window system's ("-platform", "-display").
    if (arguments.isEmpty())
        return false;
    const QString& first = arguments.first();
    return !first.startsWith(u'-') || first == u"--help" || first == u"-h" || first == u"--version";
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

CliRequest usage(const QString& problem)
{
    CliRequest r;
    r.command = CliRequest::Usage;
    r.problem = problem;
    return r;
}

} // namespace

CliRequest parseCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return usage(QStringLiteral("コマンドを指定して下さい。"));
    const QString command = arguments.first();
    if (command == u"--help" || command == u"-h") {
        CliRequest r;
        r.command = CliRequest::Help;
        return r;
    }
    if (command == u"--version") {
        CliRequest r;
        r.command = CliRequest::Version;
        return r;
    }
    if (command != u"combine" && command != u"convert")
        return usage(QStringLiteral("コマンド 「%1」 はありません。").arg(command));

    CliRequest r;
    r.command = command == u"combine" ? CliRequest::Combine : CliRequest::Convert;
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
        // "--kind=word" as well as "--kind word".
        QString value;
        const qsizetype eq = a.indexOf(u'=');
        if (a.startsWith(QStringLiteral("--")) && eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
        } else if (a == u"--kind" || a == u"-o" || a == u"--output" || a == u"--to" || a == u"--timeout") {
            if (i + 1 >= arguments.size())
                return usage(QStringLiteral("%1 の値がありません。").arg(a));
            value = arguments[++i];
        }
        if (r.command == CliRequest::Combine && a == u"--kind") {
            r.kind = kindNamed(value);
            if (!r.kind)
                return usage(QStringLiteral("--kind は word、excel、text のどれかです。"));
        } else if (r.command == CliRequest::Combine && (a == u"-o" || a == u"--output")) {
            r.output = value;
        } else if (a == u"--timeout") {
            bool ok = false;
            r.timeoutSeconds = value.toInt(&ok);
            if (!ok || r.timeoutSeconds <= 0)
                return usage(QStringLiteral("--timeout は 1 以上の秒数です。"));
        } else if (r.command == CliRequest::Convert && a == u"--to") {
            const auto f = formatNamed(value);
            if (!f)
                return usage(QStringLiteral("--to は txt、doc、rtf、docx、odt、pdf のどれかです。"));
            r.to = *f;
            toGiven = true;
        } else {
            return usage(QStringLiteral("オプション 「%1」 はありません。").arg(arguments[i]));
        }
    }
    if (r.files.isEmpty())
        return usage(QStringLiteral("ファイルを指定して下さい。"));
    if (r.command == CliRequest::Convert && !toGiven)
        return usage(QStringLiteral("--to で変換先の形式を指定して下さい。"));
    return r;
}

QString commandLineHelp(bool japanese)
{
    if (japanese)
        return QStringLiteral(
            "使い方:\n"
            "  kumiro                                         ウィンドウで使う\n"
            "  kumiro combine [--kind word|excel|text] [-o 出力] [--timeout 秒] ファイル...\n"
            "      ファイルを指定の順に 1 つにまとめる（2 個から 100 個）。種類は --kind か拡張子で決まり、\n"
            "      出力の形式は -o の拡張子で決まる。-o がなければ設定のくみろ先とファイル名に書く。\n"
            "  kumiro convert --to txt|doc|rtf|docx|odt|pdf [--timeout 秒] ファイル...\n"
            "      ファイルを指定の形式に変換し、元のファイルの隣に書く。\n"
            "  --timeout 秒 は LibreOffice の 1 回の処理を待つ上限（既定 1800）。応答のない LibreOffice は\n"
            "      10 秒で終了させる。\n"
            "  kumiro --help | --version\n"
            "\n"
            "終了コード: 0 成功、1 失敗（何も書かれていない）、2 使い方の誤り、\n"
            "128 + N シグナル N（Ctrl+C、SIGTERM、SIGHUP）で中止（何も書かれていない）。\n"
            "設定は読むだけで、書き換えない。");
    return QStringLiteral("Usage:\n"
                          "  kumiro                                          use the window\n"
                          "  kumiro combine [--kind word|excel|text] [-o OUTPUT] [--timeout SECONDS] FILE...\n"
                          "      Combine 2 to 100 files into one, in the order given. The kind comes from --kind or\n"
                          "      from the extensions; the output's extension chooses its format. Without -o, the\n"
                          "      output is the kind's output folder and name from the settings.\n"
                          "  kumiro convert --to txt|doc|rtf|docx|odt|pdf [--timeout SECONDS] FILE...\n"
                          "      Convert each file; the result is written beside it.\n"
                          "  --timeout SECONDS bounds one LibreOffice call (default 1800); a LibreOffice that\n"
                          "      makes no progress is ended after 10 seconds.\n"
                          "  kumiro --help | --version\n"
                          "\n"
                          "Exit status: 0 success, 1 failure (nothing written), 2 usage error,\n"
                          "128 + N when signal N (Ctrl+C, SIGTERM, SIGHUP) stopped it (nothing written).\n"
                          "The settings are read, never written. Messages are in Japanese.");
}

namespace {

void say(CliContext& c, const QString& title, const QString& text)
{
    QStringList lines = displayText(text).split(u'\n');
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    c.err(title + QStringLiteral(": ") + lines.join(QStringLiteral("\n  ")));
}

void say(CliContext& c, const Message& m)
{
    say(c, m.title, m.text);
}

int usageError(CliContext& c, const QString& problem)
{
    c.err(QStringLiteral("kumiro: ") + problem);
    c.err(c.japanese ? QStringLiteral("kumiro --help で使い方を表示します。") : QStringLiteral("Try 'kumiro --help'."));
    return kExitUsage;
}

CommandProgress progressOn(CliContext& c)
{
    CommandProgress progress;
    progress.cancelled = [] { return interruptSignal() != 0; };
    if (c.terminal)
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
std::optional<Kind> kindOfFiles(const SettingsRecord& settings, const QStringList& files, QString& problem)
{
    QStringList names;
    for (const QString& file : files)
        names << QFileInfo(file).fileName();
    int unknown = -1;
    const std::optional<Kind> kind = kindOfNames(settings, names, std::nullopt, unknown);
    if (unknown >= 0)
        problem =
            QStringLiteral("ファイル %1 の種類が分かりません。　--kind で種類を指定して下さい。").arg(files[unknown]);
    else if (!kind)
        problem = QStringLiteral("種類の違うファイルが混ざっています。　同じ種類のファイルを指定して下さい。");
    return kind;
}

// A file named .xlsx holds a workbook: an output's extension must be one its kind writes
// (a text may be named as the user likes, but not as an office file).
QString outputExtensionProblem(Kind kind, const QString& output)
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
            return QString();
    } else if (can.contains(suffix)) {
        return QString();
    }
    return QStringLiteral("%1 の出力には拡張子 .%2 のどれかを付けて下さい。")
        .arg(kindInfo(kind).word, can.join(QStringLiteral("、.")));
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
    // The same limits as the order list's "OK".
    if (r.files.size() == 1) {
        say(c, QStringLiteral("選択ファイル数の確認"),
            QStringLiteral(
                "くみろ順で指定されたファイルの数は \"１個\" だけです。　複数のファイルを選択して下さい。　"));
        return kExitUsage;
    }
    if (r.files.size() > kMaxOrder) {
        say(c, QStringLiteral("選択ファイル数の確認"),
            QStringLiteral("くみろ順で指定されたファイルの数が \"100個\" を超えています。　\r\r"
                           "これ以上のファイル数を扱う場合は、数回に分けて実行して下さい。　"));
        return kExitUsage;
    }
    QString problem;
    const std::optional<Kind> kind = r.kind ? r.kind : kindOfFiles(settings, r.files, problem);
    if (!kind)
        return usageError(c, problem);

    if (!r.output.isEmpty()) {
        const QString problem = outputExtensionProblem(*kind, r.output);
        if (!problem.isEmpty())
            return usageError(c, problem);
    }
    QStringList inputs;
    for (const QString& f : r.files)
        inputs << QFileInfo(f).absoluteFilePath();
    const QString output = r.output.isEmpty() ? outputPathOf(settings, *kind) : QFileInfo(r.output).absoluteFilePath();
    if (const int same = inputIndexOf(output, inputs); same >= 0)
        return usageError(
            c, QStringLiteral("出力 %1 は、くみろするファイル %2 と同じファイルです。").arg(output, inputs[same]));
    const CommandProgress progress = progressOn(c);

    if (*kind == Kind::Text) {
        const TextCombineResult result = combineTextFiles(inputs, output, progress);
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
        const CommandProgress progress = progressOn(c);
        for (int i = 0; i < inputs.size(); ++i) {
            if (progress.cancelRequested())
                break;
            progress.at(i, int(inputs.size()), inputs[i]);
            const Conversion done = convertFileTo(*office, inputs[i], r.to);
            written << done.output;
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
            QStringLiteral("次のファイルは変換済みです:\r") + written.join(QStringLiteral("\r")));
    return kExitFailed;
}

} // namespace

int runCommandLine(const CliRequest& r, CliContext& c)
{
    int status = kExitUsage;
    switch (r.command) {
    case CliRequest::Help: c.out(commandLineHelp(c.japanese)); return kExitOk;
    case CliRequest::Version: c.out(QStringLiteral("kumiro " KUMIRO_VERSION)); return kExitOk;
    case CliRequest::Usage: return usageError(c, r.problem);
    case CliRequest::Combine: status = combine(r, c); break;
    case CliRequest::Convert: status = convert(r, c); break;
    }
    // A command that was done before it saw the signal stays done.
    return status != kExitOk && interruptSignal() != 0 ? interruptExitStatus() : status;
}

} // namespace kumiro
