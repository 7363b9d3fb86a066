#include "receipt_window.hpp"

#include "print_dialog.hpp"
#include "question_dialog.hpp"
#include "monthly_limit.hpp"
#include "receipt_rows.hpp"
#include "register_window.hpp"
#include "seal_check.hpp"
#include "send_refusal.hpp"
#include "tax_number_field.hpp"

#include <i18n/tr.hpp>
#include <platform/desktop.hpp>
#include <platform/root_folder.hpp>
#include <receipt_channels/request_rules.hpp>
#include <receipt_channels/worker_entry.hpp>
#include <receipt_register/receipt_files.hpp>
#include <widget_kit/error.hpp>
#include <widget_kit/geometry.hpp>
#include <widget_kit/handlers.hpp>
#include <widget_kit/images.hpp>
#include <widget_kit/label.hpp>
#include <widget_kit/theme.hpp>

#include <QApplication>
#include <QIcon>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>

#include <algorithm>
#include <iostream>
#include <tuple>

namespace receipt_window {

namespace {

constexpr const char* kFont = "Microsoft JhengHei";
constexpr const char* kOutputButton = "輸出單據";
constexpr const char* kPrintButton = "列印";
constexpr const char* kStillWriting = i18n::msgid("The receipt is still being written; print once it is done");
constexpr const char* kProductPageHost = "www.tarnwickery.com.tw";
constexpr const char* kProductPagePath = "/免用統一發票收據軟體";
constexpr int kStatusPeriod = 500;
constexpr const char* kExemptionSeal = "免用統一發票章";
constexpr const char* kOwnerSeal = "負責人章";

// Where Windows fonts are missing, their free stand-ins take their place.
void use_fallback_fonts() {
    const std::string fallback = platform::fallback_font_family(kFont);
    if (!fallback.empty()) QFont::insertSubstitution(kFont, QString::fromStdString(fallback));
    QApplication::setFont(Widget_Kit::pixel_font(kFont, 15, false));
}

Widget_Kit::Frame* panel(QWidget* parent, Widget_Kit::Frame_Options options) { return new Widget_Kit::Frame(parent, options); }

// A button that only shows a picture, the same whether or not it is enabled.
QPushButton* picture_button(QWidget* parent, const QPixmap& pixmap, int width) {
    auto* button = new QPushButton(parent);
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Disabled);
    button->setIcon(icon);
    button->setIconSize(pixmap.deviceIndependentSize().toSize());
    button->setFlat(true);
    button->setStyleSheet("background-color: transparent; border: none;");
    button->setMinimumWidth(width);
    button->setFixedHeight(pixmap.deviceIndependentSize().toSize().height() + 4);
    button->setEnabled(false);
    return button;
}

}  // namespace

Desktop system_desktop() {
    return {platform::show_folder, platform::open_web_page, platform::open_file, choose_printer_in_dialog, ask_in_dialog};
}

std::string Receipt_Window::output_folder() { return platform::root_folder() + "免用統一發票收據/"; }

std::string Receipt_Window::seal_folder() { return output_folder() + "印章/"; }

std::string Receipt_Window::product_page(bool secure) {
    QUrl url;
    url.setScheme(secure ? "https" : "http");
    url.setHost(kProductPageHost);
    url.setPath(QString::fromUtf8(kProductPagePath));
    return url.toString(QUrl::FullyEncoded).toStdString();
}

