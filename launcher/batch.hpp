#pragma once

#include <receipt_channels/worker_entry.hpp>

#include <istream>
#include <ostream>

// Makes one receipt per line of `requests` (one JSON object a line, blank lines
// skipped), in order, and ends with a summary line on `out`. A line that is not a
// JSON object is reported with its number on `errors` and counts as failed.
// Returns true when every request became a receipt.
bool run_batch(Receipt_Maker& maker, std::istream& requests, std::ostream& out, std::ostream& errors);
