// The live preview, driven as the owner drives it: the real window on Qt's offscreen
// platform with the real worker on its thread, on a fresh root folder.
//
// 1. 100 edits of one quantity, each waited out: the time from the keystroke to the
//    preview of the new form on screen, less the quiet period the window waits first.
// 2. Presses of 輸出單據 timed from the press to the PDF on disk, made 0 to 999 ms after
//    an edit (the same pauses for both), with the preview window closed and open; and,
//    the worst moment, presses as a preview's conversion starts.
// 3. The CPU time the program and its converter take over 10 idle seconds with the
//    preview window open, and with it closed.
//
// Usage: preview_bench PROGRAM_FOLDER [PRESSES]   (8 of each kind unless given)
#include "bench_support.hpp"
#include "gui.hpp"
#include "preview_window.hpp"
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
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

QLineEdit* cell(receipt_window::Receipt_Window& window, const char* column, int row) {
    auto& table = *window.entry_table;
    return table.entry.at(table.name_to_random_string.at(column)).at(static_cast<std::size_t>(row)).entry;
}

void fill_in(receipt_window::Receipt_Window& window) {
    window.set_table->entry("買受人")->setText(QString::fromStdString("預覽測試商行"));
    window.set_table->entry("統一編號")->setText("04595257");
    const char* rows[][3] = {{"綠茶", "3", "45"}, {"紅豆餅", "12", "20"}, {"鳳梨酥", "10", "25"}};
    for (int row = 0; row < 3; ++row) {
        cell(window, "商品名稱", row)->setText(QString::fromUtf8(rows[row][0]));
        cell(window, "商品數量", row)->setText(rows[row][1]);
        cell(window, "商品單價", row)->setText(rows[row][2]);
    }
}

// Runs the window's events until `condition` holds.
void wait_for(const std::function<bool()>& condition, const char* what) {
    const auto start = Clock::now();
    while (!condition()) {
        if (Clock::now() - start > std::chrono::seconds(120)) throw std::runtime_error(std::string("no ") + what);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Whether the preview window shows the form as it is now.
bool preview_current(receipt_window::Receipt_Window& window) {
    const auto form = window.read_form();
    return form.request && *form.request == window.preview->shown_request();
}

std::size_t pdfs_in(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(platform::to_path(folder))) count += entry.path().extension() == ".pdf";
    return count;
}

bool preview_converting(const std::string& previews) {
    for (const auto& entry : fs::directory_iterator(platform::to_path(previews)))
        if (entry.path().extension() == ".docx") return true;
    return false;
}

// The program's own CPU time and its converters', in milliseconds.
double program_cpu() {
    return bench::cpu_milliseconds(static_cast<int>(QCoreApplication::applicationPid())) +
           bench::cpu_milliseconds(bench::converters());
}

}  // namespace

