// What a backup of a year's receipts costs: a receipt folder of stand-in PDFs of a real
// receipt's size, each registered as issued, backed up into one archive, which the
// backup reads back and checks before it is done; then the archive checked alone, as
// verify --archive does. Prints the time and the peak resident memory of each. Give a
// folder on the disk to measure (a USB stick, say) and a count.
#include <platform/root_folder.hpp>
#include <receipt_register/backup.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/sha256.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

constexpr int kReceipts = 10'000;
constexpr std::size_t kPdfBytes = 87 * 1024;  // a receipt without seals

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The process's peak resident memory since the last reset_peak, in MiB (Linux); -1
// where it cannot be read.
double peak_mib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmHWM:")) return std::strtod(line.c_str() + 6, nullptr) / 1024;
    return -1;
}

// Starts the peak over from the memory in use now, so that each phase is measured alone.
void reset_peak() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3) {
        std::fprintf(stderr, "usage: backup_bench [FOLDER [COUNT]]\n");
        return 2;
    }
    const auto root = (argc >= 2 ? platform::to_path(argv[1]) : std::filesystem::temp_directory_path()) / "backup-bench";
    const int count = argc == 3 ? std::atoi(argv[2]) : kReceipts;
    std::filesystem::remove_all(root);
    const std::string folder = platform::from_path(root / "收據") + "/";
    const std::string archives = platform::from_path(root / "備份") + "/";
    std::filesystem::create_directories(platform::to_path(folder));
    std::filesystem::create_directories(platform::to_path(archives));

    std::printf("backup benchmark: %d receipts of %zu KiB in %s (setting them up is not measured)\n", count, kPdfBytes / 1024,
                platform::from_path(root).c_str());
    std::fflush(stdout);
    std::string pdf(kPdfBytes, '\0');
    std::mt19937 random(42);
    for (char& byte : pdf) byte = static_cast<char>(random());
    {
        auto book = receipt_register::Receipt_Register::open(folder);
        for (long long number = 1; number <= count; ++number) {
            // Each PDF differs, as receipts do, so that none compresses or repeats.
            const std::string number_text = receipt_register::number_text(number);
            pdf.replace(64, number_text.size(), number_text);
            receipt_register::Receipt_Record record;
            record.number = number;
            record.record_date = record.receipt_date = "2025-03-09";
            record.buyer = "買受人" + number_text;
            record.rows = {{"蘋果", 3, 50, 150}, {"香蕉", 2, 12, 24}};
            record.total = 174;
            record.file_name = std::string(receipt_register::kReceiptPrefix) + number_text + " - 測試.pdf";
            std::ofstream(platform::to_path(folder + record.file_name), std::ios::binary) << pdf;
            record.sha256 = receipt_register::sha256_of(pdf);
            book.add_pending(record);
            book.mark_issued(number);
        }
    }

    reset_peak();
    auto start = Clock::now();
    const auto written = receipt_register::write_backup(folder, archives);
    const double backup_seconds = seconds_since(start);
    const double backup_peak = peak_mib();

    reset_peak();
    start = Clock::now();
    const auto checked = receipt_register::check_archive(written.archive);
    const double check_seconds = seconds_since(start);
    const double check_peak = peak_mib();

    const auto archive_mib = static_cast<double>(std::filesystem::file_size(platform::to_path(written.archive))) / (1 << 20);
    std::printf("backup, read back and checked: %.1f s, peak resident memory %.1f MiB; archive %.0f MiB, %zu PDFs, %zu issued\n",
                backup_seconds, backup_peak, archive_mib, written.contents.pdfs, written.contents.issued);
    std::printf("verify --archive alone: %.1f s, peak resident memory %.1f MiB (%zu issued receipts agree)\n", check_seconds,
                check_peak, checked.issued);
    std::filesystem::remove_all(root);
}
