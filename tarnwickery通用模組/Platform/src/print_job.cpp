#include "detail/print_job.hpp"

#include "platform/regular_file.hpp"
#include "platform/root_folder.hpp"

#include <algorithm>

namespace platform::detail {

namespace {

std::string names_of(const std::vector<Printer>& printers) {
    std::string names;
    for (const auto& printer : printers) names += (names.empty() ? "" : ", ") + printer.name;
    return names;
}

}  // namespace

std::string read_pdf(const std::string& pdf, const std::string& failure) {
    try {
        return read_regular_file(to_path(pdf), kLargestPdf);
    } catch (const FileReadError& error) {
        throw PrintError(failure, error.reason());
    }
}

void check_pdf(const std::string& content, const std::string& failure) {
    // A PDF may carry a few bytes of junk before its header; readers look in the first kilobyte.
    if (content.substr(0, 1024).find("%PDF-") == std::string::npos)
        throw PrintError(failure, "it is not a PDF file");
}

const Printer& choose_printer(const std::vector<Printer>& printers, const std::string& requested,
                              const std::string& failure) {
    if (printers.empty())
        throw PrintError(failure, "no printer is installed");
    const auto chosen = std::find_if(printers.begin(), printers.end(), [&](const Printer& printer) {
        return requested.empty() ? printer.is_default : printer.name == requested;
    });
    if (chosen != printers.end()) return *chosen;
    if (requested.empty())
        throw PrintError(failure, "no default printer is set; name one of: " + names_of(printers));
    throw PrintError(failure, "there is no printer named \"" + requested + "\"; the printers are: " + names_of(printers));
}

void check_copies(int copies, const std::string& failure) {
    if (copies < 1)
        throw PrintError(failure, "the number of copies must be at least 1, not " + std::to_string(copies));
}

}  // namespace platform::detail

namespace platform {

Printer find_printer(const std::string& name) {
    return detail::choose_printer(list_printers(), name, "cannot choose a printer");
}

PrintedJob print_pdf(const std::string& pdf, const PrintRequest& request) {
    return print_pdf_content(detail::read_pdf(pdf, "cannot print " + pdf), pdf, request);
}

}  // namespace platform
