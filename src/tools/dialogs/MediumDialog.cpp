#include "MediumDialog.h"

#include "app/HelpTopics.h"
#include "platform/Look.h"
#include "platform/Platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kumiro {

MediumDialog::MediumDialog(const QList<Volume>& media, QString helpFile, Platform& platform, QWidget* parent)
    : QDialog(parent), media_(media), helpFile_(std::move(helpFile)), platform_(platform)
{
    setObjectName(QStringLiteral("MediumDialog"));
    setWindowTitle(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ先の選択"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    fillWindowGrey(this);

    const QFont big = windowFont(kUiGothic, 11.25);
    auto* prompt = new QLabel(QStringLiteral("バックアップ先のディスクを選択して、OKﾎﾞﾀﾝを押して下さい。"), this);
    prompt->setFont(big);
    QPalette yellow = prompt->palette();
    yellow.setColor(QPalette::WindowText, QColor(255, 255, 0));
    prompt->setPalette(yellow);

    List1 = new QListWidget(this);
    List1->setFont(big);
    List1->setToolTip(QStringLiteral(" ディスク名 "));
    List1->setAccessibleName(List1->toolTip().trimmed());
    QPalette white = List1->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    List1->setPalette(white);
    for (const Volume& v : media_)
        new QListWidgetItem(v.name + QStringLiteral("　（") + v.root + QStringLiteral("）"), List1);
    List1->setCurrentRow(0);
    prompt->setBuddy(List1);
    connect(List1, &QListWidget::itemActivated, this, [this] { Command1_Click(Ok); });

    auto* buttons = new QHBoxLayout;
    const std::array<QString, Count> captions = {QStringLiteral("OK"), QStringLiteral("キャンセル"),
                                                 QStringLiteral("ヘルプ")};
    for (int i = 0; i < Count; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        Command1[i]->setFont(windowFont(kUiGothic, 9));
        Command1[i]->setToolTip(u' ' + captions[i] + u' ');
        Command1[i]->setAccessibleName(captions[i]);
        Command1[i]->setAutoDefault(false);
        Command1[i]->setMinimumWidth(fontMetrics().horizontalAdvance(captions[Cancel]) + 40);
        buttons->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command1[Ok]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
    resize(qMax(sizeHint().width(), 440), 260);
    List1->setFocus();
}

QString MediumDialog::chosen() const
{
    const int row = List1->currentRow();
    return row >= 0 && row < media_.size() ? media_[row].root : QString();
}

void MediumDialog::Command1_Click(int index)
{
    switch (index) {
    case Ok:
        if (!chosen().isEmpty())
            accept();
        break;
    case Cancel: reject(); break;
    case Help: platform_.help.show(this, helpFile_, HelpCommand::Context, HelpTopic::Backup); break;
    default: break;
    }
}

std::optional<QString> chooseMedium(const QList<Volume>& media, const std::function<void(QDialog&)>& exec,
                                    const QString& helpFile, Platform& platform, QWidget* owner)
{
    if (media.size() < 2)
        return media.isEmpty() ? QString() : media.first().root;
    MediumDialog dialog(media, helpFile, platform, owner);
    exec(dialog);
    if (dialog.result() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace kumiro
