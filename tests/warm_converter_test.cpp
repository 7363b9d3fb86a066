// The converter process that Pdf_Press keeps running between calls: reuse, faults,
// clean ends, and what ends up in the PDF.
#include "pdf_press/pdf_press.hpp"

#include "docx_fixture.hpp"
#include "platform/file_lock.hpp"
#include "platform/module_folder.hpp"
#include "platform/process.hpp"
#include "platform/root_folder.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string receipt_sentence = "本店開立統一發票，感謝您的惠顧。";

// A paragraph in the fonts the receipt template asks for.
std::string receipt_body(const std::string& sentence) {
    return R"(<w:p><w:r><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:eastAsia="標楷體"/></w:rPr>)"
           R"(<w:t>Receipt )" + sentence + R"(</w:t></w:r></w:p>)";
}

void write_docx(const fs::path& file, const std::string& sentence) {
    fixture::write_file(platform::from_path(file), fixture::docx_bytes(receipt_body(sentence)));
}

std::string read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string run_tool(const std::string& command_line) {
    tools::CommandResult result = tools::run(command_line);
    EXPECT_EQ(result.status, 0) << command_line << ": " << result.output;
    return result.output;
}

std::string pdf_text(const fs::path& pdf) {
    return run_tool("pdftotext -enc UTF-8 " + tools::quote(platform::from_path(pdf)) + " -");
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(platform::from_path(entry.path().filename()));
    }
    return names;
}

// Fields of /proc/<pid>/stat after the command name: state, parent, group.
struct ProcStat {
    char state = '?';
    int group = 0;
};

std::optional<ProcStat> proc_stat(const fs::path& proc_entry) {
    std::ifstream in(proc_entry / "stat");
    std::string line;
    if (!std::getline(in, line) || line.rfind(')') == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    ProcStat stat;
    int parent = 0;
    rest >> stat.state >> parent >> stat.group;
    return stat;
}

// A zombie has ended; only its parent has still to collect it.
bool alive(int pid) {
    auto stat = proc_stat("/proc/" + std::to_string(pid));
    return stat && stat->state != 'Z' && stat->state != 'X';
}

// Live processes in the converter's process group: the converter and whatever it started.
int live_members_of_group(int group) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        auto stat = proc_stat(entry.path());
        count += stat && stat->group == group && stat->state != 'Z' && stat->state != 'X' ? 1 : 0;
    }
    return count;
}

// A group just killed may still show members that the signal has not reached yet.
bool group_empties_within(int group, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (live_members_of_group(group) > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool ends_within(int pid, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (alive(pid)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Converts, expecting failure; returns the message.
std::string failure_of(Pdf_Press& press, const fs::path& input, const fs::path& output) {
    try {
        press.convert(platform::from_path(input), platform::from_path(output), true);
    } catch (const ConversionError& e) {
        return e.what();
    }
    ADD_FAILURE() << "the conversion of " << input << " succeeded";
    return {};
}

class WarmConverterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tools::require("pdftotext", "poppler-utils"));
        ASSERT_TRUE(fs::exists(platform::to_path(tools::program_dir()) / "pdf-press-converter"))
            << "pdf-press-converter was not built: install the Debian package libreofficekit-dev "
               "(with --no-install-recommends) and configure again";
        folder_ = platform::to_path(tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()));
        input_ = folder_ / "receipt.docx";
        output_ = folder_ / "receipt.pdf";
        write_docx(input_, receipt_sentence);
    }

    void convert(Pdf_Press& press, bool keep_active = true) {
        press.convert(platform::from_path(input_), platform::from_path(output_), keep_active);
    }

    // The test's programs sit in the build's program folder, not beside the test.
    ScopedEnv program_folder_{"TARNWICKERY_PDF_PRESS_DIR", tools::program_dir().c_str()};
    fs::path folder_;
    fs::path input_;
    fs::path output_;
};

}  // namespace

