// One running office, driven through UNO over a private pipe, and the checks on what it reads.
#include "Session.h"
#include "module/FaultMark.h"
#include "platform/FileWriting.h"
#include "platform/SystemErrors.h"
#include "combine/TextEncoding.h"

#include <QDir>
#include <QFile>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XStorable.hpp>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <thread>
#include <unistd.h>

namespace kumiro::lo {

namespace {

// Copies what the office saved into the user's file `to` (made here, complete or not at
// all), every write checked.
void copyOut(const QString& from, const QString& to, bool dropByteOrderMark)
{
    const QString folder = QFileInfo(to).absolutePath();
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw OfficeError(OfficeError::Failed,
                          QStringLiteral("LibreOffice が保存したファイルを読み取れません。　\r\r") + in.errorString(),
                          to);
    // Text for other programs: UTF-8 needs no byte-order mark, and one in the middle of a
    // text combined from such files would be garbage.
    if (dropByteOrderMark && in.peek(3) == QByteArray("\xEF\xBB\xBF"))
        in.seek(3);
    const qint64 room = freeBytes(folder);
    if (room >= 0 && room < in.size())
        throw OfficeError(OfficeError::OutputFolder, plainSystemReason(ENOSPC) + roomText(in.size(), room), folder);
    auto fail = [&](int error) {
        const bool full = error == ENOSPC || error == EDQUOT;
        return OfficeError(full ? OfficeError::OutputFolder : OfficeError::OutputFile, plainSystemReason(error),
                           full ? folder : to);
    };
    bool named = false;
    const int fd = openUnnamed(folder, to, named);
    if (fd < 0)
        throw fail(errno);
    // Whatever goes wrong, no part-written file keeps its name.
    struct Discard {
        QString path;
        bool armed;
        ~Discard()
        {
            if (armed)
                QFile::remove(path);
        }
    } discard{to, named};
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0) {
            ::close(fd);
            throw OfficeError(OfficeError::Failed, in.errorString(), to);
        }
        if (got == 0)
            break;
        if (const int error = writeAll(fd, buffer.constData(), got)) {
            ::close(fd);
            throw fail(error);
        }
    }
    if (::fsync(fd) != 0 || (!named && !linkUnnamed(fd, to))) {
        const int error = errno;
        ::close(fd);
        throw fail(error);
    }
    if (::close(fd) != 0)
        throw fail(errno);
    discard.armed = false;
}

} // namespace

QString officeDir(const OfficeOptions& options)
{
    return options.officeProgramDir.isEmpty() ? kOfficeProgramDir : options.officeProgramDir;
}

rtl::OUString Session::utf8Copy(const QString& path, bool lfLineEnds)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw OfficeError(OfficeError::Unreadable, in.errorString(), path);
    const QByteArray bytes = in.readAll();
    QByteArray text = toUtf8(bytes, detectTextEncoding(bytes));
    // The office ends a text at its last line end, where other word processors show an empty
    // last paragraph: a paragraph added before it must not join the user's last line.
    if (lfLineEnds)
        text = withLfLineEnds(text);
    if (lfLineEnds && text.endsWith('\n'))
        text += '\n';
    const QString copy =
        process_.tempDir() + QStringLiteral("/kumiro-text-%1.%2").arg(++copies_).arg(QFileInfo(path).suffix());
    QFile out(copy);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush())
        throw OfficeError(OfficeError::Failed,
                          QStringLiteral("LibreOffice の作業フォルダに書き込めません。　\r\r") + out.errorString(),
                          path);
    return officeUrl(copy);
}

rtl::OUString Session::inputUrl(const QString& path)
{
    if (!process_.boxed())
        return fileUrl(path);
    if (const auto known = inputs_.find(path); known != inputs_.end())
        return known->second;
    // Under its own name (some filters and fields show it), in a folder of its own.
    const QString folder = process_.tempDir() + QStringLiteral("/input-%1").arg(++copies_);
    const QString copy = folder + u'/' + QFileInfo(path).fileName();
    QFile in(path);
    if (!QDir().mkpath(folder) || !in.copy(copy))
        throw OfficeError(OfficeError::Unreadable, in.errorString(), path);
    return inputs_[path] = officeUrl(copy);
}

