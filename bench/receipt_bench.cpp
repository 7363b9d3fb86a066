// Time from a request put on the queue to its finished PDF, through the real
// worker, its template and the PDF converter: median and worst over 20 receipts.
#include "receipt_job.hpp"

#include <platform/root_folder.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <thread>

namespace {

constexpr int kReceipts = 20;

std::size_t pdf_count(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(folder)))
        count += entry.path().extension() == ".pdf";
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: receipt_bench PROGRAM_FOLDER\n");
        return 2;
    }
    const auto root = std::filesystem::temp_directory_path() / "receipt-bench-root";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
#ifdef _WIN32
    _putenv_s("TARNWICKERY_ROOT", root.string().c_str());
#else
    setenv("TARNWICKERY_ROOT", root.string().c_str(), 1);
#endif

    const nlohmann::json request = {
        {"買受人", "台灣測試有限公司"}, {"買受人統一編號", "12345678"},
        {"品名", {"蘋果", "香蕉", "鳳梨酥", "烏龍茶", "米", "醬油", "雞蛋"}},
        {"數量", {3, 2, 10, 1, 5, 2, 30}}, {"單件價格", {50, 12, 25, 400, 60, 85, 8}},
        {"存檔路徑", "x"}, {"顯示免用統一發票章", false}, {"顯示負責人章", false}, {"顯示日期", true}};

    // The worker's own lines would drown the figures.
    std::ostringstream worker_lines;
    auto* console = std::cout.rdbuf(worker_lines.rdbuf());
    std::vector<double> milliseconds;
    {
        receipt_worker::Receipt_Job job(std::string(argv[1]) + "/格式範本/");
        Queue_All_variable queues = make_queue_registry();
        Event_All_variable events = make_event_registry();
        std::thread worker([&] { receipt_worker::run_receipts(job, queues, events); });
        const std::string output = job.folders().output;
        for (int i = 0; i < kReceipts; ++i) {
            const std::size_t before = pdf_count(output);
            const auto start = std::chrono::steady_clock::now();
            queues["get_receipt"].put(request);
            while (pdf_count(output) == before) std::this_thread::sleep_for(std::chrono::microseconds(200));
            milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            while (events["get_receipt"].is_set() || !queues["get_receipt"].empty())
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        queues["end"].put(nullptr);
        events["end"].set();
        queues["get_receipt"].put(nullptr);
        worker.join();
    }
    std::cout.rdbuf(console);

    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("receipt benchmark: request on the queue to finished PDF, %d receipts\n", kReceipts);
    std::printf("median %.1f ms, fastest %.1f ms, worst %.1f ms\n", milliseconds[milliseconds.size() / 2],
                milliseconds.front(), milliseconds.back());
    std::filesystem::remove_all(root);
}
