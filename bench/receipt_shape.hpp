#pragma once

#include <string>

// The body of a receipt-shaped template: title, buyer and date rows, a product table
// of seven rows, the total boxes and two seal boxes; 48 placeholders in about 60 cells.
std::string receipt_body();
