#pragma once

#include <docx_loom/document.hpp>

#include <string>

// The body of a receipt-shaped template: title, buyer and date rows, a product table
// of seven rows, the total boxes and two seal boxes; 48 placeholders in about 60 cells.
std::string receipt_body();

// Queues the 48 placeholders of that body, with the two seal pictures.
void queue_receipt_plan(docx_loom::Document& document, const std::string& seal, const std::string& owner);