TEST_F(WarmConverterTest, OneConverterServesManyCallsAndEndsWithItsPress) {
    int converter = 0;
    {
        Pdf_Press press;
        EXPECT_FALSE(press.converter_id().has_value()) << "constructing must start nothing";
        const std::vector<std::string> numerals = {"一", "二", "三", "四"};
        for (int i = 1; i <= 4; ++i) {
            // Chinese numerals: pdftotext puts spaces around Latin digits amid Chinese.
            const std::string sentence = "第" + numerals[i - 1] + "張收據";
            write_docx(input_, sentence);
            convert(press);
            EXPECT_NE(pdf_text(output_).find(sentence), std::string::npos) << "conversion " << i;
            ASSERT_TRUE(press.converter_id().has_value());
            if (i == 1) converter = *press.converter_id();
            EXPECT_EQ(*press.converter_id(), converter) << "conversion " << i << " started another converter";
        }
        EXPECT_EQ(names_in(folder_), (std::set<std::string>{"receipt.docx", "receipt.pdf"}))
            << "the temporary folders must go";

        // Moving the press hands the converter over rather than ending or copying it.
        Pdf_Press moved = std::move(press);
        EXPECT_EQ(moved.converter_id(), converter);
    }
    EXPECT_TRUE(ends_within(converter, 2s)) << "the converter outlived its Pdf_Press";
    EXPECT_TRUE(group_empties_within(converter, 2s)) << "the office left processes behind";

    // Without keep_active the converter serves the one call and ends.
    Pdf_Press once;
    convert(once, false);
    EXPECT_NE(pdf_text(output_).find("第四張收據"), std::string::npos);
    EXPECT_FALSE(once.converter_id().has_value());

}

TEST_F(WarmConverterTest, AReplacementStartsBesideAnAgedConverterAndTakesOverOnceReady) {
    // Replacing converters bounds the office's memory; starting the next one ahead keeps
    // every call from waiting for a start.
    Pdf_Press press;
    press.converter_lifetime = 2;
    convert(press);
    const int first = press.converter_id().value_or(-1);
    EXPECT_FALSE(press.replacement_converter_id().has_value()) << "started a replacement before it was due";
    convert(press);
    ASSERT_TRUE(press.replacement_converter_id().has_value()) << "no replacement started at the end of the lifetime";
    const int replacement = *press.replacement_converter_id();
    EXPECT_NE(replacement, first);
    EXPECT_EQ(press.converter_id(), first) << "the old converter retired before its replacement was ready";

    // The old one serves on while the replacement gets ready, however slow the machine.
    const std::vector<std::string> numerals = {"三", "四", "五", "六", "七", "八", "九", "十"};
    for (std::size_t call = 0; press.converter_id() == first && call < numerals.size(); ++call) {
        std::this_thread::sleep_for(call == 0 ? 0ms : 1s);
        const std::string sentence = "第" + numerals[call] + "張收據";
        write_docx(input_, sentence);
        convert(press);
        EXPECT_NE(pdf_text(output_).find(sentence), std::string::npos);
    }
    EXPECT_EQ(press.converter_id(), replacement) << "the converter that took over is not the one started ahead";
    EXPECT_TRUE(ends_within(first, 5s)) << "the retired converter lives on";
    EXPECT_TRUE(group_empties_within(first, 2s)) << "the retired office left processes behind";
}

TEST_F(WarmConverterTest, AConverterStartedAheadServesTheFirstCall) {
    // A sample that cannot be read costs the warm-up only.
    for (const fs::path& sample : {input_, folder_ / "no-such-template.docx"}) {
        SCOPED_TRACE(platform::from_path(sample));
        Pdf_Press press;
        press.start_converter(platform::from_path(sample));
        ASSERT_TRUE(press.converter_id().has_value()) << "start_converter started nothing";
        const int started = *press.converter_id();
        write_docx(input_, "預先啟動");
        convert(press);
        EXPECT_NE(pdf_text(output_).find("預先啟動"), std::string::npos);
        EXPECT_EQ(press.converter_id(), started) << "the call did not go to the converter started ahead";
        EXPECT_EQ(names_in(folder_), (std::set<std::string>{"receipt.docx", "receipt.pdf"}));

        // Asked again while one runs, it starts no second one.
        press.start_converter(platform::from_path(sample));
        EXPECT_EQ(press.converter_id(), started);
    }

    Pdf_Press per_call;
    per_call.command_line_only = true;
    per_call.start_converter();
    EXPECT_FALSE(per_call.converter_id().has_value());
}