Receipt_Window::Receipt_Window(Queue_All_variable& queues_, Event_All_variable& events_, Window_Setup setup_)
    : queues(queues_), events(events_), setup(std::move(setup_)), settings(setup.settings_file) {
    Widget_Kit::set_appearance_mode("dark");
    Widget_Kit::set_default_color_theme("blue");
    use_fallback_fonts();

    app = std::make_unique<Widget_Kit::Window>();
    app->title("免用統一發票收據軟體");
    for (int column = 0; column < 3; ++column) Widget_Kit::grid_columnconfigure(app.get(), column, 1);
    app->resizable(false, false);
    try {
        Widget_Kit::set_icon(app.get(), picture("logo.ico"));
    } catch (const std::exception& error) {
        std::cout << error.what() << std::endl;
    }

    FF = panel(app.get(), {.fg_color = "transparent"});
    Widget_Kit::grid(FF, {.row = 0, .column = 0, .columnspan = 2, .padx = {10, 5}, .pady = {10, 5}, .sticky = "nsew"});
    AA = panel(app.get(), {.fg_color = "transparent"});
    Widget_Kit::grid(AA, {.row = 1, .column = 0, .padx = {10, 5}, .pady = {5, 0}, .sticky = "nsew"});
    BB = panel(app.get(), {.fg_color = "transparent"});
    Widget_Kit::grid(BB, {.row = 1, .column = 1, .padx = {0, 10}, .pady = {5, 0}, .sticky = "nsew"});
    DD = panel(app.get(), {.fg_color = "transparent"});
    Widget_Kit::grid(DD, {.row = 2, .column = 0, .columnspan = 2, .padx = {10, 10}, .pady = {5, 0}, .sticky = "ew"});
    EE = panel(app.get(), {.fg_color = "transparent"});
    Widget_Kit::grid(EE, {.row = 3, .column = 0, .columnspan = 2, .padx = {10, 10}, .pady = {5, 10}, .sticky = "ew"});

    frame0 = panel(DD, {.width = 700, .height = 300});
    Widget_Kit::grid(frame0, {.row = 0, .column = 0, .sticky = "new"});
    frame1 = panel(AA, {.width = 395, .height = 100});
    Widget_Kit::grid(frame1, {.row = 0, .column = 0, .sticky = "new"});
    frame5 = panel(frame1, {.width = 395, .height = 100, .fg_color = "transparent"});
    Widget_Kit::place(frame5, 10, 10);
    frame2 = panel(BB, {.width = 300, .height = 100});
    Widget_Kit::grid(frame2, {.row = 0, .column = 0, .sticky = "new"});
    frame3 = panel(EE, {.width = 700, .height = 100});
    Widget_Kit::grid(frame3, {.row = 0, .column = 0, .sticky = "new"});
    frame4 = panel(FF, {.height = 10, .fg_color = "transparent"});
    Widget_Kit::grid(frame4, {.row = 0, .column = 0, .sticky = "nsew"});

    try {
        build_title_area();
    } catch (const std::exception& error) {
        std::cout << error.what() << std::endl;
    }

    // The old bottom panel stays in its cell behind the new one.
    frame3 = panel(EE, {.fg_color = "transparent"});
    Widget_Kit::grid(frame3, {.row = 0, .column = 0, .pady = {0, 5}});

    mylabel_time_text = new Widget_Kit::Text_Variable("總額0元", app.get());
    mylabel_time = Widget_Kit::make_label(frame3, {.textvariable = mylabel_time_text,
                                                   .font = Widget_Kit::point_font(kFont, 30, true),
                                                   .bg_color = "#2b2b2b",
                                                   .fg_color = "white"});
    Widget_Kit::grid(mylabel_time, {.row = 0, .column = 0, .sticky = "nsew"});
    limit_line = new QLabel(frame3);
    limit_line->setFont(Widget_Kit::point_font(kFont, 9, false));
    limit_line->setAlignment(Qt::AlignCenter);
    Widget_Kit::grid(limit_line, {.row = 1, .column = 0, .sticky = "ew"});
    show_month_limit();

    entry_table = std::make_unique<Entry_Table>(frame0);
    entry_table->add_entry_name("商品名稱", 200);
    entry_table->add_entry_name("商品數量", 100);
    entry_table->add_entry_name("商品單價", 100);
    entry_table->add_entry_name("商品總額", 200, "disabled");
    entry_table->add_table(7, true);

    set_table = std::make_unique<Widget_Kit::Set_Table>(frame5);
    set_table->add_entry_name("買受人");
    set_table->add_entry_name("統一編號");
    buyer_completion = new Buyer_Completion(set_table->entry("買受人"), set_table->entry("統一編號"), output_folder());

    button_event_005 = try_except.try_except_log("button_event_005", [this] { open_product_page(); });

    set_button.add_button(BB, {.button_name = kOutputButton, .text = kOutputButton, .size = {25, 25},
                               .button_event = [this] { button_event_001(); }, .width = 140,
                               .padx = 50, .pady = {0, 44}, .sticky = ""});
    status_line = new Status_Line(BB, [this](const std::string& file) {
        try {
            setup.desktop.open_file(file);
        } catch (const std::exception& error) {
            status_line->add_problem(i18n::tr("cannot open {1}: {2}", {file, error.what()}));
        }
    });
    // Three rows under the button, which sits high in its panel to make room for them.
    Widget_Kit::grid(status_line, {.row = 0, .column = 0, .pady = {0, 2}, .sticky = "s"});
    // Six in a row right of the title, 37 px apart: the receipt book, the preview, the web
    // page, the calendar, the folder, printing.
    set_button.add_button(FF, {.image_path = picture("資料夾.png"), .size = {25, 25},
                               .button_event = [this] { button_event_003(); }, .fg_color = "transparent",
                               .row = 0, .column = 1, .padx = {193, 40}});
    set_button.add_button(FF, {.image_path = picture("日曆001.png"), .size = {25, 25},
                               .button_event = [this] { button_event_004(); }, .fg_color = "transparent",
                               .row = 0, .column = 1, .padx = {156, 77}});
    set_button.add_button(FF, {.image_path = picture("問號001.png"), .size = {25, 25},
                               .button_event = [this] { button_event_005(); }, .fg_color = "transparent",
                               .row = 0, .column = 1, .padx = {119, 114}});
    print_button = set_button.add_button(FF, {.button_name = kPrintButton, .image_path = picture("列印001.png"),
                                              .size = {25, 25}, .button_event = [this] { button_event_006(); },
                                              .fg_color = "transparent", .row = 0, .column = 1, .padx = {230, 3}});
    print_button->setEnabled(false);
    set_button.add_button(FF, {.text = i18n::tr("Receipts"), .button_event = [this] { open_register_window(*this); },
                               .width = 66, .row = 0, .column = 1, .padx = {6, 186}});
    set_button.add_button(FF, {.image_path = picture("預覽001.png"), .size = {25, 25},
                               .button_event = [this] { button_event_007(); }, .fg_color = "transparent",
                               .row = 0, .column = 1, .padx = {82, 151}});

    switch_var_001 = new Widget_Kit::Text_Variable("on", app.get());
    switch_1 = new Widget_Kit::Switch(FF, {.text = "日期", .command = [this] { switch_event_001(); },
                                           .variable = switch_var_001, .onvalue = "on", .offvalue = "off",
                                           .font = Widget_Kit::pixel_font(kFont, 13, true)});
    Widget_Kit::grid(switch_1, {.row = 0, .column = 1, .padx = {185, 0}, .pady = {40, 0}, .sticky = "w"});
    date_label = new Date_Label(FF);
    Widget_Kit::grid(date_label, {.row = 0, .column = 1, .padx = {112, 0}, .pady = {40, 0}, .sticky = "w"});
    switch_event_001();
    switch_var_002 = new Widget_Kit::Text_Variable("off", app.get());
    switch_2 = new Widget_Kit::Switch(FF, {.text = "列印", .command = [this] { switch_event_002(); },
                                           .variable = switch_var_002, .onvalue = "on", .offvalue = "off",
                                           .font = Widget_Kit::pixel_font(kFont, 13, true)});
    Widget_Kit::grid(switch_2, {.row = 0, .column = 1, .padx = {30, 0}, .pady = {40, 0}, .sticky = "w"});

    check_var_1 = new Widget_Kit::Text_Variable("false", app.get());
    checkbox_1 = new Widget_Kit::Check_Box(frame3, {.text = "免用統一發票章", .command = [this] { checkbox_event_1(); },
                                                    .variable = check_var_1, .onvalue = "on", .offvalue = "off",
                                                    .bg_color = "#2b2b2b"});
    Widget_Kit::grid(checkbox_1, {.row = 0, .column = 0, .padx = {550, 5}, .pady = {0, 30}});
    check_var_2 = new Widget_Kit::Text_Variable("false", app.get());
    checkbox_2 = new Widget_Kit::Check_Box(frame3, {.text = "負責人章　　　", .command = [this] { checkbox_event_2(); },
                                                    .variable = check_var_2, .onvalue = "on", .offvalue = "off",
                                                    .bg_color = "#2b2b2b"});
    Widget_Kit::grid(checkbox_2, {.row = 0, .column = 0, .padx = {550, 5}, .pady = {30, 0}});

    make_tax_number_field(set_table->entry("統一編號"));
    for (QLineEdit* field : form_fields())
        QObject::connect(field, &QLineEdit::textChanged, field,
                         [this, field] { Widget_Kit::call_handler([&] { field_changed(field); }); });
    set_up_keyboard();
    apply_settings();
    preview = std::make_unique<Receipt_Preview>(
        app.get(), queues.at("preview"), queues.at("preview_done"),
        Receipt_Preview::Hooks{.read_form = [this] { return read_form(); },
                               .issue = [this] { button_event_001(); },
                               .placed = [this](QRect place) {
                                   preview_place = place;
                                   remember_choices();
                               }},
        preview_place);

    aa = try_except.try_except_log("aa", [this] { status_loop_run(); });
    Widget_Kit::after(app.get(), kStatusPeriod, aa);
}

