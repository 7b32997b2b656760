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
#include <QFileInfo>
#include <QUrl>

namespace kumiro {

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
    const bool done = state_.CurKind == Kind::Text ? runTextCombine() : runOfficeCombine();
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
    if (showMessage(platform_.messages, this, done, MsgButtons::OkOpenFolder) == MsgAnswer::OpenFolder)
        platform_.shell.open(QUrl::fromLocalFile(QFileInfo(written).absolutePath()));
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
