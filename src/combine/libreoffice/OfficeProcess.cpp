#include "OfficeProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace kumiro::lo {

bool copyTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(it.filePath());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!QFile::copy(it.filePath(), target)) {
            return false;
        }
    }
    return true;
}

QString installedVersion(const QString& programDir)
{
    QFile xcd(programDir + QStringLiteral("/../share/registry/main.xcd"));
    if (!xcd.open(QIODevice::ReadOnly))
        return QString();
    static const QRegularExpression re(
        QStringLiteral(R"(name="ooSetupVersion">\s*<value>([^<]+)</value>)"));
    const auto m = re.match(QString::fromUtf8(xcd.readAll()));
    return m.hasMatch() ? m.captured(1) : QString();
}

OfficeProcess::OfficeProcess(QString programDir, const QString& profileTemplate)
    : programDir_(std::move(programDir)),
      profile_(QDir::tempPath() + QStringLiteral("/kumiro-office-%1-XXXXXX").arg(getpid()))
{
    pipe_ = QStringLiteral("kumiro_%1_%2")
                .arg(getpid())
                .arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
    if (profile_.isValid() && !profileTemplate.isEmpty())
        copyTree(profileTemplate, profile_.path());
}

OfficeProcess::~OfficeProcess()
{
    kill();
    // The pipe's socket file stays behind when the office dies without closing it.
    QFile::remove(QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(getuid()).arg(pipe_));
}

bool OfficeProcess::start(QString& reason)
{
    if (!profile_.isValid()) {
        reason = profile_.errorString();
        return false;
    }
    const QByteArray program = QFile::encodeName(programDir_ + QStringLiteral("/soffice.bin"));
    if (access(program.constData(), X_OK) != 0) {
        reason = QString::fromLocal8Bit(program) + QStringLiteral(": ") +
                 QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    const QByteArray profileUrl = QUrl::fromLocalFile(profile_.path()).toEncoded();
    std::vector<QByteArray> args = {
        program,
        "-env:UserInstallation=" + profileUrl,
        "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
        "--nolockcheck", "--nofirststartwizard",
        "--accept=pipe,name=" + pipe_.toUtf8() + ";urp;StarOffice.ComponentContext",
    };
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Only async-signal-safe calls between fork and exec.
    const pid_t child = fork();
    if (child < 0) {
        reason = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    if (child == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the program
        umask(077);                        // the pipe is this user's only
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    setpgid(child, child);
    pid_ = child;
    exitCode_ = -1;
    return true;
}

bool OfficeProcess::running()
{
    const pid_t pid = pid_;
    if (pid <= 0)
        return false;
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == 0)
        return true;
    if (r == pid)
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // Anything it left in its group goes with it.
    ::kill(-pid, SIGKILL);
    pid_ = -1;
    return false;
}

bool OfficeProcess::waitForExit(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (running()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        usleep(10000);
    }
    return true;
}

void OfficeProcess::signalKill()
{
    const pid_t pid = pid_;
    if (pid > 0)
        ::kill(-pid, SIGKILL);
}

void OfficeProcess::kill()
{
    const pid_t pid = pid_.exchange(-1);
    if (pid <= 0)
        return;
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

Watchdog::Watchdog(std::function<void()> onExpiry)
    : onExpiry_(std::move(onExpiry)), thread_([this] { run(); })
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

void Watchdog::arm(int ms)
{
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
        deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    wake_.notify_all();
}

void Watchdog::disarm()
{
    std::lock_guard lock(mutex_);
    armed_ = false;
}

void Watchdog::run()
{
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!armed_) {
            wake_.wait(lock);
            continue;
        }
        if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ && !stop_ &&
            std::chrono::steady_clock::now() >= deadline_) {
            armed_ = false;
            fired_ = true;
            lock.unlock();
            onExpiry_();
            lock.lock();
        }
    }
}

} // namespace kumiro::lo
