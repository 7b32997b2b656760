#include "OutputPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace kumiro {

QString linkText(const QString& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return n > 0 ? QFile::decodeName(QByteArray(buffer, int(n))) : QString();
}

int inputIndexOf(const QString& output, const QStringList& inputs)
{
    struct stat out {};
    if (::stat(QFile::encodeName(output).constData(), &out) != 0)
        return -1;
    for (int i = 0; i < inputs.size(); ++i) {
        struct stat in {};
        if (::stat(QFile::encodeName(inputs[i]).constData(), &in) == 0 && in.st_dev == out.st_dev &&
            in.st_ino == out.st_ino)
            return i;
    }
    return -1;
}

QString outputRefusal(const QString& path, LinkWrite how)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || S_ISREG(st.st_mode))
        return QString();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("同じ名前のフォルダがあります。");
    if (!S_ISLNK(st.st_mode))
        return QStringLiteral("通常のファイルではありません。");
    // The link's target, resolved as far as it exists: a dangling link names a file in a
    // folder that must exist.
    const QFileInfo link(path);
    const QString target = QFileInfo(link.absoluteDir(), linkText(path)).absoluteFilePath();
    const QString targetFolder = QFileInfo(target).absolutePath();
    struct stat folder {};
    struct stat pointed {};
    const bool ownLink = st.st_uid == ::getuid();
    const bool ownFolder = ::stat(QFile::encodeName(targetFolder).constData(), &folder) == 0 &&
        S_ISDIR(folder.st_mode) && folder.st_uid == ::getuid();
    const bool dangling = ::stat(name.constData(), &pointed) != 0;
    const bool pointsAtFile = dangling || S_ISREG(pointed.st_mode);
    if (ownLink && ownFolder && pointsAtFile && dangling && how == LinkWrite::Through)
        return QStringLiteral(
                   "シンボリックリンク %1 の指す %2 はありません。　リンクの先にファイルを作ることはしません。")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(target));
    if (ownLink && ownFolder && pointsAtFile)
        return QString();
    return QStringLiteral("シンボリックリンク %1 は %2 を指しています。　"
                          "自分のものでないリンクや、自分のものでないフォルダを指すリンクには書き込みません。")
        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(target));
}

} // namespace kumiro
