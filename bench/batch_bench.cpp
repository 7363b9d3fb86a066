// Receipts in a steady batch, made one after another by the real worker as batch mode
// makes them: what a receipt costs once the converter is warm, beside the very same
// .docx converted by the converter process alone; what two seals add, and how large
// they make the PDF, and how much of that the office spends on the seals' pixels; and a long batch, receipt by receipt, with the converters' memory.
//
// Usage: batch_bench PROGRAM_FOLDER [RECEIPTS]   (the long batch, 1000 unless given; 0 skips it)
#include "bench_support.hpp"
#include "file_url.hpp"
#include "receipt_job.hpp"
#include "receipt_docx.hpp"
#include "seal_picture.hpp"

#include <platform/process.hpp>
#include <platform/root_folder.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kWarmUp = 5;
constexpr int kRounds = 40;
constexpr int kMemoryEvery = 50;

// The converter program on its own, spoken to over its line protocol: the floor under
// what a receipt can cost.
class BareConverter {
public:
    BareConverter(const std::string& program_folder, const fs::path& profiles)
        : process_({program_folder + "/pdf-press-converter", office_folder(), platform::from_path(profiles),
                    std::to_string(getpid())},
                   options(program_folder)) {
        expect("ready");
    }

    void convert(const fs::path& input, const fs::path& output) {
        process_.write_stdin("convert\t" + url(input) + "\t" + url(output) + "\n");
        expect("taken");
        expect("ok");
    }

    int id() const { return process_.id(); }

private:
    // Where Pdf_Press finds LibreOffice.
    static std::string office_folder() {
        const char* configured = std::getenv("TARNWICKERY_LIBREOFFICE_PROGRAM");
        return configured && *configured ? configured : "/usr/lib/libreoffice/program";
    }
    static platform::ProcessOptions options(const std::string& program_folder) {
        platform::ProcessOptions options;
        options.pipe_stdin = true;
        options.pipe_stdout = true;
        options.environment.emplace_back("FONTCONFIG_FILE", program_folder + "/fonts/fonts.conf");
        return options;
    }
    static std::string url(const fs::path& file) {
        return pdf_press::detail::file_url_of_absolute(platform::from_path(fs::absolute(file)));
    }
    void expect(const std::string& reply) {
        const std::optional<std::string> line = process_.read_line(std::chrono::seconds(120));
        if (line != reply) throw std::runtime_error("the converter answered " + line.value_or("nothing") + " for " + reply);
    }

    platform::Process process_;
};

std::uintmax_t size_of_newest_pdf(const std::string& folder) {
    auto newest = fs::file_time_type::min();
    std::uintmax_t size = 0;
    for (const auto& entry : fs::directory_iterator(platform::to_path(folder)))
        if (entry.path().extension() == ".pdf" && entry.last_write_time() >= newest)
            newest = entry.last_write_time(), size = entry.file_size();
    return size;
}

struct Timed {
    std::vector<double> wall;
    std::vector<double> converter_cpu;
};

void print_spread(const char* what, const Timed& timed) {
    const bench::Spread wall = bench::spread_of(timed.wall);
    const bench::Spread cpu = bench::spread_of(timed.converter_cpu);
    std::printf("%-34s median %7.1f ms, lower quartile %7.1f, fastest %7.1f, worst %7.1f; converter CPU median %6.1f ms\n",
                what, wall.median, wall.lower_quartile, wall.fastest, wall.worst, cpu.median);
}