namespace {

// The version `soffice --version` names, "7.4" of "LibreOffice 7.4.7.2 40(Build:2)".
std::string office_major_minor() {
    std::istringstream words(run_tool("soffice --version"));
    std::string word;
    while (words >> word) {
        if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0]))) {
            return word.substr(0, word.find('.', word.find('.') + 1));
        }
    }
    return {};
}

}  // namespace

TEST_F(WarmConverterTest, TheProfileIsSeededSoNoStartRedoesFirstStartWork) {
    ASSERT_TRUE(tools::require("soffice", "libreoffice-writer-nogui"));
    const std::string version = office_major_minor();
    ASSERT_FALSE(version.empty());
    const std::string recorded = "<prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>" + version + "</value>";
    // What a command-line office writes into a profile, with an older office's version.
    const std::string written_elsewhere =
        R"(<?xml version="1.0" encoding="UTF-8"?>)"
        "\n<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\">\n"
        R"(<item oor:path="/org.openoffice.Setup/Product"><prop oor:name="ooSetupLastVersion" oor:op="fuse"><value>6.4</value></prop></item>)"
        "\n"
        R"(<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseSystemFileDialog" oor:op="fuse"><value>false</value></prop></item>)"
        "\n</oor:items>\n";

    for (bool fresh : {true, false}) {
        SCOPED_TRACE(fresh ? "fresh root" : "profile written by another office");
        const fs::path root = folder_ / (fresh ? "fresh" : "used");
        ScopedEnv env("TARNWICKERY_ROOT", platform::from_path(root).c_str());
        const fs::path user = root / "temp" / "libreoffice" / "profile-0" / "user";
        if (!fresh) {
            fs::create_directories(user);
            fixture::write_file(platform::from_path(user / "registrymodifications.xcu"), written_elsewhere);
        }
        Pdf_Press press;
        convert(press, false);

        const std::string settings = read(user / "registrymodifications.xcu");
        EXPECT_NE(settings.find(recorded), std::string::npos) << settings;
        EXPECT_EQ(settings.find("<value>6.4</value>"), std::string::npos) << settings;
        EXPECT_EQ(settings.find("ooSetupLastVersion"), settings.rfind("ooSetupLastVersion")) << settings;
        if (!fresh) {
            EXPECT_NE(settings.find("UseSystemFileDialog"), std::string::npos) << "lost a setting: " << settings;
        }
        // The office runs its graphics self-tests, and writes their log, only on what it
        // takes for a first start.
        EXPECT_FALSE(fs::exists(user / "GraphicsRenderTests.log")) << "the office redid its first-start work";
    }
}

TEST_F(WarmConverterTest, TheOfficesTemporaryFilesStayInItsProfileAndGoWhenItEnds) {
    // An office that does not shut down properly leaves its temporary folder behind;
    // in the system's temporary folder that would pile up with every start.
    for (bool command_line : {false, true}) {
        SCOPED_TRACE(command_line ? "command line" : "converter");
        const fs::path root = folder_ / (command_line ? "command-line-root" : "converter-root");
        ScopedEnv env("TARNWICKERY_ROOT", platform::from_path(root).c_str());
        const fs::path profiles = root / "temp" / "libreoffice";
        // What offices killed in earlier runs left, in a free profile and in one still in use.
        for (const char* profile : {"profile-5", "profile-6"}) {
            fs::create_directories(profiles / profile / "tmp" / "lu1234abcd.tmp");
            fixture::write_file(platform::from_path(profiles / profile / "tmp" / "lu1234abcd.tmp" / "x"), "left");
        }
        const auto in_use = platform::FileLock::try_acquire(profiles / "profile-6.lock");
        ASSERT_TRUE(in_use.has_value());

        std::optional<int> converter;
        {
            Pdf_Press press;
            press.command_line_only = command_line;
            convert(press);
            EXPECT_FALSE(fs::exists(profiles / "profile-5" / "tmp")) << "what an earlier run left stays";
            EXPECT_TRUE(fs::exists(profiles / "profile-6" / "tmp" / "lu1234abcd.tmp")) << "cleared a profile in use";
            converter = press.converter_id();
            if (!command_line) {
                ASSERT_TRUE(converter.has_value());
                EXPECT_TRUE(fs::is_directory(profiles / "profile-0" / "tmp")) << "the office keeps its files elsewhere";
            }
        }
        if (converter) {
            EXPECT_TRUE(ends_within(*converter, 2s));
        }
        EXPECT_FALSE(fs::exists(profiles / "profile-0" / "tmp")) << "the office's temporary files outlived it";
    }
}

