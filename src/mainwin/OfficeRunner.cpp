#include "OfficeRunner.h"

#include "ProgressWindow.h"
#include "combine/CombineMessages.h"
#include "platform/MessageBoxes.h"

#include <QScopeGuard>

namespace kumiro {

OfficeRunner::OfficeRunner(MessageBoxes& messages, Factory factory) : messages_(messages), factory_(std::move(factory))
{
    idle_.setSingleShot(true);
    idle_.setInterval(kIdleMs);
    QObject::connect(&idle_, &QTimer::timeout, [this] {
        if (!running_)
            release();
    });
}

OfficeRunner::~OfficeRunner() = default;

void OfficeRunner::prepare()
{
    if (!warm_)
        return;
    wanted_ = true;
    idle_.start();
    try {
        if (!office_)
            office_ = factory_();
        office_->prepare();
    } catch (const OfficeError&) {
        // No office here: the command tells the user when it is run.
    }
}

void OfficeRunner::release()
{
    wanted_ = false;
    idle_.stop();
    office_.reset();
}

bool OfficeRunner::prepared() const
{
    return office_ && office_->prepared();
}

OfficeRunner::Result OfficeRunner::run(QWidget* owner, const QString& title, const Job& job, const QString& destination)
{
    idle_.stop();
    running_ = true;
    const auto ran = qScopeGuard([this] {
        running_ = false;
        // The next command's office, while the user stays with Word or Excel; a moment
        // later, so that starting it does not hold up the completion message.
        QTimer::singleShot(kNextOfficeDelayMs, &idle_, [this] {
            if (wanted_ && !running_)
                prepare();
        });
    });
    Result result = Result::Failed;
    try {
        if (!office_)
            office_ = factory_();
        bool completed = false;
        stopping_ = false;
        ProgressWindow window(owner, title);
        window.alsoSet(&stopping_);
        window.run([&](const CommandProgress& progress) { completed = job(*office_, progress); });
        result = completed ? Result::Done : Result::Cancelled;
    } catch (const OfficeError& error) {
        const OfficeMessage m = officeFailureMessage(error, destination);
        messages_.show(owner, MsgIcon::Critical, m.title, m.text);
    }
    return result;
}

} // namespace kumiro
