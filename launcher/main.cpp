#include "backup_commands.hpp"
#include "batch.hpp"
#include "print_command.hpp"
#include "printers_command.hpp"
#include "printing_maker.hpp"
#include "register_commands.hpp"
#include "summary_command.hpp"

#include <platform/module_folder.hpp>
#include <platform/plugin.hpp>
#include <platform/printing.hpp>
#include <platform/regular_file_stream.hpp>
#include <platform/root_folder.hpp>
#include <receipt_channels/channels.hpp>
#include <receipt_channels/request_rules.hpp>
#include <receipt_channels/worker_entry.hpp>

#include <i18n/command_line.hpp>
#include <i18n/tr.hpp>

#include <CLI/CLI.hpp>

#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

// Modules sit beside the executable, wherever the program folder was copied to.
std::string program_folder() {
    return platform::module_folder_of(reinterpret_cast<const void*>(&program_folder));
}

platform::Plugin load_module(const std::string& name) { return platform::Plugin(program_folder() + name + platform::plugin_suffix()); }

// `print_on`: print each receipt on this printer ("" for the default) as it is written.
int batch(const platform::Plugin& worker, const std::string& source, const std::optional<std::string>& print_on) {
    std::optional<platform::RegularFileStream> file;
    if (source != "-") {
        const auto path = platform::to_path(source);
        try {
            file.emplace(path);
        } catch (const platform::FileReadError&) {
            std::error_code ec;
            const auto status = std::filesystem::status(path, ec);
            std::cerr << "tarnwickery-receipt: ";
            if (std::filesystem::is_directory(status))
                std::cerr << i18n::tr("{1} is a folder; --batch reads a file with one JSON request a line", {source}) << '\n';
            else if (!std::filesystem::exists(status))
                std::cerr << i18n::tr("cannot read {1}: there is no such file", {source}) << '\n';
            else if (!std::filesystem::is_regular_file(status))
                // A device or a FIFO never ends, or reads as anything at all.
                std::cerr << i18n::tr("cannot read {1}: it is a device or a pipe, not a file; --batch reads a file "
                                      "with one JSON request a line, or - for standard input",
                                      {source})
                          << '\n';
            else
                std::cerr << i18n::tr("cannot read {1}: this user may not read it", {source}) << '\n';
            return kBadArguments;
        }
    }
    std::istream& requests = source == "-" ? std::cin : *file;
    std::unique_ptr<Receipt_Maker> maker(worker.function<NewReceiptMakerFunction>(kNewReceiptMakerEntry)());
    std::optional<Printing_Maker> printing;
    if (print_on) printing.emplace(*maker, *print_on);
    const bool all_written = run_batch(printing ? *printing : *maker, requests, std::cout, std::cerr);
    if (requests.bad()) {
        std::cerr << "tarnwickery-receipt: "
                  << i18n::tr("reading {1} failed; the requests after the lines counted above were not made",
                              {source == "-" ? i18n::tr("standard input") : source})
                  << '\n';
        return kBadArguments;
    }
    return all_written ? 0 : kFailed;
}

// The worker on a thread of its own, the window on this one; the worker finishes a
// receipt it is making before the program ends.
int interactive(const platform::Plugin& worker) {
    platform::Plugin window = load_module("GUI");
    auto* gui = window.function<ReceiptFunction>("GUI");
    auto* receipt = worker.function<ReceiptFunction>(kReceiptEntry);

    Queue_All_variable queues = make_queue_registry();
    Event_All_variable events = make_event_registry();
    link_busy_flag(queues, events);
    std::thread worker_thread([&] {
        try {
            receipt(queues, events);
        } catch (const std::exception& error) {
            std::cerr << "tarnwickery-receipt: " << i18n::tr("the receipt worker stopped: {1}", {error.what()}) << '\n';
        }
    });
    gui(queues, events);
    queues.at("end").get();
    worker_thread.join();
    return 0;
}

// A receipt number as printed, "000123", or plainly, "123".
std::optional<long long> receipt_number(const std::string& text) {
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 1) return std::nullopt;
    return number;
}

