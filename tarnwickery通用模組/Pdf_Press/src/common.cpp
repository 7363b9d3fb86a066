#include "common.hpp"

#include "file_url.hpp"

#include "platform/error.hpp"
#include "platform/file_lock.hpp"
#include "platform/module_folder.hpp"
#include "platform/root_folder.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <system_error>

namespace pdf_press {

namespace fs = std::filesystem;

std::string fontconfig_file() {
    std::error_code ec;
    fs::path file = platform::to_path(detail::companion_folder()) / "fonts" / "fonts.conf";
    return fs::is_regular_file(file, ec) ? platform::from_path(file) : std::string();
}

}  // namespace pdf_press

namespace pdf_press::detail {

namespace {

// Enough of LibreOffice's output to see what went wrong, without flooding a log.
constexpr std::size_t reported_output_limit = 4000;

}  // namespace

Job::Job(const fs::path& input, const fs::path& output_folder, std::string failure_text)
    : failure(std::move(failure_text)),
      scratch(output_folder, ".pdf_press-"),
      source(scratch.path() / "receipt.docx"),
      result(scratch.path() / "receipt.pdf") {
    fs::copy_file(input, source);
}

std::string companion_folder() {
    if (const char* configured = std::getenv("TARNWICKERY_PDF_PRESS_DIR");
        configured != nullptr && *configured != '\0') {
        std::string folder = configured;
        return folder.back() == '/' ? folder : folder + "/";
    }
    try {
        return platform::module_folder_of(reinterpret_cast<const void*>(&companion_folder));
    } catch (const platform::Error&) {
        return {};  // nothing shipped beside the program can be found; the callers say what is missing
    }
}

namespace {

// An office that was killed leaves its temporary files (lu*.tmp) in its profile; those of
// profiles no office holds now go. Only a profile with something to clear is locked, so
// that an office starting beside this one seldom finds a free profile busy.
void clear_left_temporary_files(const fs::path& base) {
    for (int slot = 0; slot < profile_slots; ++slot) {
        const std::string name = "profile-" + std::to_string(slot);
        std::error_code ec;
        if (!fs::exists(base / name / "tmp", ec)) {
            continue;
        }
        try {
            if (auto lock = platform::FileLock::try_acquire(base / (name + ".lock"))) {
                fs::remove_all(base / name / "tmp", ec);
            }
        } catch (const platform::Error&) {
            // A lock that cannot be taken leaves the files for another start.
        }
    }
}

}  // namespace

fs::path profiles_folder(const std::string& failure) {
    fs::path base = platform::to_path(platform::working_folder()) / "libreoffice";
    std::error_code ec;
    fs::create_directories(base, ec);
    if (ec) {
        throw ConversionError(failure + "cannot create " + platform::from_path(base) + ": " + ec.message());
    }
    clear_left_temporary_files(base);
    return base;
}

std::string file_url(const fs::path& file) { return file_url_of_absolute(platform::from_path(fs::absolute(file))); }

bool is_complete_pdf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[5];
    if (!in.read(head, sizeof head) || std::string_view(head, sizeof head) != "%PDF-") {
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    std::streamoff tail_size = std::min<std::streamoff>(size, 1024);
    in.seekg(size - tail_size);
    std::string tail(static_cast<std::size_t>(tail_size), '\0');
    in.read(tail.data(), tail_size);
    return in && tail.find("%%EOF") != std::string::npos;
}

std::string what_office_said(std::string text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "; LibreOffice printed nothing";
    }
    text.erase(0, first);
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    if (text.size() > reported_output_limit) {
        text = "..." + text.substr(text.size() - reported_output_limit);
    }
    return "; LibreOffice said:\n" + text;
}

std::string duration_text(std::chrono::milliseconds duration) {
    if (duration.count() % 1000 == 0) {
        return std::to_string(duration.count() / 1000) + " s";
    }
    return std::to_string(duration.count()) + " ms";
}

}  // namespace pdf_press::detail
