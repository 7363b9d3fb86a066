// A full disk was reported in the office's words ("SfxBaseModel::impl_store … Code:16").
// The programs run here with what they write on a small file system of their own, made
// full, in a user and mount namespace so that no privilege is needed.
#include "docx_fixture.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

namespace {

// Runs `command` once a 4 MiB file system mounted on `disk` has no room left.
tools::CommandResult run_on_full_disk(const std::string& disk, const std::string& command) {
    const std::string script = "mkdir -p " + tools::quote(disk) + " && mount -t tmpfs -o size=4m tmpfs " +
                               tools::quote(disk) + " && (dd if=/dev/zero of=" + tools::quote(disk + "filler") +
                               " bs=64k 2>/dev/null; true) && " + command;
    return tools::run("unshare -rm sh -c " + tools::quote(script));
}

}  // namespace

TEST(FullDisk, AReceiptOrAFillThatCannotBeWrittenForWantOfSpaceSaysTheDiskIsFull) {
    if (!tools::require("unshare", "util-linux")) return;
    const std::string folder = tools::fresh_folder("full-disk"), disk = folder + "disk/", root = disk + "root/";
    fixture::write_file(folder + "requests.jsonl",
                        R"({"買受人": "王小明", "買受人統一編號": "", "品名": ["茶葉"], "數量": [2], "單件價格": ["300"],)"
                        R"( "存檔路徑": "", "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true})"
                        "\n");
    const auto batch = run_on_full_disk(disk, "mkdir " + tools::quote(root) + " && LANGUAGE=en TARNWICKERY_ROOT=" +
                                                  tools::quote(root) + " timeout 120 " +
                                                  tools::quote(tools::program_dir() + "/tarnwickery-receipt") +
                                                  " --batch " + tools::quote(folder + "requests.jsonl"));
    ASSERT_NE(batch.output.find("written"), std::string::npos)
        << "the batch did not run; a user and mount namespace is needed: " << batch.output;
    EXPECT_EQ(batch.status, 1) << batch.output;
    EXPECT_NE(batch.output.find("line 1: the disk holding " + root +
                                "免用統一發票收據/ is full; free some space on it, then make the receipt again"),
              std::string::npos)
        << batch.output;

    fixture::write_file(folder + "template.docx", fixture::docx_bytes("<w:p><w:r><w:t>{A}</w:t></w:r></w:p>"));
    fixture::write_file(folder + "plan.json", R"([{"old_text": "{A}", "new_text": "B"}])");
    const auto fill = run_on_full_disk(disk, "timeout 60 " + tools::quote(tools::program_dir() + "/docx-loom") + " fill " +
                                                 tools::quote(folder + "template.docx") + " " +
                                                 tools::quote(folder + "plan.json") + " " + tools::quote(disk + "out"));
    EXPECT_EQ(fill.status, 1) << fill.output;
    EXPECT_EQ(fill.output, "docx-loom: the disk holding " + disk + " is full; free some space on it, then fill again\n");
}
