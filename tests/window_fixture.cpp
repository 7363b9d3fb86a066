#include "window_fixture.hpp"

#include <platform/root_folder.hpp>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextDocumentFragment>

#include <cstdlib>

namespace window_test {

void ensure_application() {
    if (QApplication::instance() != nullptr) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "window-test";
    static char* argv[] = {name, nullptr};
    // Lives for the whole test program, as a desktop program's application does.
    new QApplication(argc, argv);
}

bool wait_for(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    return QTest::qWaitFor(condition, static_cast<int>(limit.count()));
}

void type_text(QWidget* widget, const std::string& text) {
    for (const QChar character : QString::fromStdString(text)) {
        if (character.unicode() < 0x80) {
            QTest::keyClicks(widget, QString(character));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(character));
            QApplication::sendEvent(widget, &commit);
        }
    }
}

std::string pictures() { return tools::program_dir() + "/格式範本/"; }

std::string Window_Test::fresh_settings_file() {
    static int made = 0;
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    return platform::root_folder() + "settings-" + test->test_suite_name() + "-" + test->name() + "-" +
           std::to_string(++made) + ".ini";
}

namespace {

// Zero-width spaces mark where a line may break; they show nothing.
std::string as_shown(const QString& text, bool markup) {
    QString shown = markup ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    return shown.remove(QChar(0x200B)).toStdString();
}

}  // namespace

std::string shown_text(const QLabel& label) {
    const QString text = label.text();
    return as_shown(text, label.textFormat() == Qt::RichText ||
                              (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text)));
}

std::string shown_tip(const QWidget& widget) { return as_shown(widget.toolTip(), Qt::mightBeRichText(widget.toolTip())); }

std::unique_ptr<receipt_window::Receipt_Window> Window_Test::open_window(const std::string& resource_folder) {
    receipt_window::Desktop desktop{
        [this](const std::string& folder) { shown_folders.push_back(folder); },
        [this](const std::string& url) { browser(url); },
        [this](const std::string& file) { opened_files.push_back(file); },
        [this](QWidget*, const platform::PrintRequest& current) {
            offered_printers.push_back(current);
            if (while_choosing) while_choosing();
            return printer_answer;
        },
        [this](QWidget*, const std::string& question) {
            questions.push_back(question);
            return answer;
        },
    };
    auto window = std::make_unique<receipt_window::Receipt_Window>(
        queues, events, receipt_window::Window_Setup{resource_folder, desktop, settings_file});
    window->app->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window->app.get()));
    return window;
}

QLineEdit* Window_Test::cell(receipt_window::Receipt_Window& window, const std::string& display_name, int row) {
    auto& table = *window.entry_table;
    return table.entry.at(table.name_to_random_string.at(display_name)).at(row).entry;
}

void Window_Test::type_rows(receipt_window::Receipt_Window& window, const std::vector<Row>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        type_text(cell(window, "商品名稱", row), rows[i].name);
        type_text(cell(window, "商品數量", row), rows[i].quantity);
        type_text(cell(window, "商品單價", row), rows[i].unit_price);
    }
}

void Window_Test::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

std::vector<QPushButton*> Window_Test::top_bar_buttons(receipt_window::Receipt_Window& window) {
    auto buttons = window.FF->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(buttons.size(), 6);
    return {buttons.begin(), buttons.end()};
}

}  // namespace window_test
