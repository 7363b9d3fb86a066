#pragma once

#include <CLI/CLI.hpp>

#include <ostream>

// `tarnwickery-receipt printers`: the printers this user can print to, one a line,
// the default marked.
CLI::App* add_printers_command(CLI::App& app);

// Writes the list on `out`: "* " before the default printer and two spaces before the
// others, then the name, then two spaces and the printer's description when it says
// more than the name. With no printer installed nothing is listed and `errors` says
// so. Returns the exit status: 0, or 1 when the print service cannot be asked.
int run_printers_command(std::ostream& out, std::ostream& errors);
