#include "Watchdog.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>

namespace kumiro::lo {

namespace {

// One process's CPU time, resident pages and state, from /proc/<pid>/stat.
struct ProcStat {
    qint64 ticks = 0;
    qint64 pages = 0;
    char state = 0;
};

bool readStat(pid_t pid, ProcStat& out)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[1024];
    const ssize_t n = read(fd, buffer, sizeof buffer - 1);
    close(fd);
    if (n <= 0)
        return false;
    buffer[n] = 0;
    // The name may hold anything; the fields start after its last parenthesis.
    const char* p = strrchr(buffer, ')');
    if (!p)
        return false;
    QList<QByteArray> fields = QByteArray(p + 2).split(' ');
    if (fields.size() < 22)
        return false;
    out.state = fields[0].isEmpty() ? 0 : fields[0][0];
    out.ticks = fields[11].toLongLong() + fields[12].toLongLong(); // utime, stime
    out.pages = fields[21].toLongLong(); // rss
    return true;
}

QList<pid_t> childrenOf(pid_t pid)
{
    QList<pid_t> children;
    QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return children;
    for (const QByteArray& word : file.readAll().split(' ')) {
        if (const int child = word.trimmed().toInt(); child > 0)
            children << child;
    }
    return children;
}

} // namespace

ProcessUse processTreeUse(pid_t root)
{
    ProcessUse use;
    if (root <= 0)
        return use;
    static const qint64 pageSize = sysconf(_SC_PAGESIZE);
    QList<pid_t> queue{root};
    while (!queue.isEmpty()) {
        const pid_t pid = queue.takeFirst();
        ProcStat stat;
        if (!readStat(pid, stat))
            continue;
        ++use.count;
        use.cpuTicks += stat.ticks;
        use.residentBytes += stat.pages * pageSize;
        use.stopped = use.stopped || stat.state == 'T' || stat.state == 't';
        queue << childrenOf(pid);
    }
    return use;
}

qint64 defaultOfficeMemoryLimit()
{
    const qint64 gib = qint64(1) << 30;
    const qint64 machine = qint64(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
    return machine > 0 ? std::clamp(machine / 4, gib, 4 * gib) : 2 * gib;
}

Watchdog::Watchdog(Limits limits, std::function<pid_t()> process, std::function<void()> onExpiry)
    : limits_(limits), process_(std::move(process)), onExpiry_(std::move(onExpiry)), thread_([this] { run(); })
{
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Watchdog::arm(int deadlineMs)
{
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
        const auto now = std::chrono::steady_clock::now();
        hasDeadline_ = deadlineMs > 0;
        deadline_ = now + std::chrono::milliseconds(deadlineMs);
        lastProgress_ = now;
        lastCpu_ = -1;
        stopSeen_.reset();
    }
    wake_.notify_all();
}

void Watchdog::disarm()
{
    std::lock_guard lock(mutex_);
    armed_ = false;
}

Watchdog::Reason Watchdog::check(std::chrono::steady_clock::time_point now)
{
    if (limits_.interrupt && limits_.interrupt->load() != 0)
        return Reason::Interrupted;
    if (hasDeadline_ && now >= deadline_)
        return Reason::Deadline;
    // A call that loops uses processor time, which the stall check counts as progress: once
    // the user has asked to stop, it has a few seconds to return.
    if (limits_.stop && limits_.stop->load()) {
        if (!stopSeen_)
            stopSeen_ = now;
        else if (now - *stopSeen_ >= std::chrono::milliseconds(limits_.stopGraceMs))
            return Reason::Stopped;
    }
    const ProcessUse use = processTreeUse(process_());
    if (use.count == 0)
        return Reason::None; // gone: the call fails by itself
    if (use.residentBytes > peak_)
        peak_ = use.residentBytes;
    if (limits_.memoryBytes > 0 && use.residentBytes > limits_.memoryBytes)
        return Reason::Memory;
    if (use.cpuTicks != lastCpu_ && !use.stopped) {
        lastCpu_ = use.cpuTicks;
        lastProgress_ = now;
    } else if (now - lastProgress_ >= std::chrono::milliseconds(limits_.stallMs)) {
        return Reason::Stalled;
    }
    return Reason::None;
}

void Watchdog::run()
{
    // Often enough that an office eating memory is stopped within a few hundred MB.
    constexpr auto kTick = std::chrono::milliseconds(200);
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!armed_) {
            wake_.wait(lock);
            continue;
        }
        wake_.wait_for(lock, kTick);
        if (!armed_ || stop_)
            continue;
        const Reason reason = check(std::chrono::steady_clock::now());
        if (reason == Reason::None)
            continue;
        armed_ = false;
        reason_ = reason;
        lock.unlock();
        onExpiry_();
        lock.lock();
    }
}

} // namespace kumiro::lo