void Session::storeWith(const std::function<void(const rtl::OUString&)>& save, const QString& path,
                        bool dropByteOrderMark)
{
    const QString temp = process_.tempDir();
    const qint64 estimate = 2 * inputBytes_ + (4 << 20);
    const qint64 room = freeBytes(temp);
    if (room >= 0 && room < estimate)
        throw OfficeError(OfficeError::Failed,
                          QStringLiteral("LibreOffice の作業フォルダ %1 の空きが足りません。%2")
                              .arg(QDir::tempPath(), roomText(estimate, room)),
                          path);
    // With the target's extension: some export filters (PDF) go by it.
    const QString suffix = QFileInfo(path).suffix();
    const QString staging =
        temp + QStringLiteral("/kumiro-save-%1").arg(++saves_) + (suffix.isEmpty() ? QString() : u'.' + suffix);
    struct Remove {
        QString file;
        ~Remove() { QFile::remove(file); }
    } removeStaging{staging};
    call([&] { save(officeUrl(staging)); }, path);
    copyOut(staging, path, dropByteOrderMark);
}

void Session::end(bool patient)
{
    if (ended_)
        return;
    ended_ = true;
    if (patient && desktop_.is() && process_.running() && !watchdog_.fired()) {
        watchdog_.arm(5000);
        try {
            desktop_->terminate();
        } catch (const css::uno::Exception&) {
        }
        watchdog_.disarm();
    }
    desktop_.clear();
    remote_.clear();
    if (bridge_.is()) {
        try {
            bridge_->dispose();
        } catch (const css::uno::Exception&) {
        }
        bridge_.clear();
    }
    // A command's office holds nothing more of ours: its output has been copied out, and its
    // folder (profile, inputs, temporaries) goes with it; asking it to end took 70-100 ms.
    // Preparing the profile waits instead: the office finishes writing it as it ends.
    if (!patient || !process_.waitForExit(5000))
        process_.kill();
}

bool Session::answers(int ms)
{
    if (!process_.running() || !desktop_.is())
        return false;
    watchdog_.arm(ms);
    try {
        desktop_->getCurrentComponent();
    } catch (const css::uno::Exception&) {
        watchdog_.disarm();
        return false;
    }
    watchdog_.disarm();
    return !watchdog_.fired();
}

void finish(std::unique_ptr<Session>& session, const Retire& retire)
{
    if (!session)
        return;
    if (retire)
        retire(std::move(session));
    else
        session->end();
}

Watchdog::Limits Session::limitsOf(const OfficeOptions& options)
{
    Watchdog::Limits limits;
    limits.stallMs = options.stallTimeoutMs;
    limits.memoryBytes = options.memoryLimitBytes > 0 ? options.memoryLimitBytes : defaultOfficeMemoryLimit();
    limits.interrupt = options.interrupt;
    limits.stop = options.stop;
    return limits;
}

OfficeError Session::lost(const QString& file) const
{
    switch (watchdog_.reason()) {
    case Watchdog::Reason::Deadline:
        return OfficeError(OfficeError::Hung,
                           QStringLiteral("LibreOffice の処理が %1 秒を超えたため、終了させました。")
                               .arg(options_.callTimeoutMs / 1000),
                           file);
    case Watchdog::Reason::Stalled:
        return OfficeError(OfficeError::Hung,
                           QStringLiteral("LibreOffice が %1 秒以上応答しなかったため、終了させました。")
                               .arg(options_.stallTimeoutMs / 1000),
                           file);
    case Watchdog::Reason::Memory:
        return OfficeError(OfficeError::Hung,
                           QStringLiteral("LibreOffice の使うメモリが上限の %1 MB を超えたため、終了させました。"
                                          "ファイルが大きすぎるか、壊れている可能性があります。")
                               .arg(watchdog_.limits().memoryBytes >> 20),
                           file);
    case Watchdog::Reason::Stopped:
        return OfficeError(
            OfficeError::Hung,
            QStringLiteral("中止の指示のあとも LibreOffice の処理が終わらなかったため、終了させました。"), file);
    case Watchdog::Reason::Interrupted:
    case Watchdog::Reason::None: break;
    }
    if (watchdog_.reason() == Watchdog::Reason::Interrupted || (options_.interrupt && options_.interrupt->load() != 0))
        return OfficeError(OfficeError::Hung, QStringLiteral("終了の指示を受けたため、LibreOffice を終了させました。"),
                           file);
    // Kumiro's component marks a crash in its own code before the office ends.
    if (QFileInfo::exists(process_.tempDir() + u'/' + QLatin1String(kFaultMark)))
        return OfficeError(OfficeError::Internal,
                           QStringLiteral("Kumiro の部品が LibreOffice の中で異常終了しました。"), file);
    return OfficeError(OfficeError::Crashed, QStringLiteral("LibreOffice が途中で終了しました。"), file);
}

