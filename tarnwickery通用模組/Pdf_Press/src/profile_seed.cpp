#include "profile_seed.hpp"

#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>

namespace pdf_press::detail {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view items_end = "</oor:items>";
constexpr std::string_view version_name = "oor:name=\"ooSetupLastVersion\"";

// One item a line, as the office writes its own.
std::string version_item(std::string_view version) {
    return "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" "
           "oor:op=\"fuse\"><value>" +
           std::string(version) + "</value></prop></item>\n";
}

bool is_version(std::string_view text) {
    const std::size_t dot = text.find('.');
    auto digits = [](std::string_view part) {
        if (part.empty()) return false;
        for (char c : part)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        return true;
    };
    return dot != std::string_view::npos && digits(text.substr(0, dot)) && digits(text.substr(dot + 1));
}

std::optional<std::string> read_whole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::optional<std::string> office_version(const fs::path& office_folder) {
#ifdef _WIN32
    std::ifstream in(office_folder / "bootstrap.ini");
#else
    std::ifstream in(office_folder / "bootstraprc");
#endif
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.starts_with("ProductKey=")) continue;
        const std::string version = line.substr(line.rfind(' ') == std::string::npos ? 11 : line.rfind(' ') + 1);
        return is_version(version) ? std::optional(version) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> seeded_settings(std::string_view settings, std::string_view version) {
    if (settings.empty()) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
               "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n" +
               version_item(version) + std::string(items_end) + "\n";
    }
    const std::size_t end = settings.rfind(items_end);
    if (end == std::string_view::npos) {
        return std::nullopt;  // not the office's settings file, or cut short: the office copes, this code need not
    }
    std::string seeded(settings);
    if (const std::size_t name = seeded.find(version_name); name != std::string::npos) {
        const std::size_t item = seeded.rfind("<item", name);
        const std::size_t item_end = seeded.find("</item>", name);
        if (item == std::string::npos || item_end == std::string::npos) return std::nullopt;
        const std::size_t line_end = seeded.find_first_not_of("\r\n", item_end + 7);
        const std::string old_item = seeded.substr(item, item_end + 7 - item);
        if (old_item.find("<value>" + std::string(version) + "</value>") != std::string::npos) return std::nullopt;
        seeded.erase(item, (line_end == std::string::npos ? seeded.size() : line_end) - item);
    }
    seeded.insert(seeded.rfind(items_end), version_item(version));
    return seeded;
}

std::string seed_profile(const fs::path& profile_folder, const fs::path& office_folder) {
    const std::optional<std::string> version = office_version(office_folder);
    if (!version) return "";
    const fs::path user = profile_folder / "user";
    const fs::path settings_file = user / "registrymodifications.xcu";
    std::error_code ec;
    std::optional<std::string> settings = read_whole(settings_file);
    if (!settings && fs::exists(settings_file, ec)) return "cannot read " + settings_file.string();
    const std::optional<std::string> seeded = seeded_settings(settings.value_or(""), *version);
    if (!seeded) return "";

    fs::create_directories(user, ec);
    const fs::path part = user / "registrymodifications.xcu.part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << *seeded;
        if (!out.flush()) return "cannot write " + part.string();
    }
    fs::rename(part, settings_file, ec);
    if (ec) {
        fs::remove(part, ec);
        return "cannot replace " + settings_file.string();
    }
    return "";
}

}  // namespace pdf_press::detail
