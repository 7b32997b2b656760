#include "MainWindow.h"
#include "Controls.h"

#include "combine/Office.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

namespace kumiro::test {

namespace {

void collect(const QList<QAction*>& actions, QList<QAction*>& into)
{
    for (QAction* a : actions) {
        into << a;
        if (a->menu())
            collect(a->menu()->actions(), into);
    }
}

QAction* byText(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* a : actions)
        if (!a->isSeparator() && a->text() == text)
            return a;
    qFatal("no item reads %s", qPrintable(text));
}

} // namespace

OrderPanelParts::OrderPanelParts(const QWidget& root)
{
    left = named<QListWidget>(root, QStringLiteral("現在のリスト"));
    right = named<QListWidget>(root, QStringLiteral("くみろ順のリスト"));
    add = named<QPushButton>(root, QStringLiteral("追加"));
    up = named<QPushButton>(root, QStringLiteral("上へ移動"));
    down = named<QPushButton>(root, QStringLiteral("下へ移動"));
    addAll = named<QPushButton>(root, QStringLiteral("一括"));
    remove = named<QPushButton>(root, QStringLiteral("削除"));
    ok = named<QPushButton>(root, QStringLiteral("OK"));
    clearAll = named<QPushButton>(root, QStringLiteral("全初期化"));
    clearOrder = named<QPushButton>(root, QStringLiteral("初期化"));
    help = named<QPushButton>(root, QStringLiteral("ヘルプ"));
    timer = root.findChild<QTimer*>(QStringLiteral("Timer1"));
    if (!timer)
        qFatal("the order panel has no timer Timer1");
}

MainWindowParts::MainWindowParts(QMainWindow& window) : OrderPanelParts(window), window_(window)
{
    toolbar = named<QToolBar>(window, QStringLiteral("ツールバー"));
}

QAction* MainWindowParts::menu(const QString& caption) const
{
    QList<QAction*> all;
    collect(window_.menuBar()->actions(), all);
    return byText(all, caption);
}

QAction* MainWindowParts::tool(const QString& text) const
{
    return byText(toolbar->actions(), text);
}

QStringList rows(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void MainWindowFixture::setUpWindow()
{
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("config")));
    data_ = dir_->filePath(QStringLiteral("data"));
    QDir().mkpath(data_);
    state_ = std::make_unique<ProgramState>(*store_, dir_->path());
    state_->AppTitle = QStringLiteral("kumiro");
    state_->HelpFile = dir_->filePath(QStringLiteral("KUMIRO.html"));
    auto& s = state_->set;
    s.OptCent = QStringLiteral("0");
    s.OptDbl = QStringLiteral("0");
    s.F_Height = QStringLiteral("9000");
    s.F_Width = QStringLiteral("12000");
    s.G_Top = QStringLiteral("600");
    s.G_Left = QStringLiteral("1500");
    s.OptWkaku = {{{QStringLiteral("*.doc"), QStringLiteral("1")}, {QStringLiteral("*.rtf"), QStringLiteral("1")}}};
    s.OptEkaku = {{{QStringLiteral("*.xls"), QStringLiteral("1")}, {QStringLiteral("*.csv"), QStringLiteral("1")}}};
    s.OptTkaku = {};
    s.OptTkaku[0] = {QStringLiteral("*.txt"), QStringLiteral("1")};
    s.DataFol.fill(data_);
    platform_ = std::make_unique<ScriptedPlatform>();
    office_ = std::make_unique<OfficeRunner>(platform_->messages, [this] { return loadOffice(state_->ProgramFolder); });
}

} // namespace kumiro::test
