#include <i18n/tr.hpp>

#include "catalogue.hpp"

#include <platform/module_folder.hpp>

#include <atomic>
#include <cstdlib>
#include <iostream>

namespace i18n {

namespace {

std::atomic<Language>& chosen() {
    static std::atomic<Language> language{language_of_environment()};
    return language;
}

// Read once, on first use: shipped in the program folder beside this library.
const Catalogue& chinese_catalogue() {
    static const Catalogue catalogue = [] {
        const std::string file =
            platform::module_folder_of(reinterpret_cast<const void*>(&chinese_catalogue)) +
            "locale/zh_TW/LC_MESSAGES/tarnwickery.mo";
        try {
            return Catalogue::read(file);
        } catch (const std::exception& error) {
            // Without its catalogue the program still works, in English.
            std::cerr << error.what() << std::endl;
            return Catalogue();
        }
    }();
    return catalogue;
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool placeholder = pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' &&
                                 pattern[i + 1] <= '9' && pattern[i + 2] == '}';
        const std::size_t index = placeholder ? static_cast<std::size_t>(pattern[i + 1] - '1') : 0;
        if (placeholder && index < values.size()) {
            text += values.begin()[index];
            i += 2;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace

Language language_of(std::string_view locale_name) {
    for (std::string_view chinese : {"zh_TW", "zh_HK", "zh-TW", "zh-HK", "zh_Hant", "zh-Hant"})
        if (locale_name.starts_with(chinese)) return Language::chinese;
    return Language::english;
}

Language language_of_environment() {
    if (const char* list = std::getenv("LANGUAGE"); list != nullptr && *list != '\0') {
        const std::string_view entries(list);
        return language_of(entries.substr(0, entries.find(':')));
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return language_of(value);
    return Language::english;
}

Language language() { return chosen().load(); }

void set_language(Language language) { chosen().store(language); }

std::string tr(const char* english) {
    if (language() == Language::english) return english;
    return std::string(chinese_catalogue().find(english));
}

std::string tr(const char* english, std::initializer_list<std::string_view> values) {
    if (language() == Language::english) return fill(english, values);
    return fill(chinese_catalogue().find(english), values);
}

}  // namespace i18n
