#include "batch.hpp"
#include "printers_command.hpp"

#include <platform/module_folder.hpp>
#include <platform/plugin.hpp>
#include <platform/root_folder.hpp>
#include <receipt_channels/channels.hpp>
#include <receipt_channels/worker_entry.hpp>

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <memory>
#include <thread>

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

// Modules sit beside the executable, wherever the program folder was copied to.
std::string program_folder() {
    return platform::module_folder_of(reinterpret_cast<const void*>(&program_folder));
}

platform::Plugin load_module(const std::string& name) { return platform::Plugin(program_folder() + name + platform::plugin_suffix()); }

int batch(const platform::Plugin& worker, const std::string& source) {
    std::ifstream file;
    if (source != "-") {
        file.open(platform::to_path(source), std::ios::binary);
        if (!file) {
            std::cerr << "tarnwickery-receipt: cannot read " << source << '\n';
            return kBadArguments;
        }
    }
    std::unique_ptr<Receipt_Maker> maker(worker.function<NewReceiptMakerFunction>(kNewReceiptMakerEntry)());
    const bool all_written = run_batch(*maker, source == "-" ? std::cin : file, std::cout, std::cerr);
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
    std::thread worker_thread([&] {
        try {
            receipt(queues, events);
        } catch (const std::exception& error) {
            std::cerr << "tarnwickery-receipt: the receipt worker stopped: " << error.what() << '\n';
        }
    });
    gui(queues, events);
    queues.at("end").get();
    worker_thread.join();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes receipts for businesses exempt from uniform invoices.", "tarnwickery-receipt"};
    app.set_version_flag("--version", "tarnwickery-receipt " TARNWICKERY_VERSION, "print the program's version and exit");
    std::string batch_source;
    CLI::Option* batch_option =
        app.add_option("--batch", batch_source, "make a receipt from each JSON request line of FILE (- for standard input)")
            ->type_name("FILE");
    CLI::App* printers = add_printers_command(app)->excludes(batch_option);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help, --version
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        std::cerr << "tarnwickery-receipt: " << error.what() << '\n';
        return kBadArguments;
    }
    if (printers->parsed()) return run_printers_command(std::cout, std::cerr);

    try {
        const platform::Plugin worker = load_module("主程式");
        return batch_source.empty() ? interactive(worker) : batch(worker, batch_source);
    } catch (const std::exception& error) {
        std::cerr << "tarnwickery-receipt: " << error.what() << '\n';
        return kFailed;
    }
}
