// The hostile inputs that once crashed, hung or misled the command lines, each now
// ending in a clear error or a correct result, with an exit status.
#include "docx_fixture.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <strict_xml.hpp>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

tools::CommandResult run_docx_loom(const std::string& arguments) {
    // A hang fails the test (status 124) instead of stalling the suite.
    return tools::run("timeout 120 " + tools::quote(tools::program_dir() + "/docx-loom") + " " + arguments);
}

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

const std::string kTemplateBody = "<w:p><w:r><w:t>Dear {NAME},</w:t></w:r></w:p>"
                                  "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>{SEAL}</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";

struct Workspace {
    std::string folder = tools::fresh_folder("hostile");
    std::string template_path = folder + "template.docx";
    Workspace() { fixture::write_file(template_path, fixture::docx_bytes(kTemplateBody)); }
    std::string file(const std::string& name, const std::string& bytes) const {
        fixture::write_file(folder + name, bytes);
        return tools::quote(folder + name);
    }
};

}  // namespace

TEST(HostileInput, BatchLinesNestedDeepOrLongFailAloneAndLongBuyersStillFit) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    const std::string folder = tools::fresh_folder("hostile-batch");
    std::string buyer;
    while (buyer.size() < 160) buyer += "王";
    const std::string good = R"({"買受人": ")" + buyer + R"(", "買受人統一編號": "", "品名": ["茶葉"], "數量": [2],)"
                             R"( "單件價格": [300], "存檔路徑": "", "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": false})";
    const std::string unreadable = R"({"買受人": ")" + std::string(100'000, 'x') + "\"}";
    fixture::write_file(folder + "requests.jsonl",
                        std::string(100'000, '[') + std::string(100'000, ']') + "\n" + good + "\n" + unreadable + "\n");

    const auto result = tools::run("timeout 300 " + tools::quote(tools::program_dir() + "/tarnwickery-receipt") +
                                   " --batch " + tools::quote(folder + "requests.jsonl"));
    EXPECT_EQ(result.status, 1) << "failed lines, but no signal";
    EXPECT_TRUE(contains(result.output, "nested more than 64 levels deep")) << result.output.substr(0, 2000);
    const auto at = result.output.find("輸入錯誤：");
    ASSERT_NE(at, std::string::npos) << result.output.substr(0, 2000);
    const std::string line = result.output.substr(at, result.output.find('\n', at) - at);
    EXPECT_LT(line.size(), 1200u) << "the request is cut in the log line";
    EXPECT_TRUE(line.ends_with("…")) << line.substr(0, 200);

    int receipts = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(platform::to_path(platform::root_folder() + "免用統一發票收據/")))
        receipts += entry.path().extension() == ".pdf";
    EXPECT_EQ(receipts, 1) << "the 160-byte buyer's receipt is written: " << result.output.substr(0, 2000);
}

TEST(HostileInput, PlansNestedDeepAreBadArguments) {
    Workspace w;
    const auto plan = w.file("deep.json", "[{\"old_text\": \"a\", \"new_text\": \"b\", \"font_color\": " +
                                              std::string(50'000, '[') + std::string(50'000, ']') + "}]");
    for (const std::string command : {"check", "fill"}) {
        const auto result = run_docx_loom(command + " " + tools::quote(w.template_path) + " " + plan + " " +
                                      (command == "fill" ? tools::quote(w.folder + "out") : ""));
        EXPECT_EQ(result.status, 2) << command << ": " << result.output;
        EXPECT_TRUE(contains(result.output, "is not JSON: JSON nested more than 64 levels deep")) << result.output;
    }
}

TEST(HostileInput, PlansThatArePipesOrDevicesAreRefusedAtOnce) {
    Workspace w;
    const std::string fifo = w.folder + "plan.json";
    ASSERT_EQ(tools::run("mkfifo " + tools::quote(fifo)).status, 0);
    for (const std::string& plan : {fifo, std::string("/dev/zero")}) {
        for (const std::string command : {"check", "fill"}) {
            // Short: a read that waits on the FIFO or never ends is the fault.
            const auto result = tools::run("timeout 20 " + tools::quote(tools::program_dir() + "/docx-loom") + " " +
                                           command + " " + tools::quote(w.template_path) + " " + tools::quote(plan) +
                                           (command == "fill" ? " " + tools::quote(w.folder + "out") : ""));
            EXPECT_EQ(result.status, 2) << command << " " << plan << ": " << result.output;
            EXPECT_TRUE(contains(result.output, "cannot read plan '" + plan + "': it is not a regular file"))
                << result.output;
        }
    }
}

TEST(HostileInput, DuplicateKeysInPlansAndRequestsAreRefused) {
    Workspace w;
    const auto plan = w.file("twice.json", R"([{"old_text": "{NAME}", "new_text": "A"},
        {"old_text": "{SEAL}", "new_text": "B", "old_text": "{NAME}"}])");
    for (const std::string command : {"check", "fill"}) {
        const auto result = run_docx_loom(command + " " + tools::quote(w.template_path) + " " + plan +
                                          (command == "fill" ? " " + tools::quote(w.folder + "out") : ""));
        EXPECT_EQ(result.status, 2) << command << ": " << result.output;
        EXPECT_TRUE(contains(result.output, "plan entry 2 has the key \"old_text\" twice")) << result.output;
    }
    fixture::write_file(w.folder + "requests.jsonl", R"({"買受人": "甲", "品名": [], "買受人": "乙"})" "\n");
    const auto batch = tools::run("timeout 60 " + tools::quote(tools::program_dir() + "/tarnwickery-receipt") +
                                  " --batch " + tools::quote(w.folder + "requests.jsonl"));
    EXPECT_EQ(batch.status, 1) << batch.output;
    EXPECT_TRUE(contains(batch.output, "line 1: the key \"買受人\" is given twice; give each key once")) << batch.output;
}

