#pragma once

#include "combine/CommandProgress.h"
#include "combine/Office.h"

#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace kumiro {

class MessageBoxes;

// Runs the windows' office commands: a fresh office for each, the work off the GUI thread
// behind a progress window with its cancel, and a failure told to the user.
class OfficeRunner {
public:
    using Factory = std::function<std::unique_ptr<Office>()>;
    using Job = std::function<bool(Office&, const CommandProgress&)>;
    enum class Result { Done, Cancelled, Failed };

    // `factory` makes the office (throwing OfficeError when there is none).
    OfficeRunner(MessageBoxes& messages, Factory factory);

    // `job` answers false when it was cancelled. A failure has been reported when this
    // returns; `destination` names where the command writes ("くみろ先", "変換先").
    Result run(QWidget* owner, const QString& title, const Job& job,
               const QString& destination = QStringLiteral("くみろ先"));

private:
    MessageBoxes& messages_;
    Factory factory_;
};

} // namespace kumiro
