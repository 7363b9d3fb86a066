#include "pdf_press/pdf_press.hpp"

#include "platform/process.hpp"
#include "platform/root_folder.hpp"
#include "test_env.hpp"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string receipt_sentence = "本店開立統一發票，感謝您的惠顧。";

// The smallest .docx Word and LibreOffice both accept: three parts in a zip, with the
// sentence repeated in as many paragraphs as asked.
void write_docx(const fs::path& file, const std::string& sentence, int paragraphs = 1) {
    std::string body;
    for (int i = 0; i < paragraphs; ++i) body += "<w:p><w:r><w:t>" + sentence + "</w:t></w:r></w:p>";
    const std::vector<std::pair<std::string, std::string>> parts = {
        {"[Content_Types].xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
         R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
         R"(<Default Extension="xml" ContentType="application/xml"/>)"
         R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
         R"(</Types>)"},
        {"_rels/.rels",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
         R"(</Relationships>)"},
        {"word/document.xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)"
         + body + R"(</w:body></w:document>)"},
    };
    int error = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << "cannot create " << file;
    for (const auto& [name, text] : parts) {
        zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
        ASSERT_NE(source, nullptr);
        ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0) << zip_strerror(archive);
    }
    // zip_close reads the buffers, which `parts` still owns here.
    ASSERT_EQ(zip_close(archive), 0) << "cannot write " << file;
}

void write_random_bytes(const fs::path& file) {
    std::mt19937 random(12345);
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < 4096; ++i) {
        out.put(static_cast<char>(random() & 0xff));
    }
}

std::string pdf_text(const fs::path& pdf) {
    fs::path text_file = pdf;
    text_file.replace_extension(".txt");
    platform::Process tool({"pdftotext", "-enc", "UTF-8", platform::from_path(pdf), platform::from_path(text_file)});
    auto status = tool.wait_for(60s);
    if (!status || !status->success()) {
        ADD_FAILURE() << "pdftotext failed on " << pdf << ": " << tool.output();
        return {};
    }
    std::ifstream in(text_file);
    std::stringstream text;
    text << in.rdbuf();
    fs::remove(text_file);
    return text.str();
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(platform::from_path(entry.path().filename()));
    }
    return names;
}

std::size_t profile_count() {
    std::size_t count = 0;
    fs::path base = platform::to_path(platform::working_folder()) / "libreoffice";
    for (const auto& entry : fs::directory_iterator(base)) {
        count += entry.is_directory() ? 1 : 0;
    }
    return count;
}

// The working folder as it appears, percent-encoded, in LibreOffice's command line.
std::string encoded_working_folder() {
    std::string encoded;
    constexpr char hex[] = "0123456789ABCDEF";
    for (unsigned char c : platform::working_folder()) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            std::string_view("-._~/:").find(static_cast<char>(c)) != std::string_view::npos) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return encoded;
}

// Command lines of live LibreOffice processes started on this test's profiles.
std::vector<std::string> office_processes_of_this_test() {
    std::vector<std::string> found;
    const std::string marker = encoded_working_folder();
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string stat_line;
        if (!std::getline(stat, stat_line)) {
            continue;
        }
        char state = stat_line[stat_line.rfind(')') + 2];
        if (state == 'Z' || state == 'X') {
            continue;
        }
        std::ifstream cmdline(entry.path() / "cmdline", std::ios::binary);
        std::string command((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        if (command.find(marker) != std::string::npos) {
            std::replace(command.begin(), command.end(), '\0', ' ');
            found.push_back(command);
        }
    }
    return found;
}

bool no_office_left_within(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!office_processes_of_this_test().empty()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// These tests are about LibreOffice's command line, which serves where the converter
// process cannot; warm_converter_test covers the converter.
Pdf_Press per_call() {
    Pdf_Press press;
    press.command_line_only = true;
    return press;
}

// Conversions need LibreOffice and checking them needs pdftotext; a machine without
// them fails here with the package to install instead of skipping quietly.
class PdfPressTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::find_program("soffice").has_value())
            << "LibreOffice (soffice) is not on PATH: install the Debian package libreoffice-writer-nogui";
        ASSERT_TRUE(platform::find_program("pdftotext").has_value())
            << "pdftotext is not on PATH: install the Debian package poppler-utils";
        folder_ = platform::to_path(platform::working_folder()) / "pdf_press_test" /
                  testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    fs::path folder_;
};

}  // namespace