TEST_F(WarmConverterTest, BothWaysWritePdfA2bWithTheTemplateFontsMappedAndEmbedded) {
    for (bool command_line : {false, true}) {
        SCOPED_TRACE(command_line ? "command line" : "converter");
        Pdf_Press press;
        press.command_line_only = command_line;
        convert(press);
        EXPECT_NE(pdf_text(output_).find(receipt_sentence), std::string::npos);
        EXPECT_NE(run_tool("pdfinfo -meta " + tools::quote(platform::from_path(output_))).find("<pdfaid:part>2</pdfaid:part>"),
                  std::string::npos)
            << "not PDF/A-2";

        // pdffonts: two header lines, then one font a line with "emb" in the third
        // column from the right of "uni" and "sub": "... yes yes yes 12 0".
        std::istringstream fonts(run_tool("pdffonts " + tools::quote(platform::from_path(output_))));
        std::string line, all;
        std::getline(fonts, line);
        std::getline(fonts, line);
        int count = 0;
        while (std::getline(fonts, line)) {
            std::istringstream fields(line);
            std::vector<std::string> words{std::istream_iterator<std::string>(fields), {}};
            ASSERT_GE(words.size(), 6u) << line;
            EXPECT_EQ(words[words.size() - 5], "yes") << "not embedded: " << line;
            all += line + "\n";
            ++count;
        }
        EXPECT_GE(count, 2) << all;
        EXPECT_NE(all.find("UKai"), std::string::npos) << "標楷體 did not become AR PL UKai:\n" << all;
        EXPECT_NE(all.find("Carlito"), std::string::npos) << "Calibri did not become Carlito:\n" << all;
    }
}

TEST_F(WarmConverterTest, BadDocumentsFailAndTheConverterServesOn) {
    Pdf_Press press;
    convert(press);
    const int converter = press.converter_id().value_or(-1);
    std::ofstream(output_, std::ios::binary) << "an older receipt the user still needs";

    struct Case {
        const char* name;
        std::string bytes;
        const char* expected;  // words of the message
    };
    const std::vector<Case> cases = {
        // Random bytes would otherwise be imported as plain text.
        {"random bytes", std::string(4096, '\x5a'), "not a Word document"},
        {"a cut-off package", fixture::docx_bytes("").substr(0, 300), "LibreOffice cannot load"},
    };
    for (const Case& bad : cases) {
        SCOPED_TRACE(bad.name);
        const fs::path broken = folder_ / "broken.docx";
        fixture::write_file(platform::from_path(broken), bad.bytes);
        std::string message = failure_of(press, broken, output_);
        EXPECT_NE(message.find(bad.expected), std::string::npos) << message;
        EXPECT_NE(message.find(platform::from_path(broken)), std::string::npos) << message;
        EXPECT_EQ(read(output_), "an older receipt the user still needs") << "a failed call touched the old file";
        EXPECT_EQ(press.converter_id(), converter) << "a bad document cost the converter";
        fs::remove(broken);
    }
    EXPECT_EQ(names_in(folder_), (std::set<std::string>{"receipt.docx", "receipt.pdf"}));

    convert(press);
    EXPECT_NE(pdf_text(output_).find(receipt_sentence), std::string::npos);
    EXPECT_EQ(press.converter_id(), converter);
}

