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

MainWindowParts::MainWindowParts(QMainWindow& window) : window_(window)
{
    left = named<QListWidget>(window, QStringLiteral("現在のリスト"));
    right = named<QListWidget>(window, QStringLiteral("くみろ順のリスト"));
    add = named<QPushButton>(window, QStringLiteral("－>"));
    up = named<QPushButton>(window, QStringLiteral("↑"));
    down = named<QPushButton>(window, QStringLiteral("↓"));
    addAll = named<QPushButton>(window, QStringLiteral("一括"));
    remove = named<QPushButton>(window, QStringLiteral("削除"));
    ok = named<QPushButton>(window, QStringLiteral("OK"));
    clearAll = named<QPushButton>(window, QStringLiteral("全初期化"));
    clearOrder = named<QPushButton>(window, QStringLiteral("初期化"));
    help = named<QPushButton>(window, QStringLiteral("ヘルプ"));
    toolbar = named<QToolBar>(window, QStringLiteral("ツールバー"));
    timer = window.findChild<QTimer*>(QStringLiteral("Timer1"), Qt::FindDirectChildrenOnly);
    if (!timer)
        qFatal("the window has no timer Timer1");
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