Receipt_Window::~Receipt_Window() = default;

void Receipt_Window::build_title_area() {
    const QPixmap logo = Widget_Kit::load_image(picture("logo.png"), {50, 50});
    Widget_Kit::grid(picture_button(frame4, logo, 50), {.row = 0, .column = 0, .padx = {0, 5}, .sticky = "w"});
    const QPixmap word_mark = Widget_Kit::load_image(picture("logo(僅文字).png"), {120, 30});
    Widget_Kit::grid(picture_button(frame4, word_mark, 50), {.row = 0, .column = 1, .padx = {0, 15}, .sticky = "w"});
    QLabel* title = Widget_Kit::make_label(frame4, {.text = "免用統一發票收據軟體", .font = Widget_Kit::pixel_font(kFont, 20, true)});
    Widget_Kit::grid(title, {.row = 0, .column = 2, .sticky = "nsew"});
}

std::vector<QLineEdit*> Receipt_Window::form_fields() const {
    std::vector<QLineEdit*> fields{set_table->entry("買受人"), set_table->entry("統一編號")};
    for (QLineEdit* cell : entry_table->cells_in_tab_order()) fields.push_back(cell);
    return fields;
}

void Receipt_Window::set_up_keyboard() {
    QPushButton* output = set_button.button(kOutputButton);
    const std::vector<QPushButton*> icons = top_bar_icons();
    std::vector<QWidget*> path;
    for (QLineEdit* field : form_fields()) path.push_back(field);
    // The switches and icons left to right, as they show: 列印 before 日期; the web page,
    // the calendar, the folder, then printing.
    // The receipt book's button stands left of the four icons, though made after them.
    for (QWidget* control : std::initializer_list<QWidget*>{checkbox_1, checkbox_2, switch_2, switch_1, output, icons.at(4),
                                                           icons.at(5), icons.at(2), icons.at(1), icons.at(0),
                                                           icons.at(3)})
        path.push_back(control);
    for (std::size_t i = 1; i < path.size(); ++i) QWidget::setTabOrder(path[i - 1], path[i]);
    set_table->entry("買受人")->setFocus();

    const auto press = [this] { Widget_Kit::call_handler([this] { button_event_001(); }); };
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        QObject::connect(new QShortcut(QKeySequence(key), output, nullptr, nullptr, Qt::WidgetShortcut),
                         &QShortcut::activated, output, [output] { output->click(); });
        QObject::connect(new QShortcut(QKeySequence(Qt::CTRL | key), app.get()), &QShortcut::activated, app.get(), press);
    }
    QObject::connect(new QShortcut(QKeySequence::Print, app.get()), &QShortcut::activated, print_button,
                     [this] { print_button->click(); });
    for (QLineEdit* cell : entry_table->cells_in_tab_order())
        QObject::connect(cell, &QLineEdit::returnPressed, cell, [this, cell, output] {
            QWidget* next = entry_table->below(cell);
            (next != nullptr ? next : output)->setFocus(Qt::TabFocusReason);
        });

    output->setToolTip(QString::fromStdString(i18n::tr("Issue the receipt (Enter here, Ctrl+Enter anywhere)")));
    const char* icon_tips[] = {i18n::msgid("Open the folder of the receipts"), i18n::msgid("Choose the receipt date"),
                               i18n::msgid("Open the program's web page"),
                               i18n::msgid("Print the last receipt again (Ctrl+P)")};
    for (std::size_t i = 0; i < std::size(icon_tips); ++i) icons[i]->setToolTip(QString::fromStdString(i18n::tr(icon_tips[i])));
    icons.at(4)->setToolTip(QString::fromStdString(i18n::tr("Find, open, print again or void an earlier receipt")));
    icons.at(5)->setToolTip(QString::fromStdString(i18n::tr("Preview")));
    switch_1->setToolTip(QString::fromStdString(i18n::tr("Print the date on the receipt")));
    switch_2->setToolTip(QString::fromStdString(i18n::tr("Print each receipt as soon as it is written")));
}

