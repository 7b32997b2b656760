#include "Convert.h"

#include "combine/Office.h"
#include "combine/OfficeSaving.h"

#include <QFileInfo>

namespace kumiro {

QString convertedPath(const QString& path, int index)
{
    const char* extension = index == 0 ? "txt" : index == 1 ? "doc" : "rtf";
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    return path.left(path.size() - name.size()) + base + u'.' + QLatin1String(extension);
}

QString convertFilter(int index)
{
    return index == 0 ? QStringLiteral("(*.doc;*.rtf)|*.doc;*.rtf") : QStringLiteral("(*.txt)|*.txt|");
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
    const auto word = office.newWord();
    WordDocument& doc = word->Documents_Open(path);
    WordFormat format = WordFormat::Text;
    if (index != 0) {
        doc.InsertBeforeLastParagraph(path);
        format = index == 1 ? WordFormat::Native : WordFormat::RichText;
    }
    saveReplacing(doc, convertedPath(path, index), format);
    closeAfterSaving([&] {
        doc.Close();
        word->Quit();
    });
}

} // namespace kumiro
