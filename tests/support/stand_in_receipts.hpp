#pragma once

#include <string>

// Receipts in a register without the worker: a few bytes standing in for each PDF.
namespace stand_in {

// Registers receipt `number` as issued in the register of the receipt folder `folder`
// (ending in "/"; both made when missing), beside a stand-in PDF
// "免用統一發票收據000123 - 測試.pdf" holding `content`. Returns the PDF's path.
std::string register_receipt(const std::string& folder, long long number, const std::string& content);

}  // namespace stand_in
