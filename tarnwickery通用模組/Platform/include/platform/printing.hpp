#pragma once

#include "platform/error.hpp"

#include <string>
#include <vector>

namespace platform {

// A print request that could not be handed over: no printer installed, a printer name
// the system does not know, a job the print system refused, or a file that cannot be
// printed. The message is a sentence naming the file and the printer: what failed
// ("cannot print FILE"), a colon, and why.
class PrintError : public Error {
public:
    PrintError(const std::string& failure, const std::string& reason) : Error(failure + ": " + reason), reason_(reason) {}

    // Why, without what failed: for a place that already names the file.
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string reason_;
};

struct Printer {
    std::string name;         // what print_pdf takes
    std::string description;  // the printer's own description, often empty
    bool is_default = false;
};

// The printers this user can print to, in the print system's order, the default
// marked (at most one). Empty when none is installed. On Linux the print service is
// CUPS as libcups finds it: CUPS_SERVER, then the client.conf files, then the local
// scheduler. Throws PrintError when the print service cannot be asked.
std::vector<Printer> list_printers();

// The printer a job for `name` would go to: the printer of that name, or the default
// when `name` is empty. Throws PrintError as print_pdf does when the print service
// cannot be asked, no printer is installed, the name is unknown or no default is set.
Printer find_printer(const std::string& name);

struct PrintRequest {
    std::string printer;  // empty: the system's default printer
    int copies = 1;
};

struct PrintedJob {
    std::string printer;  // the printer the job went to
    int job_id = 0;       // the print system's number for it
};

// Hands the PDF file `pdf` (UTF-8 path) to the print system as it is, so it prints at
// its own page size, without rasterising here. Returns once the print system has
// taken the job; the file is only read, whatever happens. Throws PrintError when
// `pdf` is missing or not a PDF, when no printer is installed, when the named printer
// (or a default) does not exist, when copies is below 1, or when the job is refused.
PrintedJob print_pdf(const std::string& pdf, const PrintRequest& request = {});

// As print_pdf, for the PDF file `pdf` already read whole into `content`: what was
// checked in memory is exactly what is printed. `pdf` only names the job and failures.
PrintedJob print_pdf_content(const std::string& content, const std::string& pdf, const PrintRequest& request = {});

}  // namespace platform
