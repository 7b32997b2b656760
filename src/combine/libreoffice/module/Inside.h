// What the steps need of the office they run in: its services, new documents, the type of
// a file and its main thread. Every call here stays inside the office's process.
#pragma once

#include "common/Uno.h"
#include "combine/Office.h"

#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>

#include <functional>

namespace kumiro::lo {

class Inside {
public:
    explicit Inside(Reference<css::uno::XComponentContext> context) : context_(std::move(context)) {}

    const Reference<css::uno::XComponentContext>& context() const { return context_; }
    Reference<css::lang::XMultiComponentFactory> services() const { return context_->getServiceManager(); }
    Reference<css::frame::XDesktop2> desktop();

    // A document model without a frame or view (nothing is ever shown or laid out on
    // screen, which makes loading and inserting cheaper), to be loaded or made new.
    Reference<css::frame::XLoadable> newModel(const char* service);

    // The import filter the office's own detection picks for the file at `url` (the user's
    // `path`); files of a type that `accept` refuses are refused with `refusal`.
    QString importFilter(const rtl::OUString& url, const QString& path, bool (*accept)(const QString&),
                         const QString& refusal);

    // Runs `f` on the office's main thread and waits for it. A document laid out in a view
    // (the PDF export) with comments or notes ends the office when it is loaded, saved or
    // closed from another thread, or with the office's own event loop turning between those
    // steps: they go in one `f`.
    void onMainThread(const std::function<void()>& f);

private:
    Reference<css::uno::XComponentContext> context_;
    Reference<css::frame::XDesktop2> desktop_;
    Reference<css::document::XTypeDetection> detection_;
};

// Loads the input `path` by `load`; what the office refuses to load is the input's fault.
void loadingInput(const QString& path, const std::function<void()>& load);

} // namespace kumiro::lo
