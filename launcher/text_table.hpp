#pragma once

#include <ostream>
#include <string>
#include <vector>

// Rows of text in columns, each as wide as its widest cell on a terminal, where a
// Chinese character takes two places.
void write_text_table(std::ostream& out, const std::vector<std::vector<std::string>>& rows);

// Places `text` takes on a terminal.
std::size_t display_width(const std::string& text);
