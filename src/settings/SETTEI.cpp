#include "SETTEI.h"
#include "SettingsForm.h"

#include "app/HelpTopics.h"
#include "app/StoredSettings.h"
#include "app/TextValues.h"
#include "PathField.h"
#include "platform/DriveList.h"
#include "platform/FolderList.h"
#include "platform/Icons.h"
#include "platform/Look.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>

namespace kumiro {

namespace {
// The settings' path field's row, taken from the folder list's top.
constexpr double kPathRowTwips = 420;
} // namespace

namespace {

// Children of a tab are placed relative to the tab control, tab strip included.
int tabStripPixels(const QTabWidget* tabs)
{
    return tabs->tabBar()->sizeHint().height() + 2;
}

QRect onTab(const QTabWidget* tabs, double left, double top, double width, double height)
{
    QRect r = twipsRect(left, top, width, height);
    r.translate(0, -tabStripPixels(tabs));
    return r;
}

void setTip(QWidget* w, const QString& tip)
{
    w->setToolTip(tip);
    if (!tip.trimmed().isEmpty())
        w->setAccessibleName(tip.trimmed());
}

QPalette darkYellow(QPalette p)
{
    p.setColor(QPalette::Base, kListGrey);
    p.setColor(QPalette::Text, QColor(255, 255, 0));
    return p;
}

QPalette whiteBlack(QPalette p)
{
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Button, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::ButtonText, Qt::black);
    return p;
}

} // namespace

SETTEI::SETTEI(const StoredSettings& settings, QString helpFile, Platform& platform, QWidget* mainWindow)
    : QDialog(mainWindow), settings_(settings), helpFile_(std::move(helpFile)), platform_(platform),
      mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("SETTEI"));
    setWindowTitle(caption());
    setWindowIcon(QIcon(svgPixmap(QStringLiteral(":/toolbar/09.svg"), 16)));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(6795), twipsToPixels(4620));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    setPalette(grey);
    setAutoFillBackground(true);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(twipsRect(120, 120, 6555, 3930));
    SSTab1->tabBar()->setFont(windowFont(kPGothic, 9.75));
    buildGeneralTab();
    for (Kind kind : kAllKinds)
        buildKindTab(kind);

    const std::array<QString, SettingsButton::Count> captions = {QStringLiteral("OK"), QStringLiteral("キャンセル"),
                                                                 QStringLiteral("適用(&A)"), QStringLiteral("ヘルプ")};
    const std::array<QString, SettingsButton::Count> tips = {QStringLiteral(" OK "), QStringLiteral(" キャンセル "),
                                                             QStringLiteral(" 適用 "), QStringLiteral(" ヘルプ ")};
    const std::array<double, SettingsButton::Count> lefts = {640, 2050, 3460, 4870};
    for (int i = 0; i < SettingsButton::Count; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        Command1[i]->setGeometry(twipsRect(lefts[i], 4170, 1300, 300));
        Command1[i]->setFont(windowFont(kUiGothic, 9));
        Command1[i]->setToolTip(tips[i]);
        Command1[i]->setAccessibleName(tips[i].trimmed());
        Command1[i]->setAutoDefault(false);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command1[SettingsButton::Ok]->setDefault(true);

    // The substituted face runs wider than the one the sizes were made for: rather than hide tabs behind
    // scroll arrows, the dialog grows until all four captions show.
    SSTab1->setUsesScrollButtons(false);
    const int extra = SSTab1->tabBar()->sizeHint().width() + 6 - SSTab1->width();
    if (extra > 0) {
        SSTab1->resize(SSTab1->width() + extra, SSTab1->height());
        setFixedSize(width() + extra, height());
        for (QPushButton* b : Command1)
            b->move(b->x() + extra / 2, b->y());
    }

    Form_Load();
    move(centredOnScreen(size()));
}

