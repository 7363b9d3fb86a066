#include "print_command.hpp"

#include <i18n/tr.hpp>
#include <platform/printing.hpp>
#include <receipt_register/issued_pdf.hpp>
#include <receipt_register/receipt_files.hpp>

namespace {

using receipt_register::number_text;

int refuse(std::ostream& errors, const std::string& message) {
    errors << "tarnwickery-receipt: " << message << '\n';
    return 1;
}

}  // namespace

CLI::App* add_print_command(CLI::App& app, Print_Options& options) {
    CLI::App* print = app.add_subcommand("print", i18n::tr("print a registered receipt again, after checking its PDF against the register"));
    print->add_option("NUMBER", options.number, i18n::tr("the receipt's number"))->required();
    print->add_option("--printer", options.printer, i18n::tr("the printer to print on; the default printer when not given"))
        ->type_name("NAME");
    // CUPS takes at most 9999 copies unless told otherwise.
    print->add_option("--copies", options.copies, i18n::tr("how many copies to print, from 1 to 9999"))
        ->type_name("N")
        ->check(CLI::Range(1, 9999));
    print->add_flag("--void-ok", options.void_ok, i18n::tr("print a void receipt too"));
    return print;
}

int run_print_command(long long number, const Print_Options& options, std::ostream& out, std::ostream& errors) {
    receipt_register::Issued_Pdf pdf;
    try {
        pdf = receipt_register::read_issued_pdf(receipt_register::receipt_folder(), number, options.void_ok);
    } catch (const receipt_register::Reprint_Refusal& refusal) {
        if (refusal.voided()) return refuse(errors, i18n::tr("{1}; give --void-ok to print it all the same", {refusal.what()}));
        return refuse(errors, refusal.what());
    }
    const platform::PrintedJob job =
        platform::print_pdf_content(pdf.content, pdf.path, {.printer = options.printer, .copies = options.copies});
    const std::string copies = std::to_string(options.copies);
    out << (options.copies == 1
                ? i18n::tr("receipt {1} sent to printer {2} as job {3}, 1 copy", {number_text(number), job.printer, std::to_string(job.job_id)})
                : i18n::tr("receipt {1} sent to printer {2} as job {3}, {4} copies",
                           {number_text(number), job.printer, std::to_string(job.job_id), copies}))
        << '\n';
    return 0;
}
