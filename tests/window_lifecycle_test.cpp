// The window's life: how it is built, its buttons to the desktop, a missing picture,
// and the shutdown sequence when it closes.
#include "window_fixture.hpp"

#include <fault_log/fault_log.hpp>
#include <platform/root_folder.hpp>

#include <QLayout>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <map>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

class Window_Life : public window_test::Window_Test {};

std::string read_text(const std::string& path) {
    std::ifstream in(platform::to_path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST_F(Window_Life, OpensWithItsTitleIconAndAFixedSize) {
    auto window = open_window();
    EXPECT_EQ(window->app->windowTitle(), "免用統一發票收據軟體");
    EXPECT_FALSE(window->app->windowIcon().isNull());
    EXPECT_EQ(window->app->layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(window->app->minimumSize(), window->app->maximumSize());
    EXPECT_GE(window->app->width(), 700);
    EXPECT_EQ(window->frame4->findChildren<QWidget*>().size(), 3) << "logo, word mark and title";
    EXPECT_EQ(window->set_button.cget("輸出單據", "text"), "輸出單據");
    EXPECT_EQ(window->checkbox_2->text(), "負責人章　　　");
}

TEST_F(Window_Life, MissingLogoLeavesTheTitleAreaEmptyAndTheRestWorking) {
    const std::string resources = tools::fresh_folder("pictures-without-logo");
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(window_test::pictures())))
        if (entry.path().filename() != "logo.png")
            std::filesystem::copy_file(entry.path(), platform::to_path(resources) / entry.path().filename());

    testing::internal::CaptureStdout();
    auto window = open_window(resources);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_NE(printed.find("logo.png"), std::string::npos) << printed;
    EXPECT_TRUE(window->frame4->findChildren<QWidget*>().empty());

    type_rows(*window, {{"茶", "2", "30"}});
    window->status_loop_run();
    EXPECT_EQ(window->mylabel_time_text->get(), "總額60元");
    click(window->set_button.button("輸出單據"));
    EXPECT_EQ(queues["get_receipt"].get()["品名"], nlohmann::json::array({"茶"}));
    click(window->checkbox_1);
    EXPECT_EQ(window->PP.parameters["顯示免用統一發票章"], true);
}

TEST_F(Window_Life, FolderAndWebPageButtonsAskTheDesktop) {
    auto window = open_window();
    const auto buttons = top_bar_buttons(*window);
    click(buttons.at(0));
    EXPECT_EQ(shown_folders, std::vector<std::string>{platform::root_folder() + "免用統一發票收據"});

    click(buttons.at(2));
    const std::string secure = "https://www.tarnwickery.com.tw/%E5%85%8D%E7%94%A8%E7%B5%B1%E4%B8%80%E7%99%BC%E7%A5%A8%E6%94%B6%E6%93%9A%E8%BB%9F%E9%AB%94";
    EXPECT_EQ(opened_pages, std::vector<std::string>{secure});

    // The plain address when the secure one fails; a failure of both is logged.
    browser = [this](const std::string& url) {
        opened_pages.push_back(url);
        if (url.starts_with("https:")) throw std::runtime_error("no handler for https");
    };
    opened_pages.clear();
    click(buttons.at(2));
    EXPECT_EQ(opened_pages, (std::vector<std::string>{secure, "http" + secure.substr(5)}));

    browser = [](const std::string&) { throw std::runtime_error("no web browser"); };
    testing::internal::CaptureStderr();
    click(buttons.at(2));
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_NE(logged.find("button_event_005: no web browser"), std::string::npos) << logged;
    EXPECT_NE(read_text(platform::working_folder() + "Fault_Log.log").find("button_event_005: no web browser"),
              std::string::npos);
}

TEST_F(Window_Life, ClosingPerformsTheShutdownSequenceInOrder) {
    // Stands where the worker is: woken by the last step, it must find the first two done.
    bool end_set_when_woken = false, end_queued_when_woken = false;
    std::thread worker([&] {
        queues["get_receipt"].get();
        end_set_when_woken = events["end"].is_set();
        end_queued_when_woken = !queues["end"].empty();
    });
    bool was_open = false;
    receipt_window::run_gui(queues, events, {window_test::pictures(), {}}, [&](receipt_window::Receipt_Window& window) {
        was_open = window.app->isVisible();
        EXPECT_TRUE(queues["end"].empty());
        EXPECT_FALSE(events["end"].is_set());
        QTimer::singleShot(100, window.app.get(), [&window] { window.app->close(); });
    });
    worker.join();
    EXPECT_TRUE(was_open);
    EXPECT_TRUE(end_set_when_woken);
    EXPECT_TRUE(end_queued_when_woken);
    EXPECT_EQ(queues["end"].get(), nullptr);
    EXPECT_TRUE(queues["end"].empty());
    EXPECT_TRUE(queues["get_receipt"].empty());
    EXPECT_FALSE(events["get_receipt"].is_set());
}

TEST(Shutdown_Sequence, WakesTheWorkerOnlyAfterEndIsSet) {
    std::vector<std::string> steps;
    struct Recording_Queue {
        std::vector<std::string>* steps;
        std::string name;
        void put(std::nullptr_t) { steps->push_back("put " + name); }
    };
    struct Recording_Event {
        std::vector<std::string>* steps;
        std::string name;
        void set() { steps->push_back("set " + name); }
    };
    std::map<std::string, Recording_Queue> queues{{"end", {&steps, "end"}}, {"get_receipt", {&steps, "get_receipt"}}};
    std::map<std::string, Recording_Event> events{{"end", {&steps, "end"}}, {"get_receipt", {&steps, "get_receipt"}}};
    receipt_window::shutdown_sequence(queues, events);
    EXPECT_EQ(steps, (std::vector<std::string>{"put end", "set end", "put get_receipt"}));
}

TEST_F(Window_Life, WindowThatFailsStillReleasesTheWorker) {
    receipt_window::run_gui(queues, events, {window_test::pictures(), {}}, [](receipt_window::Receipt_Window&) {
        throw std::runtime_error("broken on purpose");
    });
    EXPECT_TRUE(events["end"].is_set());
    EXPECT_EQ(queues["get_receipt"].get(), nullptr);
    EXPECT_EQ(queues["end"].get(), nullptr);
}

TEST(Fault_Log, WrappedFunctionsGiveTheirResultOrLogWhatEscapes) {
    const std::string file = tools::fresh_folder("fault-log") + "log.txt";
    Fault_Log try_except(file);
    auto add = try_except.try_except_log("add", [](int a, int b) { return a + b; });
    EXPECT_EQ(add(2, 3), 5);
    auto fail = try_except.try_except_log("fail", [](int) -> int { throw std::invalid_argument("bad input"); });
    testing::internal::CaptureStderr();
    EXPECT_EQ(fail(1), 0);
    try_except.try_except_log("unknown", [] { throw 7; })();
    const std::string printed = testing::internal::GetCapturedStderr();
    const std::string logged = read_text(file);
    EXPECT_EQ(printed, logged);
    std::istringstream lines(logged);
    std::string line;
    std::getline(lines, line);
    // "YYYY-MM-DD HH:MM:SS fail: bad input"
    EXPECT_EQ(line.size(), 19 + std::string(" fail: bad input").size()) << line;
    EXPECT_TRUE(line.ends_with(" fail: bad input")) << line;
    std::getline(lines, line);
    EXPECT_TRUE(line.ends_with(" unknown: unknown error")) << line;
}
