#pragma once

#include <ostream>
#include <string>
#include <vector>

// Comma-separated values as RFC 4180 writes them: CRLF line ends, and a field with a
// comma, quote or line break quoted, its quotes doubled. A field beginning with =, +, -,
// @, tab or carriage return gets a leading ' so that no spreadsheet runs it as a formula.
void write_csv_row(std::ostream& out, const std::vector<std::string>& fields);