int bad_arguments(const std::string& message) {
    std::cerr << "tarnwickery-receipt: " << message << '\n';
    return kBadArguments;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{i18n::tr("Writes receipts for businesses exempt from uniform invoices."), "tarnwickery-receipt"};
    app.set_version_flag("--version", "tarnwickery-receipt " TARNWICKERY_VERSION, i18n::tr("print the program's version and exit"));
    std::string batch_source;
    CLI::Option* batch_option =
        app.add_option("--batch", batch_source, i18n::tr("make a receipt from each JSON request line of FILE (- for standard input)"))
            ->type_name("FILE");
    bool print_each = false;
    std::string batch_printer;
    CLI::Option* print_option =
        app.add_flag("--print", print_each, i18n::tr("with --batch: print each receipt as it is written"))->needs(batch_option);
    app.add_option("--printer", batch_printer, i18n::tr("with --print: the printer to print on; the default printer when not given"))
        ->type_name("NAME")
        ->needs(print_option);
    CLI::App* printers = add_printers_command(app)->excludes(batch_option);
    Print_Options print_options;
    CLI::App* print = add_print_command(app, print_options)->excludes(batch_option);

    List_Options list_options;
    CLI::App* list = app.add_subcommand("list", i18n::tr("show the receipts in the register"))->excludes(batch_option);
    list->add_option("--from", list_options.from, i18n::tr("only receipts dated on or after this day: 2026-11-01, 2026/11/01 or 115/11/01"))
        ->type_name("DATE");
    list->add_option("--to", list_options.to, i18n::tr("only receipts dated on or before this day"))->type_name("DATE");
    list->add_flag("--recorded", list_options.by_record_date,
                   i18n::tr("--from and --to compare the day each receipt was recorded, not the date printed on it"));
    list->add_option("--buyer", list_options.buyer, i18n::tr("only receipts whose buyer's name contains TEXT"))->type_name("TEXT");
    CLI::Option* csv_option =
        list->add_option("--csv", list_options.csv, i18n::tr("write CSV for a spreadsheet to FILE (- for standard output)"))
            ->type_name("FILE|-");
    list->add_option("--xlsx", list_options.xlsx, i18n::tr("write an .xlsx workbook for the bookkeeper to FILE"))
        ->type_name("FILE")
        ->excludes(csv_option);
    list->add_flag("--force", list_options.force, i18n::tr("with --csv or --xlsx: replace FILE when it exists"));

    std::string void_number, void_reason;
    CLI::App* void_command =
        app.add_subcommand("void", i18n::tr("mark a receipt void; its PDF stays as it is"))->excludes(batch_option);
    void_command->add_option("NUMBER", void_number, i18n::tr("the receipt's number"))->required();
    void_command->add_option("--reason", void_reason, i18n::tr("why the receipt is void"))->required()->type_name("TEXT");

    CLI::App* verify =
        app.add_subcommand("verify", i18n::tr("check every issued receipt's PDF against its SHA-256"))->excludes(batch_option);
    Backup_Options backup_options;
    const Backup_Commands backups = add_backup_commands(app, backup_options);
    backups.backup->excludes(batch_option);
    backups.restore->excludes(batch_option);
    add_archive_option(*verify, backup_options);
    Summary_Options summary_options;
    CLI::App* summary = add_summary_command(app, summary_options)->excludes(batch_option);
    app.require_subcommand(0, 1);
    i18n::speak_the_users_language(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help, --version
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        return bad_arguments(i18n::refusal_text(error));
    }
    if (printers->parsed()) return run_printers_command(std::cout, std::cerr);

    const std::string& number_argument = print->parsed() ? print_options.number : void_number;
    const std::optional<long long> number = receipt_number(number_argument);
    for (auto* date : {&list_options.from, &list_options.to}) {
        if (!*date) continue;
        const auto day = request_rules::typed_day(**date);
        // The refusal keeps its first wording, which scripts may match; --help names every form.
        if (!day) return bad_arguments(i18n::tr("'{1}' is not a date of the form YYYY-MM-DD", {**date}));
        *date = day;
    }
    if (list_options.xlsx && *list_options.xlsx == "-")
        return bad_arguments(i18n::tr("--xlsx writes a workbook to a file, not to standard output; give a file name"));
    if ((void_command->parsed() || print->parsed()) && !number)
        return bad_arguments(i18n::tr("'{1}' is not a receipt number", {number_argument}));
    if (void_command->parsed() && void_reason.find_first_not_of(" \t\r\n") == std::string::npos)
        return bad_arguments(i18n::tr("void needs a reason: --reason TEXT"));
    // An empty FILE is a mistake, not a request for the window.
    const bool batch_given = batch_option->count() > 0;
    if (batch_given && batch_source.empty())
        return bad_arguments(
            i18n::tr("--batch was given an empty FILE name; give a file of JSON request lines, or - for standard input"));

    try {
        if (list->parsed()) return list_receipts(list_options, std::cout, std::cerr, std::cerr);
        if (void_command->parsed()) return void_receipt(*number, void_reason, std::cout, std::cerr);
        if (verify->parsed() && backup_options.archive) return run_verify_archive(*backup_options.archive, std::cout, std::cerr);
        if (backups.backup->parsed()) return run_backup(backup_options.destination, std::cout, std::cerr);
        if (backups.restore->parsed()) return run_restore(backup_options.restore_archive, std::cout, std::cerr);
        if (summary->parsed()) return run_summary(summary_options, std::cout, std::cerr);
        if (verify->parsed()) return verify_receipts(std::cout, std::cerr);
        if (print->parsed()) return run_print_command(*number, print_options, std::cout, std::cerr);
        // Receipts meant for paper are not made while there is no printer to take them.
        if (print_each) platform::find_printer(batch_printer);
        const platform::Plugin worker = load_module("主程式");
        if (!batch_given) return interactive(worker);
        return batch(worker, batch_source, print_each ? std::optional(batch_printer) : std::nullopt);
    } catch (const std::exception& error) {
        std::cerr << "tarnwickery-receipt: " << error.what() << '\n';
        return kFailed;
    }
}
