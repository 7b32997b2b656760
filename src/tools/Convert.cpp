#include "Convert.h"
#include "app/Paths.h"
#include "platform/OutputPath.h"

#include "combine/Office.h"
#include "combine/OfficeSaving.h"

#include <QFileInfo>

namespace kumiro {

QString convertedPathTo(const QString& path, WordFormat format, const QString& folder)
{
    const QString extension = extensionOf(format);
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    if (!folder.isEmpty())
        return joinPath(folder, base + u'.' + extension);
    return path.left(path.size() - name.size()) + base + u'.' + extension;
}

QString convertFilter(WordFormat to)
{
    // Today's Word formats as a second choice; the first stays the one of old.
    return to == WordFormat::Text
        ? QStringLiteral("(*.doc;*.rtf)|*.doc;*.rtf|(*.doc;*.rtf;*.docx;*.odt)|*.doc;*.rtf;*.docx;*.odt|")
        : QStringLiteral("(*.txt)|*.txt|");
}

QString convertDoneText(WordFormat to)
{
    switch (to) {
    case WordFormat::Text: return QStringLiteral("選択した *.doc 又は *.rtf ファイルを *.txt へ変換しました。　");
    case WordFormat::Native: return QStringLiteral("選択した *.txt ファイルを *.doc へ変換しました。　");
    case WordFormat::RichText: return QStringLiteral("選択した *.txt ファイルを *.rtf へ変換しました。　");
    default: return QStringLiteral("選択したファイルを *.%1 へ変換しました。　").arg(extensionOf(to));
    }
}

void checkConvertible(const QString& path, WordFormat format, const QString& folder)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw OfficeError(OfficeError::Unreadable, QStringLiteral("ファイルがありません。"), path);
    if (!info.isFile() || !info.isReadable())
        throw OfficeError(OfficeError::Unreadable,
                          info.isFile() ? QStringLiteral("読み取る権限がありません。")
                                        : QStringLiteral("通常のファイルではありません。"),
                          path);
    static const QStringList convertible = {QStringLiteral("doc"), QStringLiteral("rtf"), QStringLiteral("docx"),
                                            QStringLiteral("odt"), QStringLiteral("txt")};
    if (!convertible.contains(info.suffix().toLower()))
        throw OfficeError(OfficeError::Unreadable,
                          QStringLiteral("変換できるのは *.doc、*.rtf、*.docx、*.odt、*.txt のファイルです。"), path);
    const QString output = convertedPathTo(path, format, folder);
    if (inputIndexOf(output, {path}) >= 0)
        throw OfficeError(OfficeError::OutputFile,
                          QStringLiteral("変換元のファイルと同じファイルです。　変換元を書き換えることはしません。"),
                          output);
    refuseUnwritableOutput(output, {path});
}

Conversion convertFileTo(Office& office, const QString& path, WordFormat format, const QString& folder)
{
    checkConvertible(path, format, folder);
    Conversion done;
    done.output = convertedPathTo(path, format, folder);
    const auto word = office.newWord();
    WordDocument& doc = word->Documents_Open(path);
    // A text file made into a document carries its own path, as it always has.
    if (format != WordFormat::Text && QFileInfo(path).suffix().compare(u"txt", Qt::CaseInsensitive) == 0)
        doc.InsertBeforeLastParagraph(path);
    done.oldFile = saveReplacing(doc, done.output, format, OldFile::Keep);
    closeAfterSaving([&] {
        doc.Close();
        word->Quit();
    });
    return done;
}

} // namespace kumiro
