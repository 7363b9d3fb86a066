// The window's first receipt: the worker and the window start as the program starts
// them, on a fresh root folder; a receipt is typed in, 輸出單據 is pressed two seconds
// after the start, and the time from the press to its PDF on disk is taken. Qt's
// offscreen platform stands in for the desktop.
//
// Usage: window_bench PROGRAM_FOLDER [ROUNDS]   (5 unless given)
#include "bench_support.hpp"
#include "gui.hpp"
#include "receipt_job.hpp"
#include "receipt_window.hpp"
#include "worker_thread.hpp"

#include <platform/root_folder.hpp>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr auto kPressAfter = std::chrono::seconds(2);

void fill_in(receipt_window::Receipt_Window& window) {
    window.set_table->entry("買受人")->setText(QString::fromStdString("窗口測試商行"));
    window.set_table->entry("統一編號")->setText("87654321");
    auto& table = *window.entry_table;
    const char* rows[][3] = {{"綠茶", "3", "45"}, {"紅豆餅", "12", "20"}, {"鳳梨酥", "10", "25"}};
    for (int row = 0; row < 3; ++row) {
        int column = 0;
        for (const char* name : {"商品名稱", "商品數量", "商品單價"})
            table.entry.at(table.name_to_random_string.at(name)).at(row).entry->setText(QString::fromUtf8(rows[row][column++]));
    }
}

// One start of the program; the time from the press to the PDF.
double one_round(const std::string& program_folder, const fs::path& root) {
    bench::set_environment("TARNWICKERY_ROOT", platform::from_path(root));
    const std::string resources = program_folder + "/格式範本/";
    Queue_All_variable queues = make_queue_registry();
    Event_All_variable events = make_event_registry();
    link_busy_flag(queues, events);
    const std::string output_folder = receipt_worker::Folders::under_root().output;

    // As the launcher does: the worker on a thread of its own, then the window; closing
    // ends the worker whatever happened.
    const auto started = std::chrono::steady_clock::now();
    const bench::Worker_Thread worker(resources, queues, events);
    double took = 0;
    {
        receipt_window::Receipt_Window window(queues, events, {resources, {[](const std::string&) {}, [](const std::string&) {}}});
        window.app->show();
        fill_in(window);
        QTest::qWait(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           started + kPressAfter - std::chrono::steady_clock::now())
                                           .count()));
        QPushButton* output = window.set_button.button("輸出單據");
        const auto pressed = std::chrono::steady_clock::now();
        QTest::mouseClick(output, Qt::LeftButton, {}, output->rect().center());
        while (!bench::holds_a_pdf(output_folder)) {
            if (std::chrono::steady_clock::now() - pressed > std::chrono::seconds(120))
                throw std::runtime_error("no PDF two minutes after the press");
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        took = bench::milliseconds_since(pressed);
        window.app->close();
    }
    return took;
}

}  // namespace

int main(int argc, char** argv) {
    const auto given = bench::arguments(argc, argv, "window_bench PROGRAM_FOLDER [ROUNDS]", 5);
    if (!given) return 2;
    const std::string program_folder = given->program_folder;
    const int rounds = given->count;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    char name[] = "window_bench";
    char* qt_argv[] = {name, nullptr};
    QApplication application(qt_argc, qt_argv);
    bench::set_environment("TARNWICKERY_PDF_PRESS_DIR", program_folder);
    const fs::path bench_folder = fs::temp_directory_path() / "window-bench";
    std::printf("window benchmark, %s\n", bench::machine_load().c_str());

    std::ostringstream worker_lines;  // the worker's own lines would drown the figures
    auto* console = std::cout.rdbuf(worker_lines.rdbuf());
    std::vector<double> times;
    try {
        for (int round = 0; round < rounds; ++round) {
            // The worker creates the root folder but not the folders above it.
            fs::remove_all(bench_folder);
            fs::create_directories(bench_folder);
            times.push_back(one_round(program_folder, bench_folder / "root"));
        }
    } catch (const std::exception& error) {
        std::cout.rdbuf(console);
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::cout.rdbuf(console);
    const bench::Spread spread = bench::spread_of(times);
    std::printf("%d starts on a fresh root, 輸出單據 pressed %lld s after each start\n", rounds,
                static_cast<long long>(kPressAfter.count()));
    std::printf("press to PDF on disk: median %.1f ms, fastest %.1f, worst %.1f (target at most 150): %s\n",
                spread.median, spread.fastest, spread.worst, spread.median <= 150 ? "met" : "NOT MET");
    std::printf("%s at the end\n", bench::machine_load().c_str());
    fs::remove_all(bench_folder);
}
