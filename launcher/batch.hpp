#pragma once

#include <receipt_channels/worker_entry.hpp>

#include <istream>
#include <ostream>

// Makes one receipt per line of `requests` (one JSON object a line, blank lines
// skipped), in order. Each line that fails prints "line N: <reason>" on `errors`, and
// each warning about a receipt written "line N: warning: <warning>"; a line with a
// NUL byte or bytes that are not UTF-8, or longer than 1 MiB, fails without being
// read. Ends with the summary "N written, M failed, K with warnings" on `out`.
// Returns true when every request became a receipt.
bool run_batch(Receipt_Maker& maker, std::istream& requests, std::ostream& out, std::ostream& errors);
