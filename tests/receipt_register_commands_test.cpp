// tarnwickery-receipt list, void and verify, over a register written through the
// register's own interface beside stand-in PDFs.
#include "docx_fixture.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/issued_pdf.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/sha256.hpp>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace receipt_register;

namespace {

// RFC 4180: fields separated by commas, records by CRLF, quoted fields with doubled
// quotes and any character inside.
std::vector<std::vector<std::string>> read_csv(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, ended = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        ended = false;
        if (quoted) {
            if (c != '"') field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
            else quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            record.push_back(std::move(field));
            records.push_back(std::move(record));
            field.clear();
            record.clear();
            ended = true;
        } else {
            EXPECT_NE(c, '\n') << "a record ends with CRLF";
            field += c;
        }
    }
    EXPECT_TRUE(ended) << "the last record ends with CRLF";
    return records;
}

struct Result {
    int status = -1;
    std::string out, err;
};

class Commands : public testing::Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT",
                   tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()).c_str()};
    std::string folder = receipt_folder();
    std::string names[4];

    Result launcher(const std::string& arguments) { return launcher_as("", arguments); }

    // The launcher run through `wrapper`, a command that runs it as another user.
    Result launcher_as(const std::string& wrapper, const std::string& arguments) {
        const std::string err = platform::root_folder() + "stderr.txt";
        const auto run = tools::run("(" + wrapper + " " + tools::quote(tools::program_dir() + "/tarnwickery-receipt") + " " +
                                    arguments + " 2>" + tools::quote(err) + ")");
        return {run.status, run.output, fixture::read_file(err)};
    }

    // Receipts 1 to 3, the third void, each with its PDF; and a PDF from before the
    // register.
    // Receipt 4, recorded in May for a sale dated in April, with its PDF.
    void add_receipt_recorded_after_its_date(const std::string& buyer, const std::string& tax_number = "",
                                             long long total = 0) {
        Receipt_Register book = Receipt_Register::open(folder);
        Receipt_Record r;
        r.number = 4;
        r.record_date = "2025-05-02";
        r.receipt_date = "2025-04-28";
        r.buyer = buyer;
        r.tax_number = tax_number;
        r.total = total;
        r.file_name = "免用統一發票收據000004 - 測試.pdf";
        fixture::write_file(folder + r.file_name, "%PDF-1.7 receipt 4");
        r.sha256 = sha256_of("%PDF-1.7 receipt 4");
        book.add_pending(r);
        book.mark_issued(4);
    }

    void make_receipts() {
        std::filesystem::create_directories(platform::to_path(folder));
        Receipt_Register book = Receipt_Register::open(folder);
        const struct {
            const char* buyer;
            const char* record_date;
            const char* receipt_date;
        } made[] = {{"王小明", "2025-03-09", "2025-03-09"}, {"He said \"hi\", then left", "2025-04-01", ""},
                    {"大同商行", "2025-04-30", "2025-04-29"}};
        for (long long number = 1; number <= 3; ++number) {
            Receipt_Record r;
            r.number = number;
            r.record_date = made[number - 1].record_date;
            r.receipt_date = made[number - 1].receipt_date;
            r.buyer = made[number - 1].buyer;
            r.tax_number = number == 1 ? "12345678" : "";
            r.rows = {{"茶葉", 2, 300, 600}, {"餅乾", 3, 45, 135}};
            r.total = 735;
            r.file_name = "免用統一發票收據" + number_text(number) + " - 測試.pdf";
            names[number] = folder + r.file_name;
            fixture::write_file(names[number], "%PDF-1.7 receipt " + std::to_string(number));
            r.sha256 = sha256_of_file(platform::to_path(names[number]));
            book.add_pending(r);
            book.mark_issued(number);
        }
        book.void_receipt(3, "金額打錯, 重開", "2025-04-30 10:00:00");
        fixture::write_file(folder + "免用統一發票收據000010 - 舊.pdf", "old");
        fixture::write_file(folder + "notes.pdf", "not a receipt");
    }
};

}  // namespace

