#include "Language.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <iconv.h>

#include <cerrno>
#include <utility>

namespace kumiro {

bool japaneseLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value.startsWith(QStringLiteral("ja"));
    }
    return false;
}

namespace {

// A whole line of Japanese, and its English: %N is the Nth part as it is (a file's name),
// {N} the Nth part put into English too (a reason), [N] a list joined by "、" whose items
// are put into English one by one.
struct Phrase {
    QRegularExpression japanese;
    QString english;
};

// The phrases of src/combine, src/platform and src/tools that reach the command line. A
// phrase missing here is shown in Japanese, never lost.
const QList<Phrase>& phrases()
{
    static const QList<Phrase> table = [] {
        const std::pair<const char16_t*, const char16_t*> rows[] = {
            // Office failures (CombineMessages) and the combines' results.
            {uR"(Word・Excel のファイルを扱うには LibreOffice が必要です。)",
             u"Word and Excel files need LibreOffice."},
            {uR"(「sudo apt-get install (.+)」 でインストールして下さい。)",
             u"Install it with \"sudo apt-get install %1\"."},
            {uR"(くみろ先のフォルダ (.+) に書き込めません。)", u"Cannot write into the output folder %1."},
            {uR"(くみろ先のファイル (.+) に書き込めません。)", u"Cannot write the output file %1."},
            {uR"(変換先のフォルダ (.+) に書き込めません。)", u"Cannot write into the folder %1 of the converted file."},
            {uR"(変換先のファイル (.+) に書き込めません。)", u"Cannot write the converted file %1."},
            {uR"(ファイル (.+) を読み取れません。)", u"Cannot read the file %1."},
            {uR"(Text ファイル (.+) を読み取れません。)", u"Cannot read the text file %1."},
            {uR"(Text ファイル (.+) は通常のファイルではないため、読み取れません。)",
             u"Cannot read the text file %1: it is not a regular file."},
            {uR"(選択された Text ファイル (.+) は 「([\d,]+)行」 を超えています。)",
             u"The text file %1 has more than %2 lines."},
            {uR"(該当の Text ファイルを 「([\d,]+)行」 以下にするか、選択するファイルを変更して下さい。)",
             u"Shorten that text file to %1 lines or fewer, or choose other files."},
            {uR"(Text ファイル (.+) の (.+))", u"The text file %1: {2}"},
            {uR"(くみろ先のファイルは変更していません。)", u"The output file was not changed."},
            {uR"(ファイルは書き込まれていません。)", u"No file was written."},
            {uR"(LibreOffice で処理できませんでした。)", u"LibreOffice could not do this."},
            {uR"(Kumiro の内部の誤りで処理を中止しました。LibreOffice とファイルに原因はありません。)",
             u"Stopped by a fault inside Kumiro, not of LibreOffice or the files."},
            {uR"(この環境では LibreOffice を隔離された箱の中で動かせないため、箱の外で動かしています。ファイルが他のファイルを参照していると、LibreOffice がそのファイルを読むことがあります。)",
             u"LibreOffice runs outside its box here, as this system cannot make one: a file that refers to "
             u"other files may make LibreOffice read them."},
            {uR"(Kumiro の部品が LibreOffice の中で異常終了しました。)",
             u"Kumiro's component ended inside LibreOffice."},
            {uR"(LibreOffice が Kumiro の部品 (.+) を読み込めませんでした(.*)。Kumiro をインストールし直して下さい。)",
             u"LibreOffice could not load Kumiro's component %1%2. Reinstall Kumiro."},
            {uR"(選択した (Word|Text) ファイルの 「くみろ」 が完了しました。)", u"The %1 files were combined."},
            {uR"(選択した Execl ファイルの 「くみろ」 が完了しました。)", u"The Excel files were combined."},
            {uR"(次のファイルは文字コードを (.+) に変換して追加しました: (.+)。)",
             u"These files were converted to %1 and added: [2]."},
            // What a combine could not carry (the office driver's tally).
            {uR"((.+) の (.+)を取り込めませんでした。(.+)は値として取り込みました。)",
             u"%1: could not take in [2]; took in [3] as values."},
            {uR"((.+) の (.+)を取り込めませんでした。)", u"%1: could not take in [2]."},
            {uR"((.+) の (.+)は値として取り込みました。)", u"%1: took in [2] as values."},
            {uR"((.+) (\d+) 個)", u"{1} (%2)"},
            {u"シート", u"sheets"},
            {u"値のあるセル", u"cells with values"},
            {u"数式", u"formulas"},
            {u"名前", u"names"},
            {u"図とグラフ", u"pictures and charts"},
            {u"コメント", u"comments"},
            {u"ピボットテーブル", u"pivot tables"},
            {u"他のファイルを読む数式", u"formulas that read other files"},
            {u"計算結果が変わったセル", u"cells whose result changed"},
            {u"段落", u"paragraphs"},
            {u"表", u"tables"},
            {u"図", u"pictures"},
            {u"脚注", u"footnotes"},
            {u"セクション", u"sections"},
            {u"見出しの書式", u"heading looks"},
            // Conversion.
            {uR"(選択した \*\.doc 又は \*\.rtf ファイルを \*\.txt へ変換しました。)",
             u"Converted the *.doc or *.rtf file to *.txt."},
            {uR"(選択した \*\.txt ファイルを \*\.(\w+) へ変換しました。)", u"Converted the *.txt file to *.%1."},
            {uR"(選択したファイルを \*\.(\w+) へ変換しました。)", u"Converted the file to *.%1."},
            {uR"(変換できるのは \*\.doc、\*\.rtf、\*\.docx、\*\.odt、\*\.txt のファイルです。)",
             u"Only *.doc, *.rtf, *.docx, *.odt and *.txt files can be converted."},
            {uR"(変換元のファイルと同じファイルです。　変換元を書き換えることはしません。)",
             u"It is the file being converted, which is never written over."},
            {uR"(元の (.+) はごみ箱に移しました。)", u"The old %1 was moved to the trash."},
            {uR"(元の (.+) は (.+) として残しました。)", u"The old %1 was kept as %2."},
            // Reasons: the system's, the output's, the text combine's.
            {uR"((.*)（必要 約 (\d+) KB、空き (\d+) KB）)", u"{1} (about %2 KB needed, %3 KB free)"},
            {u"読み取る権限がありません。", u"No permission to read it."},
            {u"書き込む権限がありません。", u"No permission to write there."},
            {u"読み取り専用のディスクです。", u"The disk is read-only."},
            {u"ディスクの空きが足りません。", u"The disk is full."},
            {u"ファイルが大きすぎます。", u"The file is too large."},
            {u"ファイルがありません。", u"The file does not exist."},
            {u"フォルダがありません。", u"The folder does not exist."},
            {u"フォルダではありません。", u"It is not a folder."},
            {u"同じ名前のフォルダがあります。", u"A folder of that name is in the way."},
            {u"ディスクの読み書きに失敗しました。", u"The disk failed to read or write."},
            {u"通常のファイルではありません。", u"It is not a regular file."},
            {u"ファイルではありません。", u"It is not a file."},
            {u"中止しました。", u"Stopped."},
            {u"元のファイルをごみ箱にも別の名前にも移せないため、置き換えません。",
             u"The old file could be moved neither to the trash nor aside, so it was not replaced."},
            {uR"(シンボリックリンク (.+) は (.+) を指しています。　自分のものでないリンクや、自分のものでないフォルダを指すリンクには書き込みません。)",
             u"The symbolic link %1 points at %2; links that are not yours, or that point into a folder that "
             u"is not yours, are never written through."},
            {u"くみろするファイルの 1 つです。　別のファイル名を指定して下さい。",
             u"It is one of the files being combined; choose another name."},
            {uR"((\d+) 行目に (.+) で表せない文字があります。)", u"line %1 has a character that %2 cannot represent."},
            {u"UTF-16 のファイルには追記できません。", u"A UTF-16 file cannot be appended to."},
            // The office and its driver.
            {uR"(Kumiro の部品 (.+) がありません。Kumiro をインストールし直して下さい。)",
             u"Kumiro's part %1 is missing; install Kumiro again."},
            {uR"(LibreOffice の部品 (.+) を読み込めません。)", u"Cannot load LibreOffice's part %1."},
            {uR"(Kumiro の部品 (.+) を読み込めません。)", u"Cannot load Kumiro's part %1."},
            {u"Kumiro の部品が壊れています。", u"A part of Kumiro is damaged."},
            {u"LibreOffice の作業用フォルダを用意できません。　ディスクの空きと書き込み権限を確かめて下さい。",
             u"Cannot prepare LibreOffice's working folder; check the free space and the permissions."},
            {u"LibreOffice が保存したファイルを読み取れません。", u"Cannot read the file LibreOffice saved."},
            {u"読み込む方法がありません。", u"No filter reads this file."},
            {u"LibreOffice の作業フォルダに書き込めません。", u"Cannot write into LibreOffice's working folder."},
            {uR"(LibreOffice の作業フォルダ (.+) の空きが足りません。)",
             u"LibreOffice's working folder %1 is short of space."},
            {uR"(LibreOffice の処理が (\d+) 秒を超えたため、終了させました。)",
             u"LibreOffice took longer than %1 seconds and was ended."},
            {uR"(LibreOffice が (\d+) 秒以上応答しなかったため、終了させました。)",
             u"LibreOffice did not respond for %1 seconds and was ended."},
            {uR"(LibreOffice の使うメモリが上限の (\d+) MB を超えたため、終了させました。ファイルが大きすぎるか、壊れている可能性があります。)",
             u"LibreOffice used more than its limit of %1 MB of memory and was ended; the file may be too "
             u"large or damaged."},
            {u"終了の指示を受けたため、LibreOffice を終了させました。", u"Asked to stop: LibreOffice was ended."},
            {u"LibreOffice が途中で終了しました。", u"LibreOffice ended unexpectedly."},
            {u"LibreOffice を起動できませんでした。", u"Cannot start LibreOffice."},
            {uR"(LibreOffice を起動できませんでした \(終了コード (-?\d+)\)。)",
             u"Cannot start LibreOffice (exit status %1)."},
            {u"LibreOffice が内容を読み取れませんでした。パスワードで保護されているか、壊れている可能性があります。",
             u"LibreOffice could not read the content; it may be protected by a password, or damaged."},
            {u"LibreOffice と接続する準備ができませんでした。", u"Cannot prepare the connection to LibreOffice."},
            {u"LibreOffice で開けませんでした。", u"LibreOffice could not open it."},
            {uR"(シート (.+) はありません。)", u"There is no sheet %1."},
            {u"作業中のブックがありません。", u"No workbook is open."},
            {u"Excel のブックではありません。", u"It is not an Excel workbook."},
            {uR"(区切りの種類 (.+) は扱えません。)", u"Break type %1 is not supported."},
            {u"Word 文書でもリッチテキストでもありません。", u"It is neither a Word document nor rich text."},
        };
        QList<Phrase> phrases;
        for (const auto& [japanese, english] : rows)
            phrases.append({QRegularExpression(QRegularExpression::anchoredPattern(QString::fromUtf16(japanese))),
                            QString::fromUtf16(english)});
        return phrases;
    }();
    return table;
}

QString phraseInEnglish(const QString& line)
{
    // The box's habit of a wide space after a sentence means nothing here.
    QString japanese = line;
    while (japanese.endsWith(u'　'))
        japanese.chop(1);
    for (const Phrase& phrase : phrases()) {
        const QRegularExpressionMatch match = phrase.japanese.match(japanese);
        if (!match.hasMatch())
            continue;
        QString english;
        const QString& t = phrase.english;
        for (qsizetype i = 0; i < t.size(); ++i) {
            const bool raw = t[i] == u'%' && i + 1 < t.size() && t[i + 1].isDigit();
            const bool put = (t[i] == u'{' || t[i] == u'[') && i + 2 < t.size() && t[i + 1].isDigit();
            if (!raw && !put) {
                english += t[i];
                continue;
            }
            const QString part = match.captured(t[i + 1].digitValue());
            if (raw) {
                english += part;
            } else if (t[i] == u'{') {
                english += phraseInEnglish(part);
            } else {
                QStringList items = part.split(u'、');
                for (QString& item : items)
                    item = phraseInEnglish(item);
                english += items.join(QStringLiteral(", "));
            }
            i += raw ? 1 : 2;
        }
        return english;
    }
    return line;
}

} // namespace

