#include "receipt_printing.hpp"

#include <receipt_register/issued_pdf.hpp>
#include <widget_kit/handlers.hpp>

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace receipt_window {

namespace {

Receipt_Printing::Result outcome_of(const std::function<platform::PrintedJob()>& job) {
    // Reasons only: the window knows which receipt it was.
    try {
        return {job().printer, ""};
    } catch (const platform::PrintError& error) {
        return {"", error.reason()};
    } catch (const receipt_register::Reprint_Refusal& refusal) {
        return {"", refusal.reason()};
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
    run([pdf, request] { return platform::print_pdf(pdf, request); }, std::move(done));
}

void Receipt_Printing::reprint(const std::string& folder, long long number, const platform::PrintRequest& request,
                               std::function<void(const Result&)> done) {
    run(
        [folder, number, request] {
            const receipt_register::Issued_Pdf pdf = receipt_register::read_issued_pdf(folder, number, false);
            return platform::print_pdf_content(pdf.content, pdf.path, request);
        },
        std::move(done));
}

void Receipt_Printing::run(std::function<platform::PrintedJob()> job, std::function<void(const Result&)> done) {
    auto* watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, done = std::move(done)] {
        const Result result = watcher->result();
        watcher->deleteLater();
        Widget_Kit::call_handler([&] { done(result); });
    });
    watcher->setFuture(QtConcurrent::run(&pool_, [job = std::move(job)] { return outcome_of(job); }));
}

}  // namespace receipt_window
