// The combine command: one branch per kind, then the finish they share.
#include "KUMIRO.h"
#include "app/ProgramState.h"
#include "combine/ExcelCombine.h"
#include "combine/OfficeMessages.h"
#include "combine/TextCombine.h"
#include "combine/WordCombine.h"
#include "mainwin/ProgressWindow.h"
#include "platform/Platform.h"

#include <QAction>
#include <QFileInfo>

namespace kumiro {

void KUMIRO::mnuFileKumiro_Click()
{
    // A folder confirmed in the picker since "OK" voided the order: combining nothing
    // must not be reported as done.
    if (state_.OrderLast < 1 || state_.OrderFile[0].isEmpty()) {
        platform_.messages.show(this, MsgIcon::Critical, QStringLiteral("選択ファイルの確認"),
                                QStringLiteral("くみろ順で指定されたファイルが存在しません。　"));
        commonFinish();
        return;
    }
    switch (state_.CurKind) {
    case 0:
        if (!runWordCombine())
            return;
        break;
    case 1:
        if (!runExcelCombine())
            return;
        break;
    default:
        if (!runTextCombine())
            return;
    }
    commonFinish();
}

bool KUMIRO::runTextCombine()
{
    const QStringList inputs = confirmedOrder();
    const QString output = textOutputPath(state_.set.FolderName[2], state_.set.KumiroFile[2]);

    // Off the GUI thread like the office commands: a slow disk never freezes the window,
    // and the user can stop it.
    TextCombineResult result;
    ProgressWindow window(this, QStringLiteral("くみろ実行中"), QStringLiteral("準備しています…"));
    window.run([&](const CommandProgress& progress) { result = combineTextFiles(inputs, output, progress); });

    auto& msg = platform_.messages;
    switch (result.status) {
    case TextCombineResult::Done:
        msg.show(this, MsgIcon::Information, QStringLiteral("完了確認"),
                 QStringLiteral("選択した Text ファイルの 「くみろ」 が完了しました。　"));
        return true;
    case TextCombineResult::LineLimit:
        msg.show(this, MsgIcon::Exclamation, QStringLiteral("行数確認"),
                 QStringLiteral("選択された Text ファイル ") + inputs[result.failedIndex] +
                     QStringLiteral(" は 「15,000行」 を超えています。　"));
        msg.show(this, MsgIcon::Exclamation, QStringLiteral("ファイル確認"),
                 QStringLiteral("該当の Text ファイルを 「15,000行」 以下にするか、選択するファイルを変更して下さい。　"));
        return false;
    case TextCombineResult::Cancelled:
        return false;
    case TextCombineResult::NotAFile:
        msg.show(this, MsgIcon::Critical, QStringLiteral("ファイル確認"),
                 QStringLiteral("Text ファイル ") + inputs[result.failedIndex] +
                     QStringLiteral(" は通常のファイルではないため、読み取れません。　"));
        return false;
    case TextCombineResult::ReadFailed:
        msg.show(this, MsgIcon::Critical, QStringLiteral("ファイル確認"),
                 QStringLiteral("Text ファイル ") + inputs[result.failedIndex] +
                     QStringLiteral(" を読み取れません。　\r\r") + result.reason);
        return false;
    case TextCombineResult::FolderNotWritable:
        msg.show(this, MsgIcon::Critical, QStringLiteral("出力確認"),
                 QStringLiteral("くみろ先のフォルダ ") + QFileInfo(output).absolutePath() +
                     QStringLiteral(" に書き込めません。　\r\r") + result.reason);
        return false;
    case TextCombineResult::WriteFailed:
        msg.show(this, MsgIcon::Critical, QStringLiteral("出力確認"),
                 QStringLiteral("くみろ先のファイル ") + output +
                     QStringLiteral(" に書き込めません。　\r\r") + result.reason);
        return false;
    }
    return false;
}

QStringList KUMIRO::confirmedOrder() const
{
    QStringList inputs;
    for (int i = 0; i <= state_.OrderLast && i < kMaxOrder; ++i)
        inputs << state_.OrderFile[i];
    return inputs;
}

bool KUMIRO::runWordCombine()
{
    return runOfficeCombine(combineWord, wordOutputPath(state_.set.FolderName[0], state_.set.KumiroFile[0]),
                            QStringLiteral("選択した Word ファイルの 「くみろ」 が完了しました。　"));
}

bool KUMIRO::runExcelCombine()
{
    // "Execl" as the program has always spelled it.
    return runOfficeCombine(combineExcel, excelOutputPath(state_.set.FolderName[1], state_.set.KumiroFile[1]),
                            QStringLiteral("選択した Execl ファイルの 「くみろ」 が完了しました。　"));
}

bool KUMIRO::runOfficeCombine(const OfficeCombine& combine, const QString& output, const QString& doneText)
{
    const QStringList inputs = confirmedOrder();
    const OfficeRun run = runOfficeCommand(
        QStringLiteral("くみろ実行中"), [&](Office& office, const CommandProgress& progress) {
            return combine(office, inputs, output, progress);
        });
    if (run != OfficeRun::Done)
        return false;
    platform_.messages.show(this, MsgIcon::Information, QStringLiteral("完了確認"), doneText);
    return true;
}

KUMIRO::OfficeRun KUMIRO::runOfficeCommand(const QString& title,
                                           const std::function<bool(Office&, const CommandProgress&)>& job,
                                           const QString& destination)
{
    try {
        const std::unique_ptr<Office> office = officeFactory();
        bool completed = false;
        ProgressWindow window(this, title);
        window.run([&](const CommandProgress& progress) { completed = job(*office, progress); });
        return completed ? OfficeRun::Done : OfficeRun::Cancelled;
    } catch (const OfficeError& error) {
        const OfficeMessage m = officeFailureMessage(error, destination);
        platform_.messages.show(this, MsgIcon::Critical, m.title, m.text);
        return OfficeRun::Failed;
    }
}

void KUMIRO::commonFinish()
{
    state_.OrderFile.fill(QString());
    toolbarButtons[6]->setEnabled(false);
    mnuFileKumiro->setEnabled(false);
}

} // namespace kumiro
