#include <i18n/command_line.hpp>
#include <i18n/tr.hpp>

#include <regex>

namespace i18n {

namespace {

std::shared_ptr<CLI::Formatter> translated_formatter() {
    auto formatter = std::make_shared<CLI::Formatter>();
    // The labels CLI11 prints, and the value names our options give.
    for (const char* label : {msgid("Usage"), msgid("OPTIONS"), msgid("SUBCOMMAND"), msgid("SUBCOMMANDS"),
                              msgid("Positionals"), msgid("REQUIRED"), msgid("Needs"), msgid("Excludes"), msgid("TEXT"),
                              msgid("FILE"), msgid("FILE|-"), msgid("NAME"), msgid("INT"), msgid("YYYY-MM-DD")})
        formatter->label(label, tr(label));
    return formatter;
}

// Headings of groups are the options' and subcommands' own texts, not labels.
void translate(CLI::App& app, const std::shared_ptr<CLI::Formatter>& formatter) {
    app.formatter(formatter);
    if (CLI::Option* help = app.get_help_ptr()) help->description(tr("print this help and exit"));
    for (CLI::Option* option : app.get_options())
        if (option->get_group() == "Options") option->group(tr("Options"));
    for (CLI::App* subcommand : app.get_subcommands([](CLI::App*) { return true; })) {
        if (subcommand->get_group() == "Subcommands") subcommand->group(tr("Subcommands"));
        translate(*subcommand, formatter);
    }
}

}  // namespace

void speak_the_users_language(CLI::App& app) { translate(app, translated_formatter()); }

namespace {

struct Known_Refusal {
    std::regex english;
    const char* text;  // the same sentence with {1}, {2}… for the pattern's groups
};

}  // namespace

std::string refusal_text(const CLI::ParseError& error) {
    const std::string said = error.what();
    if (language() == Language::english) return said;
    // CLI11's sentences, as its Error.hpp and Validators.hpp write them.
    static const Known_Refusal known[] = {
        {std::regex("A subcommand is required"), msgid("A subcommand is required")},
        {std::regex("(.+) is required"), msgid("{1} is required")},
        {std::regex("The following arguments? (?:was|were) not expected: (.+)"),
         msgid("The following argument was not expected: {1}")},
        {std::regex("(\\S+) requires (.+)"), msgid("{1} requires {2}")},
        {std::regex("(\\S+) excludes (.+)"), msgid("{1} excludes {2}")},
        {std::regex("(.+): File does not exist: (.+)"), msgid("{1}: File does not exist: {2}")},
        {std::regex("(.+): File is actually a directory: (.+)"), msgid("{1}: File is actually a directory: {2}")},
        {std::regex("(.+): Value (.+) not in range (.+) to (.+)"), msgid("{1}: Value {2} not in range {3} to {4}")},
    };
    std::smatch found;
    for (const auto& refusal : known) {
        if (!std::regex_match(said, found, refusal.english)) continue;
        const auto group = [&](std::size_t i) { return i < found.size() ? found[i].str() : std::string(); };
        return tr(refusal.text, {group(1), group(2), group(3), group(4)});
    }
    return tr("the command line is not understood: {1}", {said});
}

}  // namespace i18n