void SETTEI::buildGeneralTab()
{
    auto* page = new QWidget;
    SSTab1->addTab(page, QStringLiteral("環境設定"));
    QPalette grey = page->palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    page->setPalette(grey);
    page->setAutoFillBackground(true);
    const QFont font = windowFont(kPGothic, 11.25);
    // Top to bottom: logo, double click, centring, last tab.
    const std::array<std::pair<int, const char16_t*>, GeneralBox::Count> rows = {
        {{GeneralBox::Logo, u"ロゴの表示(&L)"},
         {GeneralBox::DoubleClickEnds, u"ダブルクリックで終了(&D)"},
         {GeneralBox::Centre, u"画面のセンタリング(&C)"},
         {GeneralBox::LastTab, u"最後のアクティブタブ(&A)"}}};
    for (int r = 0; r < GeneralBox::Count; ++r) {
        const auto [i, text] = rows[r];
        const QString caption = QString::fromUtf16(text);
        auto* box = new QCheckBox(caption, page);
        box->setFont(font);
        const QRect at = onTab(SSTab1, 2010, 1425 + r * 360, 3000, 345);
        box->setGeometry(at.x(), at.y(), qMax(at.width(), box->sizeHint().width()), at.height());
        setTip(box,
               u' ' + QString(caption).remove(QStringLiteral("(&") + caption.at(caption.size() - 2) + u')') + u' ');
        Check1[i] = box;
    }
}

void SETTEI::buildKindTab(Kind kind)
{
    const int k = indexOf(kind);
    auto* page = new QWidget;
    const std::array<const char16_t*, 3> captions = {u"初期設定（W編）", u"初期設定（E編）", u"初期設定（T編）"};
    SSTab1->addTab(page, QString::fromUtf16(captions[k]));
    const QFont checkFont = windowFont(kPGothic, 11.25);
    const QFont textFont = windowFont(kGothic, 11.25);
    const QFont listFont = windowFont(kUiGothic, 11.25);

    Text1[k] = new QLineEdit(page);
    Text1[k]->setGeometry(onTab(SSTab1, 280, 570, 4170, 330));
    Text1[k]->setFont(textFont);
    Text1[k]->setPalette(darkYellow(Text1[k]->palette()));
    const std::array<const char16_t*, 3> nameTips = {u" くみろﾌｧｲﾙ名（Ｗ編） ", u" くみろﾌｧｲﾙ名（Ｅ編） ",
                                                     u" くみろﾌｧｲﾙ名（Ｔ編） "};
    setTip(Text1[k], QString::fromUtf16(nameTips[k]));

    Drive1[k] = new DriveList(page);
    Drive1[k]->setGeometry(onTab(SSTab1, 280, 1050, 4170, 345));
    Drive1[k]->setFont(listFont);
    Drive1[k]->setPalette(whiteBlack(Drive1[k]->palette()));
    setTip(Drive1[k], QStringLiteral(" ドライブ名 "));
    Drive1[k]->setVolumes(userVolumes());
    connect(Drive1[k], &DriveList::driveChanged, this, [this, k] { Drive1_Change(k); });

    Path1[k] = new QLineEdit(page);
    Path1[k]->setGeometry(onTab(SSTab1, 280, 1530, 4170, 330));
    Path1[k]->setFont(listFont);
    Path1[k]->setPalette(whiteBlack(Path1[k]->palette()));
    setTip(Path1[k], QStringLiteral(" フォルダのパス "));

    // Below the path field, which takes its top.
    Dir1[k] = new FolderList(page);
    Dir1[k]->setGeometry(onTab(SSTab1, 285, 1530 + kPathRowTwips, 4170, 2130 - kPathRowTwips));
    Dir1[k]->setFont(listFont);
    Dir1[k]->setPalette(whiteBlack(Dir1[k]->palette()));
    setTip(Dir1[k], QStringLiteral(" フォルダ名 "));
    new PathField(Path1[k], Drive1[k], Dir1[k], platform_.messages);
    connect(Dir1[k], &FolderList::openFailed, this, [this](const QString& path) {
        platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"), folderUnreadableText(path));
    });

    Check5[k] = new QCheckBox(QStringLiteral("ﾌｫﾙﾀﾞの同期"), page);
    Check5[k]->setGeometry(onTab(SSTab1, 4710, 500, 1575, 345));
    Check5[k]->setFont(checkFont);
    setTip(Check5[k], QStringLiteral(" ﾌｫﾙﾀﾞの同期 "));

    Frame1[k] = new QGroupBox(QStringLiteral(" ﾌｧｲﾙの拡張子 "), page);
    Frame1[k]->setGeometry(onTab(SSTab1, 4710, 940, 1545, kind == Kind::Text ? 2715 : 1245));
    Frame1[k]->setFont(checkFont);
    setTip(Frame1[k], QStringLiteral(" ﾌｧｲﾙの拡張子 "));

    if (kind == Kind::Text)
        buildTextPatterns();
    else
        buildOfficePatterns(kind, page);
    QPalette grey = page->palette();
    grey.setColor(QPalette::Window, kWindowGrey);
    page->setPalette(grey);
    page->setAutoFillBackground(true);
}

