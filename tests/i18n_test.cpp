#include <i18n/tr.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using i18n::Language;

namespace {

// Sets the four locale variables for one test and puts back what the test main set.
class Locale_Environment : public testing::Test {
protected:
    void TearDown() override {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
        setenv("LANGUAGE", "en", 1);
        i18n::set_language(Language::english);
    }
    static void set(const char* language, const char* all, const char* messages, const char* lang) {
        const auto put = [](const char* name, const char* value) {
            if (value == nullptr) unsetenv(name);
            else setenv(name, value, 1);
        };
        put("LANGUAGE", language);
        put("LC_ALL", all);
        put("LC_MESSAGES", messages);
        put("LANG", lang);
    }
};

}  // namespace

TEST_F(Locale_Environment, ChineseForTaiwanAndHongKongOnly) {
    for (const char* name : {"zh_TW.UTF-8", "zh_TW", "zh_HK.UTF-8", "zh_TW.Big5", "zh-Hant"})
        EXPECT_EQ(i18n::language_of(name), Language::chinese) << name;
    for (const char* name : {"zh_CN.UTF-8", "zh", "en_US.UTF-8", "C", "C.UTF-8", "POSIX", "", "ja_JP"})
        EXPECT_EQ(i18n::language_of(name), Language::english) << name;
}

TEST_F(Locale_Environment, TheFirstVariableSetDecides) {
    set(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(i18n::language_of_environment(), Language::english);
    set(nullptr, nullptr, nullptr, "zh_TW.UTF-8");
    EXPECT_EQ(i18n::language_of_environment(), Language::chinese);
    set(nullptr, nullptr, "en_US.UTF-8", "zh_TW.UTF-8");
    EXPECT_EQ(i18n::language_of_environment(), Language::english);
    set(nullptr, "zh_HK.UTF-8", "en_US.UTF-8", "en_US.UTF-8");
    EXPECT_EQ(i18n::language_of_environment(), Language::chinese);
    set("en:zh_TW", "zh_TW.UTF-8", nullptr, nullptr);
    EXPECT_EQ(i18n::language_of_environment(), Language::english);
    set("zh_TW:en", nullptr, nullptr, "C");
    EXPECT_EQ(i18n::language_of_environment(), Language::chinese);
    // An empty variable counts as unset, as it does for gettext.
    set("", "", "", "zh_TW.UTF-8");
    EXPECT_EQ(i18n::language_of_environment(), Language::chinese);
}

TEST_F(Locale_Environment, PlaceholdersFollowTheTranslationsOrder) {
    const char* refusal = "品名, 數量 and 單件價格 must be equally long, one entry per product row; they have {1}, {2} and {3} entries";
    EXPECT_EQ(i18n::tr(refusal, {"1", "2", "3"}),
              "品名, 數量 and 單件價格 must be equally long, one entry per product row; they have 1, 2 and 3 entries");
    i18n::set_language(Language::chinese);
    EXPECT_EQ(i18n::tr(refusal, {"1", "2", "3"}), "品名、數量、單件價格的筆數要一樣，每一列商品各一筆；現在是 1、2、3 筆");
}

TEST_F(Locale_Environment, UntranslatedTextsAndStrayBracesStayAsTheyAre) {
    i18n::set_language(Language::chinese);
    EXPECT_EQ(i18n::tr("no such text {1} {2}", {"a"}), "no such text a {2}");
    EXPECT_EQ(i18n::tr("{0} {10} {", {"x"}), "{0} {10} {");
    i18n::set_language(Language::english);
    EXPECT_EQ(i18n::tr("{1}{1}", {"ab"}), "abab");
}
