// Times the PDF conversion of one filled receipt-sized template: 30 conversions through
// the warm converter and 30 through one LibreOffice run per call, in one run, and
// prints median and worst of each, their ratio and the converter's resident memory.
#include "docx_fixture.hpp"
#include "receipt_shape.hpp"

#include <docx_loom/document.hpp>
#include <pdf_press/pdf_press.hpp>
#include <platform/process_memory.hpp>
#include <platform/root_folder.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 30;
// The warm converter should take at most this share of a per-call conversion.
constexpr double kTargetRatio = 8.0;


// The filled receipt, written once; only its conversion is timed.
std::filesystem::path filled_receipt(const std::filesystem::path& folder) {
    const auto template_path = folder / "receipt.docx";
    fixture::write_file(platform::from_path(template_path), fixture::docx_bytes(receipt_body()));
    const auto seal = folder / "seal.png", owner = folder / "owner.png";
    fixture::write_file(platform::from_path(seal), fixture::png_bytes(300, 270));
    fixture::write_file(platform::from_path(owner), fixture::png_bytes(120, 120));

    docx_loom::Document document;
    document.set_word_version_path("receipt", platform::from_path(template_path));
    document.run_version("receipt", platform::from_path(folder) + "/");
    queue_receipt_plan(document, platform::from_path(seal), platform::from_path(owner));
    document.execute_set();
    document.doc->save(folder / "filled.docx");
    return folder / "filled.docx";
}

double milliseconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Figures {
    double median = 0;
    double worst = 0;
};

Figures time_conversions(Pdf_Press& press, const std::filesystem::path& input, const std::filesystem::path& output) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        press.convert(platform::from_path(input), platform::from_path(output), true);
        times.push_back(milliseconds_since(start));
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

}  // namespace

int main() {
    // The benchmark runs from its own folder; the converter and the font mapping sit in
    // the build's program folder.
#ifdef _WIN32
    if (!std::getenv("TARNWICKERY_PDF_PRESS_DIR")) _putenv_s("TARNWICKERY_PDF_PRESS_DIR", TARNWICKERY_PROGRAM_DIR);
#else
    setenv("TARNWICKERY_PDF_PRESS_DIR", TARNWICKERY_PROGRAM_DIR, 0);
#endif
    const auto folder = std::filesystem::temp_directory_path() / "pdf-press-convert-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto input = filled_receipt(folder);
    const auto output = folder / "filled.pdf";

    try {
        Pdf_Press warm;
        auto start = std::chrono::steady_clock::now();
        warm.convert(platform::from_path(input), platform::from_path(output), true);
        const double first = milliseconds_since(start);
        if (!warm.converter_id()) {
            std::fprintf(stderr, "the warm converter did not start; see the note above\n");
            return 1;
        }
        const Figures warm_figures = time_conversions(warm, input, output);
        const double resident_mib = platform::resident_bytes(*warm.converter_id()) / (1024.0 * 1024.0);

        Pdf_Press per_call;
        per_call.command_line_only = true;
        const Figures per_call_figures = time_conversions(per_call, input, output);

        const double ratio = per_call_figures.median / warm_figures.median;
        std::printf("conversion benchmark: receipt-sized template (48 placeholders filled, two seals), %d PDFs each\n",
                    kRuns);
        std::printf("warm converter:    median %8.1f ms, worst %8.1f ms (its start-up and first PDF: %.0f ms)\n",
                    warm_figures.median, warm_figures.worst, first);
        std::printf("per-call command:  median %8.1f ms, worst %8.1f ms\n", per_call_figures.median,
                    per_call_figures.worst);
        std::printf("ratio of medians:  %.1f (target at least %.0f): %s\n", ratio, kTargetRatio,
                    ratio >= kTargetRatio ? "met" : "NOT MET");
        std::printf("converter resident memory after %d PDFs: %.1f MiB\n", kRuns + 1, resident_mib);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::filesystem::remove_all(folder);
}