std::vector<QPushButton*> Receipt_Window::top_bar_icons() const {
    std::vector<QPushButton*> icons;
    for (auto* button : FF->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly)) icons.push_back(button);
    return icons;
}

void Receipt_Window::apply_settings() {
    const Remembered_Choices& choices = settings.choices();
    if (!settings.warning().empty()) {
        std::cerr << settings.warning() << std::endl;
        status_line->show_warning(settings.warning(), {});
    }
    print_choice.printer = choices.printer;
    // The boxes' variables keep their first value while their choice is off.
    if (choices.exemption_seal) check_var_1->set("on");
    if (choices.owner_seal) check_var_2->set("on");
    if (choices.print_each) switch_var_002->set("on");
    PP.parameters["顯示免用統一發票章"] = choices.exemption_seal;
    PP.parameters["顯示負責人章"] = choices.owner_seal;
    print_each = choices.print_each;
    if (const auto& place = choices.preview_place) preview_place = QRect(place->x, place->y, place->width, place->height);
    show_seal_pictures();
}

void Receipt_Window::remember_choices() {
    try {
        settings.save({.exemption_seal = PP.parameters.at("顯示免用統一發票章").get<bool>(),
                       .owner_seal = PP.parameters.at("顯示負責人章").get<bool>(),
                       .print_each = print_each,
                       .printer = print_choice.printer,
                       .preview_place = preview_place ? std::optional<Window_Place>(
                                                            {preview_place->x(), preview_place->y(),
                                                             preview_place->width(), preview_place->height()})
                                                      : std::nullopt});
    } catch (const std::exception& error) {
        status_line->add_problem(error.what());
    }
}

