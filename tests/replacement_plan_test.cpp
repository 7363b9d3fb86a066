#include "docx_fixture.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <iterator>

using docx_loom::Document;
using docx_loom::Pt;
using docx_loom::SetOptions;

TEST(ReplacementPlan, SetFillsEveryKeyWithItsDefault) {
    Document document;
    document.set("$$$A$$$", "text");
    const auto* entry = document.replace_value.find("$$$A$$$");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->new_text, "text");
    EXPECT_EQ(entry->new_font_name, "Calibri");
    EXPECT_EQ(entry->new_font_name_Chinese, "標楷體");
    EXPECT_EQ(entry->new_font_size, Pt(8));
    EXPECT_EQ(entry->new_alignment, "center");
    EXPECT_FALSE(entry->left_indent || entry->line_spacing || entry->font_color);
    EXPECT_EQ(entry->remark_new_font_size, Pt(8));
    EXPECT_FALSE(entry->image_path || entry->image_height || entry->image_width);
    EXPECT_TRUE(entry->image_fixed_ratio);
}

TEST(ReplacementPlan, RequeuingKeepsPlaceButNotOldOptions) {
    Document document;
    document.set("A", "first", SetOptions{.new_font_size = Pt(20), .image_path = "seal.png"});
    document.set("B", "b");
    document.set("A", "second");
    std::vector<std::string> order;
    for (const auto& [placeholder, entry] : document.replace_value) order.push_back(placeholder);
    EXPECT_EQ(order, (std::vector<std::string>{"A", "B"}));
    const auto* a = document.replace_value.find("A");
    EXPECT_EQ(a->new_text, "second");
    EXPECT_EQ(a->new_font_size, Pt(8));
    EXPECT_FALSE(a->image_path);
}

TEST(ReplacementPlan, NumbersAreStoredAsDecimalText) {
    Document document;
    document.set(7, 1234567890123LL);
    document.set("neg", -5);
    EXPECT_EQ(document.replace_value.find("7")->new_text, "1234567890123");
    EXPECT_EQ(document.replace_value.find("neg")->new_text, "-5");
}

TEST(ReplacementPlan, DeleteEmptiesThePlanAndExecuteThenChangesNothing) {
    Document document = fixture::loaded("<w:p><w:r><w:t>$$$A$$$</w:t></w:r></w:p>");
    document.delete_();
    EXPECT_TRUE(document.replace_value.empty());
    document.set("$$$A$$$", "x");
    document.delete_();
    EXPECT_TRUE(document.replace_value.empty());
    document.execute_set();
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "$$$A$$$");
}

// 200,000 entries took 15 s and 400,000 took 59 s: each was looked up among all before it.
TEST(ReplacementPlan, APlanOfHundredsOfThousandsIsQueuedInLinearTime) {
    Document document;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 200'000; ++i) document.set("{P" + std::to_string(i) + "}", "v");
    document.set("{P7}", "again");
    const auto spent = std::chrono::steady_clock::now() - start;
    // Far beyond a hashed look-up even in a sanitizer build on a busy machine; the
    // search through every earlier key takes minutes here.
    EXPECT_LT(spent, std::chrono::seconds(30));
    ASSERT_EQ(document.replace_value.size(), 200'000u);
    EXPECT_EQ(document.replace_value.find("{P7}")->new_text, "again");
    EXPECT_EQ(std::next(document.replace_value.begin(), 7)->first, "{P7}") << "requeued in place";
    EXPECT_EQ(document.replace_value.find("{P200000}"), nullptr);
}

TEST(PlanLength, FontSizesAreLengthsInPoints) {
    EXPECT_EQ(Pt(12).emu(), 152400);
    EXPECT_DOUBLE_EQ(Pt(10.5).pt(), 10.5);
    EXPECT_EQ(docx_loom::Inches(1).emu(), 914400);
}
