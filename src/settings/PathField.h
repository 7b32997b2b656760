// A field over a drive and folder list that shows the open folder's whole path and opens a
// folder typed or pasted into it: the data folder picker's and the settings' folder choosers.
#pragma once

#include <QObject>

class QLineEdit;

namespace kumiro {

class DriveList;
class FolderList;
class MessageBoxes;

class PathField : public QObject {
    Q_OBJECT
public:
    // Watches `field`; Return there opens the typed folder, while an unchanged path leaves
    // Return to the dialog (its default button).
    PathField(QLineEdit* field, DriveList* drives, FolderList* folders, MessageBoxes& messages);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openTyped();

    QLineEdit* field_;
    DriveList* drives_;
    FolderList* folders_;
    MessageBoxes& messages_;
};

} // namespace kumiro
