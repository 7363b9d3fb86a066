// Printing against a real CUPS scheduler of the test's own.
#include "docx_fixture.hpp"
#include "print_server.hpp"
#include "receipt_job.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/printing.hpp>
#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

std::string test_name() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

// The message print_pdf throws, or "" when it printed.
std::string print_failure(const std::string& pdf, const platform::PrintRequest& request) {
    try {
        platform::print_pdf(pdf, request);
        return "";
    } catch (const platform::PrintError& error) {
        return error.what();
    }
}

// A loopback port whose connections the kernel accepts and nobody ever answers: a print
// service that hangs.
class Silent_Service {
public:
    Silent_Service() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(socket_, 16) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen on a loopback port");
        address_ = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }
    Silent_Service(const Silent_Service&) = delete;
    Silent_Service& operator=(const Silent_Service&) = delete;
    ~Silent_Service() { ::close(socket_); }

    const std::string& address() const { return address_; }

private:
    int socket_;
    std::string address_;
};

class Printing : public testing::Test {
protected:
    // One receipt made by the worker from the receipt template, shared by every test.
    static void SetUpTestSuite() {
        if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
        receipt_worker::Receipt_Job job(tools::program_dir() + "/格式範本/");
        const nlohmann::json request = {
            {"買受人", "列印測試有限公司"}, {"買受人統一編號", "12345678"}, {"品名", {"茶葉"}}, {"數量", {2}},
            {"單件價格", {300}}, {"存檔路徑", ""}, {"顯示免用統一發票章", false}, {"顯示負責人章", false},
            {"顯示日期", true}, {"年", 2025}, {"月", 3}, {"日", 9}};
        testing::internal::CaptureStdout();
        const ReceiptOutcome outcome = job.make(request);
        testing::internal::GetCapturedStdout();
        if (outcome.written) receipt_ = outcome.pdf_path;
    }

    void SetUp() override {
        ASSERT_FALSE(receipt_.empty()) << "the receipt to print could not be made";
        receipt_bytes_ = fixture::read_file(receipt_);
        receipt_time_ = std::filesystem::last_write_time(platform::to_path(receipt_));
    }

    // The receipt a failed print must leave as it was.
    void expect_receipt_untouched() {
        EXPECT_EQ(fixture::read_file(receipt_), receipt_bytes_);
        EXPECT_EQ(std::filesystem::last_write_time(platform::to_path(receipt_)), receipt_time_);
    }

    PrintServer& start_server() {
        server_ = std::make_unique<PrintServer>(tools::fresh_folder("print-" + test_name()));
        return *server_;
    }

    static inline std::string receipt_;
    std::string receipt_bytes_;
    std::filesystem::file_time_type receipt_time_;
    std::unique_ptr<PrintServer> server_;
};

}  // namespace

TEST_F(Printing, TheReceiptArrivesAsItIsWithItsCopiesOnTheChosenPrinter) {
    if (!tools::require("pdfinfo", "poppler-utils") || !tools::require("pdftotext", "poppler-utils")) return;
    PrintServer& server = start_server();
    server.add_printer("counter", {.description = "櫃台的印表機", .is_default = true});
    server.add_printer("office");

    const auto printers = platform::list_printers();
    ASSERT_EQ(printers.size(), 2u);
    for (const auto& printer : printers) {
        EXPECT_EQ(printer.is_default, printer.name == "counter") << printer.name;
        if (printer.name == "counter") {
            EXPECT_EQ(printer.description, "櫃台的印表機");
        }
    }

    const platform::PrintedJob to_default = platform::print_pdf(receipt_, {.copies = 3});
    EXPECT_EQ(to_default.printer, "counter");
    EXPECT_GT(to_default.job_id, 0);
    const auto arrived = server.wait_for_jobs("counter", 1);
    ASSERT_EQ(arrived.size(), 1u) << server.log_tail();
    const auto& job = arrived.front();
    EXPECT_EQ(job.id, to_default.job_id);
    EXPECT_EQ(job.copies, 3);
    EXPECT_EQ(job.title, platform::from_path(platform::to_path(receipt_).filename()));
    EXPECT_EQ(fixture::read_file(job.document), receipt_bytes_) << "the PDF itself, not a rendering of it";

    const tools::PageSize page = tools::pdf_page_size(job.document);
    EXPECT_NEAR(page.width, 595.3, 1);   // 210 mm across
    EXPECT_NEAR(page.height, 419.5, 1);  // 148 mm down: A5 landscape
    EXPECT_NE(tools::run("pdftotext " + tools::quote(job.document) + " -").output.find("列印測試有限公司"), std::string::npos);

    const platform::PrintedJob named = platform::print_pdf(receipt_, {.printer = "office"});
    EXPECT_EQ(named.printer, "office");
    const auto at_office = server.wait_for_jobs("office", 1);
    ASSERT_EQ(at_office.size(), 1u) << server.log_tail();
    EXPECT_EQ(at_office.front().copies, 1);
    EXPECT_EQ(server.jobs("counter").size(), 1u);

    // Bytes already read and checked go out as they are; the file is not read again.
    const std::string gone = tools::fresh_folder("gone") + "收據000009.pdf";
    platform::print_pdf_content(receipt_bytes_, gone, {.printer = "office"});
    const auto second = server.wait_for_jobs("office", 2);
    ASSERT_EQ(second.size(), 2u) << server.log_tail();
    EXPECT_EQ(second.back().title, "收據000009.pdf");
    EXPECT_EQ(fixture::read_file(second.back().document), receipt_bytes_);
    EXPECT_THROW(platform::print_pdf_content("plain text", gone, {.printer = "office"}), platform::PrintError);
    expect_receipt_untouched();
}

