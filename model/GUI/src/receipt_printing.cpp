#include "receipt_printing.hpp"

#include <widget_kit/handlers.hpp>

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace receipt_window {

namespace {

Receipt_Printing::Result print_one(const std::string& pdf, const platform::PrintRequest& request) {
    try {
        return {platform::print_pdf(pdf, request).printer, ""};
    } catch (const platform::PrintError& error) {
        return {"", error.reason()};  // the window knows which receipt it was
    } catch (const std::exception& error) {
        return {"", error.what()};
    }
}

}  // namespace

Receipt_Printing::Receipt_Printing() {
    // One thread: jobs reach the printer in the order the receipts were written.
    pool_.setMaxThreadCount(1);
}

Receipt_Printing::~Receipt_Printing() { pool_.waitForDone(); }

void Receipt_Printing::print(const std::string& pdf, const platform::PrintRequest& request,
                             std::function<void(const Result&)> done) {
    auto* watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, done = std::move(done)] {
        const Result result = watcher->result();
        watcher->deleteLater();
        Widget_Kit::call_handler([&] { done(result); });
    });
    watcher->setFuture(QtConcurrent::run(&pool_, print_one, pdf, request));
}

}  // namespace receipt_window
