#include "Inside.h"
#include "common/Wire.h"

#include <com/sun/star/awt/XCallback.hpp>
#include <com/sun/star/awt/XRequestCallback.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>

#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <future>

namespace kumiro::lo {

Reference<css::frame::XDesktop2> Inside::desktop()
{
    if (!desktop_.is())
        desktop_ = css::frame::Desktop::create(context_);
    return desktop_;
}

Reference<css::frame::XLoadable> Inside::newModel(const char* service)
{
    return Reference<css::frame::XLoadable>(
        services()->createInstanceWithContext(rtl::OUString::createFromAscii(service), context_), UNO_QUERY_THROW);
}

QString Inside::importFilter(const rtl::OUString& url, const QString& path, bool (*accept)(const QString&),
                             const QString& refusal)
{
    if (!detection_.is())
        detection_.set(
            services()->createInstanceWithContext(rtl::OUString("com.sun.star.document.TypeDetection"), context_),
            UNO_QUERY_THROW);
    Sequence<css::beans::PropertyValue> descriptor = inputProps(prop("URL", Any(url)));
    const QString type = qs(detection_->queryTypeByDescriptor(descriptor, true));
    if (!accept(type))
        throw OfficeError(OfficeError::Unreadable, refusal, path);
    Sequence<css::beans::PropertyValue> typeProps;
    Reference<css::container::XNameAccess>(detection_, UNO_QUERY_THROW)->getByName(ou(type)) >>= typeProps;
    for (const auto& p : typeProps) {
        rtl::OUString filter;
        if (p.Name == "PreferredFilter" && (p.Value >>= filter) && !filter.isEmpty())
            return qs(filter);
    }
    throw OfficeError(OfficeError::Unreadable, QStringLiteral("読み込む方法がありません。"), path);
}

void Inside::onMainThread(const std::function<void()>& f)
{
    class Job final : public cppu::WeakImplHelper1<css::awt::XCallback> {
    public:
        explicit Job(const std::function<void()>& f) : f_(f) {}
        void SAL_CALL notify(const Any&) override
        {
            try {
                f_();
                done_.set_value();
            } catch (...) {
                done_.set_exception(std::current_exception());
            }
        }
        std::future<void> done() { return done_.get_future(); }

    private:
        std::function<void()> f_;
        std::promise<void> done_;
    };
    const rtl::Reference<Job> job(new Job(f));
    auto done = job->done();
    Reference<css::awt::XRequestCallback>(
        services()->createInstanceWithContext(rtl::OUString("com.sun.star.awt.AsyncCallback"), context_),
        UNO_QUERY_THROW)
        ->addCallback(Reference<css::awt::XCallback>(job.get()), Any());
    // An office that never turns its loop again is ended by Kumiro's watchdog, and this
    // wait with it.
    done.get();
}

void loadingInput(const QString& path, const std::function<void()>& load)
{
    try {
        load();
    } catch (const css::io::IOException&) {
        throw OfficeError(OfficeError::Unreadable, wire::unreadableContent(), path);
    } catch (const css::lang::IllegalArgumentException&) {
        throw OfficeError(OfficeError::Unreadable, wire::unreadableContent(), path);
    }
}

} // namespace kumiro::lo
