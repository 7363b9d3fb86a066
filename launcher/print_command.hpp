#pragma once

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

// `tarnwickery-receipt print NUMBER`: prints a registered receipt again, exactly as it
// was issued.
struct Print_Options {
    std::string number;   // as given; main reads it as a receipt number
    std::string printer;  // empty: the default printer
    int copies = 1;
    bool void_ok = false;  // a void receipt may be printed too
};

CLI::App* add_print_command(CLI::App& app, Print_Options& options);

// Prints receipt `number` of the register in the receipt folder, after checking its PDF
// against the SHA-256 recorded for it. Refuses, with one line on `errors`, an unknown
// number, a void receipt unless options.void_ok, and a PDF that is missing or changed.
// Returns the exit status: 0 when the print service took the job, 1 when refused.
// Throws receipt_register::Register_Error when the register cannot be read, and
// platform::PrintError when the job cannot be handed over.
int run_print_command(long long number, const Print_Options& options, std::ostream& out, std::ostream& errors);
