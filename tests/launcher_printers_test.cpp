#include "print_server.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

namespace {

std::string launcher() { return tools::quote(tools::program_dir() + "/tarnwickery-receipt"); }

// What the command writes on standard output alone, and its status.
tools::CommandResult printers(const std::string& arguments = "printers") {
    return tools::run("(" + launcher() + " " + arguments + " 2>/dev/null)");
}

tools::CommandResult printers_with_errors() { return tools::run(launcher() + " printers"); }

}  // namespace

TEST(LauncherPrinters, ListsThePrintersAndMarksTheDefault) {
    PrintServer server(tools::fresh_folder("printers-command"));
    const auto none = printers_with_errors();
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.output, "tarnwickery-receipt: no printer is installed\n");

    server.add_printer("office");
    server.add_printer("counter", {.description = "櫃台的印表機", .is_default = true});
    const auto listed = printers();
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.output, "* counter  櫃台的印表機\n  office\n");
}

TEST(LauncherPrinters, FailuresAndBadArguments) {
    const std::string socket = tools::fresh_folder("printers-no-service") + "cups.sock";
    ScopedEnv nowhere("CUPS_SERVER", socket.c_str());
    const auto unanswered = printers_with_errors();
    EXPECT_EQ(unanswered.status, 1);
    EXPECT_EQ(unanswered.output, "tarnwickery-receipt: cannot list the printers: no print service answers at " + socket + "\n");
    {
        ScopedEnv chinese("LANGUAGE", "zh_TW");
        const auto in_chinese = printers_with_errors();
        EXPECT_EQ(in_chinese.status, 1);
        EXPECT_NE(in_chinese.output.find("找不到列印服務（" + socket + " 沒有回應）\n"), std::string::npos) << in_chinese.output;
    }

    for (const char* arguments : {"printers extra", "--batch requests.jsonl printers", "printers --batch requests.jsonl"})
        EXPECT_EQ(printers(arguments).status, 2) << arguments;
}
