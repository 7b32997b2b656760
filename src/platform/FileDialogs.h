#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kumiro {

struct FileDialogRequest {
    QString title;
    QString filter; // "(*.txt)|*.txt|": description and patterns, bar-separated
    QString initialFolder; // empty: where the previous choice left off
    QString firstFolder; // where an empty initialFolder opens before any choice was made
    bool multiple = false;
};

// The shared open-file dialog. An empty list means the user cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual QStringList openFiles(QWidget* parent, const FileDialogRequest& request) = 0;
};

class QtFileDialogs : public FileDialogs {
public:
    QStringList openFiles(QWidget* parent, const FileDialogRequest& request) override;

private:
    QString lastFolder_;
};

// "(*.doc;*.rtf)|*.doc;*.rtf" -> "(*.doc;*.rtf) (*.doc *.rtf)", one Qt filter per pair.
QStringList qtFilters(const QString& barFilter);

} // namespace kumiro
