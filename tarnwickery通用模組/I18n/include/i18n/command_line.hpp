#pragma once

#include <CLI/CLI.hpp>

#include <string>

// The command lines in the language of the texts: CLI11's own words in --help and in its
// refusals, which the program's descriptions (passed through tr) sit among.
namespace i18n {

// Call on a CLI::App once it has all its options and subcommands, before it parses.
void speak_the_users_language(CLI::App& app);

// What CLI11 refused, in the language in use; in English CLI11's own words.
std::string refusal_text(const CLI::ParseError& error);

}  // namespace i18n