QCheckBox* SETTEI::patternBox(QWidget* frame, const QString& caption, double top)
{
    auto* box = new QCheckBox(caption, frame);
    box->setGeometry(twipsRect(240, top, 855, 345));
    box->setMinimumWidth(box->sizeHint().width());
    box->setFont(windowFont(kPGothic, 11.25));
    setTip(box, u' ' + caption + u' ');
    return box;
}

void SETTEI::buildOfficePatterns(Kind kind, QWidget* page)
{
    const int k = indexOf(kind);
    const QFont checkFont = windowFont(kPGothic, 11.25);
    const QFont listFont = windowFont(kUiGothic, 11.25);
    const QStringList& patterns = kindInfo(kind).patterns;
    // The later patterns below the two of old, in the same style; the frame grows to hold them.
    Frame1[k]->resize(Frame1[k]->width(), twipsToPixels(330 + 360 * patterns.size() + 90));
    for (int j = 0; j < patterns.size(); ++j) {
        QCheckBox* box = patternBox(Frame1[k], patterns[j], 330 + 360 * j);
        if (kind == Kind::Word)
            Check2[j] = box;
        else
            Check3[j] = box;
        connect(box, &QCheckBox::toggled, this, [this, j, kind] {
            if (loading_)
                return;
            if (kind == Kind::Word)
                Check2_Click(j);
            else
                Check3_Click(j);
        });
    }
    // The output format, below the folder list, which gives up the room.
    Dir1[k]->resize(Dir1[k]->width(), twipsToPixels(1620 - kPathRowTwips));
    auto* label = new QLabel(QStringLiteral("保存形式"), page);
    label->setGeometry(onTab(SSTab1, 285, 3270, 1000, 330));
    label->setFont(checkFont);
    Combo1[k] = new QComboBox(page);
    Combo1[k]->setGeometry(onTab(SSTab1, 1300, 3240, 3155, 345));
    Combo1[k]->setFont(listFont);
    Combo1[k]->setPalette(whiteBlack(Combo1[k]->palette()));
    for (const OutputFormat& f : kindInfo(kind).outputFormats)
        Combo1[k]->addItem(f.label, f.extension);
    setTip(Combo1[k], QStringLiteral(" 保存形式 "));
    label->setBuddy(Combo1[k]);
}

void SETTEI::buildTextPatterns()
{
    const int k = indexOf(Kind::Text);
    const QFont textFont = windowFont(kGothic, 11.25);
    Check4[0] = patternBox(Frame1[k], QStringLiteral("*.txt"), 330);
    Text2[0] = new QLineEdit(Frame1[k]);
    Text2[0]->setAccessibleName(QStringLiteral("ﾌｧｲﾙの拡張子 0 のパターン"));
    Text2[0]->hide();
    const std::array<double, 5> tops = {705, 1065, 1425, 1800, 2160};
    for (int j = 1; j <= 5; ++j) {
        Check4[j] = new QCheckBox(Frame1[k]);
        Check4[j]->setGeometry(twipsRect(240, tops[j - 1] - 15, 195, 345));
        Check4[j]->setMinimumWidth(Check4[j]->sizeHint().width());
        Check4[j]->setAccessibleName(QStringLiteral("ﾌｧｲﾙの拡張子 %1").arg(j));
        Text2[j] = new QLineEdit(Frame1[k]);
        Text2[j]->setGeometry(twipsRect(528, tops[j - 1], 750, 330));
        Text2[j]->setFont(textFont);
        Text2[j]->setPalette(darkYellow(Text2[j]->palette()));
        Text2[j]->setAccessibleName(QStringLiteral("ﾌｧｲﾙの拡張子 %1 のパターン").arg(j));
        Text2[j]->setMaxLength(kTextPatternLength);
    }
    // A whole pattern shows: the frame grows to the left, the folder lists give up the room.
    const int wanted = Text2[1]->fontMetrics().horizontalAdvance(QString(kTextPatternLength, u'W')) + 8;
    const int extra = wanted - Text2[1]->width();
    if (extra > 0) {
        for (int j = 1; j <= 5; ++j)
            Text2[j]->resize(wanted, Text2[j]->height());
        Frame1[k]->setGeometry(Frame1[k]->x() - extra, Frame1[k]->y(), Frame1[k]->width() + extra, Frame1[k]->height());
        Check5[k]->move(Check5[k]->x() - extra, Check5[k]->y());
        for (QWidget* w : std::initializer_list<QWidget*>{Text1[k], Drive1[k], Path1[k], Dir1[k]})
            w->resize(w->width() - extra, w->height());
    }
}

