// Times one receipt-sized fill: open + 48 set + execute_set + save, and prints the
// median over many runs and the process's peak memory.
#include "docx_fixture.hpp"
#include "receipt_shape.hpp"

#include <docx_loom/document.hpp>
#include <platform/memory.hpp>
#include <platform/root_folder.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 300;

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / "docx-loom-fill-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    const auto template_path = folder / "receipt.docx";
    fixture::write_file(platform::from_path(template_path), fixture::docx_bytes(receipt_body()));
    const auto seal = folder / "seal.png", owner = folder / "owner.png";
    fixture::write_file(platform::from_path(seal), fixture::png_bytes(300, 270));
    fixture::write_file(platform::from_path(owner), fixture::png_bytes(120, 120));

    std::vector<double> milliseconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        docx_loom::Document document;
        document.set_word_version_path("receipt", platform::from_path(template_path));
        document.run_version("receipt", platform::from_path(folder) + "/");
        queue_receipt_plan(document, platform::from_path(seal), platform::from_path(owner));
        document.execute_set();
        document.doc->save(folder / "filled.docx");
        milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }

    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("fill benchmark: open + 48 set + execute_set + save, %d runs\n", kRuns);
    std::printf("median %.3f ms, fastest %.3f ms, slowest %.3f ms\n", milliseconds[milliseconds.size() / 2],
                milliseconds.front(), milliseconds.back());
    std::printf("peak resident memory %.1f MiB\n", platform::peak_resident_bytes() / (1024.0 * 1024.0));
    std::filesystem::remove_all(folder);
}
