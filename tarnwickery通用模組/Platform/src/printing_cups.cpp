// Printing through CUPS. The PDF goes to the scheduler as it is; the scheduler's own
// filters fit it to the printer, so nothing is rasterised here.
#include "platform/printing.hpp"

#include "detail/print_job.hpp"
#include "platform/root_folder.hpp"

#include <cups/cups.h>
#include <i18n/tr.hpp>

#include <ctime>
#include <memory>
#include <set>
#include <string_view>

namespace platform {

namespace {

std::string last_cups_error() {
    const char* text = cupsLastErrorString();
    return text != nullptr && *text != '\0' ? text : ippErrorString(cupsLastError());
}

bool failed(ipp_status_t status) { return status >= IPP_STATUS_REDIRECTION_OTHER_SITE; }

// How long a print service may stay silent before the program gives up on it. Without
// a limit of our own libcups waits about a minute for each request, and a print needs
// several.
constexpr int kAnswerWithin = 10;

// A connection of our own to the scheduler, so that no state is shared with other
// threads' libcups calls.
class Connection {
public:
    explicit Connection(const std::string& failure) {
        // libcups remembers the server once per thread; forgetting it makes a long-lived
        // thread follow CUPS_SERVER and client.conf as they are now.
        cupsSetServer(nullptr);
        const std::string server = cupsServer();
        const int port = ippPort();  // after cupsServer(), which may take the port from CUPS_SERVER
        where_ = server.starts_with("/") ? server : server + ":" + std::to_string(port);
        http_ = httpConnect2(server.c_str(), port, nullptr, AF_UNSPEC, cupsEncryption(), 1, kAnswerWithin * 1000, nullptr);
        // libcups's own reason ("Host is down", "No such file or directory") tells a shop
        // owner nothing more than that nothing answers there.
        if (http_ == nullptr) throw PrintError(failure, i18n::tr("no print service answers at {1}", {where_}));
        // Asked every second that an answer is awaited.
        httpSetTimeout(http_, 1.0, &Connection::keep_waiting, this);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { httpClose(http_); }

    http_t* get() const { return http_; }

    // Why the last request failed: `prefix`, the print service's answer and `suffix`; or,
    // when the service did not answer, that it did not: libcups then has no text of its
    // own, or "Success".
    std::string failure_reason(const std::string& prefix, const std::string& suffix = "") const {
        const char* text = cupsLastErrorString();
        if (gave_up_ || text == nullptr || *text == '\0' || std::string_view(text) == "Success")
            return "the print service at " + where_ + " did not answer within " + std::to_string(kAnswerWithin) + " s";
        return prefix + last_cups_error() + suffix;
    }

private:
    static int keep_waiting(http_t* http, void* self) {
        auto& connection = *static_cast<Connection*>(self);
        // A service that let one request go unanswered is not waited for again: libcups
        // goes on with the next request of the same operation.
        if (!connection.gave_up_ && std::time(nullptr) - httpGetActivity(http) < kAnswerWithin) return 1;
        connection.gave_up_ = true;
        return 0;
    }

    http_t* http_ = nullptr;
    std::string where_;
    bool gave_up_ = false;
};

// Every destination the scheduler and the user's lpoptions know.
class Destinations {
public:
    Destinations(const Connection& connection, const std::string& failure) {
        count_ = cupsGetDests2(connection.get(), &dests_);
        // No destination and a failed request: the scheduler did not answer the question.
        if (count_ == 0 && failed(cupsLastError()) && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)
            throw PrintError(failure, connection.failure_reason("the print service did not list its printers (", ")"));
    }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;
    ~Destinations() { cupsFreeDests(count_, dests_); }

    // Instances (lpoptions' "printer/instance") are folded into their printer.
    std::vector<Printer> printers() const {
        std::vector<Printer> printers;
        std::set<std::string> defaults;
        for (int i = 0; i < count_; ++i)
            if (dests_[i].is_default) defaults.insert(dests_[i].name);
        for (int i = 0; i < count_; ++i) {
            const cups_dest_t& dest = dests_[i];
            if (dest.instance != nullptr) continue;
            const char* info = cupsGetOption("printer-info", dest.num_options, dest.options);
            printers.push_back({dest.name, info != nullptr ? info : "", defaults.contains(dest.name)});
        }
        return printers;
    }

    cups_dest_t* find(const std::string& name) const { return cupsGetDest(name.c_str(), nullptr, count_, dests_); }

private:
    int count_ = 0;
    cups_dest_t* dests_ = nullptr;
};

class Options {
public:
    Options() = default;
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;
    ~Options() { cupsFreeOptions(count_, options_); }

    void add(const char* name, const std::string& value) { count_ = cupsAddOption(name, value.c_str(), count_, &options_); }
    int count() const { return count_; }
    cups_option_t* list() const { return options_; }

private:
    int count_ = 0;
    cups_option_t* options_ = nullptr;
};

using DestInfo = std::unique_ptr<cups_dinfo_t, decltype(&cupsFreeDestInfo)>;

PrintedJob send_pdf(const std::string& document, const std::string& title, const PrintRequest& request,
                    const std::string& failure) {
    const Connection connection(failure);
    http_t* http = connection.get();
    const Destinations destinations(connection, failure);
    const std::string printer = detail::choose_printer(destinations.printers(), request.printer, failure).name;
    cups_dest_t* dest = destinations.find(printer);
    const std::string refused = "printer " + printer + " refused the job: ";

    const DestInfo info(cupsCopyDestInfo(http, dest), &cupsFreeDestInfo);
    if (!info) throw PrintError(failure, connection.failure_reason(refused));
    Options options;
    options.add(CUPS_COPIES, std::to_string(request.copies));
    int job_id = 0;
    if (failed(cupsCreateDestJob(http, dest, info.get(), &job_id, title.c_str(), options.count(), options.list())))
        throw PrintError(failure, connection.failure_reason(refused));

    bool sent = cupsStartDestDocument(http, dest, info.get(), job_id, title.c_str(), CUPS_FORMAT_PDF, 0, nullptr, 1) ==
                HTTP_STATUS_CONTINUE;
    sent = sent && cupsWriteRequestData(http, document.data(), document.size()) == HTTP_STATUS_CONTINUE;
    // Finishing reads the scheduler's answer, also after a failed start or write.
    sent = !failed(cupsFinishDestDocument(http, dest, info.get())) && sent;
    if (!sent) {
        const std::string reason = connection.failure_reason(refused);
        // A job without its document would wait in the queue until the scheduler gives up on it.
        cupsCancelDestJob(http, dest, job_id);
        throw PrintError(failure, reason);
    }
    return {printer, job_id};
}

}  // namespace

std::vector<Printer> list_printers() {
    const std::string failure = "cannot list the printers";
    const Connection connection(failure);
    return Destinations(connection, failure).printers();
}

PrintedJob print_pdf_content(const std::string& content, const std::string& pdf, const PrintRequest& request) {
    const std::string failure = "cannot print " + pdf;
    detail::check_copies(request.copies, failure);
    detail::check_pdf(content, failure);
    return send_pdf(content, from_path(to_path(pdf).filename()), request, failure);
}

}  // namespace platform
