#include "receipt_docx.hpp"

#include "bench_support.hpp"
#include "receipt_job.hpp"

#include <platform/root_folder.hpp>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace bench {

namespace {

std::string quote(const fs::path& file) {
    std::string quoted = "'";
    for (char c : platform::from_path(file)) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

nlohmann::json receipt_request(const std::string& buyer, bool seals) {
    return {{"買受人", buyer}, {"買受人統一編號", "12345678"},
            {"品名", {"蘋果", "香蕉", "鳳梨酥", "烏龍茶", "米", "醬油", "雞蛋"}},
            {"數量", {3, 2, 10, 1, 5, 2, 30}}, {"單件價格", {50, 12, 25, 400, 60, 85, 8}},
            {"存檔路徑", ""}, {"顯示免用統一發票章", seals}, {"顯示負責人章", seals}, {"顯示日期", true},
            {"年", 2025}, {"月", 3}, {"日", 9}};
}

fs::path worker_docx(const std::string& program_folder, const nlohmann::json& request, const fs::path& keep_as) {
    std::ostringstream worker_lines;
    auto* console = std::cout.rdbuf(worker_lines.rdbuf());
    const fs::path stand_in = platform::to_path(platform::working_folder()) / "bench-stand-in";
    fs::create_directories(stand_in);
    // The office's command line ends in the .docx, with --outdir for the PDF.
    std::ofstream(stand_in / "soffice") << "#!/bin/sh\n"
                                           "for docx; do :; done\n"
                                           "while [ $# -gt 0 ]; do [ \"$1\" = --outdir ] && outdir=$2; shift; done\n"
                                           "cp \"$docx\" " << quote(keep_as) << "\n"
                                           "printf '%%PDF-1.7\\n%%%%EOF\\n' > \"$outdir/receipt.pdf\"\n";
    fs::permissions(stand_in / "soffice", fs::perms::owner_all);
    const char* soffice = std::getenv("TARNWICKERY_SOFFICE");
    const std::string soffice_before = soffice ? soffice : "";
    // Without a converter beside it, Pdf_Press runs the office's command line.
    set_environment("TARNWICKERY_PDF_PRESS_DIR", platform::from_path(stand_in));
    set_environment("TARNWICKERY_SOFFICE", platform::from_path(stand_in / "soffice"));
#ifndef _WIN32
    // Its note that the converter is missing is no news here.
    const int saved_errors = ::dup(2), nothing = ::open("/dev/null", O_WRONLY);
    ::dup2(nothing, 2);
#endif
    bool written = false;
    {
        receipt_worker::Receipt_Job job(program_folder + "/格式範本/");
        written = job.make(request).written;
    }
#ifndef _WIN32
    ::dup2(saved_errors, 2);
    ::close(saved_errors);
    ::close(nothing);
#endif
    set_environment("TARNWICKERY_PDF_PRESS_DIR", program_folder);
    set_environment("TARNWICKERY_SOFFICE", soffice_before);  // empty is as good as unset
    std::cout.rdbuf(console);
    if (!written || !fs::exists(keep_as)) throw std::runtime_error("the worker's .docx could not be kept: " + worker_lines.str());
    return keep_as;
}

}  // namespace bench
