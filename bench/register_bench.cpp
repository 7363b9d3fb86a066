// What the receipt register adds to each receipt: the same receipts made with and
// without it, alternately, in one run. Filling and converting are left out (a fixed
// PDF of a real receipt's size stands in for them), so the difference is the register's
// own work: the folder lock, recovery, numbering, the scratch folder, the SHA-256, the
// pending and issued rows, and moving the PDF into place. Most of it is waiting for the
// disk: every step that must survive a power cut is flushed. Give a folder on another
// disk (or on tmpfs, where flushing costs nothing) to see how much.
#include "numbering.hpp"
#include "receipt_issuer.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kReceipts = 200;
constexpr std::size_t kPdfBytes = 87 * 1024;  // a receipt without seals

using Clock = std::chrono::steady_clock;

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(platform::to_path(path), std::ios::binary) << bytes;
}

std::string file_name(long long number) { return "免用統一發票收據" + receipt_register::number_text(number) + " - 測試.pdf"; }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: register_bench [FOLDER]\n");
        return 2;
    }
    const auto root = (argc == 2 ? platform::to_path(argv[1]) : std::filesystem::temp_directory_path()) / "register-bench";
    std::filesystem::remove_all(root);
    const std::string with_folder = platform::from_path(root / "with") + "/";
    const std::string without_folder = platform::from_path(root / "without") + "/";
    std::filesystem::create_directories(platform::to_path(with_folder));
    std::filesystem::create_directories(platform::to_path(without_folder));

    std::string pdf(kPdfBytes, '\0');
    std::mt19937 random(42);
    for (char& byte : pdf) byte = static_cast<char>(random());

    receipt_worker::Receipt_Issuer issuer(with_folder);
    // Where the time goes: each step's share, measured from the end of the step before.
    const char* const kSteps[] = {"lock, recovery, numbering, scratch folder", "saving the .docx", "writing the PDF",
                                  "SHA-256 and the pending row", "moving the PDF into place", "marking it issued"};
    std::vector<std::vector<double>> steps(std::size(kSteps));
    Clock::time_point step_start;
    issuer.after_step = [&](receipt_worker::Issue_Step step) {
        steps[static_cast<std::size_t>(step)].push_back(milliseconds_since(step_start));
        step_start = Clock::now();
    };
    std::vector<double> with, without;
    for (int i = 0; i < kReceipts; ++i) {
        // Before the register: number by the folder, write the PDF under its final name.
        auto start = Clock::now();
        const long long number = receipt_worker::data_name_number(std::string(receipt_register::kReceiptPrefix), without_folder);
        write(without_folder + file_name(number), pdf);
        without.push_back(milliseconds_since(start));

        start = step_start = Clock::now();
        issuer.issue([&](long long issued, const std::string& scratch) {
            receipt_worker::Prepared_Receipt prepared;
            prepared.record.record_date = "2025-03-09";
            prepared.record.rows = {{"蘋果", 3, 50, 150}, {"香蕉", 2, 12, 24}, {"鳳梨酥", 10, 25, 250}};
            prepared.record.file_name = file_name(issued);
            prepared.scratch_pdf = scratch + prepared.record.file_name;
            write(prepared.scratch_pdf, pdf);
            issuer.reached(receipt_worker::Issue_Step::converted);
            return prepared;
        });
        with.push_back(milliseconds_since(start));
    }
    std::filesystem::remove_all(root);

    const double with_median = median(with), without_median = median(without);
    std::printf("register benchmark: %d receipts of %zu KiB each way, alternately, in %s\n", kReceipts, kPdfBytes / 1024,
                platform::from_path(root.parent_path()).c_str());
    std::printf("without the register %.2f ms, with it %.2f ms per receipt (medians)\n", without_median, with_median);
    std::printf("the register adds %.2f ms per receipt\n", with_median - without_median);
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (!steps[i].empty()) std::printf("  %-45s %.2f ms\n", kSteps[i], median(steps[i]));
}
