// tarnwickery-receipt summary over a hand-made register: months of the printed date,
// voids and rows still pending left out of the totals, per buyer, as CSV.
#include "docx_fixture.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using namespace receipt_register;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

class Summary : public testing::Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT",
                   tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()).c_str()};
    std::string folder = receipt_folder();

    Result launcher(const std::string& arguments) {
        const std::string err = platform::root_folder() + "stderr.txt";
        const auto run = tools::run("(" + tools::quote(tools::program_dir() + "/tarnwickery-receipt") + " " + arguments +
                                    " 2>" + tools::quote(err) + ")");
        return {run.status, run.output, fixture::read_file(err)};
    }

    void SetUp() override {
        std::filesystem::create_directories(platform::to_path(folder));
        Receipt_Register book = Receipt_Register::open(folder);
        const struct {
            const char* record_date;
            const char* receipt_date;
            const char* buyer;
            long long total;
            Receipt_Status status;
        } made[] = {
            {"2025-03-09", "2025-03-09", "大同商行", 1000, Receipt_Status::issued},
            // Recorded in April, dated on the receipt in March: it counts in March.
            {"2025-04-01", "2025-03-31", "王小明", 500, Receipt_Status::issued},
            {"2025-03-15", "2025-03-15", "大同商行", 700, Receipt_Status::voided},
            // No date printed: it counts in the month it was made.
            {"2025-04-02", "", "大同商行", 300, Receipt_Status::issued},
            {"2026-03-01", "2026-03-01", "王小明", 200, Receipt_Status::issued},
            {"2025-03-20", "2025-03-20", "王小明", 9000, Receipt_Status::pending},
        };
        long long number = 0;
        for (const auto& receipt : made) {
            Receipt_Record record;
            record.number = ++number;
            record.record_date = receipt.record_date;
            record.receipt_date = receipt.receipt_date;
            record.buyer = receipt.buyer;
            record.tax_number = record.buyer == "大同商行" ? "04595257" : "";
            record.total = receipt.total;
            record.file_name = std::string(kReceiptPrefix) + number_text(number) + ".pdf";
            record.sha256 = std::string(64, '0');
            book.add_pending(record);
            if (receipt.status == Receipt_Status::pending) continue;
            book.mark_issued(number);
            if (receipt.status == Receipt_Status::voided) book.void_receipt(number, "打錯", "2025-03-15 10:00:00");
        }
    }
};

}  // namespace

TEST_F(Summary, TotalsCountIssuedReceiptsByThePrintedMonth) {
    const Result all = launcher("summary");
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out,
              "月份       開立張數  作廢張數  開立總額\n"
              "114年03月  2         1         1500\n"
              "114年04月  1         0         300\n"
              "115年03月  1         0         200\n"
              "合計       4         1         2000\n");

    // 114 is 2025 as the Republic of China counts it.
    const Result march = launcher("summary --year 114 --month 3 --by-buyer --csv -");
    ASSERT_EQ(march.status, 0) << march.err;
    EXPECT_EQ(march.out,
              "\xEF\xBB\xBF"
              "月份,買受人,統一編號,開立張數,作廢張數,開立總額\r\n"
              "114年03月,大同商行,04595257,1,1,1000\r\n"
              "114年03月,王小明,,1,0,500\r\n");
    EXPECT_EQ(launcher("summary --year 2025 --csv -").out, launcher("summary --year 114 --csv -").out);

    const std::string file = platform::root_folder() + "totals.csv";
    const Result to_file = launcher("summary --year 2026 --csv " + tools::quote(file));
    ASSERT_EQ(to_file.status, 0) << to_file.err;
    EXPECT_EQ(fixture::read_file(file), "\xEF\xBB\xBF月份,開立張數,作廢張數,開立總額\r\n115年03月,1,0,200\r\n");

    EXPECT_EQ(launcher("summary --month 13").status, 2);
}
