#pragma once

#include <docx_loom/document.hpp>

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <vector>

namespace docx_loom::cli {

// A plan that is not an array of entries with known keys and values of the right kind.
class PlanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PlanItem {
    std::string old_text;
    std::string new_text;
    SetOptions options;
};

// Reads a JSON plan: an array of objects with "old_text", "new_text" (text or number)
// and any of the options of Document::set by name. Throws PlanError naming the entry
// and the key at fault.
std::vector<PlanItem> read_plan(const nlohmann::json& plan);

}  // namespace docx_loom::cli
