// The receipt book opened from the main window's top bar, driven as a user does on
// Qt's offscreen platform: search and date range, voiding with its confirmation, and
// printing again only what the register says was issued.
#include "docx_fixture.hpp"
#include "last_backup.hpp"
#include "monthly_limit.hpp"
#include <receipt_channels/request_rules.hpp>
#include "register_window.hpp"
#include "test_env.hpp"
#include "void_dialog.hpp"
#include "window_fixture.hpp"

#include <platform/clock.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/backup.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/sha256.hpp>

#include <sqlite3.h>

#include <QCheckBox>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableView>
#include <widget_kit/theme.hpp>

#include <cstdio>
#include <filesystem>

namespace {

using receipt_window::Register_Window;

std::string test_name() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

std::string this_month_day(int day) {
    const platform::LocalDate today = platform::local_today();
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", today.year, today.month, day);
    return text;
}

class Window_Register : public window_test::Window_Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT", tools::fresh_folder(test_name()).c_str()};
    std::string folder = receipt_register::receipt_folder();

    // Registers receipt `number` as issued beside a stand-in PDF; `receipt_date` empty
    // when none was printed.
    std::string add(long long number, const std::string& buyer, const std::string& record_date,
                    const std::string& receipt_date, long long total) {
        using namespace receipt_register;
        Receipt_Record record{.number = number, .record_date = record_date, .receipt_date = receipt_date,
                              .buyer = buyer, .tax_number = "04595257", .total = total};
        record.file_name = std::string(kReceiptPrefix) + number_text(number) + " - " + buyer + ".pdf";
        std::filesystem::create_directories(platform::to_path(folder));
        const std::string content = "%PDF-1.7 stand-in receipt " + std::to_string(number);
        fixture::write_file(folder + record.file_name, content);
        record.sha256 = sha256_of(content);
        Receipt_Register book = Receipt_Register::open(folder);
        book.add_pending(record);
        book.mark_issued(number);
        return folder + record.file_name;
    }

    // Opens the book from the main window's top bar, as a user does.
    Register_Window& open_book(receipt_window::Receipt_Window& window) {
        click(top_bar_buttons(window).at(4));
        EXPECT_TRUE(window.register_window);
        return *window.register_window;
    }

    static std::vector<std::string> column(Register_Window& book, int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < book.model->rowCount(); ++row)
            texts.push_back(book.model->index(row, column).data().toString().toStdString());
        return texts;
    }
    static void select(Register_Window& book, int row) { book.table->selectRow(row); }
    static std::string message(Register_Window& book) { return book.message->text().toStdString(); }
};

TEST(Register_Dates, RocAndGregorianDatesAreReadAndNothingElse) {
    using request_rules::typed_day;
    EXPECT_EQ(typed_day("115/11/01"), "2026-11-01");
    EXPECT_EQ(typed_day(" 115-11-1 "), "2026-11-01");
    EXPECT_EQ(typed_day("2026/11/30"), "2026-11-30");
    EXPECT_EQ(typed_day("2026-11-30"), "2026-11-30");
    EXPECT_EQ(typed_day("113/02/29"), "2024-02-29");
    for (const char* wrong : {"", "115/02/29", "115/13/01", "115/11", "2026/11-01", "115/11/01x", "0/01/01", "11５/11/01"})
        EXPECT_EQ(typed_day(wrong), std::nullopt) << wrong;
    EXPECT_EQ(request_rules::roc_date_text("2026-11-01"), "115/11/01");
    EXPECT_EQ(request_rules::roc_date_text("1911-11-01"), "1911-11-01") << "no ROC year to give";
}

