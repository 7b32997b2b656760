#include "Leftovers.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace kumiro {

namespace {

bool processAlive(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// The journal of partial files: one small file per partial file, named after the process,
// holding the partial file's path.
QString journalFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/kumiro/partial");
}

QString journalEntry(const QString& path)
{
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(QFileInfo(path).absoluteFilePath()), QCryptographicHash::Sha1)
            .toHex();
    return journalFolder() + QStringLiteral("/%1-%2").arg(getpid()).arg(QString::fromLatin1(hash.left(16)));
}

} // namespace

// Made from the profile's address, as the office makes it.
QString officeSingleInstanceSocket(const QString& profileDir)
{
    const QString url = QString::fromUtf8(QUrl::fromLocalFile(profileDir).toEncoded());
    QByteArray utf16le;
    for (QChar c : url) {
        utf16le.append(char(c.unicode() & 0xff));
        utf16le.append(char(c.unicode() >> 8));
    }
    QString hex;
    for (unsigned char b : QCryptographicHash::hash(utf16le, QCryptographicHash::Md5))
        hex += QString::number(b, 16); // without zero padding, as the office writes it
    return QStringLiteral("/tmp/OSL_PIPE_%1_SingleOfficeIPC_%2").arg(getuid()).arg(hex);
}

namespace {

void sweepOfficeFolders()
{
    const QDir temp(QDir::tempPath());
    static const QRegularExpression folder(QStringLiteral("^kumiro-(office|names)-(\\d+)-"));
    for (const QFileInfo& info :
         temp.entryInfoList({kOfficeFolderPrefix + u'*', kNamesFolderPrefix + u'*'}, QDir::Dirs | QDir::Hidden)) {
        const auto m = folder.match(info.fileName());
        if (!m.hasMatch() || info.isSymLink() || info.ownerId() != getuid() || processAlive(m.captured(2).toInt()))
            continue;
        QFile::remove(officeSingleInstanceSocket(info.absoluteFilePath()));
        QDir(info.absoluteFilePath()).removeRecursively();
    }
    const QRegularExpression pipe(QStringLiteral("^OSL_PIPE_%1_kumiro_(\\d+)_").arg(getuid()));
    for (const QFileInfo& info : QDir(QStringLiteral("/tmp")).entryInfoList(QDir::System | QDir::Files)) {
        const auto m = pipe.match(info.fileName());
        if (m.hasMatch() && !processAlive(m.captured(1).toInt()))
            QFile::remove(info.absoluteFilePath());
    }
}

void sweepPartialFiles()
{
    static const QRegularExpression entry(QStringLiteral("^(\\d+)-[0-9a-f]+$"));
    static const QRegularExpression partial(QStringLiteral("^\\.~kumiro-(\\d+)-[0-9a-f]+\\.tmp$"));
    const QDir journal(journalFolder());
    for (const QString& name : journal.entryList(QDir::Files | QDir::Hidden)) {
        const auto m = entry.match(name);
        if (!m.hasMatch() || processAlive(m.captured(1).toInt()))
            continue;
        QFile note(journal.filePath(name));
        if (note.open(QIODevice::ReadOnly)) {
            const QByteArray path = note.readAll();
            // Only a file that our process made, by its name, and that is still ours.
            const auto p = partial.match(QFileInfo(QFile::decodeName(path)).fileName());
            struct stat st {};
            if (p.hasMatch() && p.captured(1) == m.captured(1) && ::lstat(path.constData(), &st) == 0 &&
                S_ISREG(st.st_mode) && st.st_uid == getuid())
                ::unlink(path.constData());
        }
        note.remove();
    }
}

} // namespace

QString partialFileName(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral(".~kumiro-%1-%2.tmp")
                                     .arg(getpid())
                                     .arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0')));
}

void notePartialFile(const QString& path)
{
    QDir().mkpath(journalFolder());
    QFile note(journalEntry(path));
    if (note.open(QIODevice::WriteOnly))
        note.write(QFile::encodeName(QFileInfo(path).absoluteFilePath()));
}

void forgetPartialFile(const QString& path)
{
    QFile::remove(journalEntry(path));
}

void sweepLeftovers()
{
    sweepOfficeFolders();
    sweepPartialFiles();
}

} // namespace kumiro
