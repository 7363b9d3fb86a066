#include "receipt_file_name.hpp"

#include <receipt_channels/utf8.hpp>

#include <gtest/gtest.h>

using namespace receipt_worker;

namespace {

const Date kDay{2025, 1, 5};

// The buyer as the file name carries it.
std::string buyer_part(const std::string& buyer) {
    const std::string name = receipt_file_name(1, buyer, "", kDay);
    const std::string head = "免用統一發票收據000001 - 買受人：", tail = "（記錄日期：2025年01月05日）";
    EXPECT_TRUE(name.starts_with(head) && name.ends_with(tail)) << name;
    return name.substr(head.size(), name.size() - head.size() - tail.size());
}

}  // namespace

TEST(ReceiptFileName, BuyerTaxNumberAndRecordDate) {
    EXPECT_EQ(receipt_file_name(42, "王小明", "12345678", kDay),
              "免用統一發票收據000042 - 買受人：王小明；統一編號：12345678（記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1, "", "12345678", kDay), "免用統一發票收據000001 - 統一編號：12345678（記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1, "王小明", "", kDay), "免用統一發票收據000001 - 買受人：王小明（記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1, "", "", kDay), "免用統一發票收據000001 - （記錄日期：2025年01月05日）");
    EXPECT_EQ(receipt_file_name(1234567, "", "", kDay), "免用統一發票收據1234567 - （記錄日期：2025年01月05日）");
}

// The buyer is printed as typed; only its file name loses what a file name cannot
// hold, so that nothing can leave the output folder or hide the name's real end.
TEST(ReceiptFileName, CharactersAFileNameCannotHoldBecomeUnderscores) {
    const std::pair<std::string, std::string> cases[] = {
        {"甲/乙聯合", "甲_乙聯合"},
        {"../../etc/x", ".._.._etc_x"},
        {"a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i"},
        {"tab\there\nnew\x7f", "tab_here_new_"},
        {"\xC2\x85next line", "_next line"},
        {"evil\u202Efdp.exe", "evil_fdp.exe"},
        {"\u2066iso\u2069 \u200Fmark\u061C", "_iso_ _mark_"},
        {"bad\xFF\xC0\xAF" "bytes", "bad__bytes"},
        {"台灣（股）公司．", "台灣（股）公司．"},
    };
    for (const auto& [buyer, expected] : cases) EXPECT_EQ(buyer_part(buyer), expected) << buyer;
    EXPECT_EQ(receipt_file_name(1, "", "1234/678", kDay), "免用統一發票收據000001 - 統一編號：1234_678（記錄日期：2025年01月05日）");
}

TEST(ReceiptFileName, LongBuyerIsCutOnACharacterBoundaryToLeaveRoomForTemporaryNames) {
    for (const std::string unit : {"甲", "a", "𠀀", "é"}) {
        std::string buyer;
        for (int i = 0; i < 300; ++i) buyer += unit;
        const std::string name = receipt_file_name(123456, buyer, "04595257", kDay);
        EXPECT_LE(name.size(), kLongestReceiptName) << unit;
        EXPECT_GT(name.size() + unit.size(), kLongestReceiptName) << "cut no shorter than needed: " << unit;
        EXPECT_TRUE(is_valid_utf8(name)) << unit;
        EXPECT_TRUE(name.ends_with("；統一編號：04595257（記錄日期：2025年01月05日）")) << name;
    }
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "甲";
    EXPECT_EQ(buyer_part(forty), forty) << "a name that fits is kept whole";
}

TEST(Utf8, OnlyWellFormedTextIsValid) {
    for (const std::string good : {"", "ascii", "台灣", "𠀀", "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(is_valid_utf8(good)) << good;
    // Stray continuation, lone lead, overlong forms, a surrogate, beyond U+10FFFF, cut short.
    for (const std::string bad : {"\x80", "a\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                  "\xF5\x80\x80\x80", "\xE5\x8F", "\xFF"})
        EXPECT_FALSE(is_valid_utf8(bad)) << testing::PrintToString(bad);
}