int main(int argc, char** argv) {
    const auto given = bench::arguments(argc, argv, "preview_bench PROGRAM_FOLDER [PRESSES]", 8);
    if (!given) return 2;
    const std::string resources = given->program_folder + "/格式範本/";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    char name[] = "preview_bench";
    char* qt_argv[] = {name, nullptr};
    QApplication application(qt_argc, qt_argv);
    bench::set_environment("TARNWICKERY_PDF_PRESS_DIR", given->program_folder);
    const fs::path root = fs::temp_directory_path() / "preview-bench";
    fs::remove_all(root);
    fs::create_directories(root);
    bench::set_environment("TARNWICKERY_ROOT", platform::from_path(root / "root"));
    std::printf("preview benchmark, %s\n", bench::machine_load().c_str());

    Queue_All_variable queues = make_queue_registry();
    Event_All_variable events = make_event_registry();
    link_busy_flag(queues, events);
    const receipt_worker::Folders folders = receipt_worker::Folders::under_root();
    std::ostringstream worker_lines;  // the worker's own lines would drown the figures
    auto* console = std::cout.rdbuf(worker_lines.rdbuf());
    const bench::Worker_Thread worker(resources, queues, events);
    std::vector<double> previews, alone, beside_previews, at_conversion;
    double idle_cpu = 0, idle_cpu_closed = 0;
    try {
        receipt_window::Window_Setup setup{resources};
        setup.desktop.confirm = [](QWidget*, const std::string&) { return true; };
        setup.settings_file = platform::from_path(root / "settings.ini");
        receipt_window::Receipt_Window window(queues, events, setup);
        window.app->show();
        fill_in(window);
        window.button_event_007();
        wait_for([&] { return preview_current(window); }, "first preview");

        QLineEdit* quantity = cell(window, "商品數量", 0);
        for (int edit = 0; edit < 100; ++edit) {
            quantity->setFocus();
            quantity->end(false);
            const auto typed = Clock::now();
            QTest::keyClick(quantity, edit % 2 == 0 ? Qt::Key_1 : Qt::Key_Backspace);
            wait_for([&] { return preview_current(window); }, "preview of an edit");
            previews.push_back(bench::milliseconds_since(typed) - receipt_window::Receipt_Preview::kQuietPeriodMs);
        }

        QPushButton* output = window.set_button.button("輸出單據");
        int round = 0;
        const auto press = [&] {
            window.set_table->entry("買受人")->setText(QString::fromStdString("預覽測試商行" + std::to_string(++round)));
            const std::size_t before = pdfs_in(folders.output);
            const auto pressed = Clock::now();
            window.button_event_001();
            while (pdfs_in(folders.output) == before) {
                if (Clock::now() - pressed > std::chrono::seconds(120)) throw std::runtime_error("no PDF after a press");
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            const double took = bench::milliseconds_since(pressed);
            wait_for([&] { return !events.at("get_receipt").is_set() && output->isEnabled(); }, "idle worker");
            return took;
        };
        const auto close_preview = [&] {
            if (window.preview->window() != nullptr) window.preview->window()->close();
            wait_for([&] { return window.preview->window() == nullptr; }, "closed preview");
        };
        const auto open_preview = [&] {
            window.button_event_007();
            wait_for([&] { return preview_current(window); }, "preview before a press");
        };
        // The owner presses some time after the last keystroke: within the quiet period
        // nothing is being previewed yet, after it a preview may be converting. The same
        // pauses, drawn once, for both kinds of press.
        std::mt19937 draw(2026);
        std::uniform_int_distribution<int> pause(0, 999);
        for (int i = 0; i < given->count; ++i) {
            const int after_typing = pause(draw);
            close_preview();
            QTest::keyClick(quantity, Qt::Key_1);
            QTest::qWait(after_typing);
            alone.push_back(press());

            open_preview();
            QTest::keyClick(quantity, Qt::Key_Backspace);
            QTest::qWait(after_typing);
            beside_previews.push_back(press());

            // The worst moment: the press as a preview's conversion starts.
            open_preview();
            QTest::keyClick(quantity, Qt::Key_1);
            wait_for([&] { return preview_converting(folders.previews); }, "preview conversion");
            at_conversion.push_back(press());
            QTest::keyClick(quantity, Qt::Key_Backspace);
            wait_for([&] { return preview_current(window); }, "preview after a press");
        }

        const auto idle_cpu_for_10_s = [] {
            QTest::qWait(1000);
            const double before = program_cpu();
            QTest::qWait(10'000);
            return program_cpu() - before;
        };
        close_preview();
        idle_cpu_closed = idle_cpu_for_10_s();
        open_preview();
        idle_cpu = idle_cpu_for_10_s();
        window.app->close();
    } catch (const std::exception& error) {
        std::cout.rdbuf(console);
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::cout.rdbuf(console);

    const bench::Spread preview = bench::spread_of(previews);
    const bench::Spread without = bench::spread_of(alone), with = bench::spread_of(beside_previews);
    std::printf("keystroke to preview on screen, less the %d ms quiet period, %zu edits: median %.0f ms, "
                "lower quartile %.0f ms, worst %.0f ms\n",
                receipt_window::Receipt_Preview::kQuietPeriodMs, previews.size(), preview.median, preview.lower_quartile,
                preview.worst);
    const bench::Spread worst_moment = bench::spread_of(at_conversion);
    std::printf("press to PDF 0-999 ms after an edit, preview window closed, %zu presses: median %.0f ms, worst %.0f ms\n",
                alone.size(), without.median, without.worst);
    std::printf("press to PDF 0-999 ms after an edit, preview window open, %zu presses: median %.0f ms, worst %.0f ms\n",
                beside_previews.size(), with.median, with.worst);
    std::printf("press to PDF as a preview's conversion starts, %zu presses: median %.0f ms, worst %.0f ms (%.2f× closed)\n",
                at_conversion.size(), worst_moment.median, worst_moment.worst, worst_moment.median / without.median);
    std::printf("idle for 10 s, CPU of the program and its converter: %.0f ms with the preview window open, %.0f ms "
                "with it closed\n",
                idle_cpu, idle_cpu_closed);
    std::printf("preview median %.0f ms, worst %.0f ms; press with previews %.2f× without\n", preview.median, preview.worst,
                with.median / without.median);
    return 0;
}
