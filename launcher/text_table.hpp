#pragma once

#include <ostream>
#include <string>
#include <vector>

// Rows of text in columns, each as wide as its widest cell on a terminal, where a
// Chinese character takes two places. Cells are shown through visible_text.
void write_text_table(std::ostream& out, std::vector<std::vector<std::string>> rows);

// `text` with control and direction-changing characters written as escapes (\n, \v,
// \u202E) and bytes that are not UTF-8 as \xFF, so that a cell keeps to its place.
std::string visible_text(const std::string& text);

// Places `text` takes on a terminal.
std::size_t display_width(const std::string& text);