TEST_F(Window_Register, SearchAsTypedAndARangeOfReceiptDates) {
    // Made in October, dated November: it counts in November.
    add(1, "Tea House 茶行", "2025-10-31", "2025-11-02", 500);
    add(2, "大同商行", "2025-11-05", "2025-11-05", 1200);
    add(3, "大同商行", "2025-12-01", "", 300);
    add(4, "小明", this_month_day(1), this_month_day(1), 70);
    add(10, "茶行二號", "2025-11-20", "2025-11-30", 40);
    auto window = open_window();
    Register_Window& book = open_book(*window);

    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number),
              (std::vector<std::string>{"000010", "000004", "000003", "000002", "000001"}))
        << "newest first";
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::day).back(), "114/11/02");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::day)[2], "114/12/01") << "the record date when none was printed";
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::tax_number).front(), "04595257") << "leading zero kept";
    EXPECT_EQ(book.shown_line->text().toStdString(), "Shown: 5 receipts (0 void), total NT$2,110");
    EXPECT_EQ(book.month_line->text().toStdString(), "This month: 1 receipts, total NT$70");

    window_test::type_text(book.search, "茶行");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number), (std::vector<std::string>{"000010", "000001"}));
    window_test::type_text(book.search, "二");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number), std::vector<std::string>{"000010"});
    book.search->clear();
    window_test::type_text(book.search, "tea");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number), std::vector<std::string>{"000001"})
        << "letters in either case";
    book.search->clear();
    window_test::type_text(book.search, "10");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number), std::vector<std::string>{"000010"})
        << "by number";
    book.search->clear();

    window_test::type_text(book.from, "114/11/01");
    window_test::type_text(book.to, "2025-11-30");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number),
              (std::vector<std::string>{"000010", "000002", "000001"}))
        << "by the date printed on the receipt, either calendar";
    EXPECT_EQ(book.shown_line->text().toStdString(), "Shown: 3 receipts (0 void), total NT$1,740");
    window_test::type_text(book.search, "大同");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number), std::vector<std::string>{"000002"});

    // A date that is no day is marked and leaves that end of the range open.
    book.to->setText("114/11/31");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number), (std::vector<std::string>{"000003", "000002"}));
    EXPECT_EQ(message(book), "A date such as 115/11/01 or 2026-11-01");
    EXPECT_FALSE(book.to->styleSheet().isEmpty());
    book.to->setText("114/11/30");
    EXPECT_TRUE(book.to->styleSheet().isEmpty());
    EXPECT_EQ(message(book), "");

    // The button brings the open book forward, read again.
    add(11, "大同商行", "2025-11-21", "2025-11-21", 5);
    click(top_bar_buttons(*window).at(4));
    EXPECT_EQ(window->register_window.data(), &book);
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number), (std::vector<std::string>{"000011", "000002"}));
}

TEST_F(Window_Register, VoidingAsksNamingTheReceiptAndKeepsTheReason) {
    add(1, "大同商行", "2025-11-05", "2025-11-05", 1200);
    const std::string second = add(2, "小明<b>", "2025-11-06", "2025-11-06", 300);
    auto window = open_window();
    Register_Window& book = open_book(*window);
    EXPECT_FALSE(book.void_button->isEnabled()) << "nothing selected";

    select(book, 0);
    click(book.void_button);
    auto* dialog = book.findChild<receipt_window::Void_Dialog*>();
    ASSERT_NE(dialog, nullptr);
    const auto labels = dialog->findChildren<QLabel*>();
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(window_test::shown_text(*labels.front()), "Void receipt No. 000002 for 小明<b>?");
    EXPECT_FALSE(dialog->confirm_button()->isEnabled()) << "a reason is required";
    window_test::type_text(dialog->reason_field(), "   ");
    EXPECT_FALSE(dialog->confirm_button()->isEnabled());
    dialog->reject();
    EXPECT_TRUE(window_test::wait_for([&] { return book.findChild<receipt_window::Void_Dialog*>() == nullptr; }));
    EXPECT_EQ(receipt_register::Receipt_Register::open(folder).receipt(2)->status, receipt_register::Receipt_Status::issued)
        << "kept when the user says no";

    click(book.void_button);
    dialog = book.findChild<receipt_window::Void_Dialog*>();
    ASSERT_NE(dialog, nullptr);
    window_test::type_text(dialog->reason_field(), "買受人寫錯");
    ASSERT_TRUE(dialog->confirm_button()->isEnabled());
    click(dialog->confirm_button());
    const auto voided = receipt_register::Receipt_Register::open(folder).receipt(2);
    EXPECT_EQ(voided->status, receipt_register::Receipt_Status::voided);
    EXPECT_EQ(voided->void_reason, "買受人寫錯");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::status), (std::vector<std::string>{"void", "issued"}));
    EXPECT_EQ(message(book), "No. 000002 is void: 買受人寫錯");
    EXPECT_EQ(book.shown_line->text().toStdString(), "Shown: 1 receipts (1 void), total NT$1,200");

    select(book, 0);
    EXPECT_FALSE(book.void_button->isEnabled());
    EXPECT_FALSE(book.print_button->isEnabled());
    click(book.open_button);
    EXPECT_EQ(opened_files, std::vector<std::string>{second}) << "a void receipt can still be looked at";
}

