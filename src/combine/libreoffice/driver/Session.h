// One running office, driven through UNO over a private pipe, and the checks on what it reads.
#pragma once

#include "OfficeProcess.h"
#include "Watchdog.h"
#include "common/Uno.h"
#include "common/Wire.h"
#include "combine/Office.h"

#include <QFileInfo>

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/task/XJob.hpp>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <type_traits>

namespace kumiro::lo {

// The office's program folder: the one the options name, or the system's.
QString officeDir(const OfficeOptions& options);

// One running office: process, bridge and desktop, every call under the watchdog.
class Session {
public:
    Session(const OfficeOptions& options, const QString& profileTemplate)
        : options_(options), process_(officeDir(options), profileTemplate, options.boxed),
          watchdog_(
              limitsOf(options), [this] { return process_.pid(); }, [this] { process_.signalKill(); })
    {
        connect();
    }

    ~Session() { end(); }

    // Runs one call against the office; a hang, a crash or a refusal becomes OfficeError.
    template <typename F> auto call(F&& f, const QString& file = {}) -> decltype(f())
    {
        if (options_.interrupt && options_.interrupt->load() != 0)
            throw lost(file);
        watchdog_.arm(options_.callTimeoutMs);
        try {
            if constexpr (std::is_void_v<decltype(f())>) {
                f();
                watchdog_.disarm();
            } else {
                auto r = f();
                watchdog_.disarm();
                return r;
            }
        } catch (const OfficeError&) {
            watchdog_.disarm();
            throw;
        } catch (const css::lang::DisposedException&) {
            watchdog_.disarm();
            throw lost(file);
        } catch (const css::uno::RuntimeException& e) {
            watchdog_.disarm();
            if (watchdog_.fired() || !process_.running())
                throw lost(file);
            throw OfficeError(OfficeError::Failed, qs(e.Message), file);
        } catch (const css::uno::Exception& e) {
            watchdog_.disarm();
            throw OfficeError(OfficeError::Failed, qs(e.Message), file);
        }
    }

    Reference<css::frame::XDesktop2> desktop() const { return desktop_; }
    Reference<css::lang::XMultiComponentFactory> services() const { return remote_->getServiceManager(); }
    Reference<css::uno::XComponentContext> context() const { return remote_; }
    QString profileDir() const { return process_.profileDir(); }
    // The office's own temporary folder, removed with it.
    QString tempDir() const { return process_.tempDir(); }
    // The address under which the office finds a file of its temporary folder.
    rtl::OUString officeUrl(const QString& path) const { return fileUrl(process_.officePath(path)); }
    // The address under which the office reads an input of the user's: a private copy in its
    // temporary folder, so that the office never sees the user's folders (a document that
    // refers to a file beside it finds nothing), made once per input.
    rtl::OUString inputUrl(const QString& path);
    bool boxed() const { return process_.boxed(); }
    // The office takes a call within `ms` (a spare may have died or hung while it waited);
    // one that does not is ended.
    bool answers(int ms);

    // One step of Kumiro's component inside the office ("Word.Insert", say), with its
    // arguments by name: one call, under the watchdog like any other.
    Any step(const char* name, wire::Named args, const QString& file = {})
    {
        return call([&] { return stepInCall(name, args); }, file);
    }
    // The same inside a call() already made (a save's).
    Any stepInCall(const char* name, wire::Named args)
    {
        return wire::unpack(steps_->execute(wire::stepArgs(name, args)));
    }

    // A text or CSV file as the office reads it best: a private copy (its address returned)
    // in UTF-8 without a
    // byte-order mark, whatever the encoding it was written in (told apart here, where
    // EUC-JP, ISO-2022-JP and UTF-16 are known), and for text with LF line ends, so that
    // CR-only files from old editors give one paragraph a line, and a last line end an empty last
    // paragraph.
    rtl::OUString utf8Copy(const QString& path, bool lfLineEnds);

    // What the office has read so far, for telling whether it has room to save.
    void noteInput(const QString& path) { inputBytes_ += QFileInfo(path).size(); }

    // Saves through the office's own temporary folder and copies the result into `path`
    // here: the office never writes into the user's folder (and leaves nothing of its own
    // there), and a full or failing disk is an error at once, not an office that spins.
    // `save` writes the office's file at the address it is given.
    void storeWith(const std::function<void(const rtl::OUString&)>& save, const QString& path,
                   bool dropByteOrderMark = false);

    // Ends the office at once; when `patient`, asks it first and kills it only when it has
    // not gone after 5 s.
    void end(bool patient = false);

private:
    static Watchdog::Limits limitsOf(const OfficeOptions& options);
    OfficeError lost(const QString& file) const;
    void connect();
    bool tryConnect(const Reference<css::uno::XComponentContext>& local);
    void findSteps();

    OfficeOptions options_;
    OfficeProcess process_;
    Watchdog watchdog_;
    Reference<css::lang::XComponent> bridge_;
    Reference<css::uno::XComponentContext> remote_;
    Reference<css::frame::XDesktop2> desktop_;
    Reference<css::task::XJob> steps_;
    bool ended_ = false;
    qint64 inputBytes_ = 0;
    int saves_ = 0;
    int copies_ = 0;
    std::map<QString, rtl::OUString> inputs_;
};

// Takes an office whose command is over and ends it elsewhere, after the command has
// returned; empty: the command ends its office itself.
using Retire = std::function<void(std::unique_ptr<Session>)>;

// The command is done with `session`: ended here, or handed to `retire`.
void finish(std::unique_ptr<Session>& session, const Retire& retire);

// Refuses an input that is missing, not a file or not readable, before the office sees it.
void checkReadable(const QString& path);

} // namespace kumiro::lo