TEST_F(PdfPressTest, ConvertsADocxAndReplacesTheOldPdf) {
    // A name with a space and Chinese, as a clerk would save it.
    fs::path input = folder_ / platform::to_path("收據 一號.docx");
    fs::path output = folder_ / platform::to_path("收據 一號.pdf");
    write_docx(input, receipt_sentence);
    std::ofstream(output) << "an old receipt";

    Pdf_Press press = per_call();
    auto started = std::chrono::steady_clock::now();
    press.convert(platform::from_path(input), platform::from_path(output), false);
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::cout << "one conversion (new profile) took " << took.count() << " ms\n";

    EXPECT_NE(pdf_text(output).find(receipt_sentence), std::string::npos);
    EXPECT_EQ(names_in(folder_), (std::set<std::string>{"收據 一號.docx", "收據 一號.pdf"}))
        << "the temporary folder must go";

    // A second run reuses the released profile rather than making another one.
    std::size_t profiles = profile_count();
    write_docx(input, "第二張收據");
    started = std::chrono::steady_clock::now();
    press.convert(platform::from_path(input), platform::from_path(output), true);
    took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::cout << "one conversion (existing profile) took " << took.count() << " ms\n";
    EXPECT_NE(pdf_text(output).find("第二張收據"), std::string::npos);
    EXPECT_EQ(profile_count(), profiles);
}

TEST_F(PdfPressTest, CorruptDocxFailsAndLeavesTheOldFileAlone) {
    fs::path input = folder_ / "broken.docx";
    fs::path output = folder_ / "broken.pdf";
    write_random_bytes(input);
    // Deleting it would destroy a file the user may still need; the error tells the caller.
    std::ofstream(output) << "an older receipt";

    try {
        per_call().convert(platform::from_path(input), platform::from_path(output), false);
        FAIL() << "random bytes were converted to a PDF";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find(platform::from_path(input)), std::string::npos) << e.what();
    }
    EXPECT_EQ(names_in(folder_), (std::set<std::string>{"broken.docx", "broken.pdf"}));
    std::ifstream old(output);
    std::string content;
    std::getline(old, content);
    EXPECT_EQ(content, "an older receipt");
}

TEST_F(PdfPressTest, TimeLimitStopsLibreOfficeAndItsHelpers) {
    fs::path input = folder_ / "slow.docx";
    fs::path output = folder_ / "slow.pdf";
    // Hundreds of pages: no machine lays them out within the limit.
    write_docx(input, receipt_sentence, 20000);

    Pdf_Press press = per_call();
    press.time_limit = 300ms;  // long enough for soffice.bin to start
    try {
        press.convert(platform::from_path(input), platform::from_path(output), false);
        FAIL() << "the conversion finished within " << press.time_limit.count() << " ms";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("300 ms"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(platform::from_path(input)), std::string::npos) << e.what();
    }
    EXPECT_TRUE(no_office_left_within(5s)) << "still running: " << testing::PrintToString(office_processes_of_this_test());
    EXPECT_EQ(names_in(folder_), std::set<std::string>{"slow.docx"});

    // A killed run must not leave its profile unusable for the next one.
    write_docx(input, receipt_sentence);
    press.time_limit = 120s;
    press.convert(platform::from_path(input), platform::from_path(output), false);
    EXPECT_NE(pdf_text(output).find(receipt_sentence), std::string::npos);
}

TEST_F(PdfPressTest, SimultaneousConversionsKeepTheirOwnResults) {
    const std::vector<std::string> sentences = {"甲店收據：壹佰元整", "乙店收據：貳佰元整"};
    std::vector<std::string> errors(sentences.size());
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        write_docx(folder_ / (std::to_string(i) + ".docx"), sentences[i]);
    }
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        workers.emplace_back([&, i] {
            try {
                per_call().convert(platform::from_path(folder_ / (std::to_string(i) + ".docx")),
                                    platform::from_path(folder_ / (std::to_string(i) + ".pdf")), false);
            } catch (const std::exception& e) {
                errors[i] = e.what();
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        EXPECT_EQ(errors[i], "");
        std::string text = pdf_text(folder_ / (std::to_string(i) + ".pdf"));
        EXPECT_NE(text.find(sentences[i]), std::string::npos) << "PDF " << i << " holds: " << text;
    }
}

TEST_F(PdfPressTest, RootWithSpacesAndChineseStillWorks) {
    // The profile folder reaches LibreOffice as a URL; a home folder may hold any name.
    fs::path root = folder_ / platform::to_path("收據 根目錄#1");
    ScopedEnv env("TARNWICKERY_ROOT", platform::from_path(root).c_str());
    fs::path input = folder_ / "receipt.docx";
    fs::path output = folder_ / "receipt.pdf";
    write_docx(input, receipt_sentence);

    per_call().convert(platform::from_path(input), platform::from_path(output), false);
    EXPECT_NE(pdf_text(output).find(receipt_sentence), std::string::npos);
    EXPECT_TRUE(fs::is_directory(root / "temp" / "libreoffice" / "profile-0" / "user"))
        << "LibreOffice kept its profile somewhere else";
}

// A stand-in for soffice, for the failures real LibreOffice shows only now and then.
// `body` runs with $outdir set and $all holding every argument.
class FakeOfficeTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = platform::to_path(platform::working_folder()) / "fake_office" /
                  testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        input_ = folder_ / "receipt.docx";
        output_ = folder_ / "receipt.pdf";
        write_docx(input_, receipt_sentence);
    }

    void use_fake_office(const std::string& body) {
        fs::path script = folder_ / "fake-soffice";
        std::ofstream(script) << "#!/bin/sh\n"
                                 "all=\"$*\"\n"
                                 "while [ $# -gt 0 ]; do\n"
                                 "  if [ \"$1\" = --outdir ]; then outdir=\"$2\"; fi\n"
                                 "  shift\n"
                                 "done\n"
                              << body << "\n";
        fs::permissions(script, fs::perms::owner_all);
        env_.reset();
        env_.emplace("TARNWICKERY_SOFFICE", platform::from_path(script).c_str());
    }

    // Converts, expecting failure; returns the message.
    std::string failure(Pdf_Press press = per_call()) {
        try {
            press.convert(platform::from_path(input_), platform::from_path(output_), false);
        } catch (const ConversionError& e) {
            return e.what();
        }
        ADD_FAILURE() << "the conversion succeeded";
        return {};
    }

    fs::path folder_;
    fs::path input_;
    fs::path output_;
    std::optional<ScopedEnv> env_;
};