void long_batch(receipt_worker::Receipt_Job& job, int receipts) {
    std::vector<double> times;
    std::vector<int> serving;
    double lowest_mib = 1e9, highest_mib = 0, highest_total_mib = 0;
    std::printf("\nlong batch: %d receipts without seals; resident memory of the converters every %d receipts\n",
                receipts, kMemoryEvery);
    for (int i = 0; i < receipts; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!job.make(bench::receipt_request("長批次商行" + std::to_string(i), false)).written)
            throw std::runtime_error("receipt " + std::to_string(i + 1) + " failed");
        times.push_back(bench::milliseconds_since(start));
        const std::vector<int> running = bench::converters();
        if ((i + 1) % kMemoryEvery == 0 || i == 0) {
            // The serving converter is the oldest one still running.
            const int oldest = running.empty() ? 0 : *std::min_element(running.begin(), running.end());
            const double mib = bench::resident_mib({oldest}), total = bench::resident_mib(running);
            lowest_mib = std::min(lowest_mib, mib), highest_mib = std::max(highest_mib, mib);
            highest_total_mib = std::max(highest_total_mib, total);
            std::printf("  after %4d: %zu converter(s), %6.1f MiB together\n", i + 1, running.size(), total);
        }
        for (int id : running)
            if (std::find(serving.begin(), serving.end(), id) == serving.end()) serving.push_back(id);
    }
    const bench::Spread spread = bench::spread_of(times);
    std::vector<std::size_t> slow;
    for (std::size_t i = 0; i < times.size(); ++i)
        if (times[i] > 2 * spread.median) slow.push_back(i);
    std::printf("per receipt: median %.1f ms, fastest %.1f, worst %.1f = %.2f x the median (target at most 2): %s\n",
                spread.median, spread.fastest, spread.worst, spread.worst / spread.median,
                spread.worst <= 2 * spread.median ? "met" : "NOT MET");
    std::printf("receipts over 2 x the median: %zu", slow.size());
    for (std::size_t i = 0; i < slow.size() && i < 10; ++i)
        std::printf("%s #%zu %.0f ms", i ? "," : ":", slow[i] + 1, times[slow[i]]);
    std::printf("\nconverters used: %zu; the serving one's resident memory between %.1f and %.1f MiB, all "
                "converters together at most %.1f MiB\n",
                serving.size(), lowest_mib, highest_mib, highest_total_mib);
}

}  // namespace