TEST_F(Commands, ListShowsATableOrCsvAndCountsPdfsTheRegisterDoesNotKnow) {
    make_receipts();
    const Result table = launcher("list");
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("000001  2025-03-09  114/03/09  王小明"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("作廢    金額打錯, 重開"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("3 receipts (2 issued, 1 void); 1 receipt PDF in " + folder + " is not in the register"),
              std::string::npos)
        << table.out;

    const std::string csv_file = platform::root_folder() + "receipts.csv";
    const Result to_file = launcher("list --csv " + tools::quote(csv_file));
    ASSERT_EQ(to_file.status, 0) << to_file.err;
    const std::string csv = fixture::read_file(csv_file);
    ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF")) << "a byte-order mark leads";
    const auto records = read_csv(csv.substr(3));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"編號", "記錄日期", "收據日期", "買受人", "統一編號", "品名", "總計", "狀態",
                                                    "作廢原因", "檔名", "SHA-256"}));
    EXPECT_EQ(records[1], (std::vector<std::string>{"000001", "2025-03-09", "114/03/09", "王小明", "12345678", "茶葉、餅乾",
                                                    "735", "已開立", "", "免用統一發票收據000001 - 測試.pdf",
                                                    sha256_of_file(platform::to_path(names[1]))}));
    EXPECT_EQ(records[2][3], "He said \"hi\", then left");
    EXPECT_EQ(records[2][2], "") << "no printed date";
    EXPECT_EQ(records[3][7], "作廢");
    EXPECT_EQ(records[3][8], "金額打錯, 重開");

    const Result to_stdout = launcher("list --csv - --from 2025-04-01 --to 2025-04-30");
    ASSERT_EQ(to_stdout.status, 0) << to_stdout.err;
    const auto april = read_csv(to_stdout.out.substr(3));
    ASSERT_EQ(april.size(), 3u) << "only the CSV on standard output";
    EXPECT_EQ(april[1][0], "000002");
    EXPECT_EQ(april[2][0], "000003");
    EXPECT_NE(to_stdout.err.find("2 receipts"), std::string::npos) << "the counts go to standard error";

    for (const char* bad : {"list --from 2025-02-30", "list --to 20250301", "list --from +202-03-01", "list --to '2025- 3-01'",
                            "list --from 115/02/30", "list --from 0/12/31", "list --to 2025/04-01", "list --from 114/4/1/2",
                            "list --bogus", "--batch x list"}) {
        const Result refused = launcher(bad);
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << bad << ": " << refused.err;
    }
}

// Receipt 4 was recorded in May for a sale dated in April.
TEST_F(Commands, ListSelectsByTheReceiptDateInEitherCalendarOrByTheDayRecordedAndByBuyer) {
    make_receipts();
    add_receipt_recorded_after_its_date("大同五金");
    const auto numbers = [&](const std::string& arguments) {
        const Result listed = launcher("list --csv - " + arguments);
        EXPECT_EQ(listed.status, 0) << arguments << ": " << listed.err;
        std::string found;
        const auto records = read_csv(listed.out.substr(std::min<std::size_t>(3, listed.out.size())));
        for (std::size_t i = 1; i < records.size(); ++i) found += (found.empty() ? "" : " ") + records[i][0];
        return found;
    };
    // Receipt 2 has no printed date and counts on the day it was made.
    EXPECT_EQ(numbers("--from 114/04/01 --to 2025/04/30"), "000002 000003 000004");
    EXPECT_EQ(numbers("--from 2025-04-01 --to 114/4/30 --recorded"), "000002 000003");
    EXPECT_EQ(numbers("--from 2025/5/1"), "");
    EXPECT_EQ(numbers("--from 114/05/01 --recorded"), "000004");
    EXPECT_EQ(numbers("--to 114/03/09"), "000001");
    EXPECT_EQ(numbers("--buyer 大同"), "000003 000004");
    EXPECT_EQ(numbers("--buyer 'he SAID \"'"), "000002") << "Latin letters in any case";
    EXPECT_EQ(numbers("--buyer 大同 --from 2025-04-29 --to 2025-04-29"), "000003");
    EXPECT_EQ(numbers("--buyer '%'"), "") << "a wildcard of SQL is matched as itself";
    EXPECT_EQ(numbers("--buyer _"), "");
}

