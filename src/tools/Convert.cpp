#include "Convert.h"

#include "combine/Office.h"
#include "combine/OfficeSaving.h"

#include <QFileInfo>

namespace kumiro {

namespace {

WordFormat formatOfConversion(int index)
{
    return index == 0 ? WordFormat::Text : index == 1 ? WordFormat::Native : WordFormat::RichText;
}

} // namespace

QString convertedPath(const QString& path, int index)
{
    return convertedPathTo(path, formatOfConversion(index));
}

QString convertedPathTo(const QString& path, WordFormat format)
{
    const QString extension = extensionOf(format);
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    return path.left(path.size() - name.size()) + base + u'.' + extension;
}

QString convertFilter(int index)
{
    // Today's Word formats as a second choice; the first stays the one of old.
    return index == 0 ? QStringLiteral("(*.doc;*.rtf)|*.doc;*.rtf|(*.doc;*.rtf;*.docx;*.odt)|*.doc;*.rtf;*.docx;*.odt|")
                      : QStringLiteral("(*.txt)|*.txt|");
}

QString convertDoneText(int index)
{
    switch (index) {
    case 0: return QStringLiteral("選択した *.doc 又は *.rtf ファイルを *.txt へ変換しました。　");
    case 1: return QStringLiteral("選択した *.txt ファイルを *.doc へ変換しました。　");
    default: return QStringLiteral("選択した *.txt ファイルを *.rtf へ変換しました。　");
    }
}

void ConvertFile(Office& office, const QString& path, int index)
{
    convertFileTo(office, path, formatOfConversion(index));
}

QString convertFileTo(Office& office, const QString& path, WordFormat format)
{
    const auto word = office.newWord();
    WordDocument& doc = word->Documents_Open(path);
    // A text file made into a document carries its own path, as it always has.
    if (format != WordFormat::Text && QFileInfo(path).suffix().compare(u"txt", Qt::CaseInsensitive) == 0)
        doc.InsertBeforeLastParagraph(path);
    const QString output = convertedPathTo(path, format);
    saveReplacing(doc, output, format);
    closeAfterSaving([&] {
        doc.Close();
        word->Quit();
    });
    return output;
}

} // namespace kumiro
