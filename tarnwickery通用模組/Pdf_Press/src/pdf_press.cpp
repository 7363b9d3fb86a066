#include "pdf_press/pdf_press.hpp"

#include "platform/error.hpp"
#include "platform/file_lock.hpp"
#include "platform/process.hpp"
#include "platform/root_folder.hpp"
#include "platform/temp_folder.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// More simultaneous conversions than this on one machine means something is stuck.
constexpr int profile_slots = 32;
// Enough of LibreOffice's output to see what went wrong, without flooding a log.
constexpr std::size_t reported_output_limit = 4000;

std::string soffice_program(const std::string& failure) {
    if (const char* configured = std::getenv("TARNWICKERY_SOFFICE");
        configured != nullptr && *configured != '\0') {
        if (!platform::find_program(configured)) {
            throw ConversionError(failure + "TARNWICKERY_SOFFICE names " + configured +
                                  ", which is not an executable program");
        }
        return configured;
    }
    if (!platform::find_program("soffice")) {
        throw ConversionError(failure +
                              "LibreOffice (soffice) is not on PATH; install the Debian package "
                              "libreoffice-writer-nogui");
    }
    return "soffice";
}

struct Profile {
    platform::FileLock lock;
    fs::path folder;
};

// Two LibreOffice instances on one profile hand their work to each other and one of
// them silently converts nothing, so each profile is used by one conversion at a
// time. Profiles are kept between runs: creating one costs about half a second.
Profile take_profile(const std::string& failure) {
    fs::path base = platform::to_path(platform::working_folder()) / "libreoffice";
    std::error_code ec;
    fs::create_directories(base, ec);
    if (ec) {
        throw ConversionError(failure + "cannot create " + platform::from_path(base) + ": " +
                              ec.message());
    }
    for (int slot = 0; slot < profile_slots; ++slot) {
        std::string name = "profile-" + std::to_string(slot);
        if (auto lock = platform::FileLock::try_acquire(base / (name + ".lock"))) {
            return Profile{std::move(*lock), base / name};
        }
    }
    throw ConversionError(failure + "all " + std::to_string(profile_slots) +
                          " LibreOffice profiles in " + platform::from_path(base) + " are in use");
}

// LibreOffice takes its profile as a URL; non-ASCII folder names (a user's home
// folder may have one) and spaces must be percent-encoded.
std::string file_url(const fs::path& folder) {
    std::string text = platform::from_path(fs::absolute(folder));
    std::string url = "file://";
    if (!text.empty() && text.front() != '/') {
        url += '/';  // a drive letter: file:///C:/...
    }
    constexpr char hex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     std::string_view("-._~/:").find(static_cast<char>(c)) != std::string_view::npos;
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

// A crash in the middle of writing leaves a file that starts right but has no end.
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

void run_conversion(const fs::path& input, const fs::path& output, const std::string& failure,
                    std::chrono::milliseconds time_limit) {
    std::error_code ec;
    if (!fs::is_regular_file(input, ec)) {
        throw ConversionError(failure + "the file does not exist");
    }
    fs::path output_folder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
    if (!fs::is_directory(output_folder, ec)) {
        throw ConversionError(failure + "the output folder " + platform::from_path(output_folder) +
                              " does not exist");
    }
    std::string soffice = soffice_program(failure);
    Profile profile = take_profile(failure);

    // LibreOffice names its result after its input, so a private copy with a fixed,
    // plain name sidesteps odd file names and gives a result name known in advance.
    platform::TempFolder scratch(output_folder, ".pdf_press-");
    fs::path source = scratch.path() / "receipt.docx";
    fs::path result = scratch.path() / "receipt.pdf";
    fs::copy_file(input, source);

    platform::ProcessOptions options;
    options.die_with_parent = true;
    platform::Process office(
        {soffice, "--headless", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
         "-env:UserInstallation=" + file_url(profile.folder),
         // Without a fixed import filter an unreadable .docx is imported as plain text
         // and comes out as a PDF full of zip bytes.
         "--infilter=MS Word 2007 XML", "--convert-to", "pdf", "--outdir",
         platform::from_path(scratch.path()), platform::from_path(source)},
        options);
    std::optional<platform::ExitStatus> status = office.wait_for(time_limit);
    // Also ends whatever LibreOffice left running, which would keep the profile busy.
    office.kill_tree();
    if (!status) {
        throw ConversionError(failure + "LibreOffice took longer than " + duration_text(time_limit) +
                              " and was stopped" + what_office_said(office.output()));
    }
    // LibreOffice exits with 0 even when it converted nothing, so only the file counts.
    if (!is_complete_pdf(result)) {
        throw ConversionError(failure + "LibreOffice ended (" + platform::describe(*status) +
                              ") without writing a complete PDF; the file may not be a valid .docx" +
                              what_office_said(office.output()));
    }
    fs::rename(result, output);
}

}  // namespace

void Pdf_Press::convert(const std::string& input_docx, const std::string& output_pdf,
                        [[maybe_unused]] bool keep_active) {
    const std::string failure = "cannot convert " + input_docx + " to PDF: ";
    fs::path input = platform::to_path(input_docx);
    fs::path output = platform::to_path(output_pdf);
    std::error_code ec;
    if (fs::equivalent(input, output, ec)) {
        throw ConversionError(failure + "the output would overwrite the input");
    }
    // A stale PDF left at the output after a failure could be taken for the new one.
    auto discard_output = [&] { fs::remove(output, ec); };
    try {
        run_conversion(input, output, failure, time_limit);
    } catch (const ConversionError&) {
        discard_output();
        throw;
    } catch (const platform::Error& e) {
        discard_output();
        throw ConversionError(failure + e.what());
    } catch (const fs::filesystem_error& e) {
        discard_output();
        throw ConversionError(failure + e.what());
    }
}