void Session::connect()
{
    if (!QFileInfo(officeModulePath()).isFile())
        throw OfficeError(OfficeError::Setup,
                          QStringLiteral("Kumiro の部品 %1 がありません。Kumiro をインストールし直して下さい。")
                              .arg(officeModulePath()));
    const auto local = localContext(officeDir(options_));
    // A brand-new profile makes the office restart itself once (exit code 81).
    for (int attempt = 0; attempt < 3; ++attempt) {
        QString reason;
        if (!process_.start(reason))
            throw OfficeError(OfficeError::Setup,
                              QStringLiteral("LibreOffice を起動できませんでした。　\r\r") + reason);
        if (tryConnect(local))
            return;
        if (process_.exitCode() == OfficeProcess::kNoNamespaceExit)
            process_.startWithoutNamespace();
        else if (process_.exitCode() != 81)
            break;
    }
    process_.kill();
    throw OfficeError(OfficeError::Setup,
                      QStringLiteral("LibreOffice を起動できませんでした (終了コード %1)。").arg(process_.exitCode()));
}

bool Session::tryConnect(const Reference<css::uno::XComponentContext>& local)
{
    const auto connector = css::connection::Connector::create(local);
    // Starting takes well under a second; a start that takes minutes has failed.
    const int startMs = options_.callTimeoutMs > 0 ? std::min(options_.callTimeoutMs, 60000) : 60000;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(startMs);
    Reference<css::connection::XConnection> connection;
    // An office that stops or freezes before its pipe opens is answered as one that does
    // so later: after the stall time, not after the start's whole minute.
    watchdog_.arm(0);
    while (!connection.is()) {
        try {
            connection = connector->connect(rtl::OUString("pipe,name=") + ou(process_.pipeName()));
        } catch (const css::connection::NoConnectException&) {
            if (watchdog_.fired()) {
                watchdog_.disarm();
                throw lost(QString());
            }
            if (!process_.running() || std::chrono::steady_clock::now() > until) {
                watchdog_.disarm();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    watchdog_.arm(startMs);
    try {
        const auto factory = css::bridge::BridgeFactory::create(local);
        auto bridge = factory->createBridge(rtl::OUString(), rtl::OUString("urp"), connection, nullptr);
        bridge_.set(bridge, UNO_QUERY);
        remote_.set(bridge->getInstance(rtl::OUString("StarOffice.ComponentContext")), UNO_QUERY_THROW);
        desktop_ = css::frame::Desktop::create(remote_);
        findSteps();
    } catch (const css::uno::Exception& e) {
        watchdog_.disarm();
        if (watchdog_.fired())
            throw lost(QString());
        throw OfficeError(OfficeError::Failed, qs(e.Message));
    }
    watchdog_.disarm();
    return true;
}

void checkReadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw OfficeError(OfficeError::Unreadable, QStringLiteral("ファイルがありません。"), path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw OfficeError(OfficeError::Unreadable,
                          info.isFile() ? file.errorString() : QStringLiteral("ファイルではありません。"), path);
}

// Kumiro's component, which the office loads from its profile: without it no step can be
// taken, and an office that did not load it (or loaded another build's) is a broken
// installation, said as such at once.
void Session::findSteps()
{
    steps_.set(services()->createInstanceWithContext(rtl::OUString::createFromAscii(wire::kService), remote_),
               UNO_QUERY);
    rtl::OUString version;
    if (steps_.is())
        stepInCall("Hello", {}) >>= version;
    if (!steps_.is() || version != KUMIRO_VERSION_TEXT)
        throw OfficeError(
            OfficeError::Setup,
            QStringLiteral("LibreOffice が Kumiro の部品 %1 を読み込めませんでした%2。"
                           "Kumiro をインストールし直して下さい。")
                .arg(officeModulePath(), steps_.is() ? QStringLiteral(" (版 %1)").arg(qs(version)) : QString()));
}

} // namespace kumiro::lo
