#include "catalogue.hpp"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace i18n {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {
        if (bytes_.size() < 28) throw std::runtime_error("too short");
        const std::uint32_t magic = word_at(0);
        if (magic != kMagic && magic != kSwappedMagic) throw std::runtime_error("not a gettext catalogue");
        swapped_ = magic == kSwappedMagic;
    }

    std::uint32_t word(std::size_t offset) const {
        const std::uint32_t value = word_at(offset);
        return swapped_ ? __builtin_bswap32(value) : value;
    }

    // The string whose length and offset are stored at `entry`.
    std::string_view string(std::size_t entry) const {
        const std::size_t length = word(entry), offset = word(entry + 4);
        if (offset > bytes_.size() || length > bytes_.size() - offset) throw std::runtime_error("a string lies outside the file");
        return bytes_.substr(offset, length);
    }

private:
    std::uint32_t word_at(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) throw std::runtime_error("a table lies outside the file");
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes_[offset + i]);
        return value;
    }

    std::string_view bytes_;
    bool swapped_ = false;
};

}  // namespace

Catalogue Catalogue::parse(std::string_view bytes) {
    const Reader reader(bytes);
    const std::uint32_t count = reader.word(8), originals = reader.word(12), translations = reader.word(16);
    Catalogue catalogue;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string_view english = reader.string(originals + std::size_t{8} * i);
        const std::string_view translated = reader.string(translations + std::size_t{8} * i);
        // The header (empty msgid) and plural forms, which this program does not use.
        if (english.empty() || english.find('\0') != std::string_view::npos) continue;
        catalogue.translations_.emplace(english, translated);
    }
    return catalogue;
}

Catalogue Catalogue::read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    if (!in || !(bytes << in.rdbuf())) throw std::runtime_error("cannot read the text catalogue " + file);
    try {
        return parse(bytes.view());
    } catch (const std::runtime_error& error) {
        throw std::runtime_error("the text catalogue " + file + " is damaged: " + error.what());
    }
}

std::string_view Catalogue::find(std::string_view english) const {
    const auto found = translations_.find(std::string(english));
    return found == translations_.end() ? english : std::string_view(found->second);
}

}  // namespace i18n
