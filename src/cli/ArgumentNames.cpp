#include "ArgumentNames.h"
#include "platform/Leftovers.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace kumiro {

bool ArgumentNames::isAlias(const QString& path) const
{
    for (const auto& [alias, word] : aliases) {
        if (alias == path)
            return true;
    }
    return false;
}

QString ArgumentNames::shown(QString text) const
{
    for (const auto& [alias, word] : aliases)
        text.replace(alias, word);
    return text;
}

QString escapedName(const QByteArray& raw)
{
    QString out;
    for (qsizetype i = 0; i < raw.size();) {
        // The longest run that decodes and encodes back unchanged is text.
        qsizetype end = raw.size();
        while (end > i && QFile::encodeName(QFile::decodeName(raw.mid(i, end - i))) != raw.mid(i, end - i))
            --end;
        if (end > i) {
            out += QFile::decodeName(raw.mid(i, end - i));
            i = end;
        } else {
            out += QStringLiteral("\\x%1").arg(uchar(raw[i]), 2, 16, QChar(u'0'));
            ++i;
        }
    }
    return out;
}

ArgumentNames argumentNames(int argc, char** argv)
{
    ArgumentNames names;
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString word = QFile::decodeName(raw);
        if (QFile::encodeName(word) == raw) {
            names.words << word;
            continue;
        }
        if (!names.folder)
            names.folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + u'/' + kNamesFolderPrefix +
                                                           QStringLiteral("%1-XXXXXX").arg(::getpid()));
        const QString shown = escapedName(raw);
        // A folder per word keeps the file's own name (its extension tells its kind).
        const QString dir = names.folder->filePath(QString::number(i));
        const QString alias = dir + u'/' + escapedName(raw.mid(raw.lastIndexOf('/') + 1));
        QByteArray target = raw;
        if (!target.startsWith('/'))
            target = QFile::encodeName(QDir::currentPath()) + '/' + raw;
        if (!names.folder->isValid() || !QDir().mkpath(dir) ||
            ::symlink(target.constData(), QFile::encodeName(alias).constData()) != 0) {
            names.words << word; // refused later as a missing file, by its shown name
            continue;
        }
        names.words << alias;
        names.aliases << qMakePair(alias, shown);
    }
    return names;
}

} // namespace kumiro