QString inEnglish(const QString& japanese)
{
    QStringList lines = japanese.split(u'\n');
    for (QString& line : lines)
        line = phraseInEnglish(line);
    return lines.join(u'\n');
}

QString terminalJapanese(const QString& windowLine)
{
    static const std::pair<QRegularExpression, QString> rewrites[] = {
        {QRegularExpression(QStringLiteral("^選択された Text ファイル (.+) は「([\\d,]+)行」を超えています。$")),
         QStringLiteral("ファイル \\1 は \\2 行を超えています。")},
        {QRegularExpression(
             QStringLiteral("^該当の Text ファイルを「([\\d,]+)行」以下にするか、選択するファイルを変更して下さい。$")),
         QStringLiteral("\\1 行以下のファイルを指定して下さい。")},
        {QRegularExpression(QStringLiteral("^Text ファイル (.+?) (を読み取れません|は通常のファイルではないため|の )")),
         QStringLiteral("ファイル \\1 \\2")},
    };
    static const QRegularExpression blanks(QStringLiteral(" ?(「[^」]*」) ?"));
    QString line = windowLine;
    line.replace(QStringLiteral("。　"), QStringLiteral("。"));
    while (line.endsWith(u'　') || line.endsWith(u' '))
        line.chop(1);
    line.replace(blanks, QStringLiteral("\\1"));
    for (const auto& [pattern, terminal] : rewrites) {
        if (line.contains(pattern))
            return line.replace(pattern, terminal);
    }
    return line;
}

