#pragma once

#include "buyer_completion.hpp"
#include "date_label.hpp"
#include "entry_table.hpp"
#include "parameters.hpp"
#include "receipt_preview.hpp"
#include "receipt_printing.hpp"
#include "receipt_rows.hpp"
#include "status_line.hpp"
#include "window_settings.hpp"

#include <fault_log/fault_log.hpp>
#include <platform/printing.hpp>
#include <receipt_channels/channels.hpp>
#include <widget_kit/calendar.hpp>
#include <widget_kit/check_box.hpp>
#include <widget_kit/frame.hpp>
#include <widget_kit/set_button.hpp>
#include <widget_kit/set_table.hpp>
#include <widget_kit/switch.hpp>
#include <widget_kit/text_variable.hpp>
#include <widget_kit/window.hpp>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace receipt_window {

class Register_Window;

// What the window asks of the desktop; tests put recorders in their place.
struct Desktop {
    // Shows a folder in the file browser; throws when it cannot.
    std::function<void(const std::string& folder)> show_folder;
    // Opens a page in the web browser; throws when it cannot.
    std::function<void(const std::string& url)> open_web_page;
    // Opens a written receipt in the PDF viewer; throws when it cannot.
    std::function<void(const std::string& file)> open_file;
    // Asks for a printer and a number of copies, offering `current` first; nothing when
    // the user cancels.
    std::function<std::optional<platform::PrintRequest>(QWidget* parent, const platform::PrintRequest& current)>
        choose_printer;
    // Asks a yes-or-no question; true for yes.
    std::function<bool(QWidget* parent, const std::string& question)> confirm;
};

// The system's file browser, web browser, PDF viewer and print dialog.
Desktop system_desktop();

struct Window_Setup {
    // The folder with the window's pictures (格式範本), ending in "/".
    std::string resource_folder;
    Desktop desktop = system_desktop();
    // Where the choices kept between runs are read and written.
    std::string settings_file = Window_Settings::default_file();
};

// The receipt window and the handlers that share its state. Everything runs on the
// thread that built it; it meets the worker only through the two registries.
class Receipt_Window {
public:
    // Builds the window, not yet shown, and schedules the first run of the status loop
    // 500 ms later. Needs a QApplication.
    Receipt_Window(Queue_All_variable& queues, Event_All_variable& events, Window_Setup setup);
    ~Receipt_Window();
    Receipt_Window(const Receipt_Window&) = delete;
    Receipt_Window& operator=(const Receipt_Window&) = delete;

    // The output button: sends the receipt request when the worker is idle and the
    // window finds nothing wrong with it; otherwise the status line says why not, and
    // the cells at fault are marked. A form the same as the last receipt written is sent
    // only when the owner says so.
    void button_event_001();
    // The output-folder button.
    void button_event_003();
    // The print button: asks for the printer and the copies, remembers them until the
    // window closes, and prints the last receipt written, once its PDF is found to be the
    // one the register recorded. Refuses while a receipt sent is not yet reported.
    void button_event_006();
    // The calendar button: opens a calendar window and marks the date held in PP; a day
    // picked there becomes the receipt date.
    void button_event_004();
    // The preview button: opens the preview window beside this one, or brings it up.
    void button_event_007();
    // The form as a press would send it, or why a press would be refused; touches nothing
    // but the receipt date, which follows today until one is picked.
    Form_Reading read_form();
    void switch_event_001();
    // The 列印 switch: whether each receipt written is printed at once.
    void switch_event_002();
    void checkbox_event_1();
    void checkbox_event_2();
    // One run of the status loop, unguarded: total and the cells at fault, button
    // text, the worker's latest outcome, today's date unless one was picked, amounts,
    // and the next run.
    void status_loop_run();
    // The line under the total: this month's total of the register against the monthly
    // limit, read again; when the register cannot be read, the line is empty and
    // pointing at it says why.
    void show_month_limit();
    // The web-page button, unguarded: the secure address, else the plain one.
    void open_product_page();
    // The seal boxes: a box checked whose picture is not in the seals folder says so.
    void show_seal_pictures();

    // The folder the seal pictures are looked for in, as the worker does.
    static std::string seal_folder();

    // The folder the receipts are written to, as the request names it.
    static std::string output_folder();
    // The product page at its secure or plain address, percent-encoded.
    static std::string product_page(bool secure);

