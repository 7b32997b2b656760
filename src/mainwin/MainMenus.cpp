// The main window's menus and toolbar, and which command each item gives.
#include "KUMIRO.h"

#include "OrderPanel.h"
#include "app/Kinds.h"
#include "platform/Icons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace kumiro {

void KUMIRO::buildMenus()
{
    auto item = [this](QMenu* menu, const QString& caption, auto handler, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    item(
        mnuFile, QStringLiteral("Word ﾌｧｲﾙの一覧を開く(&W)..."), [this] { mnuFileOpen_Click(Kind::Word); },
        QKeySequence(Qt::CTRL | Qt::Key_W));
    item(
        mnuFile, QStringLiteral("Excel ﾌｧｲﾙの一覧を開く(&E)..."), [this] { mnuFileOpen_Click(Kind::Excel); },
        QKeySequence(Qt::CTRL | Qt::Key_E));
    item(
        mnuFile, QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."), [this] { mnuFileOpen_Click(Kind::Text); },
        QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuFile->addSeparator();
    mnuFileKumiro = item(
        mnuFile, QStringLiteral("くみろ実行(&G)"), [this] { mnuFileKumiro_Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_G));
    mnuFile->addSeparator();
    item(mnuFile, QStringLiteral("くみろ君 の終了(&X)..."), [this] { mnuFileEnd_Click(); });

    QMenu* mnuDataManager = menuBar()->addMenu(QStringLiteral("ﾃﾞｰﾀ管理(&M)"));
    QMenu* mnuDataConv = mnuDataManager->addMenu(QStringLiteral("変換(&C)"));
    item(mnuDataConv, QStringLiteral("*.doc or *.rtf → *.txt(&T)..."), [this] { data_.convert(WordFormat::Text); });
    item(mnuDataConv, QStringLiteral("*.txt → *.doc(&D)..."), [this] { data_.convert(WordFormat::Native); });
    item(mnuDataConv, QStringLiteral("*.txt → *.rtf(&R)..."), [this] { data_.convert(WordFormat::RichText); });
    mnuDataManager->addSeparator();
    item(mnuDataManager, QStringLiteral("ｺﾋﾟｰ(&C)..."), [this] { data_.copy(); });
    item(mnuDataManager, QStringLiteral("名前の変更(&R)..."), [this] { data_.rename(); });
    item(mnuDataManager, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."), [this] { data_.backup(); });
    mnuDataManager->addSeparator();
    item(mnuDataManager, QStringLiteral("削除(&D)..."), [this] { data_.remove(); });

    QMenu* mnuOption = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    item(
        mnuOption, QStringLiteral("各種設定(&K)"), [this] { mnuOptSettei_Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_K));

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    item(
        mnuHelp, QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"), [this] { mnuHelpContext_KeyWord_Click(HelpCommand::Index); },
        QKeySequence(Qt::Key_F1));
    item(mnuHelp, QStringLiteral("目次(&C)"), [this] { mnuHelpContext_KeyWord_Click(HelpCommand::Contents); });
    mnuHelp->addSeparator();
    item(mnuHelp, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), [this] { mnuHelpAbout_Click(); });
}

void KUMIRO::buildToolbar()
{
    Toolbar1 = new QToolBar(panel_);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setAccessibleName(QStringLiteral("ツールバー"));
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->installEventFilter(this);

    // The buttons in order, each with its tooltip; no tooltip is a separator. The pictures
    // are numbered in the order of the buttons.
    struct Button {
        const char16_t* tip;
        std::function<void()> click;
        QAction** kept; // where the window keeps the button, if anywhere
    };
    const Button buttons[] = {
        {u"", {}, nullptr},
        {u" Word ﾌｧｲﾙの一覧を開く ", [this] { mnuFileOpen_Click(Kind::Word); }, nullptr},
        {u" Excel ﾌｧｲﾙの一覧を開く ", [this] { mnuFileOpen_Click(Kind::Excel); }, nullptr},
        {u" Text ﾌｧｲﾙの一覧を開く ", [this] { mnuFileOpen_Click(Kind::Text); }, nullptr},
        {u"", {}, nullptr},
        {u" くみろ実行 ", [this] { mnuFileKumiro_Click(); }, &toolCombine_},
        {u"", {}, nullptr},
        {u" ｺﾋﾟｰ ", [this] { data_.copy(); }, nullptr},
        {u" 名前の変更 ", [this] { data_.rename(); }, nullptr},
        {u" ﾊﾞｯｸｱｯﾌﾟ ", [this] { data_.backup(); }, nullptr},
        {u"", {}, nullptr},
        {u" 削除 ", [this] { data_.remove(); }, nullptr},
        {u"", {}, nullptr},
        {u" 各種設定 ", [this] { mnuOptSettei_Click(); }, nullptr},
        {u"", {}, nullptr},
        {u" ﾊﾞｰｼﾞｮﾝ情報 ", [this] { mnuHelpAbout_Click(); }, nullptr},
        {u" ﾍﾙﾌﾟ ", [this] { mnuHelpContext_KeyWord_Click(HelpCommand::Contents); }, nullptr},
    };
    int image = 0;
    for (const Button& button : buttons) {
        const QString tip = QString::fromUtf16(button.tip);
        if (tip.isEmpty()) {
            Toolbar1->addSeparator();
            continue;
        }
        ++image;
        const QString resource = QStringLiteral(":/toolbar/%1.svg").arg(image, 2, 10, QChar(u'0'));
        QAction* a = Toolbar1->addAction(QIcon(svgPixmap(resource, 16)), tip.trimmed());
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, button.click);
        if (button.kept)
            *button.kept = a;
    }
}

} // namespace kumiro
