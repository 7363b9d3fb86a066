#include "docx_fixture.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

tools::CommandResult launcher(const std::string& arguments) {
    return tools::run(tools::quote(tools::program_dir() + "/tarnwickery-receipt") + " " + arguments);
}

const std::string kGood =
    R"({"買受人": "王小明", "買受人統一編號": "", "品名": ["茶葉"], "數量": [2], "單件價格": ["300"], "存檔路徑": "x",)"
    R"( "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true, "年": 2025, "月": 3, "日": 9})";

}  // namespace

TEST(LauncherBatch, MakesEachRequestAndSummarises) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    const std::string folder = tools::fresh_folder("batch");
    fixture::write_file(folder + "requests.jsonl", kGood + "\n[1, 2]\n\n{\"買受人\": \"only\"}\nnot json\n" + kGood + "\n");
    const auto result = launcher("--batch " + tools::quote(folder + "requests.jsonl"));
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("run model --> 主程式"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("line 2: not a JSON object"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("line 5: not a JSON object"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Queue_All_variable[\"get_receipt\"].get()輸入錯誤： {\"買受人\":\"only\"}"), std::string::npos)
        << result.output;
    EXPECT_TRUE(result.output.ends_with("2 written, 3 failed\n")) << result.output;

    int receipts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(platform::root_folder() + "免用統一發票收據/")))
        receipts += entry.path().extension() == ".pdf";
    EXPECT_EQ(receipts, 2);
}

TEST(LauncherBatch, StandardInputAndBadArguments) {
    const std::string folder = tools::fresh_folder("batch-args");
    fixture::write_file(folder + "empty.jsonl", "\n");
    const auto from_stdin = launcher("--batch - < " + tools::quote(folder + "empty.jsonl"));
    EXPECT_EQ(from_stdin.status, 0) << from_stdin.output;
    EXPECT_TRUE(from_stdin.output.ends_with("0 written, 0 failed\n")) << from_stdin.output;

    const auto missing = launcher("--batch " + tools::quote(folder + "absent.jsonl"));
    EXPECT_EQ(missing.status, 2) << missing.output;
    EXPECT_NE(missing.output.find("absent.jsonl"), std::string::npos);
    EXPECT_EQ(launcher("--batch").status, 2);
    EXPECT_EQ(launcher("--unknown").status, 2);
}
