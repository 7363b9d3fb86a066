#include "archive_manifest.hpp"

#include <receipt_register/backup.hpp>

#include <i18n/tr.hpp>

namespace receipt_register::archive_manifest {

namespace {

bool is_sha256(std::string_view text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

std::string text_of(const Entries& entries) {
    std::string text;
    for (const auto& [name, sha256] : entries) text += sha256 + "  " + name + "\n";
    return text;
}

Entries read(const std::string& text, const std::string& archive) {
    Entries entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + 1;
        if (line.size() < 67 || !is_sha256(line.substr(0, 64)) || line.substr(64, 2) != "  " ||
            !entries.emplace(std::string(line.substr(66)), std::string(line.substr(0, 64))).second)
            throw Backup_Error(i18n::tr("the archive {1} is damaged or no backup of this program: {2}",
                                        {archive, i18n::tr("its manifest has a line that is no file's SHA-256")}));
    }
    return entries;
}

}  // namespace receipt_register::archive_manifest