TEST(HostileInput, BatchFilesThatAreDevicesOrPipesAreRefused) {
    Workspace w;
    const std::string fifo = w.folder + "requests.jsonl";
    ASSERT_EQ(tools::run("mkfifo " + tools::quote(fifo)).status, 0);
    for (const std::string& batch : {std::string("/dev/zero"), std::string("/dev/urandom"), fifo}) {
        const auto result = tools::run("timeout 20 " + tools::quote(tools::program_dir() + "/tarnwickery-receipt") +
                                       " --batch " + tools::quote(batch));
        EXPECT_EQ(result.status, 2) << batch << ": " << result.output.substr(0, 2000);
        EXPECT_TRUE(contains(result.output, "cannot read " + batch + ": it is a device or a pipe, not a file"))
            << result.output.substr(0, 2000);
        EXPECT_FALSE(contains(result.output, "written")) << "no batch was run";
    }
}

TEST(HostileInput, DevicesAndPipesAsPicturesArePictureErrorsAndTheFillGoesOn) {
    Workspace w;
    const std::string fifo = w.folder + "seal.png";
    ASSERT_EQ(tools::run("mkfifo " + tools::quote(fifo)).status, 0);
    for (const std::string& picture : {std::string("/dev/zero"), fifo}) {
        const auto plan = w.file("plan.json", R"([{"old_text": "{SEAL}", "new_text": "", "image_path": ")" + picture +
                                                  R"(", "image_height": 1, "image_width": 1}])");
        // Standard error apart, in a subshell: tools::run joins it to the output.
        const auto filled = tools::run("(timeout 120 " + tools::quote(tools::program_dir() + "/docx-loom") + " fill " +
                                       tools::quote(w.template_path) + " " + plan + " " + tools::quote(w.folder + "out") +
                                       " 2>" + tools::quote(w.folder + "errors") + ")");
        EXPECT_EQ(filled.status, 0) << picture << ": " << filled.output;
        EXPECT_EQ(filled.output, "[完成！] " + w.folder + "out.docx\n") << "failures go to standard error";
        EXPECT_TRUE(contains(fixture::read_file(w.folder + "errors"), "execute_set設定照片錯誤 --> ")) << picture;

        const auto table = run_docx_loom("table " + tools::quote(w.folder + "table.docx") + " --from " +
                                     tools::quote(w.template_path) + " --image " + tools::quote(picture));
        EXPECT_EQ(table.status, 0) << picture << ": " << table.output;
        EXPECT_TRUE(contains(table.output, "it is not a regular file\n插入圖片錯誤")) << table.output;
    }
}

TEST(HostileInput, TextXmlCannotHoldFailsTheFillAndNothingIsWritten) {
    Workspace w;
    const auto bad = w.file("bad.json", R"([{"old_text": "{NAME}", "new_text": "A\u0001B"}])");
    const auto refused = run_docx_loom("fill " + tools::quote(w.template_path) + " " + bad + " " +
                                   tools::quote(w.folder + "out") + " --pdf");
    EXPECT_EQ(refused.status, 1) << refused.output;
    EXPECT_TRUE(contains(refused.output, "replacement plan entry 1 ('{NAME}'): new_text holds the character U+0001"))
        << refused.output;
    EXPECT_FALSE(contains(refused.output, "[完成！]")) << refused.output;
    EXPECT_FALSE(std::filesystem::exists(platform::to_path(w.folder + "out.docx")));

    const auto tab = w.file("tab.json", R"([{"old_text": "{NAME}", "new_text": "A\u000bB"}])");
    const auto filled = run_docx_loom("fill " + tools::quote(w.template_path) + " " + tab + " " + tools::quote(w.folder + "out"));
    ASSERT_EQ(filled.status, 0) << filled.output;
    const auto saved = docx_loom::Package::open(platform::to_path(w.folder + "out.docx"));
    EXPECT_EQ(strict_xml_error(saved.part("word/document.xml")), "");
}
