// The first receipt: a batch of one request on a fresh root folder, the whole program
// from its start to its end, beside a cold LibreOffice run converting the very .docx
// that receipt is made of, taken turn about in the same run.
//
// Usage: first_receipt_bench PROGRAM_FOLDER [ROUNDS]   (5 unless given)
#include "bench_support.hpp"
#include "export_options.hpp"
#include "file_url.hpp"
#include "receipt_docx.hpp"

#include <platform/process.hpp>
#include <platform/root_folder.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Runs a program to its end, as a user starting it would; the time it took.
double run(const std::vector<std::string>& command, const platform::ProcessOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    platform::Process process(command, options);
    const std::optional<platform::ExitStatus> status = process.wait_for(std::chrono::seconds(120));
    const double took = bench::milliseconds_since(start);
    if (!status || !status->success())
        throw std::runtime_error(command.front() + " failed (" + (status ? platform::describe(*status) : "timed out") +
                                 "): " + process.output());
    return took;
}

}  // namespace

int main(int argc, char** argv) {
    const auto given = bench::arguments(argc, argv, "first_receipt_bench PROGRAM_FOLDER [ROUNDS]", 5);
    if (!given) return 2;
    const std::string program_folder = given->program_folder;
    const int rounds = given->count;
    const fs::path bench_folder = fs::temp_directory_path() / "first-receipt-bench";
    fs::remove_all(bench_folder);
    fs::create_directories(bench_folder);
    std::printf("first receipt benchmark, %s\n", bench::machine_load().c_str());

    try {
        bench::set_environment("TARNWICKERY_ROOT", platform::from_path(bench_folder / "docx-root"));
        const fs::path docx = bench::worker_docx(program_folder, bench::receipt_request("台灣測試有限公司", false),
                                                 bench_folder / "receipt.docx");
        std::ofstream(bench_folder / "one.jsonl") << bench::receipt_request("台灣測試有限公司", false).dump() << "\n";

        // LibreOffice as one would run it by hand, on a profile of its own that an
        // untimed first run has made, so that only the start of the office counts.
        platform::ProcessOptions office_options;
        office_options.environment.emplace_back("FONTCONFIG_FILE", program_folder + "/fonts/fonts.conf");
        const std::vector<std::string> soffice = {
            "soffice", "--headless", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
            "-env:UserInstallation=" + pdf_press::detail::file_url_of_absolute(platform::from_path(bench_folder / "soffice-profile")),
            "--convert-to", std::string("pdf:writer_pdf_Export:") + pdf_press::detail::pdf_export_options,
            "--outdir", platform::from_path(bench_folder / "soffice"), platform::from_path(docx)};
        run(soffice, office_options);

        std::vector<double> batch_times, office_times;
        for (int round = 0; round < rounds; ++round) {
            const fs::path root = bench_folder / ("root-" + std::to_string(round));
            platform::ProcessOptions batch_options;
            batch_options.environment.emplace_back("TARNWICKERY_ROOT", platform::from_path(root));
            batch_times.push_back(run({program_folder + "/tarnwickery-receipt", "--batch",
                                       platform::from_path(bench_folder / "one.jsonl")},
                                      batch_options));
            if (!bench::holds_a_pdf(platform::from_path(root / "免用統一發票收據"))) throw std::runtime_error("the batch of one wrote no PDF");
            fs::remove_all(root);
            office_times.push_back(run(soffice, office_options));
        }
        const bench::Spread batch = bench::spread_of(batch_times), office = bench::spread_of(office_times);
        std::printf("%d rounds, turn about:\n", rounds);
        std::printf("batch of one on a fresh root:  median %7.1f ms, fastest %7.1f, worst %7.1f\n", batch.median,
                    batch.fastest, batch.worst);
        std::printf("cold soffice, same .docx:      median %7.1f ms, fastest %7.1f, worst %7.1f\n", office.median,
                    office.fastest, office.worst);
        std::printf("ratio of medians: %.2f (target at most 0.35): %s\n", batch.median / office.median,
                    batch.median <= 0.35 * office.median ? "met" : "NOT MET");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::printf("%s at the end\n", bench::machine_load().c_str());
    fs::remove_all(bench_folder);
}
