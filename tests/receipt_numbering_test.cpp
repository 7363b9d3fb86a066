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
        {"folders count too", {kPrefix + "000004 - x/"}, 5},
        {"the number ends the name", {kPrefix + "000006.pdf"}, 7},
        {"past 999999", {kPrefix + "999999 - a.pdf", kPrefix + "1000000 - b.pdf", kPrefix + "1000001 - c.pdf"}, 1000002},
        {"a leftover .docx counts", {kPrefix + "000010 - x.docx"}, 11},
    };
    for (const auto& c : cases)
        EXPECT_EQ(data_name_number(kPrefix, folder_with("numbering", c.entries)), c.expected) << c.what;
    EXPECT_THROW(data_name_number(kPrefix, tools::fresh_folder("numbering") + "absent/"), std::filesystem::filesystem_error);
}

// Numbering read the six characters after the prefix as any whole number: full-width
// digits, a sign, an underscore or a blank moved it, while list and verify saw no receipt.
TEST(DataNameNumber, StrayFileNamesDoNotMoveTheNumbering) {
    for (const std::string& stray : {kPrefix + "１２３４５６.pdf", kPrefix + "+00010 x.txt", kPrefix + "1_0000 copy",
                                     kPrefix + " 42", kPrefix + "12", kPrefix + "000004/", kPrefix + "000007.pdf.bak",
                                     kPrefix + "000008-x.pdf", kPrefix + "00000009 copy.pdf", kPrefix + "99999999999999999999.pdf"})
        EXPECT_EQ(data_name_number(kPrefix, folder_with("numbering", {stray, kPrefix + "000002 - a.pdf"})), 3) << stray;
}

// The largest number once saturated, so the next receipt reused it; adding one to it
// overflowed.
TEST(DataNameNumber, NoNumberIsLeftAfterTheLargest) {
    EXPECT_EQ(data_name_number(kPrefix, folder_with("numbering", {kPrefix + "9223372036854775806 - a.pdf"})),
              9223372036854775807LL);
    const std::string folder = folder_with("numbering", {kPrefix + "9223372036854775807.pdf", kPrefix + "000001.pdf"});
    try {
        data_name_number(kPrefix, folder);
        ADD_FAILURE() << "the largest number gave a next one";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "no receipt number is left: " + folder + kPrefix +
                                                 "9223372036854775807.pdf has number 9223372036854775807, the largest there can be");
    }
    EXPECT_EQ(number_after(41, "x"), 42);
    EXPECT_THROW(number_after(9223372036854775807LL, "x"), std::runtime_error);
}
