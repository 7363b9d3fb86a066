#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The texts a person reads, in Traditional Chinese or English. Texts are written in the
// sources in English and looked up in the program's gettext catalogue; the texts the
// receipt itself fixes ("輸出單據", "金額輸入錯誤", the log lines) are not translated and
// never pass through here.
namespace i18n {

enum class Language { english, chinese };

// The language of one locale name as the environment gives it ("zh_TW.UTF-8",
// "zh_HK", "en_US", "C"): Chinese for Taiwan and Hong Kong, English for every other.
Language language_of(std::string_view locale_name);

// The language the environment asks for, as desktop programs read it: the first entry
// of LANGUAGE, else LC_ALL, else LC_MESSAGES, else LANG; English when none is set.
Language language_of_environment();

// The language texts are shown in: the environment's, until set_language says otherwise.
Language language();
// Shows texts in `language` from now on, on every thread. For tests and for a program
// that lets its user choose.
void set_language(Language language);

// `english` in the language in use: itself, or its translation from the catalogue (itself
// when the catalogue has none).
std::string tr(const char* english);
// The same with {1} … {9} replaced by `values`, in the translation's own order.
std::string tr(const char* english, std::initializer_list<std::string_view> values);

// Marks a text for the catalogue where it is defined, to be passed through tr where
// it is shown.
constexpr const char* msgid(const char* english) { return english; }

}  // namespace i18n
