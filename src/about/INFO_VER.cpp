#include "INFO_VER.h"

#include "INITDISP.h"
#include "app/BuildInfo.h"
#include "platform/Icons.h"
#include "platform/Look.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace kumiro {

namespace {
// The right edge of the panel the links lie in, inside its frame line.
constexpr double kLinkPanelRightTwips = 3900;
const QColor kLinkIdle = bgrColor(0xC0FFC0);
const QColor kLinkLit = bgrColor(0x00FF00);

bool isMailLink(int i)
{
    return i == 10 || i == 11;
}
bool isHomeLink(int i)
{
    return i >= 12 && i <= 14;
}
} // namespace

QString INFO_VER::mailAddress()
{
    return QString::fromUtf8(KUMIRO_AUTHOR_MAIL);
}
QString INFO_VER::homePage()
{
    return QString::fromUtf8(KUMIRO_HOME_PAGE);
}

std::pair<QString, QString> INFO_VER::homePageLines(const QString& url)
{
    QString trimmed = url;
    const bool slash = trimmed.endsWith(u'/');
    if (slash)
        trimmed.chop(1);
    const qsizetype cut = trimmed.lastIndexOf(u'/');
    // Nothing to split when the address has no path of its own.
    if (cut < 0 || trimmed.left(cut).endsWith(u'/'))
        return {url, QString()};
    return {trimmed.left(cut + 1), trimmed.mid(cut + 1) + (slash ? QStringLiteral("/") : QString())};
}

INFO_VER::INFO_VER(Platform& platform, QWidget* parent) : QDialog(parent), platform_(platform)
{
    setObjectName(QStringLiteral("INFO_VER"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(6375), twipsToPixels(4125));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, bgrColor(0x808080));
    setPalette(grey);
    setAutoFillBackground(true);
    setMouseTracking(true);

    auto* frame = new QFrame(this);
    frame->setGeometry(twipsRect(4050, 2175, 2235, 1860));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->installEventFilter(this);
    frame->setMouseTracking(true);

    const QColor yellow = bgrColor(0x00FFFF), pale = bgrColor(0xC0FFFF), black(Qt::black);
    const QFont title = windowFont(kMincho, 48, true);
    const QFont small = windowFont(kMincho, 12, true);
    const QFont version = windowFont(kTimes, 14.25);
    const QFont line = windowFont(kTimes, 15.75);
    QFont link = windowFont(kMincho, 11.25);
    link.setUnderline(true);
    const auto [home1, home2] = homePageLines(homePage());

    struct Spec {
        int index;
        QString text;
        QFont font;
        QColor colour;
        double left, top, width, height;
        QWidget* parent;
    };
    // Shadows (even twins of each coloured label) first, so that the colours lie on top.
    const QList<Spec> specs = {
        {0, QStringLiteral("くみろ"), title, black, 1920, 420, 3615, 945, this},
        {1, QStringLiteral("くみろ"), title, yellow, 1800, 300, 3615, 945, this},
        {2, QStringLiteral("君"), small, black, 5640, 1050, 285, 285, this},
        {3, QStringLiteral("君"), small, yellow, 5550, 960, 285, 285, this},
        {4, QStringLiteral("Ver." KUMIRO_VERSION), version, black, 600, 1020, 1065, 375, this},
        {5, QStringLiteral("Ver." KUMIRO_VERSION), version, pale, 510, 930, 1065, 375, this},
        {19, QStringLiteral("for Windows 98/Me/NT/2000/XP"), line, black, 405, 1485, 4305, 405, this},
        {18, QStringLiteral("for Windows 98/Me/NT/2000/XP"), line, yellow, 300, 1380, 4305, 405, this},
        {6, INITDISP::attribution(), line, black, 405, 1875, 3255, 405, this},
        {7, INITDISP::attribution(), line, yellow, 300, 1770, 3255, 405, this},
        {8, INITDISP::authorName(), small, black, 4125, 1890, 585, 315, this},
        {9, INITDISP::authorName(), small, yellow, 4035, 1800, 585, 315, this},
        {15, QString(), windowFont(kMincho, 9), pale, 495, 390, 1335, 375, frame},
        {16, QString(), windowFont(kMincho, 9), pale, 495, 780, 1335, 375, frame},
        {17, QString(), windowFont(kMincho, 9), pale, 495, 1170, 1335, 375, frame},
        {10, QStringLiteral("E-Mail Address："), link, kLinkIdle, 630, 2475, 1665, 255, this},
        {11, mailAddress(), link, kLinkIdle, 630, 2700, 2055, 255, this},
        {12, QStringLiteral("URL Address："), link, kLinkIdle, 630, 3120, 1425, 255, this},
        {13, home1, link, kLinkIdle, 630, 3345, 2895, 255, this},
        {14, home2, link, kLinkIdle, 630, 3570, 1065, 255, this},
    };
    for (const Spec& s : specs) {
        QLabel* label =
            backgroundLabel(s.parent, s.text, s.font, s.colour, twipsRect(s.left, s.top, s.width, s.height));
        label->setMouseTracking(true);
        label->installEventFilter(this);
        Label1[s.index] = label;
    }
    prepareLinks();

    auto* icon = new QLabel(this);
    icon->setGeometry(twipsRect(840, 420, 480, 480));
    icon->setPixmap(programPixmap(32));
    icon->installEventFilter(this);
    icon->setMouseTracking(true);

    makeOkButton();
    move(centredOnScreen(size()));
}

