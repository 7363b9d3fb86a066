#include "print_command.hpp"

#include <platform/printing.hpp>
#include <platform/regular_file.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/sha256.hpp>

#include <cstdint>
#include <filesystem>

namespace {

using receipt_register::number_text;

// Far beyond any receipt; what is larger cannot be the PDF the program wrote.
constexpr std::uint64_t kLargestReceipt = 64u << 20;

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
    const std::string folder = receipt_register::receipt_folder();
    const std::string receipt = "receipt " + number_text(number);
    auto book = receipt_register::Receipt_Register::open_existing(folder);
    if (!book) return refuse(errors, "there is no receipt number " + number_text(number) + ": " + folder + " has no register");
    const auto record = book->receipt(number);
    if (!record) return refuse(errors, "there is no receipt number " + number_text(number) + " in the register " + book->path());
    if (record->status == receipt_register::Receipt_Status::voided && !options.void_ok)
        return refuse(errors, receipt + " is void (" + record->void_reason + "); give --void-ok to print it all the same");

    // What goes to paper must be what was issued: a PDF changed since is refused. The
    // bytes checked are the bytes printed, so a change in between cannot slip through.
    const std::string pdf = folder + record->file_name;
    std::string content;
    try {
        content = platform::read_regular_file(platform::to_path(pdf), kLargestReceipt);
    } catch (const platform::FileReadError& error) {
        std::error_code ec;
        if (!std::filesystem::exists(platform::to_path(pdf), ec))
            return refuse(errors, receipt + " is not printed: its PDF " + pdf + " is missing");
        return refuse(errors, receipt + " is not printed: its PDF " + pdf + " cannot be read (" + error.reason() + ")");
    }
    if (receipt_register::sha256_of(content) != record->sha256)
        return refuse(errors, receipt + " is not printed: its PDF " + pdf +
                                  " has changed since it was issued (its SHA-256 is not the one in the register)");

    const platform::PrintedJob job =
        platform::print_pdf_content(content, pdf, {.printer = options.printer, .copies = options.copies});
    out << receipt << " sent to printer " << job.printer << " as job " << job.job_id << ", " << options.copies
        << (options.copies == 1 ? " copy" : " copies") << '\n';
    return 0;
}
