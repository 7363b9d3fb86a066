#pragma once

// What printing does the same way on every system: the checks before a job is made
// and the sentences for the failures the user can act on.

#include "platform/printing.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::detail {

// The whole of the PDF file `pdf`. Throws PrintError starting with `failure` when it
// cannot be read; whether it is a PDF is for check_pdf, which every print makes.
std::string read_pdf(const std::string& pdf, const std::string& failure);

// What read_pdf reads at most: far beyond any receipt, and it is held in memory whole.
inline constexpr std::uint64_t kLargestPdf = 256u << 20;

// Throws PrintError starting with `failure` when `content` does not start like a PDF.
void check_pdf(const std::string& content, const std::string& failure);

// The printer a job goes to: the one named `requested`, or the default when it is
// empty. Throws PrintError starting with `failure` when none is installed, the name is
// unknown, or no default is set.
const Printer& choose_printer(const std::vector<Printer>& printers, const std::string& requested,
                              const std::string& failure);

// Throws PrintError starting with `failure` when `copies` is below 1.
void check_copies(int copies, const std::string& failure);

}  // namespace platform::detail
