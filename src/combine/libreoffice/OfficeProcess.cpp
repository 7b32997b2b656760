#include "OfficeProcess.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <vector>

extern char** environ;

namespace kumiro::lo {

namespace {

const QString kProfilePrefix = QStringLiteral("kumiro-office-");

QByteArray profileUrl(const QString& dir)
{
    return QUrl::fromLocalFile(dir).toEncoded();
}

// The socket the office opens to find another instance on the same profile. It stays in
// /tmp when the office is killed; its name is made from the profile's address.
QString singleInstanceSocket(const QByteArray& profileUrl)
{
    const QString url = QString::fromUtf8(profileUrl);
    QByteArray utf16le;
    for (QChar c : url) {
        utf16le.append(char(c.unicode() & 0xff));
        utf16le.append(char(c.unicode() >> 8));
    }
    QString hex;
    for (unsigned char b : QCryptographicHash::hash(utf16le, QCryptographicHash::Md5))
        hex += QString::number(b, 16); // without zero padding, as the office writes it
    return QStringLiteral("/tmp/OSL_PIPE_%1_SingleOfficeIPC_%2").arg(getuid()).arg(hex);
}

QString pipeSocket(const QString& pipe)
{
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(getuid()).arg(pipe);
}

bool processAlive(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// Writes a whole small file with async-signal-safe calls only (between fork and exec).
bool writeProcFile(const char* path, const char* text)
{
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const size_t length = strlen(text);
    const bool ok = write(fd, text, length) == ssize_t(length);
    close(fd);
    return ok;
}

} // namespace

QString privateProfileTemplate()
{
    return QDir::tempPath() + u'/' + kProfilePrefix + QStringLiteral("%1-XXXXXX").arg(getpid());
}

void removeStaleOfficeFiles()
{
    const QDir temp(QDir::tempPath());
    const QRegularExpression profile(QStringLiteral("^kumiro-office-(\\d+)-"));
    for (const QFileInfo& info : temp.entryInfoList({kProfilePrefix + u'*'}, QDir::Dirs | QDir::Hidden)) {
        const auto m = profile.match(info.fileName());
        if (!m.hasMatch() || info.ownerId() != getuid() || processAlive(m.captured(1).toInt()))
            continue;
        QFile::remove(singleInstanceSocket(profileUrl(info.absoluteFilePath())));
        QDir(info.absoluteFilePath()).removeRecursively();
    }
    const QRegularExpression pipe(QStringLiteral("^OSL_PIPE_%1_kumiro_(\\d+)_").arg(getuid()));
    for (const QFileInfo& info : QDir(QStringLiteral("/tmp")).entryInfoList(QDir::System | QDir::Files)) {
        const auto m = pipe.match(info.fileName());
        if (m.hasMatch() && !processAlive(m.captured(1).toInt()))
            QFile::remove(info.absoluteFilePath());
    }
}

bool copyTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
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
    static const QRegularExpression re(QStringLiteral(R"(name="ooSetupVersion">\s*<value>([^<]+)</value>)"));
    const auto m = re.match(QString::fromUtf8(xcd.readAll()));
    return m.hasMatch() ? m.captured(1) : QString();
}

OfficeProcess::OfficeProcess(QString programDir, const QString& profileTemplate)
    : programDir_(std::move(programDir)), profile_(privateProfileTemplate())
{
    pipe_ =
        QStringLiteral("kumiro_%1_%2").arg(getpid()).arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
    if (profile_.isValid()) {
        if (!profileTemplate.isEmpty())
            copyTree(profileTemplate, profile_.path());
        QDir().mkpath(tempDir());
    }
}

OfficeProcess::~OfficeProcess()
{
    kill();
    // The sockets stay behind when the office dies without closing them.
    QFile::remove(pipeSocket(pipe_));
    if (profile_.isValid())
        QFile::remove(singleInstanceSocket(profileUrl(profile_.path())));
}

bool OfficeProcess::start(QString& reason)
{
    if (!profile_.isValid()) {
        reason = profile_.errorString();
        return false;
    }
    const QByteArray program = QFile::encodeName(programDir_ + QStringLiteral("/soffice.bin"));
    if (access(program.constData(), X_OK) != 0) {
        reason = QString::fromLocal8Bit(program) + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    std::vector<QByteArray> args = {
        program,
        "-env:UserInstallation=" + profileUrl(profile_.path()),
        "--headless",
        "--invisible",
        "--norestore",
        "--nologo",
        "--nodefault",
        "--nolockcheck",
        "--nofirststartwizard",
        "--accept=pipe,name=" + pipe_.toUtf8() + ";urp;StarOffice.ComponentContext",
    };
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The office's temporaries go into its profile, and die with it.
    std::vector<QByteArray> env{"TMPDIR=" + QFile::encodeName(tempDir())};
    for (char** e = environ; *e; ++e) {
        if (strncmp(*e, "TMPDIR=", 7) != 0)
            env.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    // The office opens other people's files: it gets a network namespace with nothing in it
    // but a loopback that is down, so no linked picture or web function reaches out. The
    // user namespace maps this user to itself, so files stay the user's own.
    const QByteArray uidMap = QByteArray::number(getuid()) + ' ' + QByteArray::number(getuid()) + " 1\n";
    const QByteArray gidMap = QByteArray::number(getgid()) + ' ' + QByteArray::number(getgid()) + " 1\n";
    const pid_t parent = getpid();
    const bool isolate = isolate_;

    // Only async-signal-safe calls between fork and exec.
    const pid_t child = fork();
    if (child < 0) {
        reason = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    if (child == 0) {
        setpgid(0, 0);
        if (isolate && unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0) {
            // Without its own user in the new namespace the office could write no file:
            // give up, and the parent starts it again without one.
            writeProcFile("/proc/self/setgroups", "deny");
            if (!writeProcFile("/proc/self/uid_map", uidMap.constData()) ||
                !writeProcFile("/proc/self/gid_map", gidMap.constData()))
                _exit(kNoNamespaceExit);
        }
        prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the program
        if (getppid() != parent)
            _exit(127);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGXFSZ, SIG_DFL);
        umask(077); // the pipe is this user's only
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        execve(argv[0], argv.data(), envp.data());
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

Watchdog::Watchdog(std::function<void()> onExpiry) : onExpiry_(std::move(onExpiry)), thread_([this] { run(); }) {}

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
