#pragma once
// What the benchmarks share: medians, the office's peak memory, and one
// command-line conversion with its own copy of the prepared profile.

#include "combine/Office.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include <unistd.h>

namespace bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline QStringList officeArgs(const QString& profile)
{
    return {QStringLiteral("-env:UserInstallation=") + QString::fromUtf8(QUrl::fromLocalFile(profile).toEncoded()),
            QStringLiteral("--headless"), QStringLiteral("--norestore")};
}

// Samples the highest VmHWM of any soffice.bin started by this process until stopped.
class OfficeSampler {
public:
    OfficeSampler() : thread_([this] { run(); }) {}
    ~OfficeSampler() { stop(); }
    long stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return peak_;
    }

private:
    static QByteArray statusOf(const QString& pid)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        return status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    }
    static QString parentOf(const QByteArray& status)
    {
        const qsizetype at = status.indexOf("PPid:\t");
        return at < 0 ? QString() : QString::fromLatin1(status.mid(at + 6, status.indexOf('\n', at) - at - 6));
    }
    // Ours when this process is among its ancestors: the office runs in a box below us.
    static bool below(QString pid)
    {
        const QString self = QString::number(getpid());
        for (int depth = 0; depth < 6 && !pid.isEmpty() && pid != u"0" && pid != u"1"; ++depth) {
            pid = parentOf(statusOf(pid));
            if (pid == self)
                return true;
        }
        return false;
    }

    void run()
    {
        while (!stop_) {
            for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
                const QByteArray s = statusOf(pid);
                if (!s.startsWith("Name:\tsoffice.bin") || !below(pid))
                    continue;
                const qsizetype at = s.indexOf("VmHWM:");
                if (at >= 0)
                    peak_ = std::max(peak_, s.mid(at + 6, 20).trimmed().split(' ').first().toLong());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::atomic<bool> stop_{false};
    long peak_ = 0;
    std::thread thread_;
};

// One `soffice --convert-to` of a file, started from a copy of Kumiro's prepared profile.
inline double singleConversionMs(const QString& source, const QString& format)
{
    // The profile Kumiro prepared last (its name carries the office version and a revision).
    const QDir cache(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                     QStringLiteral("/kumiro"));
    const QStringList prepared = cache.entryList({QStringLiteral("libreoffice-*")}, QDir::Dirs, QDir::Time);
    QTemporaryDir copy;
    if (!prepared.isEmpty())
        QProcess::execute(QStringLiteral("cp"),
                          {QStringLiteral("-r"), cache.filePath(prepared.first()) + QStringLiteral("/."), copy.path()});
    QDir().mkpath(copy.filePath(QStringLiteral("tmp")));
    QProcess one;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), copy.filePath(QStringLiteral("tmp")));
    one.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    one.start(kumiro::kOfficeProgramDir + QStringLiteral("/soffice"),
              officeArgs(copy.path()) +
                  QStringList{QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), copy.path(), source});
    one.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}

} // namespace bench