TEST_F(WarmConverterTest, TwoPressesConvertSideBySideOnProfilesOfTheirOwn) {
    // An office that finds its profile in use hands its work to the other one.
    const std::vector<std::string> sentences = {"甲店收據", "乙店收據"};
    std::vector<std::string> errors(sentences.size());
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        workers.emplace_back([&, i] {
            try {
                Pdf_Press press;
                for (int round = 0; round < 2; ++round) {
                    const fs::path input = folder_ / (std::to_string(i) + ".docx");
                    write_docx(input, sentences[i]);
                    press.convert(platform::from_path(input), platform::from_path(folder_ / (std::to_string(i) + ".pdf")),
                                  true);
                }
            } catch (const std::exception& e) {
                errors[i] = e.what();
            }
        });
    }
    for (auto& worker : workers) worker.join();
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        EXPECT_EQ(errors[i], "");
        EXPECT_NE(pdf_text(folder_ / (std::to_string(i) + ".pdf")).find(sentences[i]), std::string::npos);
    }
}

TEST_F(WarmConverterTest, AConverterKilledBetweenCallsIsReplaced) {
    Pdf_Press press;
    convert(press);
    const int converter = press.converter_id().value_or(-1);
    ASSERT_EQ(::kill(converter, SIGKILL), 0);
    ASSERT_TRUE(ends_within(converter, 2s));

    write_docx(input_, "第二張收據");
    convert(press);
    EXPECT_NE(pdf_text(output_).find("第二張收據"), std::string::npos);
    EXPECT_NE(press.converter_id().value_or(converter), converter);
}

TEST(ModuleFolder, IsTheFolderOfTheProgramFile) {
    // Pdf_Press finds its converter and fonts beside the module it is linked into.
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_EQ(platform::module_folder_of(reinterpret_cast<const void*>(&platform::module_folder_of)), platform::from_path(program.parent_path()) + "/");
}

TEST_F(WarmConverterTest, TheConverterEndsWhenItsParentDies) {
    // A shell stands in for a program that crashes while its converter starts up.
    const std::string converter = platform::from_path(platform::to_path(tools::program_dir()) / "pdf-press-converter");
    const fs::path profiles = folder_ / "profiles";
    fs::create_directories(profiles);
    platform::ProcessOptions options;
    options.pipe_stdout = true;
    platform::Process parent({"sh", "-c",
                              // sleep holds the converter's input open, so only its parent's end can end it.
                              "sleep 30 | " + tools::quote(converter) + " /usr/lib/libreoffice/program " +
                                  tools::quote(platform::from_path(profiles)) + " $$ >/dev/null & echo $!; exit 0"},
                             options);
    std::optional<std::string> pid = parent.read_line(5s);
    ASSERT_TRUE(pid.has_value());
    EXPECT_TRUE(ends_within(std::stoi(*pid), 3s)) << "the converter outlived the program that started it";
}

// A stand-in for the converter, for faults the real one shows only now and then. The
// first start misbehaves as `first_start` says; later starts convert properly, so the
// call after a fault shows whether a fresh converter took over.
class FakeConverterTest : public WarmConverterTest {
protected:
    void use_fake(const std::string& first_start) {
        fs::path fake_folder = folder_ / "fake";
        fs::create_directories(fake_folder);
        fs::path script = fake_folder / "pdf-press-converter";
        std::ofstream(script) << "#!/bin/sh\n"
                                 "count_file=\"$0.starts\"\n"
                                 "starts=$(( $(cat \"$count_file\" 2>/dev/null || echo 0) + 1 ))\n"
                                 "echo $starts > \"$count_file\"\n"
                                 "echo $$ > \"$0.pid\"\n"
                                 "if [ $starts -eq 1 ]; then\n"
                              << first_start
                              << "\nfi\n"
                                 "echo ready\n"
                                 "tab=$(printf '\\t')\n"
                                 "while IFS=\"$tab\" read -r request in out; do\n"
                                 "  echo taken\n"
                                 "  printf '%%PDF-1.7\\n%%%%EOF\\n' > \"${out#file://}\"\n"
                                 "  echo ok\n"
                                 "done\n";
        fs::permissions(script, fs::perms::owner_all);
        starts_file_ = fake_folder / "pdf-press-converter.starts";
        pid_file_ = fake_folder / "pdf-press-converter.pid";
        fake_dir_.emplace("TARNWICKERY_PDF_PRESS_DIR", platform::from_path(fake_folder).c_str());
    }