TEST_F(Commands, AWrittenReceiptStillPendingIsKnownAndPrintable) {
    // Receipt 4 was written, but the register could not mark it issued: its row waits
    // for the next start. Receipt 5's pass never published its PDF.
    make_receipts();
    {
        Receipt_Register book = Receipt_Register::open(folder);
        for (long long number : {4LL, 5LL}) {
            Receipt_Record r;
            r.number = number;
            r.record_date = "2025-05-01";
            r.file_name = "免用統一發票收據" + number_text(number) + " - 待.pdf";
            r.sha256 = sha256_of("%PDF-1.7 receipt 4");
            book.add_pending(r);
        }
    }
    fixture::write_file(folder + "免用統一發票收據000004 - 待.pdf", "%PDF-1.7 receipt 4");

    const Result table = launcher("list");
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("1 receipt PDF in " + folder + " is not in the register"), std::string::npos) << table.out;
    // Listed as issued at once, as the next start will mark it, not only after that start.
    EXPECT_NE(table.out.find("000004  2025-05-01"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("000005"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("4 receipts (3 issued, 1 void)"), std::string::npos) << table.out;

    EXPECT_EQ(read_issued_pdf(folder, 4, false).content, "%PDF-1.7 receipt 4");
    try {
        read_issued_pdf(folder, 5, false);
        ADD_FAILURE() << "a receipt whose PDF was never published was accepted";
    } catch (const Reprint_Refusal& refusal) {
        EXPECT_NE(std::string(refusal.what()).find("is missing"), std::string::npos) << refusal.what();
    }
}

TEST_F(Commands, VoidMarksTheReceiptAndLeavesItsPdfAsItIs) {
    make_receipts();
    const Result voided = launcher("void 000002 --reason '買受人寫錯'");
    ASSERT_EQ(voided.status, 0) << voided.err;
    EXPECT_EQ(voided.out, "receipt 000002 is void: 買受人寫錯\n");
    EXPECT_EQ(fixture::read_file(names[2]), "%PDF-1.7 receipt 2");
    const auto listed = Receipt_Register::open(folder).receipts();
    EXPECT_EQ(listed[1].status, Receipt_Status::voided);
    EXPECT_EQ(listed[1].void_reason, "買受人寫錯");
    EXPECT_FALSE(listed[1].voided_at.empty());

    const std::pair<const char*, int> refused[] = {
        {"void 2 --reason again", 1}, {"void 99 --reason x", 1}, {"void 2", 2}, {"void 2 --reason ' '", 2},
        {"void abc --reason x", 2},   {"void 0 --reason x", 2},
    };
    for (const auto& [arguments, status] : refused) {
        const Result result = launcher(arguments);
        EXPECT_EQ(result.status, status) << arguments;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << arguments << ": " << result.err;
    }
    EXPECT_NE(launcher("void 2 --reason again").err.find("000002 is void already"), std::string::npos);
    EXPECT_NE(launcher("void 99 --reason x").err.find("no receipt number 000099"), std::string::npos);
}

TEST_F(Commands, VerifyNamesEveryMissingOrChangedReceipt) {
    make_receipts();
    const Result clean = launcher("verify");
    EXPECT_EQ(clean.status, 0) << clean.err;
    const std::string one_unknown = "; 1 receipt PDF in " + folder + " is not in the register (made before it existed)\n";
    EXPECT_EQ(clean.out, "stranger: notes.pdf\n2 issued receipts checked: 0 missing, 0 changed" + one_unknown);

    std::string bytes = fixture::read_file(names[1]);
    bytes[5] ^= 1;
    fixture::write_file(names[1], bytes);
    std::filesystem::remove(platform::to_path(names[2]));
    std::filesystem::remove(platform::to_path(names[3]));  // void: not checked
    const Result damaged = launcher("verify");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.out, "changed: 免用統一發票收據000001 - 測試.pdf\n"
                           "missing: 免用統一發票收據000002 - 測試.pdf\n"
                           "stranger: notes.pdf\n"
                           "2 issued receipts checked: 1 missing, 1 changed" + one_unknown);
    EXPECT_EQ(damaged.err, "tarnwickery-receipt: 2 of 2 issued receipts are missing or changed\n");

    // With the register gone, checking nothing must not read as all being well; PDFs the
    // register does not know still do not fail the check.
    std::filesystem::remove(platform::to_path(folder + std::string(kRegisterFileName)));
    const Result lost = launcher("verify");
    EXPECT_EQ(lost.status, 0) << lost.err;
    EXPECT_EQ(lost.out, "stranger: notes.pdf\n0 issued receipts checked: 0 missing, 0 changed; 2 receipt PDFs in " + folder +
                            " are not in the register (made before it existed)\n");
}

