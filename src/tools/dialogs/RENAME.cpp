#include "RENAME.h"

#include "tools/FileTools.h"
#include "app/HelpTopics.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>

namespace kumiro {

RENAME::RENAME(QString file, QString helpFile, Platform& platform, QWidget* parent)
    : NameEntryDialog(std::move(file), std::move(helpFile), platform, parent,
                      {QStringLiteral("ファイル名の変更"),
                       QStringLiteral("新しいﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。"),
                       {QString(), QStringLiteral("元の名前"), QStringLiteral("新しい名前")},
                       {QStringLiteral(" 元の名前"), QStringLiteral(" 元の名前"), QStringLiteral(" 新しい名前")},
                       QStringLiteral(" 新しい名前"),
                       2})
{
    setObjectName(QStringLiteral("RENAME"));
    // Label2 (the source name) stands right of its caption Label3 ("元の名前").
    const QRect left = Label[2]->geometry();
    Label[2]->setGeometry(Label[3]->geometry());
    Label[3]->setGeometry(left);
    showSourceName();
}

void RENAME::Command1_Click(int index)
{
    switch (index) {
    case EntryButton::Ok: {
        if (Text1->text().isEmpty()) {
            platform_.messages.show(this, MsgIcon::Information, QStringLiteral("ﾌｧｲﾙ名入力確認"),
                                    QStringLiteral("新しい名前が入力されていません。　"));
            Text1->setFocus();
            return;
        }
        const FileResult r = renameKeeping(file_, resolveBeside(file_, Text1->text()));
        if (!r.ok) {
            platform_.messages.show(this, MsgIcon::Critical, QStringLiteral("変更確認"),
                                    QStringLiteral("ファイル名を変更できませんでした。　\r\r") + r.reason);
            Text1->setFocus();
            return;
        }
        platform_.messages.show(this, MsgIcon::Information, QStringLiteral("変更確認"),
                                QStringLiteral("ファイル名を変更しました。　"));
        accept();
        break;
    }
    case EntryButton::Cancel: reject(); break;
    case EntryButton::Help: platform_.help.show(this, helpFile_, HelpCommand::Context, HelpTopic::Rename); break;
    default: break;
    }
}

} // namespace kumiro
