#include <receipt_channels/request_rules.hpp>

#include <gtest/gtest.h>

using namespace request_rules;

TEST(TaxNumber, EmptyOrEightDigitsPrintedInAscii) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"", ""},
        {"04595257", "04595257"},
        {"０４５９５２５７", "04595257"},
        {"0459５２57", "04595257"},
        {"1234567890", std::nullopt},
        {"1234567", std::nullopt},
        {"ABCDEFGH", std::nullopt},
        {"1234 5678", std::nullopt},
        {" 12345678", std::nullopt},
        {"1234567\xFF", std::nullopt},
    };
    for (const auto& [typed, printed] : cases) EXPECT_EQ(printed_tax_number(typed), printed) << typed;
    EXPECT_NE(tax_number_refusal("1234567").find("\"1234567\" is not eight digits"), std::string::npos);
    EXPECT_LT(tax_number_refusal(std::string(100000, '9')).size(), 200u) << "a pasted page is not echoed whole";
}

TEST(TaxNumber, CheckDigitRuleWithTheSeventhDigitSeven) {
    for (const char* good : {"04595257", "12345675", "00000000", "10458575"}) EXPECT_TRUE(passes_check_digit(good)) << good;
    // 12345675 totals 39 and passes only by the plus-one rule; 12345677 totals 41, which it cannot save.
    for (const char* bad : {"12345678", "12345677", "04595258", "1234567", "1234567A"})
        EXPECT_FALSE(passes_check_digit(bad)) << bad;
    EXPECT_NE(check_digit_warning("12345678").find("12345678 fails the check-digit rule"), std::string::npos);
}

TEST(ReceiptDate, RealDaysFrom1912On) {
    for (const auto& [year, month, day] : {std::tuple{2024, 2, 29}, {1912, 1, 1}, {2000, 2, 29}, {9999, 12, 31}})
        EXPECT_EQ(date_refusal(year, month, day), std::nullopt) << year << "-" << month << "-" << day;
    const std::tuple<long long, long long, long long, const char*> refused[] = {
        {2025, 2, 29, "2025-2-29 is not a real day"},
        {1900, 2, 29, "is not a real day"},
        {2025, 13, 1, "is not a real day"},
        {2025, 4, 31, "is not a real day"},
        {2025, 1, 0, "is not a real day"},
        {1911, 12, 31, "before 1912-01-01"},
        {1LL << 40, 1, 1, "after 9999-12-31"},
    };
    for (const auto& [year, month, day, words] : refused) {
        const auto refusal = date_refusal(year, month, day);
        ASSERT_TRUE(refusal.has_value()) << year << "-" << month << "-" << day;
        EXPECT_NE(refusal->find(words), std::string::npos) << *refusal;
    }
}

// A 1 MiB buyer failed only when the converter's 120 s limit ran out.
TEST(Buyer, ANameLongerThanTheReceiptPrintsIsRefused) {
    std::string name;
    for (std::size_t i = 0; i < request_rules::kLongestBuyer; ++i) name += "王";
    EXPECT_EQ(request_rules::buyer_refusal(name), std::nullopt) << "200 characters, 600 bytes, fit";
    EXPECT_EQ(request_rules::buyer_refusal(""), std::nullopt);
    for (const std::string& longer : {name + "a", std::string(1 << 20, 'x')}) {
        const auto refusal = request_rules::buyer_refusal(longer);
        ASSERT_TRUE(refusal.has_value()) << longer.size();
        EXPECT_EQ(*refusal, "the buyer's name is longer than 200 characters, more than a receipt can print; shorten it");
    }
}

TEST(ReceiptDate, RepublicOfChinaForm) {
    EXPECT_EQ(request_rules::roc_date_text(2026, 12, 7), "115/12/07");
    EXPECT_EQ(request_rules::roc_date_text(1912, 1, 1), "1/01/01");
    EXPECT_EQ(request_rules::roc_date_text("2025-03-09"), "114/03/09");
    // A register value that is no date is shown as it is, never a crash.
    for (const char* odd : {"", "2025-3-09", "abcd-ef-gh", "2025/03/09", "2025-03-0x"})
        EXPECT_EQ(request_rules::roc_date_text(odd), odd) << odd;
}
