// The main window's menus and toolbar, and which command each item gives.
#include "KUMIRO.h"

#include "OrderPanel.h"
#include "ToolButtons.h"
#include "app/Kinds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace kumiro {

void KUMIRO::buildMenus()
{
    auto item = [this](QMenu* menu, const QString& caption, const QKeySequence& key, auto handler) {
        QAction* a = menu->addAction(caption);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    item(mnuFile, QStringLiteral("Word ﾌｧｲﾙの一覧を開く(&W)..."), QKeySequence(Qt::CTRL | Qt::Key_W),
         [this] { mnuFileOpen_Click(Kind::Word); });
    item(mnuFile, QStringLiteral("Excel ﾌｧｲﾙの一覧を開く(&E)..."), QKeySequence(Qt::CTRL | Qt::Key_E),
         [this] { mnuFileOpen_Click(Kind::Excel); });
    item(mnuFile, QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."), QKeySequence(Qt::CTRL | Qt::Key_T),
         [this] { mnuFileOpen_Click(Kind::Text); });
    mnuFile->addSeparator();
    mnuFileKumiro = item(mnuFile, QStringLiteral("くみろ実行(&G)"), QKeySequence(Qt::CTRL | Qt::Key_G),
                         [this] { mnuFileKumiro_Click(); });
    mnuFile->addSeparator();
    item(mnuFile, QStringLiteral("くみろ君 の終了(&X)..."), {}, [this] { mnuFileEnd_Click(); });

    QMenu* mnuDataManager = menuBar()->addMenu(QStringLiteral("ﾃﾞｰﾀ管理(&M)"));
    QMenu* mnuDataConv = mnuDataManager->addMenu(QStringLiteral("変換(&C)"));
    item(mnuDataConv, QStringLiteral("*.doc or *.rtf → *.txt(&T)..."), {}, [this] { data_.convert(WordFormat::Text); });
    item(mnuDataConv, QStringLiteral("*.txt → *.doc(&D)..."), {}, [this] { data_.convert(WordFormat::Native); });
    item(mnuDataConv, QStringLiteral("*.txt → *.rtf(&R)..."), {}, [this] { data_.convert(WordFormat::RichText); });
    mnuDataManager->addSeparator();
    item(mnuDataManager, QStringLiteral("ｺﾋﾟｰ(&C)..."), {}, [this] { data_.copy(); });
    item(mnuDataManager, QStringLiteral("名前の変更(&R)..."), {}, [this] { data_.rename(); });
    item(mnuDataManager, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."), {}, [this] { data_.backup(); });
    mnuDataManager->addSeparator();
    item(mnuDataManager, QStringLiteral("削除(&D)..."), {}, [this] { data_.remove(); });

    QMenu* mnuOption = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    item(mnuOption, QStringLiteral("各種設定(&K)"), QKeySequence(Qt::CTRL | Qt::Key_K),
         [this] { mnuOptSettei_Click(); });

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    item(mnuHelp, QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"), QKeySequence(Qt::Key_F1),
         [this] { mnuHelpContext_KeyWord_Click(HelpCommand::Index); });
    item(mnuHelp, QStringLiteral("目次(&C)"), {}, [this] { mnuHelpContext_KeyWord_Click(HelpCommand::Contents); });
    mnuHelp->addSeparator();
    item(mnuHelp, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), {}, [this] { mnuHelpAbout_Click(); });
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

    // The buttons in order; no tooltip is a separator.
    addToolButtons(Toolbar1,
                   {
                       {u"", {}},
                       {u" Word ﾌｧｲﾙの一覧を開く ", [this] { mnuFileOpen_Click(Kind::Word); }},
                       {u" Excel ﾌｧｲﾙの一覧を開く ", [this] { mnuFileOpen_Click(Kind::Excel); }},
                       {u" Text ﾌｧｲﾙの一覧を開く ", [this] { mnuFileOpen_Click(Kind::Text); }},
                       {u"", {}},
                       {u" くみろ実行 ", [this] { mnuFileKumiro_Click(); }, &toolCombine_},
                       {u"", {}},
                       {u" ｺﾋﾟｰ ", [this] { data_.copy(); }},
                       {u" 名前の変更 ", [this] { data_.rename(); }},
                       {u" ﾊﾞｯｸｱｯﾌﾟ ", [this] { data_.backup(); }},
                       {u"", {}},
                       {u" 削除 ", [this] { data_.remove(); }},
                       {u"", {}},
                       {u" 各種設定 ", [this] { mnuOptSettei_Click(); }},
                       {u"", {}},
                       {u" ﾊﾞｰｼﾞｮﾝ情報 ", [this] { mnuHelpAbout_Click(); }},
                       {u" ﾍﾙﾌﾟ ", [this] { mnuHelpContext_KeyWord_Click(HelpCommand::Contents); }},
                   });
}

} // namespace kumiro
