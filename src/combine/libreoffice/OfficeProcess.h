#pragma once

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kumiro::lo {

// One private headless office: its own copy of the prepared profile with its temporary
// folder inside, a random pipe that only this user can open, its own process group and,
// where the kernel allows, a network of its own with nothing in it. The destructor ends and
// reaps it and removes the profile and both pipes, whatever happened before.
class OfficeProcess {
public:
    OfficeProcess(QString programDir, const QString& profileTemplate);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Starts soffice.bin; false with a reason when it cannot.
    bool start(QString& reason);
    // The exit code of an office that could not be given a namespace of its own; it is then
    // started without one (its profile still sends every address to a refusing proxy).
    static constexpr int kNoNamespaceExit = 126;
    void startWithoutNamespace() { isolate_ = false; }
    const QString& pipeName() const { return pipe_; }
    pid_t pid() const { return pid_; }
    QString profileDir() const { return profile_.path(); }
    // The office's TMPDIR: dies with the profile.
    QString tempDir() const { return profile_.path() + QStringLiteral("/tmp"); }

    // True while the process runs; reaps it once it has ended.
    bool running();
    // The exit code after it ended on its own, or -1.
    int exitCode() const { return exitCode_; }
    // Waits for the process to end by itself, up to ms; true when it has ended.
    bool waitForExit(int ms);
    // Ends the process group at once and reaps it.
    void kill();
    // Sends the end to the process group without reaping: safe from another thread.
    void signalKill();

private:
    QString programDir_;
    QTemporaryDir profile_;
    QString pipe_;
    std::atomic<pid_t> pid_{-1};
    int exitCode_ = -1;
    bool isolate_ = true;
};

// Runs a callback when an armed deadline passes before it is disarmed.
class Watchdog {
public:
    explicit Watchdog(std::function<void()> onExpiry);
    ~Watchdog();
    void arm(int ms);
    void disarm();
    bool fired() const { return fired_; }

private:
    void run();

    std::function<void()> onExpiry_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool stop_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

// Where this process keeps a private profile ("/tmp/kumiro-office-<pid>-XXXXXX"), for
// QTemporaryDir: what removeStaleOfficeFiles knows as ours once the process is gone.
QString privateProfileTemplate();

// Removes what offices of our own dead processes left behind: profile copies, our pipes
// and the office's single-instance sockets.
void removeStaleOfficeFiles();

// Copies a folder tree; false when any file cannot be copied.
bool copyTree(const QString& from, const QString& to);

// The installed office's version for its profile ("7.4"), read from its registry data.
QString installedVersion(const QString& programDir);

} // namespace kumiro::lo
