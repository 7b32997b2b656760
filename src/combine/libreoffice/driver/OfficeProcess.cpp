#include "OfficeProcess.h"
#include "combine/Office.h"
#include "common/Wire.h"
#include "platform/Leftovers.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <dlfcn.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

extern char** environ;

namespace kumiro::lo {

namespace {

QByteArray profileUrl(const QString& dir)
{
    return QUrl::fromLocalFile(dir).toEncoded();
}

QString pipeSocket(const QString& pipe)
{
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(getuid()).arg(pipe);
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
    return QDir::tempPath() + u'/' + kOfficeFolderPrefix + QStringLiteral("%1-XXXXXX").arg(getpid());
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

namespace {

// In the box, the office's private folder is its /tmp, and everything the office makes
// (the pipe, its sockets, its temporaries) lands there.
const QString kBoxTemp = QStringLiteral("/tmp");
// Where the office finds Kumiro's component in the box.
const char* const kBoxModule = "/kumiro/kumiro_office.so";

// bwrap's place on a Debian system; the office is never given another program's.
const char* const kBwrap = "/usr/bin/bwrap";

std::vector<QByteArray> boxSystemArguments(const QString& programDir)
{
    std::vector<QByteArray> args = {kBwrap, "--unshare-all", "--die-with-parent", "--new-session", "--ro-bind",
                                    "/usr", "/usr"};
    // Merged or not, the top folders of programs and libraries are there as on the system.
    for (const char* top : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        const QFileInfo info(QString::fromLatin1(top));
        if (info.isSymLink())
            args.insert(args.end(), {"--symlink", QFile::encodeName(info.symLinkTarget()), top});
        else if (info.isDir())
            args.insert(args.end(), {"--ro-bind", top, top});
    }
    const QString installation = QDir(programDir + QStringLiteral("/..")).canonicalPath();
    if (!installation.isEmpty() && !installation.startsWith(QStringLiteral("/usr/"))) {
        const QByteArray path = QFile::encodeName(installation);
        args.insert(args.end(), {"--ro-bind", path, path});
    }
    // What the office reads of the system's settings: its own (Debian links its registry
    // there), fonts, libraries, time zone, paper size, the user's name. No secrets.
    for (const char* etc : {"/etc/libreoffice", "/etc/fonts", "/etc/ld.so.cache", "/etc/localtime", "/etc/papersize",
                            "/etc/passwd", "/etc/group", "/etc/nsswitch.conf", "/var/cache/fontconfig"})
        args.insert(args.end(), {"--ro-bind-try", etc, etc});
    args.insert(args.end(), {"--proc", "/proc", "--dev", "/dev"});
    return args;
}

} // namespace

std::vector<QByteArray> boxCommand(const QString& programDir, const QString& privateDir,
                                   const std::vector<QByteArray>& office, const QString& module)
{
    std::vector<QByteArray> args = boxSystemArguments(programDir);
    // Of Kumiro's files, the office sees its component alone.
    if (!module.isEmpty())
        args.insert(args.end(), {"--ro-bind", QFile::encodeName(module), kBoxModule});
    args.insert(args.end(),
                {"--bind", QFile::encodeName(privateDir), QFile::encodeName(kBoxTemp), "--chdir",
                 QFile::encodeName(kBoxTemp), "--setenv", "HOME", QFile::encodeName(kBoxTemp), "--setenv", "TMPDIR",
                 QFile::encodeName(kBoxTemp + QStringLiteral("/tmp")), "--"});
    args.insert(args.end(), office.begin(), office.end());
    return args;
}

bool boxAvailable()
{
    static const bool available = [] {
        if (access(kBwrap, X_OK) != 0)
            return false;
        // The same box, with nothing in it to run but a program that does nothing.
        std::vector<QByteArray> args = boxSystemArguments(kOfficeProgramDir);
        args.insert(args.end(), {"--", "/bin/true"});
        std::vector<char*> argv;
        for (QByteArray& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t child = fork();
        if (child < 0)
            return false;
        if (child == 0) {
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, 1);
                dup2(null, 2);
            }
            execve(argv[0], argv.data(), environ);
            _exit(127);
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }();
    return available;
}

std::vector<QByteArray> officeEnvironment(char** from, const QByteArray& tempDir)
{
    // The office's temporaries go into its profile, and die with it.
    std::vector<QByteArray> env{"TMPDIR=" + tempDir};
    for (char** e = from; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('='));
        if (name == "PATH" || name == "HOME" || name == "LANG" || name.startsWith("FONTCONFIG_") ||
            name.startsWith("FC_"))
            env.push_back(entry);
    }
    return env;
}

QString officeModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&officeModulePath), &info) == 0 || !info.dli_fname)
        return QStringLiteral("kumiro_office.so");
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath() + QStringLiteral("/kumiro_office.so");
}

