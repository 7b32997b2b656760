#include "SEL_FOLD.h"
#include "PathField.h"

#include "app/Kinds.h"
#include "app/ConfirmedOrder.h"
#include "app/StoredSettings.h"
#include "platform/DriveList.h"
#include "platform/FolderList.h"
#include "platform/Look.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QFileInfo>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace kumiro {

namespace {

template <typename W> W* placed(W* widget, double left, double top, double width, double height, const QFont& font)
{
    widget->setGeometry(twipsRect(left, top, width, height));
    widget->setFont(font);
    return widget;
}

void setTip(QWidget* w, const QString& tip)
{
    w->setToolTip(tip);
    w->setAccessibleName(tip.trimmed());
}

} // namespace

void confirmDataFolder(const StoredSettings& settings, ConfirmedOrder& order, Kind kind, const QString& folder)
{
    settings.set.DataFol[kind] = folder;
    settings.save(Key::DataFol, indexOf(kind));
    order.voidOrder();
}

SEL_FOLD::SEL_FOLD(Kind kind, const StoredSettings& settings, ConfirmedOrder& order, QString helpFile,
                   Platform& platform, QWidget* parent)
    : QDialog(parent), kind_(kind), settings_(settings), order_(order), helpFile_(std::move(helpFile)),
      platform_(platform)
{
    setObjectName(QStringLiteral("SEL_FOLD"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowGrey);
    setPalette(pal);
    setAutoFillBackground(true);

    const QFont big = windowFont(kUiGothic, 11.25);
    const QFont buttons = windowFont(kUiGothic, 9);

    Label1 = placed(new QLabel(QStringLiteral("データフォルダを指定して、ＯＫﾎﾞﾀﾝを押して下さい。"), this), 330, 210,
                    4545, 225, big);
    QPalette labelPal = Label1->palette();
    labelPal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    Label1->setPalette(labelPal);
    // The substituted face runs wider than the one the sizes were made for: let the label take what its
    // text needs, and the window grow with it, rather than cut the sentence.
    Label1->resize(qMax(Label1->width(), Label1->sizeHint().width()),
                   qMax(Label1->height(), Label1->sizeHint().height()));
    // A row for a typed or pasted path above the lists: the dialog is that much taller.
    setFixedSize(qMax(twipsToPixels(5010), Label1->geometry().right() + twipsToPixels(330)),
                 twipsToPixels(3900 + kPathRowTwips));

    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Button, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    white.setColor(QPalette::ButtonText, Qt::black);
    Path1 = placed(new QLineEdit(this), 450, 690, 4110, 330, big);
    Path1->setPalette(white);
    setTip(Path1, QStringLiteral(" フォルダのパス "));
    Drive1 = placed(new DriveList(this), 450, 690 + kPathRowTwips, 4110, 345, big);
    Drive1->setPalette(white);
    setTip(Drive1, QStringLiteral(" ドライブ名 "));
    Dir1 = placed(new FolderList(this), 450, 1170 + kPathRowTwips, 4110, 1875, big);
    Dir1->setPalette(white);
    setTip(Dir1, QStringLiteral(" フォルダ名 "));
    new PathField(Path1, Drive1, Dir1, platform_.messages);

    const std::array<QString, PickerButton::Count> captions = {QStringLiteral("OK"), QStringLiteral("キャンセル"),
                                                               QStringLiteral("ヘルプ")};
    const std::array<double, PickerButton::Count> lefts = {445, 1855, 3265};
    for (int i = 0; i < PickerButton::Count; ++i) {
        Command1[i] = placed(new QPushButton(captions[i], this), lefts[i], 3320 + kPathRowTwips, 1300, 300, buttons);
        Command1[i]->setToolTip(u' ' + captions[i] + u' ');
        Command1[i]->setAccessibleName(captions[i]);
        Command1[i]->setAutoDefault(false);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command1[PickerButton::Ok]->setDefault(true);

    Drive1->setVolumes(userVolumes());
    connect(Drive1, &DriveList::driveChanged, this, &SEL_FOLD::Drive1_Change);
    connect(Dir1, &FolderList::openFailed, this, [this](const QString& path) {
        platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"), folderUnreadableText(path));
    });

    Form_Load();
    // The folder list first, as before the path field was there.
    setTabOrder(Dir1, Command1[PickerButton::Ok]);
    Dir1->setFocus();

    if (const QScreen* screen = this->screen())
        move(screen->geometry().center() - rect().center());
}

void SEL_FOLD::Form_Load()
{
    setWindowTitle(baseCaption() + kindInfo(kind_).captionSuffix);

    QString& folder = settings_.set.DataFol[kind_];
    // An empty folder is as missing as a deleted one.
    if (folder.isEmpty() || !QFileInfo(folder + u'/').isDir()) {
        platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                                QStringLiteral("指定フォルダは存在しません。 "));
        platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ変更"),
                                QStringLiteral("強制的にくみろ君の存在するフォルダに変更します。　"));
        folder = settings_.fallbackFolder;
        settings_.save(Key::DataFol, indexOf(kind_));
    }
    if (!folder.isEmpty()) {
        // A folder that exists but cannot be read: say so, and offer its nearest readable
        // parent; the stored folder changes only when the user confirms one.
        if (!Dir1->setPath(folder)) {
            platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                                    folderUnreadableText(folder));
            if (Dir1->openNearest(folder).isEmpty())
                Dir1->openNearest(settings_.fallbackFolder);
        }
        Drive1->setPath(Dir1->path());
    }
}

void SEL_FOLD::Drive1_Change()
{
    // There is no current folder per drive here: a drive opens at its root.
    // A drive that cannot be read: back to the drive of the folder still shown.
    if (!Dir1->setPath(Drive1->drive()))
        Drive1->setPath(Dir1->path());
}

void SEL_FOLD::Command1_Click(int index)
{
    switch (index) {
    case PickerButton::Ok:
        // Nothing could be opened at all: there is no folder to keep.
        if (Dir1->path().isEmpty())
            return;
        confirmDataFolder(settings_, order_, kind_, Dir1->path());
        chosen_ = Dir1->path();
        done(QDialog::Accepted);
        break;
    case PickerButton::Cancel: reject(); break;
    case PickerButton::Help:
        platform_.help.show(this, helpFile_, HelpCommand::Context, kindInfo(kind_).pickerHelp);
        break;
    default: break;
    }
}

void SEL_FOLD::reject()
{
    chosen_.reset();
    QDialog::done(QDialog::Rejected);
}

} // namespace kumiro