QByteArray inLocaleEncoding(const QString& text)
{
    QString locale;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        locale = qEnvironmentVariable(name);
        if (!locale.isEmpty())
            break;
    }
    const QString codeset = locale.section(u'.', 1).section(u'@', 0, 0);
    const QByteArray utf8 = text.toUtf8();
    const QString plain = codeset.toLower().remove(u'-');
    if (codeset.isEmpty() || plain == u"utf8")
        return utf8;
    const iconv_t cd = ::iconv_open((codeset.toLatin1() + "//TRANSLIT").constData(), "UTF-8");
    if (cd == iconv_t(-1))
        return utf8;
    QByteArray out(utf8.size() * 4 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* o = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0 && ::iconv(cd, &in, &inLeft, &o, &outLeft) == size_t(-1)) {
        if (errno != EILSEQ || outLeft == 0)
            break;
        // A character the encoding has not: one "?" for its UTF-8 bytes.
        do {
            ++in;
            --inLeft;
        } while (inLeft > 0 && (uchar(*in) & 0xC0) == 0x80);
        *o++ = '?';
        --outLeft;
    }
    ::iconv_close(cd);
    out.truncate(o - out.data());
    return out;
}

QString titleInEnglish(const QString& japanese)
{
    static const std::pair<const char16_t*, const char16_t*> titles[] = {
        {u"完了確認", u"Done"},           {u"選択ファイル数の確認", u"Files"},
        {u"ファイル確認", u"File"},       {u"LibreOffice 確認", u"LibreOffice"},
        {u"出力確認", u"Output"},         {u"処理確認", u"Failed"},
        {u"文字コード確認", u"Encoding"}, {u"行数確認", u"Lines"},
        {u"変換確認", u"Converted"},
    };
    for (const auto& [ja, en] : titles) {
        if (japanese == QStringView(ja))
            return QString::fromUtf16(en);
    }
    return japanese;
}

} // namespace kumiro
