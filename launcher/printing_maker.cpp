#include "printing_maker.hpp"

#include <platform/printing.hpp>

ReceiptOutcome Printing_Maker::make(const nlohmann::json& request) {
    ReceiptOutcome outcome = maker_.make(request);
    if (!outcome.written) return outcome;
    try {
        platform::print_pdf(outcome.pdf_path, {.printer = printer_});
    } catch (const platform::PrintError& error) {
        outcome.warnings.push_back("not printed: " + error.reason());
    }
    return outcome;
}
