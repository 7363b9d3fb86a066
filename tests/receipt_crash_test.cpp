// A receipt worker killed at each step of a pass: after the next start, the folder and
// the register agree, and no number is lost or given twice.
#include "receipt_job.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace receipt_worker;
using receipt_register::Receipt_Register;
using receipt_register::Receipt_Status;

namespace {

const nlohmann::json kRequest = {
    {"買受人", "當機測試商行"}, {"買受人統一編號", "12345678"}, {"品名", {"茶葉"}}, {"數量", {2}}, {"單件價格", {300}},
    {"存檔路徑", ""}, {"顯示免用統一發票章", false}, {"顯示負責人章", false}, {"顯示日期", true},
    {"年", 2025}, {"月", 3}, {"日", 9}};

struct Stop : std::exception {};

#ifndef _WIN32
// Makes one receipt in a child process that ends itself, as a kill would, once `step`
// is done: no destructor runs, nothing is cleaned up. Returns the child's exit code.
int pass_killed_after(Issue_Step step, const std::string& resources) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        Receipt_Job job(resources);
        job.issuer().after_step = [step](Issue_Step reached) {
            if (reached == step) _exit(0);
        };
        job.make(kRequest);
        _exit(3);  // the step was never reached
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace

#ifndef _WIN32
TEST(CrashSafety, FolderAndRegisterAgreeAfterAKillAtEachStep) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    const std::string resources = tools::program_dir() + "/格式範本/";
    const std::pair<Issue_Step, const char*> steps[] = {
        {Issue_Step::numbered, "numbered"},   {Issue_Step::saved, "saved"},
        {Issue_Step::converted, "converted"}, {Issue_Step::pending, "pending"},
        {Issue_Step::published, "published"}, {Issue_Step::issued, "issued"},
    };
    for (const auto& [step, step_name] : steps) {
        SCOPED_TRACE(step_name);
        ScopedEnv root("TARNWICKERY_ROOT", tools::fresh_folder(std::string("killed-") + step_name).c_str());
        ASSERT_EQ(pass_killed_after(step, resources), 0) << "the child never reached the step";
        const bool was_in_place = step == Issue_Step::published || step == Issue_Step::issued;

        Receipt_Job restarted(resources);  // the next start
        const std::string folder = restarted.folders().output;
        std::set<std::string> pdfs, others;
        for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(folder))) {
            const std::string name = platform::from_path(entry.path().filename());
            if (receipt_register::is_receipt_pdf(name)) pdfs.insert(name);
            else if (!name.starts_with("收據登記簿") && name != "印章") others.insert(name);
        }
        EXPECT_TRUE(others.empty()) << "left behind: " << *others.begin();

        Receipt_Register book = Receipt_Register::open(folder);
        EXPECT_TRUE(book.pending().empty());
        std::set<std::string> issued;
        for (const auto& record : book.receipts()) {
            EXPECT_EQ(record.status, Receipt_Status::issued);
            issued.insert(record.file_name);
        }
        EXPECT_EQ(pdfs, issued) << "every PDF is registered and every registered receipt has its PDF";
        EXPECT_EQ(pdfs.size(), was_in_place ? 1u : 0u);

        long long next = 0;
        EXPECT_THROW(restarted.issuer().issue([&](long long number, const std::string&) -> Prepared_Receipt {
            next = number;
            throw Stop();
        }),
                     Stop);
        EXPECT_EQ(next, was_in_place ? 2 : 1) << "a receipt that never reached its place leaves no gap";
    }
}
#endif