TEST_F(Printing, RefusedRequestsSayWhyAndLeaveThePdfAlone) {
    PrintServer& server = start_server();
    server.add_printer("office");
    server.add_printer("closed", {.accepting = false});
    const std::string not_pdf = tools::fresh_folder("not-pdf") + "notes.pdf";
    fixture::write_file(not_pdf, "plain text, not a PDF");
    const std::string fifo = tools::fresh_folder("fifo") + "receipt.pdf";  // would wait for a writer for ever
    ASSERT_EQ(tools::run("mkfifo " + tools::quote(fifo)).status, 0);

    struct Case {
        std::string pdf;
        platform::PrintRequest request;
        std::string expected;
    };
    const Case cases[] = {
        {receipt_, {}, ": no default printer is set; name one of: "},
        {receipt_, {.printer = "nowhere"}, ": there is no printer named \"nowhere\"; the printers are: "},
        {receipt_, {.printer = "closed"}, ": printer closed refused the job: "},
        {receipt_, {.printer = "office", .copies = 0}, ": the number of copies must be at least 1, not 0"},
        {not_pdf, {.printer = "office"}, ": it is not a PDF file"},
        {fifo, {.printer = "office"}, ": it is not a regular file"},
        {receipt_ + ".missing", {.printer = "office"}, ": No such file or directory"},
    };
    for (const auto& c : cases) {
        const std::string message = print_failure(c.pdf, c.request);
        EXPECT_EQ(message.rfind("cannot print " + c.pdf + c.expected, 0), 0u) << message;
    }
    for (const char* printer : {"office", "closed"})
        EXPECT_NE(print_failure(receipt_, {}).find(printer), std::string::npos) << "the choices are named";
    EXPECT_TRUE(server.jobs("office").empty());
    EXPECT_TRUE(server.jobs("closed").empty());
    expect_receipt_untouched();
}

TEST_F(Printing, NoPrinterInstalled) {
    start_server();
    EXPECT_TRUE(platform::list_printers().empty());
    for (const std::string& printer : {std::string(), std::string("office")})
        EXPECT_EQ(print_failure(receipt_, {.printer = printer}), "cannot print " + receipt_ + ": no printer is installed");
    expect_receipt_untouched();
}

// Listing with no print service is the printers command's test.
TEST_F(Printing, NoPrintServiceAnswering) {
    const std::string socket = tools::fresh_folder("no-service") + "cups.sock";
    ScopedEnv nowhere("CUPS_SERVER", socket.c_str());
    const std::string message = print_failure(receipt_, {});
    EXPECT_EQ(message, "cannot print " + receipt_ + ": no print service answers at " + socket);
    expect_receipt_untouched();
}

TEST_F(Printing, APrintServiceThatNeverAnswersIsGivenUpOnInTime) {
    const Silent_Service silent;
    ScopedEnv there("CUPS_SERVER", silent.address().c_str());
    const auto started = std::chrono::steady_clock::now();
    const std::string message = print_failure(receipt_, {});
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(message, "cannot print " + receipt_ + ": the print service at " + silent.address() + " did not answer within 10 s");
    EXPECT_LT(waited, std::chrono::seconds(20)) << "libcups alone waits about a minute for each request";
    expect_receipt_untouched();
}
