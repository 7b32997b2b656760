#pragma once

#include "combine/CommandProgress.h"
#include "combine/Office.h"

#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class QWidget;

namespace kumiro {

class MessageBoxes;

// Runs the windows' office commands: each on an office of its own, the work off the GUI
// thread behind a progress window with its cancel, and a failure told to the user. When
// warm, the next command's office is started ahead (prepare()) and waits for it, for five
// idle minutes at most.
class OfficeRunner {
public:
    using Factory = std::function<std::unique_ptr<Office>()>;
    using Job = std::function<bool(Office&, const CommandProgress&)>;
    enum class Result { Done, Cancelled, Failed };

    // `factory` makes the office (throwing OfficeError when there is none).
    OfficeRunner(MessageBoxes& messages, Factory factory);
    ~OfficeRunner();

    // Whether prepare() starts anything: the window's choice (tests and the command line
    // start their offices when they run).
    void setWarm(bool on) { warm_ = on; }
    // Word or Excel is in view: the next command's office starts now, unless one waits.
    void prepare();
    // Text is in view, or the office waited long enough: the waiting office ends.
    void release();
    // An office started ahead is waiting, or starting.
    bool prepared() const;
    // Set while the user asks the running command to stop, for the office's options: a
    // call that then goes on for long ends its office.
    const std::atomic<bool>* stopFlag() const { return &stopping_; }
    static constexpr int kIdleMs = 5 * 60 * 1000;
    static constexpr int kNextOfficeDelayMs = 2000;

    // `job` answers false when it was cancelled. A failure has been reported when this
    // returns; `destination` names where the command writes ("くみろ先", "変換先").
    Result run(QWidget* owner, const QString& title, const Job& job,
               const QString& destination = QStringLiteral("くみろ先"));

private:
    MessageBoxes& messages_;
    Factory factory_;
    std::unique_ptr<Office> office_;
    bool warm_ = false;
    bool wanted_ = false; // prepare() was asked since the last release()
    bool running_ = false;
    std::atomic<bool> stopping_{false};
    QTimer idle_;
};

} // namespace kumiro