// Names that only look like receipts moved the numbering while list and verify said
// nothing of them; now they are strangers, named by verify and counted by neither.
TEST_F(Commands, StrayFileNamesAreStrangersToListAndVerify) {
    make_receipts();
    for (const std::string stray : {"免用統一發票收據１２３４５６.pdf", "免用統一發票收據+00010 x.txt", "免用統一發票收據 42"})
        fixture::write_file(folder + stray, "stray");
    std::filesystem::create_directories(platform::to_path(folder + "印章"));
    const Result verified = launcher("verify");
    EXPECT_EQ(verified.status, 0) << verified.err;
    EXPECT_EQ(verified.out, "stranger: notes.pdf\nstranger: 免用統一發票收據 42\nstranger: 免用統一發票收據+00010 x.txt\n"
                            "stranger: 免用統一發票收據１２３４５６.pdf\n2 issued receipts checked: 0 missing, 0 changed; 1 receipt PDF in " +
                                folder + " is not in the register (made before it existed)\n");
    EXPECT_NE(launcher("list").out.find("; 1 receipt PDF in "), std::string::npos);
}

// `list --csv` onto the register's own path wrote the CSV over it, and onto a receipt
// replaced the PDF without asking; `list --xlsx` is held to the same.
TEST_F(Commands, CsvOrXlsxNeverLandsOnTheRegisterOrAReceiptOrAnExistingFile) {
    make_receipts();
    const std::string register_file = folder + std::string(kRegisterFileName);
    std::filesystem::create_directory_symlink(platform::to_path(folder), platform::to_path(platform::root_folder() + "link"));
    const std::string register_bytes = fixture::read_file(register_file);
    for (const std::string& target : {register_file, register_file + "-wal", folder + std::string(kLockFileName), names[1],
                                      folder + "new.csv", platform::root_folder() + "link/new.csv"}) {
        for (const char* format : {"--csv ", "--xlsx "})
            for (const char* force : {"", " --force"}) {
                const Result refused = launcher("list " + std::string(format) + tools::quote(target) + force);
                EXPECT_EQ(refused.status, 1) << format << target;
                EXPECT_NE(refused.err.find("it is in the receipt folder"), std::string::npos) << refused.err;
            }
    }
    EXPECT_EQ(fixture::read_file(register_file), register_bytes);
    EXPECT_EQ(fixture::read_file(names[1]), "%PDF-1.7 receipt 1");
    EXPECT_FALSE(std::filesystem::exists(platform::to_path(folder + "new.csv")));
    EXPECT_EQ(launcher("list").status, 0) << "the register still reads";

    const std::string existing = platform::root_folder() + "kept.csv";
    fixture::write_file(existing, "kept");
    const Result kept = launcher("list --csv " + tools::quote(existing));
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(kept.err, "tarnwickery-receipt: will not replace " + existing + ", which exists; give --force to replace it\n");
    EXPECT_EQ(fixture::read_file(existing), "kept");
    EXPECT_EQ(launcher("list --xlsx " + tools::quote(existing)).status, 1);
    EXPECT_EQ(fixture::read_file(existing), "kept");
    EXPECT_EQ(launcher("list --csv " + tools::quote(existing) + " --force").status, 0);
    EXPECT_TRUE(fixture::read_file(existing).starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(launcher("list --xlsx " + tools::quote(existing) + " --force").status, 0);
    EXPECT_TRUE(fixture::read_file(existing).starts_with("PK")) << "the CSV was replaced by a workbook";
    EXPECT_EQ(launcher("list --csv - --xlsx " + tools::quote(existing) + " --force").status, 2) << "one output at a time";
    EXPECT_EQ(launcher("list --xlsx -").status, 2) << "a workbook is not written to standard output";
    const std::string nowhere = platform::root_folder() + "no folder/x.xlsx";
    EXPECT_EQ(launcher("list --xlsx " + tools::quote(nowhere)).err, "tarnwickery-receipt: cannot write " + nowhere + "\n");
}

// The workbook read back as a spreadsheet program reads it, through openpyxl.
TEST_F(Commands, XlsxKeepsLeadingZerosNumbersAndRocDatesAndHoldsNoFormula) {
    ASSERT_FALSE(std::string(PYTHON3_WITH_OPENPYXL).ends_with("NOTFOUND"))
        << "no python3 on PATH imports openpyxl: install the Debian package python3-openpyxl and configure again";
    make_receipts();
    add_receipt_recorded_after_its_date("=1+1", "04595257", 1200);
    const std::string workbook = platform::root_folder() + "收據.xlsx", script = platform::root_folder() + "read.py";
    const Result written = launcher("list --xlsx " + tools::quote(workbook));
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.out.find("wrote 4 receipts to " + workbook), std::string::npos) << written.out;
    fixture::write_file(script, R"py(
import datetime, sys, openpyxl
for sheet in openpyxl.load_workbook(sys.argv[1]).worksheets:
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            value = cell.value.date().isoformat() if isinstance(cell.value, datetime.datetime) else cell.value
            print(f"{sheet.title}!{cell.coordinate}|{cell.data_type}|{value}|{cell.number_format}")
)py");
    const auto read = tools::run(tools::quote(PYTHON3_WITH_OPENPYXL) + " " + tools::quote(script) + " " + tools::quote(workbook));
    ASSERT_EQ(read.status, 0) << read.output;
    std::map<std::string, std::string> cells;
    std::istringstream lines(read.output);
    for (std::string line; std::getline(lines, line);) {
        const auto bar = line.find('|');
        cells[line.substr(0, bar)] = line.substr(bar + 1);
        EXPECT_EQ(line.find("|f|"), std::string::npos) << "a formula cell: " << line;
    }
    const auto cell = [&](const std::string& name) { return cells.contains(name) ? cells[name] : "(empty)"; };
    EXPECT_EQ(cell("收據!A2"), "s|000001|General");
    EXPECT_EQ(cell("收據!E2"), "s|12345678|General");
    EXPECT_EQ(cell("收據!E5"), "s|04595257|General");
    EXPECT_EQ(cell("收據!D5"), "s|=1+1|General");
    EXPECT_EQ(cell("收據!G2"), "n|735|#,##0");
    EXPECT_EQ(cell("收據!B2"), "d|2025-03-09|[$-zh-TW]e/mm/dd");
    EXPECT_EQ(cell("收據!C5"), "d|2025-04-28|[$-zh-TW]e/mm/dd");
    EXPECT_EQ(cell("收據!C3"), "(empty)") << "receipt 2 has no printed date";
    EXPECT_EQ(cell("收據!H2"), "s|已開立|General");
    EXPECT_EQ(cell("收據!H4"), "s|作廢|General");
    EXPECT_EQ(cell("收據!I4"), "s|金額打錯, 重開|General");
    EXPECT_EQ(cell("收據!G6"), "n|2670|#,##0") << "735 + 735 + 1200: the void receipt 3 counts for nothing";
    EXPECT_EQ(cell("收據!A7"), "(empty)");
    EXPECT_EQ(cell("收據!J2"), "(empty)") << "file names are on a sheet of their own";
    EXPECT_EQ(cell("檔案!A5"), "s|000004|General");
    EXPECT_EQ(cell("檔案!B2"), "s|免用統一發票收據000001 - 測試.pdf|General");
    EXPECT_EQ(cell("檔案!C2"), "s|" + sha256_of_file(platform::to_path(names[1])) + "|General");
}