    Queue_All_variable& queues;
    Event_All_variable& events;
    Window_Setup setup;
    Fault_Log try_except;
    Widget_Kit::Set_Button set_button;
    std::unique_ptr<Widget_Kit::Window> app;
    Widget_Kit::Frame *FF = nullptr, *AA = nullptr, *BB = nullptr, *DD = nullptr, *EE = nullptr;
    Widget_Kit::Frame *frame0 = nullptr, *frame1 = nullptr, *frame2 = nullptr, *frame3 = nullptr, *frame4 = nullptr,
                      *frame5 = nullptr;
    Widget_Kit::Text_Variable* mylabel_time_text = nullptr;
    QLabel* mylabel_time = nullptr;
    // Under the total; kept by show_month_limit.
    QLabel* limit_line = nullptr;
    std::unique_ptr<Entry_Table> entry_table;
    std::unique_ptr<Widget_Kit::Set_Table> set_table;
    // Owned by the 買受人 field.
    Buyer_Completion* buyer_completion = nullptr;
    // The web-page handler and the status loop, as wrapped by try_except_log.
    std::function<void()> button_event_005;
    std::function<void()> aa;
    Parameters PP;
    Widget_Kit::Text_Variable* switch_var_001 = nullptr;
    Widget_Kit::Switch* switch_1 = nullptr;
    Widget_Kit::Text_Variable* switch_var_002 = nullptr;
    Widget_Kit::Switch* switch_2 = nullptr;
    // Beside the folder button; disabled until a receipt has been written.
    QPushButton* print_button = nullptr;
    Widget_Kit::Text_Variable* check_var_1 = nullptr;
    Widget_Kit::Text_Variable* check_var_2 = nullptr;
    Widget_Kit::Check_Box* checkbox_1 = nullptr;
    Widget_Kit::Check_Box* checkbox_2 = nullptr;
    // The most recently opened calendar; empty before the first and once it is closed.
    QPointer<Widget_Kit::CTkCalendar> calendar;
    // Under the output button: what became of the last press.
    Status_Line* status_line = nullptr;
    // Left of the 列印 and 日期 switches: the receipt date that will be printed.
    Date_Label* date_label = nullptr;
    // The receipt book opened from the top bar; empty while none is open.
    QPointer<Register_Window> register_window;
    // Whether the 列印 switch is on.
    bool print_each = false;
    // The printer and copies last chosen in the print dialog; the default printer and one
    // copy until then. Receipts printed as they are written take the printer, one copy.
    platform::PrintRequest print_choice;
    // The last receipt written since the window opened; `written` is false before it.
    ReceiptOutcome last_written;
    // Requests sent whose outcome has not come back yet.
    int outcomes_awaited = 0;
    // Outcomes taken from the worker since the window opened.
    long long outcomes_taken = 0;
    // The requests sent whose outcome has not come back, oldest first.
    std::deque<nlohmann::json> requests_awaited;
    // The request the last receipt written was made from.
    nlohmann::json last_written_request;
    // The choices remembered between runs.
    Window_Settings settings;
    // Cells a refused press marked; each keeps its mark until it is changed.
    std::vector<Unreadable_Cell> refused_cells;
    // The seal folder as the status loop last found it while the preview was open.
    std::string seal_pictures;
    // Where the preview window stood when last moved, kept between runs.
    std::optional<QRect> preview_place;
    // Keeps the preview window up with the form; it may save where that stood as it goes.
    std::unique_ptr<Receipt_Preview> preview;

    // Last, so that it goes first: jobs still running finish while the widgets exist.
    std::unique_ptr<Receipt_Printing> printing = std::make_unique<Receipt_Printing>();

private:
    std::string picture(const std::string& file) const { return setup.resource_folder + file; }
    // The receipt request for `rows` and the rest of the form.
    nlohmann::json request_of(const Receipt_Rows& rows) const;
    void build_title_area();
    // The keyboard's path through the window, its keys, and what each control tells
    // when pointed at.
    void set_up_keyboard();
    // Takes the remembered choices and says when they could not be read.
    void apply_settings();
    // Writes the choices as they stand now.
    void remember_choices();
    // A field of the form changed: what the line and the marks said about it is over.
    void field_changed(QLineEdit* field);
    // Every field of the form: the buyer, the tax number, the table's cells.
    std::vector<QLineEdit*> form_fields() const;
    // The buttons of the top bar: output folder, calendar, web page, print.
    std::vector<QPushButton*> top_bar_icons() const;
    // Shows one of the worker's outcomes and, with the 列印 switch on, prints what it wrote.
    void take_outcome(const ReceiptOutcome& outcome);
};

}  // namespace receipt_window
