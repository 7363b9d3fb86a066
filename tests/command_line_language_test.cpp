#include "tools.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::string program(const std::string& name) { return tools::quote(tools::program_dir() + "/" + name); }

// The command in one language, as the locale of a shop's desktop sets it.
tools::CommandResult in(const std::string& language, const std::string& command, const std::string& arguments) {
    return tools::run("LANGUAGE=" + language + " LC_ALL=C.UTF-8 " + program(command) + " " + arguments);
}

struct Refusal {
    std::string command, arguments, english, chinese;
};

}  // namespace

// CLI11 words its refusals itself; each one it can give us is translated, never left to the
// catch-all sentence, and the English stays CLI11's own.
TEST(CommandLineLanguage, RefusalsOfArgumentsInBothLanguages) {
    const Refusal refusals[] = {
        {"tarnwickery-receipt", "void 5", "--reason is required", "缺少 --reason"},
        {"tarnwickery-receipt", "--nonsense", "The following argument was not expected: --nonsense", "看不懂這個參數：--nonsense"},
        {"tarnwickery-receipt", "--print", "--print requires --batch", "--print 要和 --batch 一起用"},
        {"tarnwickery-receipt", "print 1 --copies 0", "--copies: Value 0 not in range 1 to 9999",
         "--copies：0 超出範圍，須在 1 到 9999 之間"},
        {"tarnwickery-receipt", "list --from 2026-13-01", "'2026-13-01' is not a date of the form YYYY-MM-DD",
         "「2026-13-01」不是 YYYY-MM-DD 格式的日期"},
        {"docx-loom", "", "A subcommand is required", "請指定一個子命令"},
        {"docx-loom", "text /nonexistent.docx", "TEMPLATE: File does not exist: /nonexistent.docx",
         "TEMPLATE：找不到檔案 /nonexistent.docx"},
        {"docx-loom", "text /", "TEMPLATE: File is actually a directory: /", "TEMPLATE：/ 是資料夾，不是檔案"},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.command + " " + refusal.arguments);
        const auto english = in("en", refusal.command, refusal.arguments);
        EXPECT_EQ(english.status, 2);
        EXPECT_EQ(english.output, refusal.command + ": " + refusal.english + "\n");
        const auto chinese = in("zh_TW", refusal.command, refusal.arguments);
        EXPECT_EQ(chinese.status, 2);
        EXPECT_EQ(chinese.output, refusal.command + ": " + refusal.chinese + "\n");
    }
}

TEST(CommandLineLanguage, HelpFollowsTheLocale) {
    for (const std::string command : {"tarnwickery-receipt", "docx-loom"}) {
        SCOPED_TRACE(command);
        const auto chinese = tools::run("LANGUAGE= LC_ALL=zh_TW.UTF-8 " + program(command) + " --help");
        EXPECT_EQ(chinese.status, 0);
        EXPECT_NE(chinese.output.find("用法:"), std::string::npos) << chinese.output;
        EXPECT_NE(chinese.output.find("顯示這份說明後結束"), std::string::npos) << chinese.output;
        EXPECT_EQ(chinese.output.find("Print this help"), std::string::npos) << chinese.output;
        const auto english = tools::run("LANGUAGE= LC_ALL=C.UTF-8 LANG=zh_CN.UTF-8 " + program(command) + " --help");
        EXPECT_NE(english.output.find("Usage:"), std::string::npos) << english.output;
        EXPECT_NE(english.output.find("print this help and exit"), std::string::npos) << english.output;
    }
    const auto subcommand = in("zh_TW", "tarnwickery-receipt", "void --help");
    EXPECT_NE(subcommand.output.find("把一張收據作廢；它的 PDF 保持原樣"), std::string::npos) << subcommand.output;
    EXPECT_NE(subcommand.output.find("作廢的原因"), std::string::npos) << subcommand.output;
}

// The engine's refusals reach the command line in the user's language, the reason the
// engine composes from its parts included; the English is what callers match on.
TEST(CommandLineLanguage, EngineRefusalsInBothLanguages) {
    const std::string folder = tools::fresh_folder("engine-language");
    const std::string not_docx = folder + "notes.docx", plan = folder + "plan.json";
    std::ofstream(not_docx) << "only text, not a zip file\n";
    std::ofstream(plan) << R"([{"old_text": "{name}", "new_text": "x", "new_font_size": "big"}])";
    struct EngineRefusal {
        std::string arguments, english, chinese;
        int status;
    };
    const EngineRefusal refusals[] = {
        {"text " + tools::quote(not_docx), "cannot open '" + not_docx + "': not a .docx package (not a valid zip file)",
         "無法開啟「" + not_docx + "」：不是 .docx 檔（不是有效的 zip 壓縮檔）", 1},
        {"fill " + tools::quote(not_docx) + " " + tools::quote(plan) + " " + tools::quote(folder + "out"),
         "plan entry 1, key \"new_font_size\", must be a number, not \"big\"",
         "替換表第 1 筆的 \"new_font_size\" 須為數字，不能是 \"big\"", 2},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.arguments);
        const auto english = in("en", "docx-loom", refusal.arguments);
        EXPECT_EQ(english.status, refusal.status);
        EXPECT_EQ(english.output, "docx-loom: " + refusal.english + "\n");
        const auto chinese = in("zh_TW", "docx-loom", refusal.arguments);
        EXPECT_EQ(chinese.status, refusal.status);
        EXPECT_EQ(chinese.output, "docx-loom: " + refusal.chinese + "\n");
    }
}
