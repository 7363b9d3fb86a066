#pragma once

#include <platform/printing.hpp>

#include <QObject>
#include <QThreadPool>

#include <functional>
#include <string>

namespace receipt_window {

// Hands receipts to the print service on a thread of its own, one job after another
// in the order given, so that the window never waits for a print service that is slow
// to answer.
class Receipt_Printing : public QObject {
public:
    // What became of one print: the printer that took it, or why it failed.
    struct Result {
        std::string printer;
        std::string failure;  // empty when the print service took the job
    };

    Receipt_Printing();
    // Waits for the jobs handed over; their `done` no longer runs.
    ~Receipt_Printing() override;

    // Prints `pdf` as `request` says; `done` runs on this object's thread once the print
    // service has taken the job or it has failed. What `done` throws is reported on
    // standard error, as a failing event handler's error is.
    void print(const std::string& pdf, const platform::PrintRequest& request, std::function<void(const Result&)> done);
    // Prints receipt `number` of the receipt folder `folder` again, as print does, after
    // checking its PDF against the register there: a void receipt or a PDF missing or
    // changed since it was issued fails, and the bytes checked are the bytes printed.
    void reprint(const std::string& folder, long long number, const platform::PrintRequest& request,
                 std::function<void(const Result&)> done);

private:
    // Runs `job` on the print thread and `done` with its result on this object's thread.
    void run(std::function<platform::PrintedJob()> job, std::function<void(const Result&)> done);

    QThreadPool pool_;
};

}  // namespace receipt_window