// A buyer =HYPERLINK(…) opened in a spreadsheet as a live link; a buyer holding a
// newline, a vertical tab or U+202E printed as it was and could forge a row of the table.
TEST_F(Commands, CsvFormulasAndForgedTableRowsAreDefused) {
    std::filesystem::create_directories(platform::to_path(folder));
    const std::string buyers[] = {"=HYPERLINK(\"http://x\",\"y\")", "+1", "-2", "@SUM(A1)", "\tx", "\rx",
                                  "a\n000009  2025-01-01", "b\vc\u202Ed", "e\x1b[2Jf"};
    {
        Receipt_Register book = Receipt_Register::open(folder);
        for (long long number = 1; number <= 9; ++number) {
            Receipt_Record r;
            r.number = number;
            r.record_date = "2025-03-09";
            r.buyer = buyers[number - 1];
            r.file_name = "免用統一發票收據" + number_text(number) + " - x.pdf";
            book.add_pending(r);
            book.mark_issued(number);
        }
    }
    const Result csv = launcher("list --csv -");
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto records = read_csv(csv.out.substr(3));
    ASSERT_EQ(records.size(), 10u);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(records[i + 1][3], "'" + buyers[i]);
    EXPECT_EQ(records[7][3], buyers[6]);
    EXPECT_EQ(records[7][6], "0") << "numbers stay numbers";

    const Result table = launcher("list");
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 11) << table.out;
    EXPECT_NE(table.out.find("a\\n000009  2025-01-01"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("b\\vc\\u202Ed"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("e\\u001B[2Jf"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("=HYPERLINK"), std::string::npos) << "the table shows the buyer as given";
}

#ifndef _WIN32
// list and verify opened the register for writing: on read-only media, or for a user
// who may only read, they failed with "unable to open database file".
TEST_F(Commands, ListVerifyAndPrintNeedNoWriteAccess) {
    make_receipts();
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(platform::to_path(folder)))
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(platform::to_path(folder), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    // The super-user writes whatever the modes say; the launcher then runs as nobody.
    const auto reader = [&](const std::string& arguments) {
        if (geteuid() != 0) return launcher(arguments);
        return launcher_as("setpriv --reuid=65534 --regid=65534 --clear-groups", arguments);
    };
    const std::string before = fixture::read_file(folder + std::string(kRegisterFileName));
    const Result listed = reader("list");
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("3 receipts (2 issued, 1 void)"), std::string::npos) << listed.out;
    const Result verified = reader("verify");
    EXPECT_EQ(verified.status, 0) << verified.err;
    EXPECT_NE(verified.out.find("2 issued receipts checked: 0 missing, 0 changed"), std::string::npos) << verified.out;
    const Result printed = reader("print 3");
    EXPECT_NE(printed.err.find("receipt 000003 is void"), std::string::npos) << printed.err;
    EXPECT_EQ(fixture::read_file(folder + std::string(kRegisterFileName)), before);
    EXPECT_FALSE(fs::exists(platform::to_path(folder + std::string(kRegisterFileName) + "-wal")));
    fs::permissions(platform::to_path(folder), fs::perms::owner_all);
}
#endif

// verify passed a tampered register: a deleted row read as a PDF from before the
// register, an edited total or void reason went unseen, and a file name leading out of
// the folder had verify and print read another file.
TEST_F(Commands, VerifyNamesTheFirstRecordATamperedRegisterBreaks) {
    ASSERT_EQ(tools::run("command -v sqlite3").status, 0) << "the sqlite3 program is missing: install Debian's sqlite3 package "
                                                            "(scripts/install-deps does)";
    make_receipts();
    const std::string file = folder + std::string(kRegisterFileName);
    const std::string intact = fixture::read_file(file);
    const struct {
        const char* sql;
        const char* out;
        const char* err;
    } tampering[] = {
        {"DELETE FROM receipts WHERE number = 2",
         "chain broken: record 2: receipt 000002 is gone from the register\nnumbers missing from the register: 000002\n",
         "the register has been changed behind the program's back; numbers are missing from the register"},
        {"UPDATE receipts SET total = 1 WHERE number = 1", "chain broken: record 1: receipt 000001 has been changed since it was issued\n",
         "the register has been changed behind the program's back"},
        {"UPDATE receipts SET void_reason = '沒事' WHERE number = 3",
         "chain broken: record 4: the void of receipt 000003 has been changed since it was recorded\n",
         "the register has been changed behind the program's back"},
        {"INSERT INTO receipts SELECT 7, status, record_date, receipt_date, buyer, tax_number, total, exemption_seal_asked, "
         "exemption_seal_printed, owner_seal_asked, owner_seal_printed, file_name, sha256, void_reason, voided_at FROM receipts "
         "WHERE number = 1",
         "chain broken: receipt 000007 is in the register but not in its chain of records\nnumbers missing from the register: "
         "000004-000006\n",
         "the register has been changed behind the program's back; numbers are missing from the register"},
    };
    for (const auto& t : tampering) {
        fixture::write_file(file, intact);
        ASSERT_EQ(tools::run("sqlite3 " + tools::quote(file) + " " + tools::quote(t.sql)).status, 0) << t.sql;
        const Result verified = launcher("verify");
        EXPECT_EQ(verified.status, 1) << t.sql;
        EXPECT_NE(verified.out.find(t.out), std::string::npos) << t.sql << "\n" << verified.out;
        EXPECT_EQ(verified.err, "tarnwickery-receipt: " + std::string(t.err) + "\n") << t.sql;
    }

    fixture::write_file(file, intact);
    ASSERT_EQ(tools::run("sqlite3 " + tools::quote(file) + " \"UPDATE receipts SET file_name = '../../../etc/hostname' WHERE number = 1\"")
                  .status,
              0);
    const Result verified = launcher("verify");
    EXPECT_EQ(verified.status, 1);
    EXPECT_NE(verified.out.find("refused: receipt 000001's file name ../../../etc/hostname leaves the receipt folder\n"),
              std::string::npos)
        << verified.out;
    EXPECT_EQ(verified.out.find("missing: ../"), std::string::npos) << "the file outside is never looked at";
    EXPECT_NE(verified.err.find("1 file names leave the receipt folder"), std::string::npos) << verified.err;
    const Result printed = launcher("print 1");
    EXPECT_EQ(printed.status, 1);
    EXPECT_NE(printed.err.find("its file name ../../../etc/hostname in the register leaves the receipt folder"), std::string::npos)
        << printed.err;
}

TEST_F(Commands, WithoutARegisterOrWithANewerOne) {
    const Result empty = launcher("list");
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_NE(empty.out.find("0 receipts (0 issued, 0 void); 0 receipt PDFs"), std::string::npos) << empty.out;
    EXPECT_EQ(launcher("verify").status, 0);
    EXPECT_EQ(launcher("void 1 --reason x").status, 1);
    EXPECT_FALSE(std::filesystem::exists(platform::to_path(folder + std::string(kRegisterFileName))))
        << "reading never creates the register";

    make_receipts();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder + std::string(kRegisterFileName)).c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version = 9", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (const char* command : {"list", "void 1 --reason x", "verify"}) {
        const Result refused = launcher(command);
        EXPECT_EQ(refused.status, 1) << command;
        EXPECT_NE(refused.err.find("written by a newer version of this program (schema 9"), std::string::npos) << refused.err;
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    }
}
