#pragma once

#include "NameEntryDialog.h"

namespace kumiro {

// Gives the chosen file the name the user types; never onto an existing file.
class RENAME : public NameEntryDialog {
    Q_OBJECT
public:
    RENAME(QString file, QString helpFile, Platform& platform, QWidget* parent = nullptr);

private:
    void Command1_Click(int index) override;
};

} // namespace kumiro
