#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace i18n {

// The translations of one compiled gettext catalogue (.mo), read whole into memory.
class Catalogue {
public:
    Catalogue() = default;
    // Throws std::runtime_error, naming the file, when it cannot be read or is no catalogue.
    static Catalogue read(const std::string& file);
    // Parses a catalogue's bytes; throws std::runtime_error when they are none.
    static Catalogue parse(std::string_view bytes);

    // The translation of `english`, or `english` itself when there is none.
    std::string_view find(std::string_view english) const;

private:
    std::unordered_map<std::string, std::string> translations_;
};

}  // namespace i18n
