// The receipt book on a large register: the time to open it (select the receipts in
// SQLite, read the first page of rows, show it) and to filter it as a user types a
// buyer, a number and a date range. The register is written straight into SQLite, receipts only, since
// the book reads nothing else. Qt's offscreen platform stands in for the desktop.
//
// Usage: register_window_bench [RECEIPTS]   (100000 unless given)
#include "bench_support.hpp"
#include "register_window.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>

#include <sqlite3.h>

#include <QApplication>
#include <QLineEdit>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("cannot ") + what + ": " + sqlite3_errmsg(db));
}

// `count` issued receipts, a tenth of them void, from 2015 on, a thousand buyers.
void fill(const std::string& folder, int count) {
    receipt_register::Receipt_Register::open(folder);
    sqlite3* db = nullptr;
    check(sqlite3_open((folder + std::string(receipt_register::kRegisterFileName)).c_str(), &db), db, "open the register");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO receipts VALUES (?1, ?2, ?3, ?3, ?4, '04595257', ?5, 1, 1, 1, 1, ?6, "
                             "'0000000000000000000000000000000000000000000000000000000000000000', '', '')",
                             -1, &insert, nullptr),
          db, "prepare the insert");
    for (int number = 1; number <= count; ++number) {
        char day[16];
        std::snprintf(day, sizeof day, "%04d-%02d-%02d", 2015 + number / 9000, 1 + number / 750 % 12, 1 + number % 28);
        const std::string buyer = "商行" + std::to_string(number % 1000) + " Trading";
        const std::string file = std::string(receipt_register::kReceiptPrefix) + receipt_register::number_text(number) + ".pdf";
        sqlite3_bind_int64(insert, 1, number);
        sqlite3_bind_text(insert, 2, number % 10 == 0 ? "void" : "issued", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, day, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, buyer.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 5, 100 + number % 5000);
        sqlite3_bind_text(insert, 6, file.c_str(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(insert), db, "insert a receipt");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

void report(const char* what, const std::vector<double>& times, int rows) {
    const bench::Spread spread = bench::spread_of(times);
    std::printf("%-44s median %7.1f ms  fastest %7.1f ms  worst %7.1f ms  (%d rows shown)\n", what, spread.median,
                spread.fastest, spread.worst, rows);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100'000;
    if (argc > 2 || count <= 0) {
        std::fprintf(stderr, "usage: register_window_bench [RECEIPTS]\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) bench::set_environment("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const auto root = std::filesystem::temp_directory_path() / "register-window-bench";
    std::filesystem::remove_all(root);
    const std::string folder = platform::from_path(root) + "/";
    std::filesystem::create_directories(root);
    auto start = std::chrono::steady_clock::now();
    fill(folder, count);
    std::printf("%d receipts written in %.0f ms; %s\n", count, bench::milliseconds_since(start), bench::machine_load().c_str());

    receipt_window::Register_Window_Setup setup{.folder = folder};
    std::vector<double> opening, reading, buyer, narrowing, number, range, clearing;
    int shown_buyer = 0, shown_narrowed = 0, shown_number = 0, shown_range = 0;
    for (int round = 0; round < kRounds; ++round) {
        start = std::chrono::steady_clock::now();
        receipt_window::Register_Window book(nullptr, setup);
        book.show();
        QApplication::processEvents();
        opening.push_back(bench::milliseconds_since(start));

        start = std::chrono::steady_clock::now();
        book.reload();
        reading.push_back(bench::milliseconds_since(start));

        const auto typed = [&](QLineEdit* field, const char* text, std::vector<double>& times) {
            start = std::chrono::steady_clock::now();
            field->setText(QString::fromUtf8(text));
            QApplication::processEvents();
            times.push_back(bench::milliseconds_since(start));
            return book.model->shown_count();
        };
        shown_buyer = typed(book.search, "商行12", buyer);
        shown_narrowed = typed(book.search, "商行123", narrowing);
        typed(book.search, "", clearing);
        shown_number = typed(book.search, "0424", number);
        typed(book.search, "", clearing);
        book.from->setText("107/01/01");
        shown_range = typed(book.to, "2018-06-30", range);
    }
    report("open the book (select, read a page, show)", opening, count);
    report("read the register again", reading, count);
    report("search a buyer \"商行12\"", buyer, shown_buyer);
    report("type on to \"商行123\"", narrowing, shown_narrowed);
    report("search a number \"0424\"", number, shown_number);
    report("clear the search", clearing, count);
    report("date range 107/01/01 to 2018-06-30", range, shown_range);
    std::filesystem::remove_all(root);
    return 0;
}