void SETTEI::Form_Load()
{
    // Every change the user makes to a pattern box (a click, a key, a screen reader's
    // toggle) is checked; the boxes being filled here are not.
    loading_ = true;
    const auto loaded = qScopeGuard([this] { loading_ = false; });
    auto& s = settings_.set;
    Check1[GeneralBox::Logo]->setChecked(isOn(s.OptLogo));
    Check1[GeneralBox::DoubleClickEnds]->setChecked(isOn(s.OptDbl));
    Check1[GeneralBox::Centre]->setChecked(isOn(s.OptCent));
    Check1[GeneralBox::LastTab]->setChecked(isOn(s.OptLAct));

    // A stored tab that is not one of the four opens the first.
    const auto tab = toInt16(s.OptLATab);
    SSTab1->setCurrentIndex(tab && *tab >= 0 && *tab < SSTab1->count() ? *tab : 0);

    for (int k = 0; k < kKinds; ++k) {
        QString& folder = s.FolderName[k];
        if (folder.isEmpty() || !QFileInfo(folder + u'/').isDir()) {
            platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                                    kindInfo(kindOf(k)).outputFolderMissing);
            platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ変更"),
                                    QStringLiteral("強制的にくみろ君の存在するフォルダに変更します。　"));
            folder = settings_.fallbackFolder;
            settings_.save(Key::FolderName, k);
        }
        if (!folder.isEmpty()) {
            if (!Dir1[k]->setPath(folder)) {
                platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("フォルダ確認"),
                                        folderUnreadableText(folder));
                if (Dir1[k]->openNearest(folder).isEmpty())
                    Dir1[k]->openNearest(settings_.fallbackFolder);
            }
            Drive1[k]->setPath(Dir1[k]->path());
        }
        Text1[k]->setText(s.KumiroFile[k]);
    }
    for (std::size_t j = 0; j < Check2.size(); ++j)
        Check2[j]->setChecked(isOn(s.OptWkaku[j][1]));
    for (std::size_t j = 0; j < Check3.size(); ++j)
        Check3[j]->setChecked(isOn(s.OptEkaku[j][1]));
    for (int k : {0, 1})
        Combo1[k]->setCurrentIndex(std::max(0, Combo1[k]->findData(s.KumiroExt[std::size_t(k)])));
    for (int k = 0; k < kKinds; ++k)
        Check5[k]->setChecked(isOn(s.OptDouki[k]));
    for (int j = 0; j < 6; ++j) {
        Check4[j]->setChecked(isOn(s.OptTkaku[j][1]));
        Text2[j]->setText(s.OptTkaku[j][0]);
        Text2[j]->setToolTip(s.OptTkaku[j][0].isEmpty() ? QString() : u' ' + s.OptTkaku[j][0] + u' ');
    }
    Text2[0]->setText(QStringLiteral("*.txt"));
}