void Receipt_Window::show_seal_pictures() {
    const std::string folder = seal_folder();
    const std::pair<Widget_Kit::Check_Box*, const char*> boxes[] = {{checkbox_1, kExemptionSeal}, {checkbox_2, kOwnerSeal}};
    for (const auto& [box, stem] : boxes) {
        const bool missing = box->isChecked() && !seal_picture_present(folder, stem);
        box->set_mark(missing ? Widget_Kit::Mark::warning : Widget_Kit::Mark::none);
        box->setToolTip(QString::fromStdString(
            missing ? i18n::tr("{1} has no picture in {2}: put {1}.png there, or the receipt goes without it",
                               {stem, folder})
                    : i18n::tr("Print the seal {1} on the receipt", {stem})));
    }
}

void Receipt_Window::field_changed(QLineEdit* field) {
    if (preview) preview->form_changed();
    status_line->field_changed(field);
    std::erase_if(refused_cells,
                  [&](const Unreadable_Cell& refused) { return entry_table->cell(refused.row, refused.column) == field; });
    if (field != set_table->entry("統一編號")) return;
    const Tax_Number_Check check = check_tax_number(field->text().toStdString());
    // A number that fails only its check digit is said at once; one still being typed
    // shows by its red border alone.
    if (check.mark == Widget_Kit::Mark::warning) status_line->show_warning(check.reason, {field});
}

