// The component Kumiro loads into its office: it runs each step of a combine or a
// conversion where the documents are, so that a step costs one call across the bridge
// instead of one for every question asked of a document.
#include "FaultMark.h"
#include "Inside.h"
#include "calc/CalcSteps.h"
#include "common/Wire.h"
#include "writer/WordSteps.h"

#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/task/XJob.hpp>

#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/supportsservice.hxx>

#include <exception>
#include <memory>

namespace kumiro::lo {

namespace {

// One per command: the documents it made and the state of its combine live here until
// Kumiro lets it go.
class Steps final : public cppu::WeakImplHelper2<css::task::XJob, css::lang::XServiceInfo> {
public:
    explicit Steps(const Reference<css::uno::XComponentContext>& context) : inside_(context) { watchForFaults(); }

    // "Word.<step>" or "Calc.<step>" with its arguments; a failure of ours comes back as a
    // value, the office's own exceptions as they are.
    Any SAL_CALL execute(const Sequence<css::beans::NamedValue>& arguments) override
    {
        try {
            const rtl::OUString name = wire::get<rtl::OUString>(arguments, "Step");
            if (name.startsWith("Word.", nullptr)) {
                if (!word_)
                    word_ = std::make_unique<WordSteps>(inside_);
                return wire::answer(word_->step(name.copy(5), arguments));
            }
            if (name.startsWith("Calc.", nullptr)) {
                if (!calc_)
                    calc_ = std::make_unique<CalcSteps>(inside_);
                return wire::answer(calc_->step(name.copy(5), arguments));
            }
            if (name == "Hello")
                return wire::answer(Any(rtl::OUString(KUMIRO_VERSION_TEXT)));
            throw OfficeError(OfficeError::Internal, QStringLiteral("no step ") + qs(name));
        } catch (const OfficeError& e) {
            return wire::failure(e);
        } catch (const std::exception& e) {
            return wire::failure(OfficeError(OfficeError::Internal, QString::fromLocal8Bit(e.what())));
        }
    }

    rtl::OUString SAL_CALL getImplementationName() override
    {
        return rtl::OUString::createFromAscii(wire::kImplementation);
    }
    sal_Bool SAL_CALL supportsService(const rtl::OUString& name) override { return cppu::supportsService(this, name); }
    Sequence<rtl::OUString> SAL_CALL getSupportedServiceNames() override
    {
        Sequence<rtl::OUString> names(1);
        names.getArray()[0] = rtl::OUString::createFromAscii(wire::kService);
        return names;
    }

private:
    Inside inside_;
    std::unique_ptr<WordSteps> word_;
    std::unique_ptr<CalcSteps> calc_;
};

} // namespace

} // namespace kumiro::lo

extern "C" SAL_DLLPUBLIC_EXPORT css::uno::XInterface*
org_kumiro_office_Steps_get_implementation(css::uno::XComponentContext* context,
                                           const css::uno::Sequence<css::uno::Any>&)
{
    auto* steps = new kumiro::lo::Steps(context);
    steps->acquire();
    return static_cast<cppu::OWeakObject*>(steps);
}
