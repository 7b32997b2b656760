#pragma once

#include <QListWidget>

namespace kumiro {

// A classic folder list: the open folder with its parents above it and its subfolders
// below. Double-click or Return opens a folder; Backspace goes up.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // The folder shown as open; false (and nothing changes) when it cannot be read.
    bool setPath(const QString& path);
    // Opens the path, or else its nearest parent that can be read; the folder opened, or
    // empty when not even the root can be.
    QString openNearest(const QString& path);
    QString path() const { return path_; }

    // The rows' folders from the root down, then the subfolders.
    QStringList rowPaths() const;

Q_SIGNALS:
    void pathChanged(const QString& path);
    // The user tried to open a folder that cannot be read.
    void openFailed(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openRow(QListWidgetItem* item);

    QString path_;
};

// The folders from the root to the path: "/home/a" -> "/", "/home", "/home/a".
QStringList folderChain(const QString& path);

// Why a folder cannot be opened, for "フォルダ確認": the folder and the reason.
QString folderUnreadableText(const QString& folder);

// Visible subfolders, sorted ignoring case.
QStringList subfolders(const QString& path);

} // namespace kumiro
