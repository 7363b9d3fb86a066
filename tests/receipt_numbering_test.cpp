#include "numbering.hpp"
#include "tools.hpp"
#include "docx_fixture.hpp"

#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using namespace receipt_worker;

namespace {

const std::string kPrefix = "免用統一發票收據";

std::string folder_with(const std::string& name, const std::vector<std::string>& entries) {
    const std::string folder = tools::fresh_folder(name);
    for (const auto& entry : entries) {
        if (entry.ends_with("/"))
            std::filesystem::create_directory(platform::to_path(folder + entry));
        else
            fixture::write_file(folder + entry, "");
    }
    return folder;
}

}  // namespace

TEST(DataNameNumber, OneMoreThanTheLargestNumberBehindThePrefix) {
    struct Case {
        const char* what;
        std::vector<std::string> entries;
        long long expected;
    };
    const Case cases[] = {
        {"empty folder", {}, 1},
        {"3 and 7 among others", {kPrefix + "000003 - a.pdf", kPrefix + "000007 - b.pdf", "notes.txt", "000009.pdf"}, 8},
        {"letters after the prefix", {kPrefix + "abc.pdf"}, 1},
        {"short name", {kPrefix + "12"}, 13},
        {"folders count too", {kPrefix + "000004/"}, 5},
        {"past 999999", {kPrefix + "999999 - a.pdf", kPrefix + "1000000 - b.pdf", kPrefix + "1000001 - c.pdf"}, 1000002},
        {"a leftover .docx counts", {kPrefix + "000010 - x.docx"}, 11},
    };
    for (const auto& c : cases)
        EXPECT_EQ(data_name_number(kPrefix, folder_with("numbering", c.entries)), c.expected) << c.what;
    EXPECT_THROW(data_name_number(kPrefix, tools::fresh_folder("numbering") + "absent/"), std::filesystem::filesystem_error);
}

TEST(ReceiptFileName, BuyerTaxNumberAndRecordDate) {
    const Date day{2025, 1, 5};
    EXPECT_EQ(receipt_file_name(42, "王小明", "12345678", day),
              "免用統一發票收據000042 - 買受人：王小明；統一編號：12345678（記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1, "", "12345678", day), "免用統一發票收據000001 - 統一編號：12345678（記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1, "王小明", "", day), "免用統一發票收據000001 - 買受人：王小明（記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1, "", "", day), "免用統一發票收據000001 - （記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1234567, "", "", day), "免用統一發票收據1234567 - （記錄日期：2025年01月05日）");
}

TEST(ReceiptFileName, RefusesNamesThatLeaveTheFolderOrThatWindowsRefuses) {
    const Date day{2025, 1, 5};
    for (const std::string buyer : {"../../etc/x", "a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "..", "a\nb"})
        EXPECT_THROW(receipt_file_name(1, buyer, "", day), std::runtime_error) << buyer;
    EXPECT_THROW(receipt_file_name(1, "", "12/45678", day), std::runtime_error);
    EXPECT_NO_THROW(receipt_file_name(1, "台灣（股）公司．", "", day));
}
