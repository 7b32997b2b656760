#pragma once

#include <QtGlobal>

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace kumiro::lo {

// What the processes below `root` (itself included) use: CPU time in clock ticks, resident
// memory in bytes, and whether one of them is stopped.
struct ProcessUse {
    qint64 cpuTicks = 0;
    qint64 residentBytes = 0;
    bool stopped = false;
    int count = 0;
};
ProcessUse processTreeUse(pid_t root);

// Watches an office while a call to it is under way, and runs a callback (which ends the
// office) when the call has passed its deadline, when the office has made no progress (no
// CPU time, or stopped) for the stall time, when it uses more memory than allowed, or when
// the program was asked to end.
class Watchdog {
public:
    enum class Reason { None, Deadline, Stalled, Memory, Interrupted, Stopped };
    struct Limits {
        int stallMs = 10000;
        qint64 memoryBytes = 0; // 0: no limit
        const std::atomic<int>* interrupt = nullptr; // a signal number once the program is asked to end
        const std::atomic<bool>* stop = nullptr; // the user asks the command to stop
        int stopGraceMs = 5000; // how long a call may go on after that
    };
    Watchdog(Limits limits, std::function<pid_t()> process, std::function<void()> onExpiry);
    ~Watchdog();
    // Starts watching; `deadlineMs` 0 means no deadline.
    void arm(int deadlineMs);
    void disarm();
    bool fired() const { return reason_ != Reason::None; }
    Reason reason() const { return reason_; }
    const Limits& limits() const { return limits_; }
    // The highest resident memory seen while armed.
    qint64 peakBytes() const { return peak_; }

private:
    void run();
    Reason check(std::chrono::steady_clock::time_point now);

    Limits limits_;
    std::function<pid_t()> process_;
    std::function<void()> onExpiry_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool stop_ = false;
    bool hasDeadline_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::chrono::steady_clock::time_point lastProgress_;
    std::optional<std::chrono::steady_clock::time_point> stopSeen_;
    qint64 lastCpu_ = -1;
    std::atomic<qint64> peak_{0};
    std::atomic<Reason> reason_{Reason::None};
    std::thread thread_;
};

// The memory an office may use here: a quarter of the machine's, between 1 and 4 GiB.
qint64 defaultOfficeMemoryLimit();

} // namespace kumiro::lo