nlohmann::json Receipt_Window::request_of(const Receipt_Rows& rows) const {
    nlohmann::json request = nlohmann::json::object();
    request["買受人"] = set_table->get("買受人");
    request["買受人統一編號"] = set_table->get("統一編號");
    request["品名"] = rows.names;
    request["數量"] = rows.quantities;
    request["單件價格"] = rows.unit_prices;
    request["存檔路徑"] = output_folder();
    for (const char* key : {"顯示免用統一發票章", "顯示負責人章", "顯示日期", "年", "月", "日"})
        request[key] = PP.parameters.at(key);
    return request;
}

Form_Reading Receipt_Window::read_form() {
    PP.follow_today();
    const auto table = entry_table->get();
    const Receipt_Rows rows = read_rows(table);
    if (const auto refusal =
            send_refusal(table, rows, set_table->get("買受人"), set_table->get("統一編號"), PP.parameters))
        return {std::nullopt, refusal->reason, {}};
    return {request_of(rows), {}, seal_folder_state(seal_folder())};
}

void Receipt_Window::button_event_001() {
    PP.follow_today();
    const auto table = entry_table->get();
    const Receipt_Rows rows = read_rows(table);
    const std::string tax_number = set_table->get("統一編號");
    // A typed row left out would make a receipt that differs from the screen.
    if (!rows.unreadable.empty()) mylabel_time_text->set("金額輸入錯誤");
    if (const auto refusal = send_refusal(table, rows, set_table->get("買受人"), tax_number, PP.parameters)) {
        refused_cells = refusal->cells;
        entry_table->mark_cells(refused_cells);
        std::vector<const QWidget*> about;
        for (const Unreadable_Cell& cell : refusal->cells) about.push_back(entry_table->cell(cell.row, cell.column));
        if (refusal->about_buyer) about.push_back(set_table->entry("買受人"));
        if (refusal->about_tax_number) about.push_back(set_table->entry("統一編號"));
        if (refusal->about_total) {
            const auto cells = entry_table->cells_in_tab_order();
            about.insert(about.end(), cells.begin(), cells.end());
        }
        status_line->show_refusal(refusal->reason, std::move(about));
        return;
    }
    refused_cells.clear();
    entry_table->mark_cells({});
    nlohmann::json request = request_of(rows);
    if (events.at("get_receipt").is_set()) return;
    if (last_written.written && request == last_written_request &&
        !setup.desktop.confirm(app.get(), i18n::tr("The same as the last receipt, No. {1}. Issue it all the same?",
                                                   {receipt_register::number_text(last_written.number)})))
        return;
    requests_awaited.push_back(request);
    queues.at("get_receipt").put(std::move(request));
    ++outcomes_awaited;
    status_line->clear_outcome();
}

void Receipt_Window::button_event_003() {
    std::string folder = output_folder();
    folder.pop_back();
    try {
        setup.desktop.show_folder(folder);
    } catch (const std::exception& error) {
        status_line->add_problem(i18n::tr("cannot open {1}: {2}", {folder, error.what()}));
    }
}

