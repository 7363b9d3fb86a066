#include "printing_maker.hpp"

#include <i18n/tr.hpp>
#include <platform/printing.hpp>

ReceiptOutcome Printing_Maker::make(const nlohmann::json& request) {
    ReceiptOutcome outcome = maker_.make(request);
    if (!outcome.written) return outcome;
    try {
        platform::print_pdf(outcome.pdf_path, {.printer = printer_});
    } catch (const platform::PrintError& error) {
        outcome.warnings.push_back(i18n::tr("not printed: {1}", {error.reason()}));
    }
    return outcome;
}
