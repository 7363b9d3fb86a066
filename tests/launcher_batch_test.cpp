#include "docx_fixture.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using namespace std::string_literals;

namespace {

struct Batch_Run {
    int status = -1;
    std::string out, errors;
};

// Runs the launcher with `arguments`, standard output and standard error apart.
Batch_Run launcher(const std::string& arguments) {
    const std::string errors_file = tools::fresh_folder("launcher-stderr") + "stderr.txt";
    const auto result = tools::run("(" + tools::quote(tools::program_dir() + "/tarnwickery-receipt") + " " + arguments +
                                   " 2> " + tools::quote(errors_file) + ")");
    return {result.status, result.output, fixture::read_file(errors_file)};
}

const std::string kGood =
    R"({"買受人": "王小明", "買受人統一編號": "", "品名": ["茶葉"], "數量": [2], "單件價格": ["300"], "存檔路徑": "x",)"
    R"( "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true, "年": 2025, "月": 3, "日": 9})";

std::string with(const std::string& request, const std::string& from, const std::string& to) {
    std::string changed = request;
    changed.replace(changed.find(from), from.size(), to);
    return changed;
}

}  // namespace

TEST(LauncherBatch, EachFailedLineSaysWhyAndTheSummaryCountsWarnings) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    const std::string folder = tools::fresh_folder("batch");
    std::string long_buyer;
    for (int i = 0; i < 90; ++i) long_buyer += "甲";
    const std::string lines[] = {
        kGood,
        "[1, 2]",
        "",
        R"({"買受人": "only"})",
        "not json",
        // The JSON reader alone would stop at the NUL and make a receipt for the 9th.
        with(kGood, "\"日\": 9", "\"日\": 9\0, \"月\": 2"s),
        with(kGood, "王小明", "王\xFF小明"),
        with(kGood, "\"買受人統一編號\": \"\"", "\"買受人統一編號\": \"12345678\""),
        with(kGood, "\"單件價格\": [\"300\"]", "\"單件價格\": [1000000]"),
        with(kGood, "\"顯示負責人章\": false", "\"顯示負責人章\": true"),
        // Its full name would not fit beside its temporary names.
        with(kGood, "王小明", long_buyer),
        // Rows beyond the names were printed, but neither counted nor recorded.
        with(kGood, "\"數量\": [2], \"單件價格\": [\"300\"]", "\"數量\": [2, \"abc\"], \"單件價格\": [\"300\", 999]"),
    };
    std::string file;
    for (const auto& line : lines) file += line + "\n";
    fixture::write_file(folder + "requests.jsonl", file);
    const auto run = launcher("--batch " + tools::quote(folder + "requests.jsonl"));

    EXPECT_EQ(run.status, 1) << run.out << run.errors;
    // The worker's lines stay on standard output, the summary last.
    EXPECT_TRUE(run.out.starts_with("run model --> 主程式")) << run.out;
    EXPECT_NE(run.out.find("Queue_All_variable[\"get_receipt\"].get()輸入錯誤： {\"買受人\":\"only\"}"), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("4 written, 7 failed, 2 with warnings\n")) << run.out;

    const std::string expected_errors[] = {
        "line 2: not a JSON object\n",
        "line 4: the request has no \"買受人統一編號\"\n",
        "line 5: not a JSON object: ",
        "line 6: the line holds a NUL byte\n",
        "line 7: the line is not valid UTF-8 text\n",
        "line 8: warning: 統一編號 12345678 fails the check-digit rule",
        "line 9: the total 2000000 is above 999999",
        "line 10: warning: the seal 負責人章 was not printed",
        "line 12: 品名, 數量 and 單件價格 must be equally long",
    };
    std::size_t from = 0;
    for (const auto& expected : expected_errors) {
        const std::size_t at = run.errors.find(expected, from);
        EXPECT_NE(at, std::string::npos) << expected << " in order in\n" << run.errors;
        if (at != std::string::npos) from = at;
    }
    EXPECT_EQ(run.errors.find("line 1:"), std::string::npos) << run.errors;

    int receipts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(platform::root_folder() + "免用統一發票收據/")))
        receipts += entry.path().extension() == ".pdf";
    EXPECT_EQ(receipts, 4);
    EXPECT_NE(run.out.find("000004 - 買受人：甲甲甲"), std::string::npos) << run.out;
}

TEST(LauncherBatch, StandardInputAndBadArguments) {
    const std::string folder = tools::fresh_folder("batch-args");
    fixture::write_file(folder + "empty.jsonl", "\n");
    const auto from_stdin = launcher("--batch - < " + tools::quote(folder + "empty.jsonl"));
    EXPECT_EQ(from_stdin.status, 0) << from_stdin.out << from_stdin.errors;
    EXPECT_TRUE(from_stdin.out.ends_with("0 written, 0 failed, 0 with warnings\n")) << from_stdin.out;

    const auto missing = launcher("--batch " + tools::quote(folder + "absent.jsonl"));
    EXPECT_EQ(missing.status, 2) << missing.out;
    EXPECT_NE(missing.errors.find("cannot read " + folder + "absent.jsonl: there is no such file"), std::string::npos)
        << missing.errors;

    // A folder opens like a file here and reads as nothing; it must not pass for an empty batch.
    const auto a_folder = launcher("--batch " + tools::quote(folder));
    EXPECT_EQ(a_folder.status, 2) << a_folder.out;
    EXPECT_NE(a_folder.errors.find(folder + " is a folder; --batch reads a file"), std::string::npos) << a_folder.errors;
    EXPECT_EQ(a_folder.out.find("written"), std::string::npos) << a_folder.out;

    // An empty FILE opened the window; without a display that aborted.
    const auto empty_name = launcher("--batch ''");
    EXPECT_EQ(empty_name.status, 2) << empty_name.out << empty_name.errors;
    EXPECT_EQ(empty_name.errors, "tarnwickery-receipt: --batch was given an empty FILE name; give a file of JSON request "
                                 "lines, or - for standard input\n");
    EXPECT_EQ(empty_name.out, "") << "no module loaded, no window";

    EXPECT_EQ(launcher("--batch").status, 2);
    EXPECT_EQ(launcher("--unknown").status, 2);
}

// std::getline held a line however long it was: a file of one endless line took all
// memory. A line longer than 1 MiB fails, and the next line is read.
TEST(LauncherBatch, ALineLongerThanOneMebibyteFailsAndTheNextIsRead) {
    const std::string folder = tools::fresh_folder("batch-long");
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    const std::string at_the_limit = "[1," + std::string(kMiB - 5, ' ') + "2]";
    ASSERT_EQ(at_the_limit.size(), kMiB);
    fixture::write_file(folder + "long.jsonl", "[" + std::string(8 * kMiB, ' ') + "]\n" + at_the_limit + "\n[3]\n");
    const auto run = launcher("--batch " + tools::quote(folder + "long.jsonl"));
    EXPECT_EQ(run.status, 1) << run.out << run.errors;
    EXPECT_EQ(run.errors, "line 1: the line is longer than 1 MiB\nline 2: not a JSON object\nline 3: not a JSON object\n");
    EXPECT_TRUE(run.out.ends_with("0 written, 3 failed, 0 with warnings\n")) << run.out;
}
