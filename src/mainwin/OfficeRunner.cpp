#include "OfficeRunner.h"

#include "ProgressWindow.h"
#include "combine/CombineMessages.h"
#include "platform/MessageBoxes.h"

namespace kumiro {

OfficeRunner::OfficeRunner(MessageBoxes& messages, Factory factory) : messages_(messages), factory_(std::move(factory))
{
}

OfficeRunner::Result OfficeRunner::run(QWidget* owner, const QString& title, const Job& job, const QString& destination)
{
    try {
        const std::unique_ptr<Office> office = factory_();
        bool completed = false;
        ProgressWindow window(owner, title);
        window.run([&](const CommandProgress& progress) { completed = job(*office, progress); });
        return completed ? Result::Done : Result::Cancelled;
    } catch (const OfficeError& error) {
        const OfficeMessage m = officeFailureMessage(error, destination);
        messages_.show(owner, MsgIcon::Critical, m.title, m.text);
        return Result::Failed;
    }
}

} // namespace kumiro
