// The office on LibreOffice and the module's entry point: each Word or Excel on an office
// of its own, started from the prepared profile.
#include "RemoteExcel.h"
#include "OfficeProcess.h"
#include "Profile.h"
#include "Session.h"
#include "RemoteWord.h"
#include "combine/Office.h"
#include "platform/Leftovers.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace kumiro::lo {

// Word and Excel for the combines, each started on an office of its own; the next one may
// be started ahead, while the user still builds the order.
class LibreOfficeOffice final : public Office {
public:
    explicit LibreOfficeOffice(OfficeOptions options) : options_(std::move(options)), cache_(options_)
    {
        // Before any office of ours starts: what a killed Kumiro left goes.
        sweepLeftovers();
    }
    ~LibreOfficeOffice() override
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        if (launcher_.joinable())
            launcher_.join();
        retired_.clear();
        spare_.reset();
    }

    std::unique_ptr<WordApplication> newWord() override
    {
        auto [session, retire] = take();
        return newWordApplication(std::move(session), std::move(retire));
    }
    std::unique_ptr<ExcelApplication> newExcel() override
    {
        auto [session, retire] = take();
        return newExcelApplication(std::move(session), std::move(retire));
    }

    void prepare() override
    {
        std::lock_guard lock(mutex_);
        if (spare_ || wanted_)
            return;
        wanted_ = true;
        // Spares are started by one thread that lives as long as this office: an office dies
        // with the thread that started it (its parent-death signal), not with the process.
        if (!launcher_.joinable())
            launcher_ = std::thread([this] { launch(); });
        changed_.notify_all();
    }

    bool prepared() const override
    {
        std::lock_guard lock(mutex_);
        return wanted_ || spare_;
    }

    bool unboxed() const override { return options_.boxed && !boxAvailable(); }

    bool ready() const override
    {
        std::lock_guard lock(mutex_);
        return spare_ != nullptr;
    }

private:
    void launch()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stop_ || wanted_ || !retired_.empty(); });
            if (!retired_.empty()) {
                auto done = std::move(retired_);
                retired_.clear();
                lock.unlock();
                done.clear(); // each ends its office
                lock.lock();
                continue;
            }
            if (stop_)
                return;
            lock.unlock();
            std::unique_ptr<Session> session;
            try {
                session = std::make_unique<Session>(options_, profile());
            } catch (const OfficeError&) {
                // The command that would have used it starts its own and reports why.
            }
            lock.lock();
            spare_ = std::move(session);
            wanted_ = false;
            changed_.notify_all();
        }
    }

    QString profile()
    {
        std::lock_guard lock(profileMutex_);
        return cache_.preparedProfile();
    }

    // How long a spare may take to answer before it counts as hung: what a hung one costs.
    static constexpr int kSpareAnswerMs = 2000;

    // The spare when it answers (waited for while it starts), else a new office: one that
    // died or hangs while it waited is replaced without a word. A spare goes back to the
    // thread that started it, which ends it once its command has returned: the user need not
    // wait for its end before the completion message. A new office its command ends.
    std::pair<std::unique_ptr<Session>, Retire> take()
    {
        std::unique_ptr<Session> spare;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !wanted_; });
            spare = std::move(spare_);
        }
        if (spare && spare->answers(kSpareAnswerMs)) {
            return {std::move(spare), [this](std::unique_ptr<Session> done) {
                        std::lock_guard lock(mutex_);
                        retired_.push_back(std::move(done));
                        changed_.notify_all();
                    }};
        }
        spare.reset();
        return {std::make_unique<Session>(options_, profile()), Retire{}};
    }

    OfficeOptions options_;
    ProfileCache cache_;
    std::mutex profileMutex_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool wanted_ = false; // a spare is being started
    bool stop_ = false;
    std::thread launcher_;
    std::unique_ptr<Session> spare_;
    std::vector<std::unique_ptr<Session>> retired_; // done with, waiting to be ended
};

} // namespace kumiro::lo

extern "C" Q_DECL_EXPORT kumiro::Office* kumiro_libreoffice_create(const kumiro::OfficeOptions* options)
{
    return new kumiro::lo::LibreOfficeOffice(options ? *options : kumiro::OfficeOptions{});
}