// The addresses: reached with Tab, opened with the keyboard as with the mouse.
void INFO_VER::prepareLinks()
{
    for (int i = 10; i <= 14; ++i) {
        QLabel* l = Label1[i];
        l->setCursor(Qt::PointingHandCursor);
        l->setToolTip(isMailLink(i) ? QStringLiteral("mailto:") + mailAddress() : homePage());
        l->setAccessibleName(l->text().isEmpty() ? l->toolTip() : l->text());
        l->setFocusPolicy(Qt::TabFocus); // a link is reached and opened with the keyboard too
        // An address wider than its panel is set smaller rather than run over the frame.
        const int room = twipsToPixels(kLinkPanelRightTwips) - l->x();
        QFont font = l->font();
        while (l->fontMetrics().horizontalAdvance(l->text()) > room && font.pointSizeF() > 7) {
            font.setPointSizeF(font.pointSizeF() - 0.25);
            l->setFont(font);
        }
    }
}

void INFO_VER::makeOkButton()
{
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setGeometry(twipsRect(4770, 1590, 1300, 300));
    Command1->setFont(windowFont(kUiGothic, 9));
    Command1->setToolTip(QStringLiteral(" OK "));
    Command1->setAccessibleName(QStringLiteral("OK"));
    Command1->setDefault(true);
    Command1->installEventFilter(this);
    Command1->setMouseTracking(true);
    connect(Command1, &QPushButton::clicked, this, &INFO_VER::Command1_Click);
    // Return answers OK; the links are reached with Tab.
    Command1->setFocus();
    setTabOrder(Command1, Label1[10]);
    for (int i = 10; i < 14; ++i)
        setTabOrder(Label1[i], Label1[i + 1]);
}

int INFO_VER::indexOf(QObject* object) const
{
    for (int i = 0; i < int(Label1.size()); ++i) {
        if (Label1[i] == object)
            return i;
    }
    return -1;
}

void INFO_VER::colourLinks(bool mailLit, bool homeLit)
{
    for (int i = 10; i <= 14; ++i) {
        QPalette p = Label1[i]->palette();
        p.setColor(QPalette::WindowText, (isMailLink(i) ? mailLit : homeLit) ? kLinkLit : kLinkIdle);
        Label1[i]->setPalette(p);
    }
}

void INFO_VER::Form_MouseMove()
{
    colourLinks(false, false);
}

void INFO_VER::Label1_MouseMove(int index)
{
    if (isMailLink(index))
        colourLinks(true, false);
    else if (isHomeLink(index))
        colourLinks(false, true);
}

void INFO_VER::Label1_Click(int index)
{
    if (isMailLink(index)) {
        if (!platform_.shell.hasMailHandler()) {
            platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("OE ｲﾝｽﾄｰﾙ 確認"),
                                    QStringLiteral("「Outlook Express」 が ｲﾝｽﾄｰﾙ されていません。"));
            return;
        }
        platform_.shell.open(QUrl(QStringLiteral("mailto:") + mailAddress()));
    } else if (isHomeLink(index)) {
        if (!platform_.shell.hasBrowser()) {
            platform_.messages.show(this, MsgIcon::Exclamation, QStringLiteral("IE ｲﾝｽﾄｰﾙ 確認"),
                                    QStringLiteral("「Internet Explorer」 が ｲﾝｽﾄｰﾙ されていません。"));
            return;
        }
        platform_.shell.open(QUrl(homePage()));
    }
}

void INFO_VER::Command1_Click()
{
    accept();
}

bool INFO_VER::eventFilter(QObject* watched, QEvent* event)
{
    const int index = indexOf(watched);
    switch (event->type()) {
    case QEvent::MouseMove:
        // Only the window's own background resets the links; every control keeps them.
        if (index >= 0)
            Label1_MouseMove(index);
        return true;
    case QEvent::MouseButtonRelease:
        if (index >= 10 && index <= 14 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Label1_Click(index);
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (index >= 10 && index <= 14) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                Label1_Click(index);
                return true;
            }
        }
        break;
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void INFO_VER::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

void INFO_VER::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    drawWhiteLines(this,
                   {{90, 90, 6270, 90},
                    {90, 90, 90, 4040},
                    {6270, 90, 6270, 2190},
                    {90, 4020, 3960, 4020},
                    {210, 2280, 3960, 2280}});
}

} // namespace kumiro
