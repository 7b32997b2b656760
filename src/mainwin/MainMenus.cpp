// The main window's menus and toolbar, and what their items do.
#include "KUMIRO.h"

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
    mnuFileOpen[0] = item(
        mnuFile, QStringLiteral("Word ﾌｧｲﾙの一覧を開く(&W)..."), [this] { mnuFileOpen_Click(Kind::Word); },
        QKeySequence(Qt::CTRL | Qt::Key_W));
    mnuFileOpen[1] = item(
        mnuFile, QStringLiteral("Excel ﾌｧｲﾙの一覧を開く(&E)..."), [this] { mnuFileOpen_Click(Kind::Excel); },
        QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuFileOpen[2] = item(
        mnuFile, QStringLiteral("Text ﾌｧｲﾙの一覧を開く(&T)..."), [this] { mnuFileOpen_Click(Kind::Text); },
        QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuFile->addSeparator();
    mnuFileKumiro = item(
        mnuFile, QStringLiteral("くみろ実行(&G)"), [this] { mnuFileKumiro_Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_G));
    mnuFile->addSeparator();
    mnuFileEnd = item(mnuFile, QStringLiteral("くみろ君 の終了(&X)..."), [this] { mnuFileEnd_Click(); });

    QMenu* mnuDataManager = menuBar()->addMenu(QStringLiteral("ﾃﾞｰﾀ管理(&M)"));
    QMenu* mnuDataConv = mnuDataManager->addMenu(QStringLiteral("変換(&C)"));
    mnuDataConvert[0] =
        item(mnuDataConv, QStringLiteral("*.doc or *.rtf → *.txt(&T)..."), [this] { mnuDataConvert_Click(0); });
    mnuDataConvert[1] = item(mnuDataConv, QStringLiteral("*.txt → *.doc(&D)..."), [this] { mnuDataConvert_Click(1); });
    mnuDataConvert[2] = item(mnuDataConv, QStringLiteral("*.txt → *.rtf(&R)..."), [this] { mnuDataConvert_Click(2); });
    mnuDataManager->addSeparator();
    mnuDataCopy = item(mnuDataManager, QStringLiteral("ｺﾋﾟｰ(&C)..."), [this] { mnuDataCopy_Click(); });
    mnuDataRename = item(mnuDataManager, QStringLiteral("名前の変更(&R)..."), [this] { mnuDataRename_Click(); });
    mnuDataBackup = item(mnuDataManager, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ(&B)..."), [this] { mnuDataBackup_Click(); });
    mnuDataManager->addSeparator();
    mnuDataDelete = item(mnuDataManager, QStringLiteral("削除(&D)..."), [this] { mnuDataDelete_Click(); });

    QMenu* mnuOption = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    mnuOptSettei = item(
        mnuOption, QStringLiteral("各種設定(&K)"), [this] { mnuOptSettei_Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_K));

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuHelpContext_KeyWord[0] = item(
        mnuHelp, QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"), [this] { mnuHelpContext_KeyWord_Click(0); },
        QKeySequence(Qt::Key_F1));
    mnuHelpContext_KeyWord[1] = item(mnuHelp, QStringLiteral("目次(&C)"), [this] { mnuHelpContext_KeyWord_Click(1); });
    mnuHelp->addSeparator();
    mnuHelpAbout = item(mnuHelp, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), [this] { mnuHelpAbout_Click(); });
}

void KUMIRO::buildToolbar()
{
    Toolbar1 = new QToolBar(client_);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setAccessibleName(QStringLiteral("ツールバー"));
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->installEventFilter(this);

    // Button number -> tooltip; an empty tooltip is a separator.
    const std::array<const char16_t*, ToolButton::Count> tips = {nullptr,
                                                                 u"",
                                                                 u" Word ﾌｧｲﾙの一覧を開く ",
                                                                 u" Excel ﾌｧｲﾙの一覧を開く ",
                                                                 u" Text ﾌｧｲﾙの一覧を開く ",
                                                                 u"",
                                                                 u" くみろ実行 ",
                                                                 u"",
                                                                 u" ｺﾋﾟｰ ",
                                                                 u" 名前の変更 ",
                                                                 u" ﾊﾞｯｸｱｯﾌﾟ ",
                                                                 u"",
                                                                 u" 削除 ",
                                                                 u"",
                                                                 u" 各種設定 ",
                                                                 u"",
                                                                 u" ﾊﾞｰｼﾞｮﾝ情報 ",
                                                                 u" ﾍﾙﾌﾟ "};
    int image = 0;
    for (int button = 1; button < ToolButton::Count; ++button) {
        const QString tip = QString::fromUtf16(tips[button]);
        if (tip.isEmpty()) {
            Toolbar1->addSeparator();
            continue;
        }
        ++image;
        const QString resource = QStringLiteral(":/toolbar/%1.svg").arg(image, 2, 10, QChar(u'0'));
        QAction* a = Toolbar1->addAction(QIcon(svgPixmap(resource, 16)), tip.trimmed());
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, button] { Toolbar1_ButtonClick(button); });
        toolbarButtons[button] = a;
    }
}

void KUMIRO::Toolbar1_ButtonClick(int button)
{
    switch (button) {
    case ToolButton::OpenWord: mnuFileOpen_Click(Kind::Word); break;
    case ToolButton::OpenExcel: mnuFileOpen_Click(Kind::Excel); break;
    case ToolButton::OpenText: mnuFileOpen_Click(Kind::Text); break;
    case ToolButton::Combine: mnuFileKumiro_Click(); break;
    case ToolButton::Copy: mnuDataCopy_Click(); break;
    case ToolButton::Rename: mnuDataRename_Click(); break;
    case ToolButton::Backup: mnuDataBackup_Click(); break;
    case ToolButton::Delete: mnuDataDelete_Click(); break;
    case ToolButton::Settings: mnuOptSettei_Click(); break;
    case ToolButton::About: mnuHelpAbout_Click(); break;
    case ToolButton::HelpContents: mnuHelpContext_KeyWord_Click(1); break;
    default: break;
    }
}

} // namespace kumiro
