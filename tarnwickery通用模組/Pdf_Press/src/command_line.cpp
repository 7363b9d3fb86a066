#include "command_line.hpp"

#include "export_options.hpp"
#include "profile_seed.hpp"

#include "platform/error.hpp"
#include "platform/file_lock.hpp"
#include "platform/process.hpp"
#include "platform/root_folder.hpp"

#include <cstdlib>
#include <optional>
#include <system_error>

namespace pdf_press::detail {

namespace {

std::string soffice_program() {
    if (const char* configured = std::getenv("TARNWICKERY_SOFFICE");
        configured != nullptr && *configured != '\0') {
        if (!platform::find_program(configured)) {
            throw OfficeMissing(std::string("there is no office to make PDFs with: TARNWICKERY_SOFFICE names ") +
                                configured + ", which is not an executable program; point it at LibreOffice's "
                                "soffice or unset it");
        }
        return configured;
    }
    if (!platform::find_program("soffice")) {
        throw OfficeMissing("there is no office to make PDFs with: LibreOffice (soffice) is not on PATH; install the "
                            "Debian package libreoffice-writer-nogui");
    }
    return "soffice";
}

struct Profile {
    platform::FileLock lock;
    fs::path folder;
};

// Two LibreOffice instances on one profile hand their work to each other and one of
// them silently converts nothing, so each profile is used by one office at a time.
// Profiles are kept between runs: creating one costs seconds.
Profile take_profile(const std::string& failure) {
    fs::path base = profiles_folder(failure);
    for (int slot = 0; slot < profile_slots; ++slot) {
        std::string name = "profile-" + std::to_string(slot);
        if (auto lock = platform::FileLock::try_acquire(base / (name + ".lock"))) {
            return Profile{std::move(*lock), base / name};
        }
    }
    throw ConversionError(failure + "all " + std::to_string(profile_slots) +
                          " LibreOffice profiles in " + platform::from_path(base) + " are in use");
}

}  // namespace

void convert_with_command_line(const Job& job, std::chrono::milliseconds time_limit) {
    const std::string& failure = job.failure;
    std::string soffice = soffice_program();
    Profile profile = take_profile(failure);
    // soffice is a link into the office's program folder on most systems. A profile
    // that cannot be seeded only makes the run slower.
    std::error_code ec;
    if (fs::path office = fs::canonical(*platform::find_program(soffice), ec); !ec) {
        seed_profile(profile.folder, office.parent_path());
    }

    platform::ProcessOptions options;
    options.die_with_parent = true;
    // The office leaves its temporary folder behind when it is killed; kept inside the
    // profile, it goes when the office has ended, and the next run there clears it if
    // this process did not live to.
    const fs::path temporary = profile.folder / "tmp";
    fs::remove_all(temporary, ec);
    fs::create_directories(temporary, ec);
    options.environment.emplace_back("TMPDIR", platform::from_path(temporary));
    if (std::string fonts = fontconfig_file(); !fonts.empty()) {
        options.environment.emplace_back("FONTCONFIG_FILE", fonts);
    }
    platform::Process office(
        {soffice, "--headless", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
         "-env:UserInstallation=" + file_url(profile.folder),
         // Without a fixed import filter an unreadable .docx is imported as plain text
         // and comes out as a PDF full of zip bytes.
         "--infilter=MS Word 2007 XML",
         "--convert-to", std::string("pdf:writer_pdf_Export:") + pdf_export_options,
         "--outdir", platform::from_path(job.scratch.path()), platform::from_path(job.source)},
        options);
    std::optional<platform::ExitStatus> status = office.wait_for(time_limit);
    // Also ends whatever LibreOffice left running, which would keep the profile busy.
    office.kill_tree();
    fs::remove_all(temporary, ec);
    if (!status) {
        throw ConversionError(failure + "LibreOffice took longer than " + duration_text(time_limit) +
                              " and was stopped" + what_office_said(office.output()));
    }
    // LibreOffice exits with 0 even when it converted nothing, so only the file counts.
    if (!is_complete_pdf(job.result)) {
        throw ConversionError(failure + "LibreOffice ended (" + platform::describe(*status) +
                              ") without writing a complete PDF; the file may not be a valid .docx" +
                              what_office_said(office.output()));
    }
}

}  // namespace pdf_press::detail
