// The receipt worker starts its PDF converter as it starts, so that the first receipt
// does not wait for it, and a worker closed at once still ends everything promptly.
#include "receipt_job.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_channels/channels.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Live processes whose command line names `marker`, zombies aside.
std::vector<int> processes_naming(const std::string& marker) {
    std::vector<int> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        try {
            std::ifstream stat(entry.path() / "stat");
            std::string stat_line;
            if (!std::getline(stat, stat_line) || stat_line.rfind(')') == std::string::npos) continue;
            const char state = stat_line[stat_line.rfind(')') + 2];
            std::ifstream cmdline(entry.path() / "cmdline", std::ios::binary);
            const std::string command((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
            if (state != 'Z' && state != 'X' && command.find(marker) != std::string::npos)
                found.push_back(std::stoi(platform::from_path(entry.path().filename())));
        } catch (const std::exception&) {
            // It ended while it was being read.
        }
    }
    return found;
}

class WorkerStart : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(platform::to_path(tools::program_dir()) / "pdf-press-converter"))
            << "pdf-press-converter was not built: install the Debian package libreofficekit-dev "
               "(with --no-install-recommends) and configure again";
    }

    // Converters work on profiles under the root's working folder, which their command
    // line names.
    std::vector<int> converters() { return processes_naming(platform::working_folder() + "libreoffice"); }

    bool converters_gone_within(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!converters().empty()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    ScopedEnv root{"TARNWICKERY_ROOT",
                   tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()).c_str()};
    ScopedEnv program_folder{"TARNWICKERY_PDF_PRESS_DIR", tools::program_dir().c_str()};
    std::string resources = tools::program_dir() + "/格式範本/";
};

}  // namespace

TEST_F(WorkerStart, TheConverterStartsWithTheWorkerAndServesItsFirstReceipt) {
    receipt_worker::Receipt_Job job(resources);
    const std::vector<int> started = converters();
    ASSERT_EQ(started.size(), 1u) << "the worker did not start its converter as it started";

    testing::internal::CaptureStdout();
    const ReceiptOutcome outcome = job.make({{"買受人", "預先啟動商行"}, {"買受人統一編號", "12345678"},
                                             {"品名", {"茶葉"}}, {"數量", {2}}, {"單件價格", {300}},
                                             {"存檔路徑", ""}, {"顯示免用統一發票章", false}, {"顯示負責人章", false},
                                             {"顯示日期", true}, {"年", 2025}, {"月", 3}, {"日", 9}});
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(outcome.written) << outcome.error;
    EXPECT_EQ(converters(), started) << "the receipt was not made by the converter started with the worker";
}

TEST_F(WorkerStart, ClosingAtOnceEndsTheWorkerAndItsStartingConverter) {
    // A converter that never gets ready stands for a slow start-up; closing must not
    // wait for it, nor for the two minutes a conversion may take.
    const fs::path fake_folder = platform::to_path(platform::root_folder()) / "fake";
    fs::create_directories(fake_folder);
    std::ofstream(fake_folder / "pdf-press-converter") << "#!/bin/sh\nsleep 60\n";
    fs::permissions(fake_folder / "pdf-press-converter", fs::perms::owner_all);

    for (const std::string& converter_folder : {tools::program_dir(), platform::from_path(fake_folder)}) {
        SCOPED_TRACE(converter_folder);
        ScopedEnv converter("TARNWICKERY_PDF_PRESS_DIR", converter_folder.c_str());
        Queue_All_variable queues = make_queue_registry();
        Event_All_variable events = make_event_registry();
        std::chrono::steady_clock::time_point closed;
        {
            receipt_worker::Receipt_Job job(resources);
            std::thread worker([&] { receipt_worker::run_receipts(job, queues, events); });
            // The window's shutdown sequence, as a window closed at once sends it.
            closed = std::chrono::steady_clock::now();
            queues["end"].put(nullptr);
            events["end"].set();
            queues["get_receipt"].put(nullptr);
            worker.join();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - closed, 10s) << "closing waited for the converter";
        EXPECT_TRUE(converters_gone_within(2s)) << "a converter outlived the worker";
    }
}
