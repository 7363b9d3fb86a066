#include "printers_command.hpp"

#include <i18n/tr.hpp>
#include <platform/printing.hpp>

CLI::App* add_printers_command(CLI::App& app) {
    return app.add_subcommand("printers", i18n::tr("list the printers and mark the default"));
}

int run_printers_command(std::ostream& out, std::ostream& errors) {
    std::vector<platform::Printer> printers;
    try {
        printers = platform::list_printers();
    } catch (const platform::PrintError& error) {
        errors << "tarnwickery-receipt: " << error.what() << '\n';
        return 1;
    }
    if (printers.empty()) errors << "tarnwickery-receipt: " << i18n::tr("no printer is installed") << '\n';
    for (const auto& printer : printers) {
        out << (printer.is_default ? "* " : "  ") << printer.name;
        if (!printer.description.empty() && printer.description != printer.name) out << "  " << printer.description;
        out << '\n';
    }
    return 0;
}
