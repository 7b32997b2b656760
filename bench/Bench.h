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
    void run()
    {
        const QByteArray parent = "PPid:\t" + QByteArray::number(getpid()) + "\n";
        while (!stop_) {
            for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
                QFile status(QStringLiteral("/proc/%1/status").arg(pid));
                if (!status.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray s = status.readAll();
                if (!s.startsWith("Name:\tsoffice.bin") || !s.contains(parent))
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