void Receipt_Window::button_event_006() {
    if (!last_written.written) return;
    // The receipt being made would be written while the dialog is open, and its number
    // could go unseen; the sale's receipt might then be made twice.
    if (outcomes_awaited > 0) {
        status_line->show_refusal(i18n::tr(kStillWriting));
        return;
    }
    // The receipt shown when the button was pressed: another may be written while the
    // dialog is open.
    const ReceiptOutcome receipt = last_written;
    const long long taken_before = outcomes_taken;
    const auto chosen = setup.desktop.choose_printer(app.get(), print_choice);
    if (!chosen) return;
    print_choice = *chosen;
    remember_choices();
    const int copies = print_choice.copies;
    // An outcome that came while the dialog was open keeps its line.
    status_line->start_reprint(receipt, copies, outcomes_taken != taken_before);
    const std::string folder = platform::from_path(platform::to_path(receipt.pdf_path).parent_path()) + "/";
    printing->reprint(folder, receipt.number, print_choice,
                      [this, receipt, copies](const Receipt_Printing::Result& result) {
                          status_line->end_reprint(receipt, copies, result.failure);
                      });
}

void Receipt_Window::show_month_limit() {
    try {
        const long long limit = trade_limit(read_service_trade(platform::root_folder() + "settings.ini"));
        show_limit(limit_line, this_month_total(output_folder()), limit);
    } catch (const std::exception& error) {
        limit_line->clear();
        limit_line->setToolTip(QString::fromStdString(error.what()));
    }
}

void Receipt_Window::take_outcome(const ReceiptOutcome& outcome) {
    nlohmann::json request;
    if (!requests_awaited.empty()) {
        request = std::move(requests_awaited.front());
        requests_awaited.pop_front();
    }
    if (!outcome.written) {
        status_line->show_outcome(outcome);
        return;
    }
    last_written = outcome;
    last_written_request = std::move(request);
    show_month_limit();
    print_button->setEnabled(true);
    if (!print_each) {
        status_line->show_outcome(outcome);
        return;
    }
    status_line->show_outcome(outcome, Status_Line::Paper::printing);
    printing->print(outcome.pdf_path, {.printer = print_choice.printer, .copies = 1},
                    [this, outcome](const Receipt_Printing::Result& result) {
                        status_line->end_print(outcome, result.failure);
                    });
}

void Receipt_Window::button_event_004() {
    auto* setting_window = new Widget_Kit::Window(app.get());
    const std::string icon = picture("logo.ico");
    Widget_Kit::after(setting_window, 250, [setting_window, icon] { Widget_Kit::set_icon(setting_window, icon); });
    setting_window->title("日期");
    setting_window->geometry("250x250");
    const int year = PP.parameters.at("年"), month = PP.parameters.at("月"), day = PP.parameters.at("日");
    calendar = new Widget_Kit::CTkCalendar(setting_window, true, year, month);
    Widget_Kit::grid(calendar, {.row = 0, .column = 0, .sticky = "new"});
    // Taken as it is picked: the calendar window goes as soon as it is closed.
    QObject::connect(calendar, &Widget_Kit::CTkCalendar::picked, app.get(), [this](int year, int month, int day) {
        Widget_Kit::call_handler([&] {
            PP.pick_date(year, month, day);
            date_label->show_date(PP.parameters);
            if (preview) preview->form_changed();
        });
    });
    setting_window->bring_to_front();

    const std::string held = std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
    const auto& days = calendar->data.at("日曆按鈕");
    const auto found = days.find(held);
    if (found == days.end()) throw Widget_Kit::Error("the calendar has no day " + held);
    Widget_Kit::configure(found->second, {.fg_color = "#9D9D9D"});
}

void Receipt_Window::button_event_007() {
    seal_pictures = seal_folder_state(seal_folder());
    preview->open();
}

void Receipt_Window::open_product_page() {
    try {
        setup.desktop.open_web_page(product_page(true));
    } catch (...) {
        const std::string page = product_page(false);
        try {
            setup.desktop.open_web_page(page);
        } catch (const std::exception& error) {
            status_line->add_problem(i18n::tr("cannot open {1}: {2}", {page, error.what()}));
            throw;  // and into the fault log, as every handler's failure goes
        }
    }
}

