#pragma once

// The data folder picker's controls, found by name.
#include "platform/DriveList.h"
#include "platform/FolderList.h"
#include "support/Controls.h"

#include <QPushButton>

namespace kumiro::test {

struct PickerParts {
    explicit PickerParts(const QWidget& picker)
        : drives(named<DriveList>(picker, QStringLiteral("ドライブ名"))),
          folders(named<FolderList>(picker, QStringLiteral("フォルダ名"))),
          ok(named<QPushButton>(picker, QStringLiteral("OK"))),
          cancel(named<QPushButton>(picker, QStringLiteral("キャンセル"))),
          help(named<QPushButton>(picker, QStringLiteral("ヘルプ")))
    {
    }
    DriveList* drives;
    FolderList* folders;
    QPushButton* ok;
    QPushButton* cancel;
    QPushButton* help;
};

} // namespace kumiro::test
