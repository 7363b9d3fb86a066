#include "tax_number_field.hpp"

#include <receipt_channels/request_rules.hpp>
#include <widget_kit/entry.hpp>

#include <QTextDocument>

#include <algorithm>

namespace receipt_window {

namespace {

constexpr qsizetype kDigits = 8;

bool is_digit(QChar character) {
    const char16_t code = character.unicode();
    return (code >= u'0' && code <= u'9') || (code >= u'０' && code <= u'９');
}

}  // namespace

QValidator::State Tax_Number_Validator::validate(QString& input, int&) const {
    if (input.size() > kDigits || !std::all_of(input.begin(), input.end(), is_digit)) return Invalid;
    return input.size() == kDigits || input.isEmpty() ? Acceptable : Intermediate;
}

Tax_Number_Check check_tax_number(const std::string& typed) {
    const auto printed = request_rules::printed_tax_number(typed);
    if (!printed) return {Widget_Kit::Mark::error, request_rules::tax_number_refusal(typed)};
    if (printed->empty() || request_rules::passes_check_digit(*printed)) return {};
    return {Widget_Kit::Mark::warning, request_rules::check_digit_warning(*printed)};
}

void make_tax_number_field(QLineEdit* field) {
    field->setValidator(new Tax_Number_Validator(field));
    QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
        const Tax_Number_Check check = check_tax_number(text.toStdString());
        Widget_Kit::mark_entry(field, check.mark);
        // A tip is read as markup whenever it looks like some, and the reason quotes the field.
        field->setToolTip(check.reason.empty() ? QString()
                                               : Qt::convertFromPlainText(QString::fromStdString(check.reason),
                                                                          Qt::WhiteSpaceNormal));
    });
}

}  // namespace receipt_window
