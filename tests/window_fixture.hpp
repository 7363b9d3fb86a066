#pragma once

#include "gui.hpp"
#include "receipt_window.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Window tests drive the real window on Qt's offscreen platform.
namespace window_test {

// Makes the one QApplication of the test program, on the offscreen platform.
void ensure_application();

// Runs the event loop until `condition` holds or `limit` has passed.
bool wait_for(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5));

// Types `text` into `widget` as a user does: Latin characters as key presses, the
// others as an input method commits them.
void type_text(QWidget* widget, const std::string& text);

// The program folder's copy of the window's pictures.
std::string pictures();

// What a label puts on the screen: its text, read as markup when the label takes it so.
std::string shown_text(const QLabel& label);
// What a widget's tip puts on the screen: Qt reads a tip as markup whenever it looks like some.
std::string shown_tip(const QWidget& widget);

struct Row {
    std::string name, quantity, unit_price;
};

class Window_Test : public testing::Test {
protected:
    void SetUp() override { ensure_application(); }

    // A shown window whose desktop actions are recorded instead of performed.
    std::unique_ptr<receipt_window::Receipt_Window> open_window(const std::string& resource_folder = pictures());

    // The cell of `row` (from 0) in the column with `display_name`.
    static QLineEdit* cell(receipt_window::Receipt_Window& window, const std::string& display_name, int row);
    // Types the texts of `rows` into the table from row 0 on, as a user does.
    static void type_rows(receipt_window::Receipt_Window& window, const std::vector<Row>& rows);
    static void click(QWidget* widget);
    // The buttons of the top bar: output folder, calendar, web page, print, receipt book, preview.
    static std::vector<QPushButton*> top_bar_buttons(receipt_window::Receipt_Window& window);

    Queue_All_variable queues = make_queue_registry();
    Event_All_variable events = make_event_registry();
    std::vector<std::string> shown_folders;
    std::vector<std::string> opened_pages;
    std::vector<std::string> opened_files;
    // What the web browser does with a page; records it unless a test says otherwise.
    std::function<void(const std::string&)> browser = [this](const std::string& url) { opened_pages.push_back(url); };
    // What the print dialog offered first, each time it was opened, and what it answers
    // (nothing: cancelled).
    std::vector<platform::PrintRequest> offered_printers;
    std::optional<platform::PrintRequest> printer_answer;
    // What happens while the print dialog is open.
    std::function<void()> while_choosing;
    // The questions the window asked, and the answer it gets.
    std::vector<std::string> questions;
    bool answer = false;
    // The window's settings file: this test's own, so that no test sees another's choices.
    std::string settings_file = fresh_settings_file();
    static std::string fresh_settings_file();
};

}  // namespace window_test
