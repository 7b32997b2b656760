#include "CombineRun.h"

#include "OfficeRunner.h"
#include "ProgressWindow.h"
#include "combine/CombineMessages.h"
#include "combine/ExcelCombine.h"
#include "combine/TextCombine.h"
#include "combine/WordCombine.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace kumiro {

namespace {

bool runTextCombine(const QStringList& inputs, const QString& output, Platform& platform, QWidget* owner)
{
    // Off the GUI thread like the office commands: a slow disk never freezes the window,
    // and the user can stop it.
    TextCombineResult result;
    ProgressWindow window(owner, QStringLiteral("くみろ実行中"), QStringLiteral("準備しています…"));
    window.run([&](const CommandProgress& progress) { result = combineTextFiles(inputs, output, progress); });

    const bool done = result.status == TextCombineResult::Done;
    for (const Message& m : textCombineMessages(result, inputs, output, true)) {
        if (done)
            showCompletion(platform, owner, m, output);
        else
            showMessage(platform.messages, owner, m);
    }
    return done;
}

bool runOfficeCombine(Kind kind, const QStringList& inputs, const QString& output, Platform& platform,
                      OfficeRunner& office, QWidget* owner)
{
    const auto combine = kind == Kind::Word ? combineWord : combineExcel;
    QStringList shortfalls;
    bool unboxed = false;
    const OfficeRunner::Result run =
        office.run(owner, QStringLiteral("くみろ実行中"), [&](Office& instance, const CommandProgress& progress) {
            unboxed = instance.unboxed();
            return combine(instance, inputs, output, progress, &shortfalls, nullptr);
        });
    if (run != OfficeRunner::Result::Done)
        return false;
    Message done = combineDoneMessage(kind, output, shortfalls);
    static bool toldUnboxed = false;
    if (unboxed && !toldUnboxed) {
        toldUnboxed = true;
        done.text += QStringLiteral("\r\r") + unboxedOfficeNotice();
    }
    showCompletion(platform, owner, done, output);
    return true;
}

} // namespace

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

bool runCombine(Kind kind, const QStringList& inputs, const QString& output, Platform& platform, OfficeRunner& office,
                QWidget* owner)
{
    return kind == Kind::Text ? runTextCombine(inputs, output, platform, owner)
                              : runOfficeCombine(kind, inputs, output, platform, office, owner);
}

void showCompletion(Platform& platform, QWidget* owner, const Message& done, const QString& written)
{
    if (showMessage(platform.messages, owner, done, MsgButtons::OkOpenFolder) != MsgAnswer::OpenFolder ||
        platform.shell.showFile(written))
        return;
    // Neither a file manager nor a program for folders: the user is told where to look.
    platform.messages.show(owner, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                           QStringLiteral("フォルダ %1 を開けませんでした。　")
                               .arg(QDir::toNativeSeparators(QFileInfo(written).absolutePath())));
}

} // namespace kumiro
