#include "receipt_docx.hpp"

#include "bench_support.hpp"
#include "receipt_job.hpp"

#include <platform/root_folder.hpp>

#include <cstdlib>
#include <iostream>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace bench {

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
    const fs::path no_converter = platform::to_path(platform::working_folder()) / "bench-no-converter";
    fs::create_directories(no_converter);
    set_environment("TARNWICKERY_PDF_PRESS_DIR", platform::from_path(no_converter));
    const char* soffice = std::getenv("TARNWICKERY_SOFFICE");
    const std::string soffice_before = soffice ? soffice : "";
    set_environment("TARNWICKERY_SOFFICE", "/bin/false");
#ifndef _WIN32
    // Its note that the converter is missing is no news here.
    const int saved_errors = ::dup(2), nothing = ::open("/dev/null", O_WRONLY);
    ::dup2(nothing, 2);
#endif
    {
        receipt_worker::Receipt_Job job(program_folder + "/格式範本/");
        job.make(request);
        for (const auto& entry : fs::directory_iterator(platform::to_path(job.folders().output)))
            if (entry.path().extension() == ".docx") fs::rename(entry.path(), keep_as);
    }
#ifndef _WIN32
    ::dup2(saved_errors, 2);
    ::close(saved_errors);
    ::close(nothing);
#endif
    set_environment("TARNWICKERY_PDF_PRESS_DIR", program_folder);
    set_environment("TARNWICKERY_SOFFICE", soffice_before);  // empty is as good as unset
    std::cout.rdbuf(console);
    return keep_as;
}

}  // namespace bench