    int starts() { return std::stoi("0" + read(starts_file_)); }
    int last_pid() { return std::stoi("0" + read(pid_file_)); }

    fs::path starts_file_;
    fs::path pid_file_;
    std::optional<ScopedEnv> fake_dir_;
};

TEST_F(FakeConverterTest, FaultsFailTheCallAndTheNextCallStartsAFreshConverter) {
    struct Case {
        const char* name;
        std::string first_start;
        std::vector<std::string> expected;  // words of the message
    };
    const std::vector<Case> cases = {
        {"hangs", "echo ready; read -r request; echo taken; sleep 60", {"took longer than 700 ms", "stopped"}},
        {"crashes", "echo ready; read -r request; echo taken; echo 'about to fail' >&2; kill -SEGV $$", {"ended", "signal 11", "about to fail"}},
        {"talks nonsense", "echo ready; read -r request; echo taken; echo banana; sleep 60", {"\"banana\""}},
        {"hangs before it is ready", "sleep 60", {"took longer than 700 ms while starting"}},
        {"says ok over half a PDF",
         "echo ready; read -r request in out; echo taken; printf '%%PDF-1.7\\n1 0 obj' > \"${out#file://}\"; echo ok; sleep 60",
         {"no complete PDF"}},
    };
    for (const Case& fault : cases) {
        SCOPED_TRACE(fault.name);
        use_fake(fault.first_start);
        std::ofstream(output_, std::ios::binary) << "the old receipt";
        Pdf_Press press;
        press.time_limit = 700ms;
        auto started = std::chrono::steady_clock::now();
        std::string message = failure_of(press, input_, output_);
        for (const auto& words : fault.expected) {
            EXPECT_NE(message.find(words), std::string::npos) << message;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "the call waited far past its limit";
        EXPECT_TRUE(group_empties_within(last_pid(), 2s)) << "the failed converter or its children live on";
        EXPECT_EQ(read(output_), "the old receipt");
        EXPECT_EQ(names_in(folder_), (std::set<std::string>{"fake", "receipt.docx", "receipt.pdf"}));

        convert(press);
        EXPECT_EQ(starts(), 2) << "the call after the fault did not start a fresh converter";
        EXPECT_EQ(read(output_).substr(0, 5), "%PDF-");
        fs::remove_all(folder_ / "fake");
    }
}

TEST_F(WarmConverterTest, WithoutLibreOfficeKitEachCallRunsTheCommandLineAndSaysSoOnce) {
    const fs::path empty = folder_ / "no-office";
    fs::create_directories(empty);
    ScopedEnv office("TARNWICKERY_LIBREOFFICE_PROGRAM", platform::from_path(empty).c_str());

    testing::internal::CaptureStderr();
    Pdf_Press first;
    convert(first);
    Pdf_Press second;
    write_docx(input_, "第二張收據");
    convert(second);
    std::string said = testing::internal::GetCapturedStderr();

    EXPECT_NE(pdf_text(output_).find("第二張收據"), std::string::npos);
    EXPECT_FALSE(second.converter_id().has_value());
    EXPECT_NE(said.find("not available"), std::string::npos) << said;
    EXPECT_NE(said.find(platform::from_path(empty)), std::string::npos) << "the note must say why: " << said;
    EXPECT_EQ(said.find("not available"), said.rfind("not available")) << "said more than once: " << said;
}