void Receipt_Window::switch_event_001() {
    if (switch_var_001->get() == "on") PP.parameters["顯示日期"] = true;
    else if (switch_var_001->get() == "off") PP.parameters["顯示日期"] = false;
    date_label->show_date(PP.parameters);
    if (preview) preview->form_changed();
}

void Receipt_Window::switch_event_002() {
    if (switch_var_002->get() == "on") print_each = true;
    else if (switch_var_002->get() == "off") print_each = false;
    remember_choices();
}

void Receipt_Window::checkbox_event_1() {
    if (check_var_1->get() == "on") PP.parameters["顯示免用統一發票章"] = true;
    else if (check_var_1->get() == "off") PP.parameters["顯示免用統一發票章"] = false;
    remember_choices();
    show_seal_pictures();
    if (preview) preview->form_changed();
}

void Receipt_Window::checkbox_event_2() {
    if (check_var_2->get() == "on") PP.parameters["顯示負責人章"] = true;
    else if (check_var_2->get() == "off") PP.parameters["顯示負責人章"] = false;
    remember_choices();
    show_seal_pictures();
    if (preview) preview->form_changed();
}

void Receipt_Window::status_loop_run() {
    try {
        const Receipt_Rows rows = read_rows(entry_table->get());
        std::vector<Unreadable_Cell> marked = rows.unreadable;
        marked.insert(marked.end(), refused_cells.begin(), refused_cells.end());
        entry_table->mark_cells(marked);
        if (!rows.unreadable.empty()) mylabel_time_text->set("金額輸入錯誤");
        else if (rows.overflow || rows.total > request_rules::kLargestTotal) mylabel_time_text->set("金額超過上限");
        else mylabel_time_text->set("總額" + decimal_text(rows.total) + "元");
    } catch (...) {
        mylabel_time_text->set("金額輸入錯誤");
    }

    try {
        if (events.at("get_receipt").is_set()) {
            const std::string shown = set_button.cget(kOutputButton, "text");
            const std::string next = shown == "輸出中." ? "輸出中.." : shown == "輸出中.." ? "輸出中..." : "輸出中.";
            set_button.configure(kOutputButton, {.text = next});
        } else {
            set_button.configure(kOutputButton, {.text = kOutputButton});
        }
        // The preview's 輸出單據 is pressed in vain while the worker is busy, as this one is.
        if (Preview_Window* shown = preview->window())
            shown->issue_button->setText(QString::fromStdString(set_button.cget(kOutputButton, "text")));
    } catch (...) {
        // The button's text is cosmetic; the next run tries again.
    }

    try {
        // Said while the pass lasts; the pass's outcome takes its place.
        if (const auto notices = queues.find("notice"); notices != queues.end())
            while (const auto notice = notices->second.try_get()) status_line->show_warning(notice->get<std::string>(), {});
        while (const auto outcome = queues.at("outcome").try_get()) {
            outcomes_awaited = std::max(outcomes_awaited - 1, 0);
            ++outcomes_taken;
            take_outcome(outcome->get<ReceiptOutcome>());
        }
    } catch (const std::exception& error) {
        status_line->show_refusal(i18n::tr("the worker's report cannot be read: {1}", {error.what()}));
    }

    try {
        show_seal_pictures();
    } catch (...) {
        // The boxes' marks are advice; the next run looks again.
    }

    const auto day_of = [this] { return std::tuple(PP.parameters.at("年"), PP.parameters.at("月"), PP.parameters.at("日")); };
    const auto day_before = day_of();
    PP.follow_today();
    date_label->show_date(PP.parameters);
    // Every other change of the form tells the preview as it happens; a seal's picture
    // put into its folder, or replaced, is looked for here while the preview is open.
    if (day_of() != day_before) preview->form_changed();
    if (preview->window()) {
        std::string pictures = seal_folder_state(seal_folder());
        if (pictures != seal_pictures) preview->form_changed();
        seal_pictures = std::move(pictures);
    }

    entry_table->update();
    Widget_Kit::after(app.get(), kStatusPeriod, aa);
}

}  // namespace receipt_window
