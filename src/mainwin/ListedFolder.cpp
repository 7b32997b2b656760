#include "ListedFolder.h"

#include "KUMIRO.h"
#include "OfficeRunner.h"
#include "OrderPanel.h"
#include "app/FileListing.h"
#include "app/Paths.h"
#include "app/ProgramState.h"
#include "platform/FolderList.h"
#include "platform/Icons.h"
#include "platform/Platform.h"
#include "settings/SEL_FOLD.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QIcon>

namespace kumiro {

ListedFolder::ListedFolder(ProgramState& state, Platform& platform, OfficeRunner& office, OrderPanel& panel,
                           QWidget& window)
    : QObject(&window), state_(state), platform_(platform), office_(office), panel_(panel), window_(window)
{
    // What another program does in the listed folder shows too.
    watch_ = new QFileSystemWatcher(this);
    connect(watch_, &QFileSystemWatcher::directoryChanged, this, &ListedFolder::follow);
}

void ListedFolder::pick(Kind kind, const std::function<void(QDialog&)>& exec)
{
    std::optional<QString> folder;
    {
        SEL_FOLD picker(kind, state_.settings(), state_.Order, state_.HelpFile, platform_, &window_);
        const QString iconFile = joinPath(state_.ProgramFolder, kindInfo(kind).openIcon);
        const QIcon icon(iconFile);
        picker.setWindowIcon(QFileInfo(iconFile).isFile() && !icon.isNull() ? icon : programIcon());
        exec(picker);
        folder = picker.chosenFolder();
    }
    if (folder)
        list(kind, *folder);
}

void ListedFolder::list(Kind kind, const QString& folder)
{
    state_.CurKind = kind;
    listedKind_ = kind;
    // A Word or Excel list means an office soon: it starts while the user builds the order.
    if (kind == Kind::Text)
        office_.release();
    else
        office_.prepare();
    window_.setWindowTitle(KUMIRO::title() + kindInfo(kind).captionSuffix);
    if (!listedFolder_.isEmpty())
        watch_->removePath(listedFolder_);
    listedFolder_ = folder;
    watch_->addPath(folder);

    const QStringList names = listKindFiles(state_.set, kind, folder);
    panel_.showListing(names);

    platform_.messages.show(&window_, MsgIcon::Information, kFileCountTitle,
                            fileCountText(names.size(), kind, countUnnamableFiles(state_.set, kind, folder)));

    if (anyPathTooLong(folder, names)) {
        platform_.messages.show(&window_, MsgIcon::Exclamation, kPathTooLongTitle, pathTooLongText());
        panel_.allowOnlyClearAll();
    }
}

void ListedFolder::follow()
{
    if (!listedKind_ || listedFolder_.isEmpty())
        return;
    panel_.followListing(listKindFiles(state_.set, *listedKind_, listedFolder_));
}

std::pair<DropChoice, DropPlacement> ListedFolder::place(const QStringList& paths) const
{
    DropChoice choice = chooseDrop(paths, state_.set, listedKind_);
    const QString listedFolder = listedKind_ ? state_.set.DataFol[*listedKind_] : QString();
    const DropPlacement placement =
        choice.refused() ? DropPlacement::Refuse : placeDrop(choice, panel_.orderRows(), listedKind_, listedFolder);
    if (!choice.refused() && placement == DropPlacement::Refuse)
        choice.refusal = DropRefusal::OtherFolder;
    return {choice, placement};
}

void ListedFolder::take(const DropChoice& choice, DropPlacement placement, int row, bool opened)
{
    if (choice.refusal == DropRefusal::UnreadableFolder) {
        platform_.messages.show(&window_, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                                folderUnreadableText(choice.folder));
        return;
    }
    if (choice.refused()) {
        platform_.messages.show(&window_, MsgIcon::Exclamation, opened ? kOpenedTitle : kDropTitle,
                                dropRefusalText(choice.refusal, opened));
        return;
    }
    if (placement == DropPlacement::OpenFirst) {
        confirmDataFolder(state_.settings(), state_.Order, choice.kind, choice.folder);
        list(choice.kind, choice.folder);
    }
    // Added, not confirmed: the user still checks the order and presses "OK".
    panel_.insertIntoOrder(row, choice.names);
}

} // namespace kumiro