int main(int argc, char** argv) {
    const auto given = bench::arguments(argc, argv, "batch_bench PROGRAM_FOLDER [RECEIPTS]", 1000);
    if (!given) return 2;
    const std::string program_folder = given->program_folder;
    const int long_receipts = given->count;
    const fs::path root = fs::temp_directory_path() / "batch-bench-root";
    fs::remove_all(root);
    fs::create_directories(root);
    bench::set_environment("TARNWICKERY_ROOT", platform::from_path(root));
    std::printf("batch benchmark, %s\n", bench::machine_load().c_str());

    std::ostringstream worker_lines;  // the worker's own lines would drown the figures
    auto* console = std::cout.rdbuf(worker_lines.rdbuf());
    try {
        const fs::path bench_folder = root / "bench";
        fs::create_directories(bench_folder);
        const fs::path docx = bench::worker_docx(program_folder, bench::receipt_request("台灣測試有限公司", false), bench_folder / "receipt.docx");

        receipt_worker::Receipt_Job job(program_folder + "/格式範本/");
        const std::string seals = job.folders().seals;
        const auto put_seals = [&](int exemption_width, int owner_width) {
            std::ofstream(platform::to_path(seals + "免用統一發票章.png"), std::ios::binary)
                << fixture::seal_png(exemption_width, exemption_width * 9 / 10);
            std::ofstream(platform::to_path(seals + "負責人章.png"), std::ios::binary)
                << fixture::seal_png(owner_width, owner_width);
        };
        // The same two seals as tiny pictures: what any two pictures cost the office
        // whatever their pixels, apart from what their pixels cost.
        put_seals(16, 16);
        const fs::path tiny_sealed_docx = bench::worker_docx(
            program_folder, bench::receipt_request("台灣測試有限公司", true), bench_folder / "tiny-seals.docx");
        put_seals(600, 240);
        const fs::path sealed_docx = bench::worker_docx(
            program_folder, bench::receipt_request("台灣測試有限公司", true), bench_folder / "seals.docx");
        fs::create_directories(bench_folder / "profiles");
        BareConverter bare(program_folder, bench_folder / "profiles");

        Timed plain, sealed, alone, sealed_alone, tiny_sealed_alone;
        const std::vector<std::pair<Timed*, fs::path>> bare_kinds{
            {&alone, docx}, {&sealed_alone, sealed_docx}, {&tiny_sealed_alone, tiny_sealed_docx}};
        std::uintmax_t plain_size = 0, sealed_size = 0;
        for (int round = -kWarmUp; round < kRounds; ++round) {
            // Interleaved, so that a change in the machine's load touches all kinds alike,
            // and each round starting one kind further on, so that no kind always
            // follows the same other one (the disk still writing out its PDF, say).
            const std::array<Timed*, 5> kinds{&plain, &sealed, &alone, &sealed_alone, &tiny_sealed_alone};
            for (std::size_t k = 0; k < kinds.size(); ++k) {
                Timed* timed = kinds[(k + static_cast<std::size_t>(round + kWarmUp)) % kinds.size()];
                const auto bare_kind = std::find_if(bare_kinds.begin(), bare_kinds.end(),
                                                    [&](const auto& kind) { return kind.first == timed; });
                const bool is_bare = bare_kind != bare_kinds.end();
                const std::vector<int> measured = is_bare ? std::vector<int>{bare.id()} : bench::converters();
                const double cpu_before = bench::cpu_milliseconds(measured);
                const auto start = std::chrono::steady_clock::now();
                if (is_bare) {
                    bare.convert(bare_kind->second, bench_folder / "receipt.pdf");
                } else if (!job.make(bench::receipt_request("台灣測試有限公司", timed == &sealed)).written) {
                    throw std::runtime_error("a receipt failed: " + worker_lines.str());
                }
                const double wall = bench::milliseconds_since(start);
                if (round < 0) continue;
                timed->wall.push_back(wall);
                timed->converter_cpu.push_back(bench::cpu_milliseconds(measured) - cpu_before);
                if (timed == &plain) plain_size = size_of_newest_pdf(job.folders().output);
                if (timed == &sealed) sealed_size = size_of_newest_pdf(job.folders().output);
            }
        }
        const double plain_median = bench::spread_of(plain.wall).median;
        const double sealed_median = bench::spread_of(sealed.wall).median;
        const double alone_median = bench::spread_of(alone.wall).median;
        std::printf("%d receipts of each kind, interleaved, after %d to warm up:\n", kRounds, kWarmUp);
        print_spread("receipt without seals:", plain);
        print_spread("receipt with two seals (PNG):", sealed);
        print_spread("its .docx by the converter alone:", alone);
        print_spread("  with two seals:", sealed_alone);
        print_spread("  with two 16 x 16 seals:", tiny_sealed_alone);
        std::printf("steady receipt: %.1f ms (target at most 50): %s; %.2f x the converter alone (target at most 1.1): %s\n",
                    plain_median, plain_median <= 50 ? "met" : "NOT MET", plain_median / alone_median,
                    plain_median <= 1.1 * alone_median ? "met" : "NOT MET");
        std::printf("two seals: %.2f x a receipt without (target at most 1.1): %s; PDF %.1f KB with seals, %.1f KB without\n",
                    sealed_median / plain_median, sealed_median <= 1.1 * plain_median ? "met" : "NOT MET",
                    sealed_size / 1024.0, plain_size / 1024.0);
        std::printf("the converter alone: two seals %.2f x, the same seals as 16 x 16 pictures %.2f x its .docx "
                    "without seals\n",
                    bench::spread_of(sealed_alone.wall).median / alone_median,
                    bench::spread_of(tiny_sealed_alone.wall).median / alone_median);
        const auto quartile = [](const Timed& timed) { return bench::spread_of(timed.wall).lower_quartile; };
        std::printf("the same by lower quartiles: steady receipt %.2f x the converter alone; two seals %.2f x a "
                    "receipt without; the converter alone: two seals %.2f x, as 16 x 16 pictures %.2f x\n",
                    quartile(plain) / quartile(alone), quartile(sealed) / quartile(plain),
                    quartile(sealed_alone) / quartile(alone), quartile(tiny_sealed_alone) / quartile(alone));

        if (long_receipts > 0) long_batch(job, long_receipts);
    } catch (const std::exception& error) {
        std::cout.rdbuf(console);
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::cout.rdbuf(console);
    std::printf("%s at the end\n", bench::machine_load().c_str());
    fs::remove_all(root);
}
