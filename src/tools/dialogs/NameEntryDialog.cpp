#include "NameEntryDialog.h"

#include "platform/Look.h"
#include "platform/Twips.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kumiro {

NameEntryDialog::NameEntryDialog(QString file, QString helpFile, Platform& platform, QWidget* parent,
                                 const Texts& texts)
    : QDialog(parent), file_(std::move(file)), helpFile_(std::move(helpFile)), platform_(platform),
      sourceLabel_(texts.sourceLabel)
{
    setWindowTitle(texts.caption);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    setPalette(grey);
    setAutoFillBackground(true);

    const QFont labelFont = windowFont(kUiGothic, 11.25);
    auto colour = [](QLabel* l, const QColor& c) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, c);
        l->setPalette(p);
    };
    Label[1] = new QLabel(texts.label1, this);
    Label[1]->setGeometry(twipsRect(300, 240, 5100, 300));
    Label[1]->setFont(labelFont);
    colour(Label[1], QColor(255, 255, 0));
    Label[1]->resize(qMax(Label[1]->width(), Label[1]->sizeHint().width()), Label[1]->height());

    // Row 1: caption and source name; row 2: caption and entry.
    const std::array<QRect, 3> places = {twipsRect(300, 780, 1200, 330), twipsRect(1560, 780, 3900, 330),
                                         twipsRect(300, 1260, 1200, 330)};
    for (int i = 0; i < 3; ++i) {
        QLabel* l = new QLabel(texts.labels[i], this);
        l->setGeometry(places[i]);
        l->setFont(labelFont);
        l->setToolTip(texts.tips[i]);
        l->setAccessibleName(texts.labels[i].isEmpty() ? texts.tips[i].trimmed() : texts.labels[i]);
        colour(l, i + 2 == sourceLabel_ ? QColor(Qt::white) : QColor(255, 255, 192));
        Label[i + 2] = l;
    }
    Text1 = new QLineEdit(this);
    Text1->setGeometry(twipsRect(1560, 1245, 3900, 360));
    Text1->setFont(windowFont(kGothic, 11.25));
    QPalette dark = Text1->palette();
    dark.setColor(QPalette::Base, kListGrey);
    dark.setColor(QPalette::Text, QColor(255, 255, 0));
    Text1->setPalette(dark);
    Text1->setToolTip(texts.entryTip);
    Text1->setAccessibleName(texts.entryTip.trimmed());

    const std::array<QString, 3> captions = {QStringLiteral(" OK "), QStringLiteral("キャンセル"),
                                             QStringLiteral("ヘルプ")};
    const std::array<QString, 3> tips = {QStringLiteral(" OK "), QStringLiteral(" キャンセル"),
                                         QStringLiteral(" ヘルプ")};
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        Command1[i]->setGeometry(twipsRect(600 + i * 1650, 1920, 1300, 300));
        Command1[i]->setFont(windowFont(kUiGothic, 9));
        Command1[i]->setToolTip(tips[i]);
        Command1[i]->setAccessibleName(captions[i].trimmed());
        Command1[i]->setAutoDefault(false);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command1[EntryButton::Ok]->setDefault(true);
    setFixedSize(qMax(twipsToPixels(5760), Label[1]->geometry().right() + twipsToPixels(300)), twipsToPixels(2520));
    move(centredOnScreen(size()));
    showSourceName();
}

void NameEntryDialog::showSourceName()
{
    const QString name = QFileInfo(file_).fileName();
    // A long name keeps its start and its extension, cut in the middle.
    QLabel* label = Label[sourceLabel_];
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, label->width()));
    label->setAccessibleDescription(name);
}

} // namespace kumiro
