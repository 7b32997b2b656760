#pragma once

// The main window as its tests meet it: a fresh settings folder and data folder per test,
// and the controls found the way a user or a screen reader finds them, by caption or
// accessible name. Nothing here reaches into the window's members.
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "mainwin/OfficeRunner.h"
#include "support/ScriptedPlatform.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QAction;
class QListWidget;
class QMainWindow;
class QPushButton;
class QTimer;
class QWidget;
class QToolBar;

namespace kumiro::test {

// The lists and buttons of the order panel, found in `root` (the panel, or the window).
struct OrderPanelParts {
    explicit OrderPanelParts(const QWidget& root);

    QListWidget* left = nullptr; // 現在のリスト
    QListWidget* right = nullptr; // くみろ順のリスト
    QPushButton* add = nullptr; // －>
    QPushButton* up = nullptr; // ↑
    QPushButton* down = nullptr; // ↓
    QPushButton* addAll = nullptr; // 一括
    QPushButton* remove = nullptr; // 削除
    QPushButton* ok = nullptr;
    QPushButton* clearAll = nullptr; // 全初期化
    QPushButton* clearOrder = nullptr; // 初期化
    QPushButton* help = nullptr;
    QTimer* timer = nullptr;
};

class MainWindowParts : public OrderPanelParts {
public:
    explicit MainWindowParts(QMainWindow& window);

    // A menu item by its caption ("くみろ実行(&G)"), a toolbar button by its text
    // ("くみろ実行"); a missing one ends the test program with its name.
    QAction* menu(const QString& caption) const;
    QAction* tool(const QString& text) const;

    QToolBar* toolbar = nullptr;

private:
    QMainWindow& window_;
};

// The rows of a list, top to bottom.
QStringList rows(const QListWidget* list);

// What every main-window test starts from: Word *.doc *.rtf, Excel *.xls *.csv and Text
// *.txt switched on, every kind's data folder `data_`, the window at 12000 x 9000 twips.
class MainWindowFixture {
protected:
    void setUpWindow();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<OfficeRunner> office_;
    QString data_;
};

} // namespace kumiro::test
