// The combine command: the current kind's combine, then the finish every branch shares.
#include "KUMIRO.h"
#include "OfficeRunner.h"
#include "Order.h"
#include "app/ProgramState.h"
#include "combine/CombineMessages.h"
#include "combine/ExcelCombine.h"
#include "combine/TextCombine.h"
#include "combine/WordCombine.h"
#include "mainwin/ProgressWindow.h"
#include "platform/Platform.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace kumiro {

namespace {

// A file of the order that is gone since the order was confirmed (deleted, renamed, on a
// medium taken out), told as its kind's combine would tell it, but before anything starts.
std::optional<Message> goneFromOrder(Kind kind, const QStringList& order)
{
    for (int i = 0; i < order.size(); ++i) {
        if (QFileInfo::exists(order[i]))
            continue;
        const QString reason = QStringLiteral("ファイルがありません。");
        if (kind == Kind::Text) {
            TextCombineResult gone;
            gone.status = TextCombineResult::ReadFailed;
            gone.failedIndex = i;
            gone.reason = reason;
            return textCombineMessages(gone, order, QString()).value(0);
        }
        const OfficeMessage m = officeFailureMessage(OfficeError(OfficeError::Unreadable, reason, order[i]));
        return Message{MsgIcon::Critical, m.title, m.text};
    }
    return std::nullopt;
}

} // namespace

void KUMIRO::mnuFileKumiro_Click()
{
    // A folder confirmed in the picker since "OK" voided the order: combining nothing
    // must not be reported as done.
    if (!hasConfirmedOrder(state_)) {
        platform_.messages.show(this, MsgIcon::Critical, QStringLiteral("選択ファイルの確認"),
                                QStringLiteral("くみろ順で指定されたファイルが存在しません。　"));
        commonFinish();
        return;
    }
    if (const auto gone = goneFromOrder(state_.CurKind, confirmedOrder(state_))) {
        showMessage(platform_.messages, this, *gone);
        followListedFolder();
        return;
    }
    const bool done = state_.CurKind == Kind::Text ? runTextCombine() : runOfficeCombine();
    followListedFolder();
    if (done)
        commonFinish();
}

bool KUMIRO::runTextCombine()
{
    const QStringList inputs = confirmedOrder(state_);
    const QString output = outputPathOf(state_.set, Kind::Text);

    // Off the GUI thread like the office commands: a slow disk never freezes the window,
    // and the user can stop it.
    TextCombineResult result;
    ProgressWindow window(this, QStringLiteral("くみろ実行中"), QStringLiteral("準備しています…"));
    window.run([&](const CommandProgress& progress) { result = combineTextFiles(inputs, output, progress); });

    const bool done = result.status == TextCombineResult::Done;
    for (const Message& m : textCombineMessages(result, inputs, output, true)) {
        if (done)
            showDone(m, output);
        else
            showMessage(platform_.messages, this, m);
    }
    return done;
}

bool KUMIRO::runOfficeCombine()
{
    const Kind kind = state_.CurKind;
    const QStringList inputs = confirmedOrder(state_);
    const QString output = outputPathOf(state_.set, kind);
    const auto combine = kind == Kind::Word ? combineWord : combineExcel;
    QStringList shortfalls;
    const OfficeRunner::Result run =
        office_.run(this, QStringLiteral("くみろ実行中"), [&](Office& office, const CommandProgress& progress) {
            return combine(office, inputs, output, progress, &shortfalls, nullptr);
        });
    if (run != OfficeRunner::Result::Done)
        return false;
    showDone(combineDoneMessage(kind, output, shortfalls), output);
    return true;
}

void KUMIRO::showDone(const Message& done, const QString& written)
{
    if (showMessage(platform_.messages, this, done, MsgButtons::OkOpenFolder) != MsgAnswer::OpenFolder ||
        platform_.shell.showFile(written))
        return;
    // Neither a file manager nor a program for folders: the user is told where to look.
    platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                            QStringLiteral("フォルダ %1 を開けませんでした。　")
                                .arg(QDir::toNativeSeparators(QFileInfo(written).absolutePath())));
}

void KUMIRO::enableCombine(bool on)
{
    toolbarButtons[ToolButton::Combine]->setEnabled(on);
    mnuFileKumiro->setEnabled(on);
}

void KUMIRO::commonFinish()
{
    forgetOrder(state_);
    enableCombine(false);
}

} // namespace kumiro