TEST_F(Window_Register, PrintingAgainRefusesAChangedPdfAndOpeningAMissingOne) {
    const std::string first = add(1, "大同商行", "2025-11-05", "2025-11-05", 1200);
    auto window = open_window();
    Register_Window& book = open_book(*window);
    select(book, 0);

    fixture::write_file(first, "%PDF-1.7 changed");
    click(book.print_button);
    EXPECT_EQ(offered_printers.size(), 1u);
    EXPECT_EQ(message(book), "") << "cancelled: nothing printed";
    printer_answer = platform::PrintRequest{.printer = "office"};
    click(book.print_button);
    EXPECT_TRUE(window_test::wait_for([&] { return message(book).starts_with("No. 000001 was not printed"); }))
        << message(book);
    EXPECT_EQ(message(book), "No. 000001 was not printed: its PDF " + first +
                                 " has changed since it was issued (its SHA-256 is not the one in the register)");
    EXPECT_EQ(window->print_choice.printer, "office") << "the choice is the main window's too";

    std::filesystem::remove(platform::to_path(first));
    click(book.open_button);
    EXPECT_TRUE(opened_files.empty());
    EXPECT_EQ(message(book), "No. 000001 was not opened: its PDF " + first + " is missing");
}

// The owner's service trade halves the limit and is kept in settings.ini; void receipts
// count for nothing.
TEST_F(Window_Register, TheMonthlyLimitLineTurnsAmberFrom80PercentAndRedAbove) {
    add(1, "大同商行", this_month_day(1), this_month_day(1), 79'000);
    add(2, "大同商行", this_month_day(2), this_month_day(2), 50'000);
    receipt_register::Receipt_Register::open(folder).void_receipt(2, "重開", "2026-01-01 10:00:00");
    auto window = open_window();
    Register_Window* book = &open_book(*window);
    const auto colour = [&] { return book->limit_line->palette().color(QPalette::WindowText); };
    const auto line = [&] { return book->limit_line->text().toStdString(); };
    EXPECT_EQ(line(), "This month NT$79,000 of the NT$200,000 monthly limit (39 %)");
    EXPECT_FALSE(book->service_trade->isChecked());

    click(book->service_trade);
    EXPECT_EQ(line(), "This month NT$79,000 of the NT$100,000 monthly limit (79 %)");
    EXPECT_EQ(colour(), Widget_Kit::theme().text);
    EXPECT_TRUE(receipt_window::read_service_trade(platform::root_folder() + "settings.ini"));

    add(3, "大同商行", this_month_day(3), this_month_day(3), 1'000);
    book->reload();
    EXPECT_EQ(line(), "This month NT$80,000 of the NT$100,000 monthly limit (80 %)");
    EXPECT_EQ(colour(), Widget_Kit::theme().warning);
    add(4, "大同商行", this_month_day(4), this_month_day(4), 20'000);
    book->reload();
    EXPECT_EQ(colour(), Widget_Kit::theme().warning) << "the limit itself is not above it";
    add(5, "大同商行", this_month_day(5), this_month_day(5), 1'000);
    book->reload();
    EXPECT_EQ(line(), "This month NT$101,000 of the NT$100,000 monthly limit (101 %)");
    EXPECT_EQ(colour(), Widget_Kit::theme().error);

    // A book opened again takes the trade from the settings file.
    book->close();
    ASSERT_TRUE(window_test::wait_for([&] { return !window->register_window; }));
    book = &open_book(*window);
    EXPECT_TRUE(book->service_trade->isChecked());
    EXPECT_EQ(colour(), Widget_Kit::theme().error);
}

// The main window's line under the total holds this month against the same limit, read
// again after a receipt is written and when the book closes.
TEST_F(Window_Register, TheMainWindowsTotalAreaHoldsThisMonthAgainstTheLimit) {
    receipt_window::write_service_trade(platform::root_folder() + "settings.ini", true);
    add(1, "大同商行", this_month_day(1), this_month_day(1), 79'000);
    auto window = open_window();
    QLabel* line = window->limit_line;
    const auto colour = [&] { return line->palette().color(QPalette::WindowText); };
    EXPECT_EQ(line->text().toStdString(), "This month NT$79,000 of the NT$100,000 monthly limit (79 %)");
    EXPECT_EQ(colour(), Widget_Kit::theme().text);
    EXPECT_EQ(line->toolTip().toStdString(),
              "The limit line is for your own guidance; the tax office decides whether you may keep writing these receipts.");

    add(2, "大同商行", this_month_day(2), this_month_day(2), 1'000);
    Register_Window* book = &open_book(*window);
    EXPECT_EQ(line->text().toStdString(), "This month NT$79,000 of the NT$100,000 monthly limit (79 %)");
    book->close();
    ASSERT_TRUE(window_test::wait_for([&] { return !window->register_window; }));
    EXPECT_EQ(line->text().toStdString(), "This month NT$80,000 of the NT$100,000 monthly limit (80 %)");
    EXPECT_EQ(colour(), Widget_Kit::theme().warning);

    const std::string pdf = add(3, "大同商行", this_month_day(3), this_month_day(3), 21'000);
    queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = pdf, .number = 3});
    ASSERT_TRUE(window_test::wait_for([&] { return line->text().contains("101 %"); })) << line->text().toStdString();
    EXPECT_EQ(line->text().toStdString(), "This month NT$101,000 of the NT$100,000 monthly limit (101 %)");
    EXPECT_EQ(colour(), Widget_Kit::theme().error);

    // A register that cannot be read leaves the line empty and says why when pointed at.
    const std::string register_file = folder + std::string(receipt_register::kRegisterFileName);
    for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(platform::to_path(register_file + end));
    fixture::write_file(register_file, std::string(4096, 'x'));
    window->show_month_limit();
    EXPECT_EQ(line->text().toStdString(), "");
    EXPECT_NE(line->toolTip().toStdString().find(register_file), std::string::npos) << line->toolTip().toStdString();
}

// The book's backup button writes an archive that checks whole, keeps its time, and the
// line beside it reminds once the last backup is over 30 days old.
TEST_F(Window_Register, TheBackupButtonWritesACheckedArchiveAndRemindsAfter30Days) {
    add(1, "大同商行", this_month_day(1), this_month_day(1), 1'000);
    add(2, "小林書店", this_month_day(2), this_month_day(2), 2'000);
    const std::string settings = platform::root_folder() + "settings.ini";
    const QDateTime now(QDate(2026, 12, 8), QTime(10, 0));
    const std::string destination = tools::fresh_folder(test_name() + "-usb");
    std::string chosen = destination;
    const auto open = [&] {
        return std::make_unique<Register_Window>(nullptr, receipt_window::Register_Window_Setup{
            .folder = folder, .settings_file = settings, .choose_folder = [&](QWidget*) { return chosen; },
            .now = [&] { return now; }});
    };
    const auto line = [](Register_Window& book) { return book.backup_line->text().toStdString(); };
    const auto colour = [](Register_Window& book) { return book.backup_line->palette().color(QPalette::WindowText); };

    receipt_window::write_last_backup(settings, now.addDays(-29));
    auto book = open();
    EXPECT_EQ(line(*book), "Last backup 2026-11-09 10:00");
    EXPECT_EQ(colour(*book), Widget_Kit::theme().text);
    receipt_window::write_last_backup(settings, now.addDays(-31));
    book = open();
    EXPECT_EQ(line(*book), "Last backup 2026-11-07 10:00, over 30 days ago; back up now.");
    EXPECT_EQ(colour(*book), Widget_Kit::theme().warning);

    click(book->backup_button);
    ASSERT_TRUE(window_test::wait_for([&] { return book->backup_button->isEnabled(); })) << message(*book);
    const std::string prefix = "Backup written: ";
    ASSERT_TRUE(message(*book).starts_with(prefix)) << message(*book);
    const std::string archive = message(*book).substr(prefix.size());
    EXPECT_TRUE(archive.starts_with(destination)) << archive;
    const auto verified = tools::run(tools::quote(tools::program_dir() + "/tarnwickery-receipt") + " verify --archive " +
                                     tools::quote(archive) + " 2>&1");
    EXPECT_EQ(verified.status, 0) << verified.output;
    const receipt_register::Archive_Contents contents = receipt_register::check_archive(archive);
    EXPECT_EQ(contents.pdfs, 2u);
    EXPECT_EQ(contents.issued, 2u);
    EXPECT_TRUE(book->backup_progress->isHidden());
    EXPECT_EQ(book->backup_progress->value(), 3) << "the register and two PDFs";
    EXPECT_EQ(receipt_window::read_last_backup(settings), now);
    EXPECT_EQ(line(*book), "Last backup 2026-12-08 10:00");
    EXPECT_EQ(colour(*book), Widget_Kit::theme().text);

    chosen = destination + "/no such folder/backup.zip";
    click(book->backup_button);
    ASSERT_TRUE(window_test::wait_for([&] { return book->backup_button->isEnabled(); }));
    EXPECT_TRUE(message(*book).starts_with("The backup was not written: ")) << message(*book);
    EXPECT_FALSE(std::filesystem::exists(platform::to_path(chosen)));
}

// The export holds every receipt the search selects, as shown, read back as a
// spreadsheet program reads it.
TEST_F(Window_Register, ExportWritesTheReceiptsTheSearchSelects) {
    ASSERT_FALSE(std::string(PYTHON3_WITH_OPENPYXL).ends_with("NOTFOUND"))
        << "no python3 on PATH imports openpyxl: install the Debian package python3-openpyxl and configure again";
    add(1, "大同商行", this_month_day(1), this_month_day(1), 1'000);
    add(2, "小林書店", this_month_day(2), this_month_day(2), 2'000);
    add(3, "大同商行", this_month_day(3), this_month_day(3), 4'000);
    add(4, "大同商行", this_month_day(4), this_month_day(4), 8'000);
    receipt_register::Receipt_Register::open(folder).void_receipt(3, "重開", "2026-01-01 10:00:00");
    const std::string out = tools::fresh_folder(test_name() + "-out");
    std::string chosen = out + "/大同";
    Register_Window book(nullptr, {.folder = folder, .settings_file = platform::root_folder() + "settings.ini",
                                   .choose_workbook = [&](QWidget*) { return chosen; }});
    book.search->setText("大同");
    ASSERT_EQ(book.model->shown_count(), 3);
    click(book.export_button);
    const std::string workbook = out + "/大同.xlsx";
    EXPECT_EQ(message(book), "Exported 3 receipts to " + workbook);

    const std::string script = out + "/read.py";
    fixture::write_file(script, R"py(
import sys, openpyxl
for row in openpyxl.load_workbook(sys.argv[1])["收據"].iter_rows(min_row=2, values_only=True):
    print("|".join("" if value is None else str(value) for value in (row[0], row[3], row[6], row[7])))
)py");
    const auto read = tools::run(tools::quote(PYTHON3_WITH_OPENPYXL) + " " + tools::quote(script) + " " + tools::quote(workbook));
    ASSERT_EQ(read.status, 0) << read.output;
    EXPECT_EQ(read.output, "000004|大同商行|8000|已開立\n000003|大同商行|4000|作廢\n000001|大同商行|1000|已開立\n||9000|\n");

    chosen = out + "/no such folder/x.xlsx";
    click(book.export_button);
    EXPECT_TRUE(message(book).starts_with("The workbook was not written: ")) << message(book);
}

// Rows reach the view a page at a time as it scrolls, while the sums cover every
// receipt selected from the start.
TEST_F(Window_Register, ALongRegisterIsShownAPageAtATime) {
    add(1, "大同商行", "2025-01-01", "2025-01-01", 10);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((folder + std::string(receipt_register::kRegisterFileName)).c_str(), &db), SQLITE_OK);
        const std::string insert =
            "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 1234) "
            "INSERT INTO receipts SELECT i, 'issued', '2025-02-01', '', '商行' || i, '', 10, 0, 0, 0, 0, "
            "'免用統一發票收據' || printf('%06d', i) || '.pdf', '', '', '' FROM n";
        EXPECT_EQ(sqlite3_exec(db, insert.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    auto window = open_window();
    Register_Window& book = open_book(*window);
    EXPECT_EQ(book.model->rowCount(), receipt_window::Register_Table_Model::kPage);
    EXPECT_EQ(book.shown_line->text().toStdString(), "Shown: 1234 receipts (0 void), total NT$12,340");
    ASSERT_TRUE(window_test::wait_for([&] {
        book.table->scrollToBottom();
        return book.model->rowCount() == 1234;
    }));
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::number).back(), "000001");
    EXPECT_EQ(column(book, receipt_window::Register_Table_Model::buyer)[1], "商行1233");

    window_test::type_text(book.search, "商行12");
    EXPECT_EQ(book.model->shown_count(), 1 + 10 + 35) << "商行12, 商行120 to 129, 商行1200 to 1234";
    EXPECT_EQ(book.model->rowCount(), 46);
}

}  // namespace