TEST_F(FakeOfficeTest, OnlyACompletePdfCounts) {
    const std::set<std::string> nothing_new = {"fake-soffice", "receipt.docx"};
    use_fake_office("echo 'pretending to convert'; exit 0");
    std::string message = failure();
    EXPECT_NE(message.find("pretending to convert"), std::string::npos) << message;
    EXPECT_EQ(names_in(folder_), nothing_new);

    use_fake_office("printf '%%PDF-1.7\\n1 0 obj' > \"$outdir/receipt.pdf\"; exit 0");
    failure();
    EXPECT_EQ(names_in(folder_), nothing_new) << "a half-written PDF was accepted";

    // The same fake with a complete file passes, so the failures above are not the fake's.
    use_fake_office("printf '%%PDF-1.7\\n1 0 obj\\n%%%%EOF\\n' > \"$outdir/receipt.pdf\"");
    per_call().convert(platform::from_path(input_), platform::from_path(output_), false);
    EXPECT_TRUE(fs::exists(output_));
}

TEST_F(FakeOfficeTest, TimeOutKillsHelpersTheOfficeStarted) {
    // Like oosplash starting soffice.bin: a helper that carries the same arguments.
    use_fake_office("sh -c \"sleep 60; : $all\" &\nwait");
    Pdf_Press press = per_call();
    press.time_limit = 500ms;
    std::string message = failure(press);
    EXPECT_NE(message.find("500 ms"), std::string::npos) << message;
    EXPECT_TRUE(no_office_left_within(2s)) << "still running: " << testing::PrintToString(office_processes_of_this_test());
    EXPECT_EQ(names_in(folder_), (std::set<std::string>{"fake-soffice", "receipt.docx"}));
}

TEST(PdfPressErrors, MissingFilesAreNamed) {
    fs::path folder = platform::to_path(platform::working_folder()) / "pdf_press_errors";
    fs::create_directories(folder);
    const std::string missing_input = platform::from_path(folder / "no-such-receipt.docx");
    try {
        Pdf_Press().convert(missing_input, platform::from_path(folder / "out.pdf"), false);
        FAIL() << "a missing input was accepted";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find(missing_input), std::string::npos) << e.what();
    }

    const fs::path input = folder / "present.docx";
    write_docx(input, receipt_sentence);
    const std::string missing_folder = platform::from_path(folder / "no-such-folder");
    try {
        Pdf_Press().convert(platform::from_path(input), missing_folder + "/out.pdf", false);
        FAIL() << "a missing output folder was accepted";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find(missing_folder), std::string::npos) << e.what();
    }
}

TEST(PdfPressErrors, MissingLibreOfficeNamesThePackage) {
    fs::path folder = platform::to_path(platform::working_folder()) / "pdf_press_no_office";
    fs::create_directories(folder / "empty-bin");
    const fs::path input = folder / "receipt.docx";
    write_docx(input, receipt_sentence);
    const std::string output = platform::from_path(folder / "receipt.pdf");
    {
        ScopedEnv path("PATH", platform::from_path(folder / "empty-bin").c_str());
        ScopedEnv soffice("TARNWICKERY_SOFFICE", nullptr);
        try {
            per_call().convert(platform::from_path(input), output, false);
            FAIL() << "converted without LibreOffice on PATH";
        } catch (const OfficeMissing& e) {
            EXPECT_NE(std::string(e.what()).find("libreoffice-writer-nogui"), std::string::npos) << e.what();
        }
    }
    ScopedEnv soffice("TARNWICKERY_SOFFICE", platform::from_path(folder / "no-such-soffice").c_str());
    try {
        per_call().convert(platform::from_path(input), output, false);
        FAIL() << "converted with a TARNWICKERY_SOFFICE that does not exist";
    } catch (const OfficeMissing& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-soffice"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(output));
}
