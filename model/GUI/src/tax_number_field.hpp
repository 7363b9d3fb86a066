#pragma once

#include <widget_kit/mark.hpp>

#include <QLineEdit>
#include <QValidator>

#include <string>

namespace receipt_window {

// Lets a 統一編號 field take digits only, eight at most; full-width digits count as
// digits, as the receipt reads them.
class Tax_Number_Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

// What the 統一編號 field shows about what it holds.
struct Tax_Number_Check {
    Widget_Kit::Mark mark = Widget_Kit::Mark::none;
    // Why it is marked; empty when it is not.
    std::string reason;
};

// Empty and a number that passes: unmarked. Eight digits failing the check-digit rule:
// a warning, since some registered numbers fail it. Anything else: an error.
Tax_Number_Check check_tax_number(const std::string& typed);

// Gives `field` the validator and marks it, with the reason as its tip, as it changes.
void make_tax_number_field(QLineEdit* field);

}  // namespace receipt_window
