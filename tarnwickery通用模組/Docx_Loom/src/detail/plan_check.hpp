#pragma once

#include <docx_loom/replacement_plan.hpp>

namespace docx_loom::detail {

// Refuses a plan holding a value the document cannot hold, before anything is
// applied: text or font names that XML cannot hold (a vertical tab in the text
// passes, as a line break), font sizes, indents, spacing or colours out of range,
// an alignment that is no w:jc value. Throws TemplateError naming the entry by its
// number and placeholder, and the option at fault.
void check_plan(const ReplacementPlan& plan);

}  // namespace docx_loom::detail
