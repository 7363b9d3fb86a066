#include "print_command.hpp"

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
    CLI::App* print = app.add_subcommand("print", "print a registered receipt again, after checking its PDF against the register");
    print->add_option("NUMBER", options.number, "the receipt's number")->required();
    print->add_option("--printer", options.printer, "the printer to print on; the default printer when not given")
        ->type_name("NAME");
    // CUPS takes at most 9999 copies unless told otherwise.
    print->add_option("--copies", options.copies, "how many copies to print, from 1 to 9999")
        ->type_name("N")
        ->check(CLI::Range(1, 9999));
    print->add_flag("--void-ok", options.void_ok, "print a void receipt too");
    return print;
}

int run_print_command(long long number, const Print_Options& options, std::ostream& out, std::ostream& errors) {
    receipt_register::Issued_Pdf pdf;
    try {
        pdf = receipt_register::read_issued_pdf(receipt_register::receipt_folder(), number, options.void_ok);
    } catch (const receipt_register::Reprint_Refusal& refusal) {
        const std::string hint = refusal.voided() ? "; give --void-ok to print it all the same" : "";
        return refuse(errors, refusal.what() + hint);
    }
    const platform::PrintedJob job =
        platform::print_pdf_content(pdf.content, pdf.path, {.printer = options.printer, .copies = options.copies});
    out << "receipt " << number_text(number) << " sent to printer " << job.printer << " as job " << job.job_id << ", "
        << options.copies << (options.copies == 1 ? " copy" : " copies") << '\n';
    return 0;
}
