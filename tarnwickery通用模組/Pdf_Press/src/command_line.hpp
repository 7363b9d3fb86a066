#pragma once

#include "common.hpp"

#include <chrono>

namespace pdf_press::detail {

// One LibreOffice run (soffice --convert-to) that writes job.result, on a profile of
// its own for the run. Throws ConversionError when it fails or passes `time_limit`.
void convert_with_command_line(const Job& job, std::chrono::milliseconds time_limit);

}  // namespace pdf_press::detail
