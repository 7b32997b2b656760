#include "Drop.h"

#include "app/FileListing.h"
#include "app/SettingsRecord.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QFileInfo>

#include <algorithm>
#include <set>

namespace kumiro {

namespace {

DropChoice refusal(DropRefusal why)
{
    DropChoice choice;
    choice.refusal = why;
    return choice;
}

// As the picker asks of a folder it opens.
bool listable(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

DropChoice opened(Kind kind, const QString& folder, QStringList names = {})
{
    if (!listable(folder)) {
        DropChoice choice = refusal(DropRefusal::UnreadableFolder);
        choice.folder = folder;
        return choice;
    }
    return {DropRefusal::None, kind, folder, names};
}

} // namespace

DropChoice chooseDrop(const QStringList& paths, const SettingsRecord& settings, std::optional<Kind> current)
{
    if (paths.isEmpty())
        return refusal(DropRefusal::NotKumiros);

    if (paths.size() == 1 && QFileInfo(paths.first()).isDir())
        return opened(current.value_or(Kind::Text), QDir::cleanPath(QFileInfo(paths.first()).absoluteFilePath()));

    std::set<QString> folders;
    QStringList names;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        // Folders among files, missing paths, devices and files the listing hides.
        if (!info.isFile() || info.isHidden())
            return refusal(DropRefusal::NotKumiros);
        folders.insert(QDir::cleanPath(info.absolutePath()));
        names << info.fileName();
    }
    int unknown = -1;
    const std::optional<Kind> kind = kindOfNames(settings, names, current, unknown);
    if (unknown >= 0)
        return refusal(DropRefusal::NotKumiros);
    if (folders.size() > 1)
        return refusal(DropRefusal::SeveralFolders);
    if (!kind)
        return refusal(DropRefusal::MixedKinds);
    return opened(*kind, *folders.begin(), names);
}

DropPlacement placeDrop(const DropChoice& choice, int orderEntries, std::optional<Kind> listedKind,
                        const QString& listedFolder)
{
    // A folder opens as the picker opens one, order and all.
    if (choice.names.isEmpty() || orderEntries == 0)
        return DropPlacement::OpenFirst;
    if (listedKind == choice.kind && QDir::cleanPath(listedFolder) == choice.folder)
        return DropPlacement::Insert;
    return DropPlacement::Refuse;
}

namespace {

QString openedRefusalText(DropRefusal refusal)
{
    switch (refusal) {
    case DropRefusal::SeveralFolders:
        return QStringLiteral(
            "開いたファイルが複数のフォルダにあります。　同じフォルダのファイルだけを開いて下さい。　");
    case DropRefusal::MixedKinds:
        return QStringLiteral("開いたファイルの種類が混在しています。　同じ種類のファイルだけを開いて下さい。　");
    case DropRefusal::NotKumiros: return QStringLiteral("開いたファイルはくみろの対象ではありません。　");
    case DropRefusal::OtherFolder:
        return QStringLiteral("開いたファイルは 「くみろ順のリスト」 とは別のフォルダか種類のファイルです。　\r\r"
                              "同じフォルダのファイルを開くか、「初期化」 してから開いて下さい。　");
    default: return {};
    }
}

} // namespace

QString dropRefusalText(DropRefusal refusal, bool opened)
{
    if (opened)
        return openedRefusalText(refusal);
    switch (refusal) {
    case DropRefusal::SeveralFolders:
        return QStringLiteral(
            "ドロップされたファイルが複数のフォルダにあります。　同じフォルダのファイルだけをドロップして下さい。　");
    case DropRefusal::MixedKinds:
        return QStringLiteral(
            "ドロップされたファイルの種類が混在しています。　同じ種類のファイルだけをドロップして下さい。　");
    case DropRefusal::NotKumiros: return QStringLiteral("ドロップされたファイルはくみろの対象ではありません。　");
    case DropRefusal::OtherFolder:
        return QStringLiteral(
            "ドロップされたファイルは 「くみろ順のリスト」 とは別のフォルダか種類のファイルです。　\r\r"
            "同じフォルダのファイルをドロップするか、「初期化」 してからドロップして下さい。　");
    default: return {};
    }
}

namespace {

// The local paths a drag carries; none when it carries anything but local files.
QStringList droppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

// Dropped files are only ever copied: a move would let the file manager delete them.
bool takeAsCopy(QDropEvent& event)
{
    if (!(event.possibleActions() & Qt::CopyAction))
        return false;
    event.setDropAction(Qt::CopyAction);
    return true;
}

} // namespace

QStringList copiedDrop(QDropEvent& event)
{
    const QStringList paths = droppedPaths(event.mimeData());
    return !paths.isEmpty() && takeAsCopy(event) ? paths : QStringList();
}

} // namespace kumiro
