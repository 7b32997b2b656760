#include "FILESCOPY.h"
#include "platform/ReplaceFile.h"

#include "tools/FileTools.h"
#include "app/HelpTopics.h"
#include "platform/Platform.h"

#include <QLineEdit>

namespace kumiro {

FILESCOPY::FILESCOPY(QString file, QString helpFile, Platform& platform, QWidget* parent)
    : NameEntryDialog(std::move(file), std::move(helpFile), platform, parent,
                      {QStringLiteral("ファイルのコピー"),
                       QStringLiteral("ｺﾋﾟｰ先のﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。"),
                       {QStringLiteral("コピー元"), QString(), QStringLiteral("コピー先")},
                       {QStringLiteral(" コピー元"), QStringLiteral(" ｺﾋﾟｰ元"), QStringLiteral(" コピー先")},
                       QStringLiteral(" ｺﾋﾟｰ先"),
                       3})
{
    setObjectName(QStringLiteral("FILESCOPY"));
}

void FILESCOPY::Command1_Click(int index)
{
    switch (index) {
    case EntryButton::Ok: {
        if (Text1->text().isEmpty()) {
            platform_.messages.show(this, MsgIcon::Information, QStringLiteral("入力確認"),
                                    QStringLiteral("コピー先が入力されていません。　"));
            return;
        }
        const QString destination = resolveBeside(file_, Text1->text());
        const FileResult r = copyKeepingOld(file_, destination);
        if (!r.ok) {
            // The dialog stays, so that another name can be tried.
            platform_.messages.show(this, MsgIcon::Critical, QStringLiteral("複写確認"),
                                    QStringLiteral("ファイルをコピーできませんでした。　\r\r") + r.reason);
            Text1->setFocus();
            return;
        }
        const QString kept = oldFileText(destination, r.oldFile);
        platform_.messages.show(this, MsgIcon::Information, QStringLiteral("複写確認"),
                                QStringLiteral("ファイルをコピーしました。　") +
                                    (kept.isEmpty() ? QString() : QStringLiteral("\r\r") + kept));
        accept();
        break;
    }
    case EntryButton::Cancel: reject(); break;
    case EntryButton::Help: platform_.help.show(this, helpFile_, HelpCommand::Context, HelpTopic::Copy); break;
    default: break;
    }
}

} // namespace kumiro
