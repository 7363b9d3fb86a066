// A full disk was reported in the office's words ("SfxBaseModel::impl_store … Code:16").
// The launcher runs here with its root folder on a small file system of its own, made
// full, in a user and mount namespace so that no privilege is needed.
#include "docx_fixture.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

TEST(FullDisk, AReceiptThatCannotBeWrittenForWantOfSpaceSaysTheDiskIsFull) {
    if (!tools::require("unshare", "util-linux")) return;
    const std::string folder = tools::fresh_folder("full-disk");
    const std::string disk = folder + "disk/", root = disk + "root/";
    fixture::write_file(folder + "requests.jsonl",
                        R"({"買受人": "王小明", "買受人統一編號": "", "品名": ["茶葉"], "數量": [2], "單件價格": ["300"],)"
                        R"( "存檔路徑": "", "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true})"
                        "\n");
    const std::string script = "mkdir -p " + tools::quote(disk) + " && mount -t tmpfs -o size=4m tmpfs " +
                               tools::quote(disk) + " && mkdir " + tools::quote(root) + " && (dd if=/dev/zero of=" +
                               tools::quote(disk + "filler") + " bs=64k 2>/dev/null; true) && LANGUAGE=en TARNWICKERY_ROOT=" +
                               tools::quote(root) + " timeout 120 " +
                               tools::quote(tools::program_dir() + "/tarnwickery-receipt") + " --batch " +
                               tools::quote(folder + "requests.jsonl");
    const auto result = tools::run("unshare -rm sh -c " + tools::quote(script));
    ASSERT_NE(result.output.find("written"), std::string::npos)
        << "the batch did not run; a user and mount namespace is needed: " << result.output;
    EXPECT_EQ(result.status, 1) << result.output;
    const std::string full = "the disk holding " + root + "免用統一發票收據/ is full; free some space on it, then make the "
                             "receipt again";
    EXPECT_NE(result.output.find("line 1: " + full), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("0 written, 1 failed"), std::string::npos) << result.output;
}

TEST(FullDisk, AFillThatCannotBeSavedForWantOfSpaceSaysTheDiskIsFull) {
    if (!tools::require("unshare", "util-linux")) return;
    const std::string folder = tools::fresh_folder("full-disk-fill"), disk = folder + "disk/";
    fixture::write_file(folder + "template.docx", fixture::docx_bytes("<w:p><w:r><w:t>{A}</w:t></w:r></w:p>"));
    fixture::write_file(folder + "plan.json", R"([{"old_text": "{A}", "new_text": "B"}])");
    const std::string script = "mkdir -p " + tools::quote(disk) + " && mount -t tmpfs -o size=1m tmpfs " +
                               tools::quote(disk) + " && (dd if=/dev/zero of=" + tools::quote(disk + "filler") +
                               " bs=64k 2>/dev/null; true) && timeout 60 " +
                               tools::quote(tools::program_dir() + "/docx-loom") + " fill " +
                               tools::quote(folder + "template.docx") + " " + tools::quote(folder + "plan.json") + " " +
                               tools::quote(disk + "out");
    const auto result = tools::run("unshare -rm sh -c " + tools::quote(script));
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_EQ(result.output, "docx-loom: the disk holding " + disk + " is full; free some space on it, then fill again\n");
}
