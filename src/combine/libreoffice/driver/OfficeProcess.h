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
#include <vector>

namespace kumiro::lo {

// One private headless office: its own copy of the prepared profile with its temporary
// folder inside, a random pipe that only this user can open and its own process group.
// Where the system allows, it runs in a box (bubblewrap) that shows it the system's
// programs, fonts and settings read-only and, of the user's files, only its private folder:
// a document that refers to another file of the user's finds nothing, and there is no
// network. Elsewhere it gets at least a network of its own with nothing in it. The
// destructor ends and reaps it and removes the profile and both pipes, whatever happened.
class OfficeProcess {
public:
    // `boxed`: run in the box when the system can make one.
    OfficeProcess(QString programDir, const QString& profileTemplate, bool boxed = true);
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
    // Whether the office runs in the box.
    bool boxed() const { return boxed_; }
    // The path under which the office sees a file of its private folder.
    QString officePath(const QString& path) const;

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
    bool registerModule(QString& reason);
    std::vector<QByteArray> commandLine(QString& reason);

    QTemporaryDir profile_;
    QString module_; // Kumiro's component, which the office loads
    QString pipe_;
    std::atomic<pid_t> pid_{-1};
    int exitCode_ = -1;
    bool isolate_ = true;
    bool boxed_ = false;
};

// What the office is given of the program's environment (`from`): only what it needs to
// find programs, fonts and its language, and `tempDir` as its TMPDIR; nothing else of the
// user's (tokens, addresses, the session's variables) reaches it, boxed or not.
std::vector<QByteArray> officeEnvironment(char** from, const QByteArray& tempDir);

// Whether the office can be run in the box here (bubblewrap installed and allowed to make
// its namespaces); asked once per process.
bool boxAvailable();

// The bubblewrap command line that runs `office` (program and arguments) in the box, with
// `privateDir` as its /tmp; the office's installation is `programDir`, Kumiro's component
// for it `module`.
std::vector<QByteArray> boxCommand(const QString& programDir, const QString& privateDir,
                                   const std::vector<QByteArray>& office, const QString& module = {});

// Kumiro's component for the office, beside this driver.
QString officeModulePath();

// Where this process keeps a private profile ("/tmp/kumiro-office-<pid>-XXXXXX"), for
// QTemporaryDir: what the sweep of leftovers knows as ours once the process is gone.
QString privateProfileTemplate();

// Copies a folder tree; false when any file cannot be copied.
bool copyTree(const QString& from, const QString& to);

// The installed office's version for its profile ("7.4"), read from its registry data.
QString installedVersion(const QString& programDir);

} // namespace kumiro::lo