// The office loads Kumiro's component as the extension manager's own: named in a list of
// services that the profile's registry of extensions points it to. Written at each start,
// since a profile copied from the cache may be another build's.
bool OfficeProcess::registerModule(QString& reason)
{
    if (!QFileInfo(module_).isFile()) {
        reason = module_ + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(ENOENT));
        return false;
    }
    const QByteArray library = boxed_ ? QByteArray("file://") + kBoxModule : QUrl::fromLocalFile(module_).toEncoded();
    const QString components = profile_.path() + QStringLiteral("/kumiro.components");
    const QString registry = profile_.path() +
        QStringLiteral("/user/uno_packages/cache/registry/"
                       "com.sun.star.comp.deployment.component."
                       "PackageRegistryBackend");
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<components xmlns=\"http://openoffice.org/2010/uno-components\">\n"
                           "  <component loader=\"com.sun.star.loader.SharedLibrary\" environment=\"gcc3\" uri=\"" +
        library + "\">\n    <implementation name=\"" + wire::kImplementation +
        "\" constructor=\"org_kumiro_office_Steps_get_implementation\">\n      <service name=\"" + wire::kService +
        "\"/>\n    </implementation>\n  </component>\n</components>\n";
    const QByteArray unorc = "UNO_SERVICES=?" + QUrl::fromLocalFile(officePath(components)).toEncoded() + "\n";
    QFile c(components), u(registry + QStringLiteral("/unorc"));
    if (!QDir().mkpath(registry) || !c.open(QIODevice::WriteOnly | QIODevice::Truncate) || c.write(xml) != xml.size() ||
        !u.open(QIODevice::WriteOnly | QIODevice::Truncate) || u.write(unorc) != unorc.size()) {
        reason = profile_.path() + QStringLiteral(": ") + (c.error() ? c.errorString() : u.errorString());
        return false;
    }
    return true;
}

OfficeProcess::OfficeProcess(QString programDir, const QString& profileTemplate, bool boxed)
    : programDir_(std::move(programDir)), profile_(privateProfileTemplate()), module_(officeModulePath()),
      boxed_(boxed && boxAvailable())
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
    // The pipe (in the box: the link to it) and, without the box, the single-instance
    // socket stay behind when the office dies without closing them.
    QFile::remove(pipeSocket(pipe_));
    if (profile_.isValid() && !boxed_)
        QFile::remove(officeSingleInstanceSocket(profile_.path()));
}

QString OfficeProcess::officePath(const QString& path) const
{
    const QString root = profile_.path();
    if (!boxed_ || !(path == root || path.startsWith(root + u'/')))
        return path;
    return kBoxTemp + path.mid(root.size());
}

// The office's command line, in the box where it runs in one; empty, with the reason, when
// it cannot be started.
std::vector<QByteArray> OfficeProcess::commandLine(QString& reason)
{
    if (!profile_.isValid()) {
        reason = profile_.errorString();
        return {};
    }
    const QByteArray program = QFile::encodeName(programDir_ + QStringLiteral("/soffice.bin"));
    if (access(program.constData(), X_OK) != 0) {
        reason = QString::fromLocal8Bit(program) + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
        return {};
    }
    if (!registerModule(reason))
        return {};
    std::vector<QByteArray> args = {
        program,
        "-env:UserInstallation=" + profileUrl(officePath(profile_.path())),
        "--headless",
        "--invisible",
        "--norestore",
        "--nologo",
        "--nodefault",
        "--nolockcheck",
        "--nofirststartwizard",
        "--accept=pipe,name=" + pipe_.toUtf8() + ";urp;StarOffice.ComponentContext",
    };
    if (boxed_) {
        // The office makes its pipe in its own /tmp; the client finds it through a link in
        // the system's, where the office's runtime looks for pipes.
        const QString inside = profile_.path() + QStringLiteral("/OSL_PIPE_%1_%2").arg(getuid()).arg(pipe_);
        QFile::remove(pipeSocket(pipe_));
        if (::symlink(QFile::encodeName(inside).constData(), QFile::encodeName(pipeSocket(pipe_)).constData()) != 0) {
            reason = pipeSocket(pipe_) + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
            return {};
        }
        args = boxCommand(programDir_, profile_.path(), args, module_);
    }
    return args;
}

bool OfficeProcess::start(QString& reason)
{
    std::vector<QByteArray> args = commandLine(reason);
    if (args.empty())
        return false;
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> env = officeEnvironment(environ, QFile::encodeName(tempDir()));
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    // Without the box, the office still gets a network namespace with nothing in it but a
    // loopback that is down, so no linked picture or web function reaches out. The user
    // namespace maps this user to itself, so files stay the user's own.
    const QByteArray uidMap = QByteArray::number(getuid()) + ' ' + QByteArray::number(getuid()) + " 1\n";
    const QByteArray gidMap = QByteArray::number(getgid()) + ' ' + QByteArray::number(getgid()) + " 1\n";
    const pid_t parent = getpid();
    const bool isolate = isolate_ && !boxed_;

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
        prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the program (the box passes it on)
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

} // namespace kumiro::lo