template <std::size_t N>
void SETTEI::refuseBothOff(std::array<QCheckBox*, N>& boxes, ExtTable<N>& table, int index, const QString& first,
                           const QString& second)
{
    // Written through at once: the next listing sees it even if the dialog is cancelled.
    table[index][1] = flagText(boxes[index]->isChecked());
    if (index > 1 || isOn(table[0][1]) || isOn(table[1][1]))
        return;
    platform_.messages.show(
        this, MsgIcon::Exclamation, QStringLiteral("設定確認"),
        QStringLiteral("「%1」 と 「%2」 の両方をくみろ対象としない設定はできません。　").arg(first, second));
    platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("強制設定"),
                            QStringLiteral("強制的に 「%1」 をくみろ対象に設定します。　").arg(first));
    boxes[0]->setChecked(true);
    table[0][1] = QStringLiteral("1");
}

void SETTEI::Check2_Click(int index)
{
    refuseBothOff(Check2, settings_.set.OptWkaku, index, QStringLiteral("*.doc"), QStringLiteral("*.rtf"));
}

void SETTEI::Check3_Click(int index)
{
    refuseBothOff(Check3, settings_.set.OptEkaku, index, QStringLiteral("*.xls"), QStringLiteral("*.csv"));
}

void SETTEI::Command1_Click(int index)
{
    switch (index) {
    case SettingsButton::Ok:
        SaveGeneralOptions();
        for (Kind kind : kAllKinds)
            SaveKindOptions(kind);
        hide();
        close();
        break;
    case SettingsButton::Cancel: reject(); break;
    case SettingsButton::Apply: {
        const int tab = SSTab1->currentIndex();
        if (tab == kGeneralTab)
            SaveGeneralOptions();
        else
            SaveKindOptions(kindOf(tab - 1));
        break;
    }
    case SettingsButton::Help: {
        const int tab = SSTab1->currentIndex();
        const int context = tab == kGeneralTab ? HelpTopic::GeneralSettings : kindInfo(kindOf(tab - 1)).settingsHelp;
        platform_.help.show(this, helpFile_, HelpCommand::Context, context);
        break;
    }
    default: break;
    }
}

void SETTEI::reject()
{
    hide();
    close();
}

void SETTEI::Drive1_Change(int index)
{
    // A drive that cannot be read: back to the drive of the folder still shown.
    if (!Dir1[index]->setPath(Drive1[index]->drive()))
        Drive1[index]->setPath(Dir1[index]->path());
}

GeneralForm SETTEI::generalForm() const
{
    GeneralForm form;
    form.logo = Check1[GeneralBox::Logo]->isChecked();
    form.doubleClickEnds = Check1[GeneralBox::DoubleClickEnds]->isChecked();
    form.centre = Check1[GeneralBox::Centre]->isChecked();
    form.lastTab = Check1[GeneralBox::LastTab]->isChecked();
    form.currentTab = SSTab1->currentIndex();
    return form;
}

KindForm SETTEI::kindForm(Kind kind) const
{
    const int k = indexOf(kind);
    KindForm form;
    form.syncFolder = Check5[k]->isChecked();
    form.fileName = Text1[k]->text();
    form.shownFolder = Dir1[k]->path();
    if (kind == Kind::Word || kind == Kind::Excel) {
        if (kind == Kind::Word)
            for (QCheckBox* box : Check2)
                form.patternsOn << box->isChecked();
        else
            for (QCheckBox* box : Check3)
                form.patternsOn << box->isChecked();
        form.outputExtension = Combo1[k]->currentData().toString();
    } else {
        for (std::size_t j = 0; j < Text2.size(); ++j) {
            form.textPatterns[j] = Text2[j]->text();
            form.textPatternsOn[j] = Check4[j]->isChecked();
        }
    }
    return form;
}

void SETTEI::SaveGeneralOptions()
{
    const GeneralForm form = generalForm();
    if (mainWindow_) {
        const bool atCorner = mainWindow_->pos() == QPoint(0, 0);
        if (form.centre || atCorner)
            mainWindow_->move(centredOnScreen(mainWindow_->frameGeometry().size()));
    }
    saveGeneralForm(settings_, form);
}

void SETTEI::SaveKindOptions(Kind kind)
{
    saveKindForm(settings_, kind, kindForm(kind));
}

} // namespace kumiro
