#pragma once

#include "NameEntryDialog.h"

namespace kumiro {

// Copies the chosen file under the name the user types.
class FILESCOPY : public NameEntryDialog {
    Q_OBJECT
public:
    FILESCOPY(QString file, QString helpFile, Platform& platform, QWidget* parent = nullptr);

private:
    void Command1_Click(int index) override;
};

} // namespace kumiro
