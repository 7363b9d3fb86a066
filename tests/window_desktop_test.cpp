// What the window asks of the platform: the file browser, the web browser and the
// stand-in for the window's Windows font.
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/desktop.hpp>
#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace {

std::string read_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The family the converter's fontconfig file puts in place of `family`.
std::string mapped_family(const std::string& fonts_conf, const std::string& family) {
    const std::regex rule("<string>" + family + "</string>\\s*</test>\\s*<edit[^>]*>\\s*<string>([^<]+)</string>");
    std::smatch match;
    return std::regex_search(fonts_conf, match, rule) ? match[1].str() : std::string();
}

}  // namespace

TEST(Window_Desktop, WindowFontFallsBackToTheConvertersFace) {
    const std::string fonts_conf = read_text(platform::to_path(tools::program_dir() + "/fonts/fonts.conf"));
    ASSERT_FALSE(fonts_conf.empty()) << "the converter's fonts.conf is not in the program folder";
    for (const char* family : {"Microsoft JhengHei", "標楷體", "Calibri"}) {
        EXPECT_FALSE(platform::fallback_font_family(family).empty()) << family;
        EXPECT_EQ(platform::fallback_font_family(family), mapped_family(fonts_conf, family)) << family;
    }
    EXPECT_EQ(platform::fallback_font_family("Some Font"), "");
    const auto available = tools::run("fc-list : family");
    EXPECT_NE(available.output.find(platform::fallback_font_family("Microsoft JhengHei")), std::string::npos)
        << "install fonts-noto-cjk";
}

#ifndef _WIN32
TEST(Window_Desktop, FolderPageAndFileGoToTheDesktopsOpenerWithoutWaiting) {
    const std::string bin = tools::fresh_folder("fake-desktop");
    const std::string record = bin + "opened.txt";
    {
        std::ofstream opener(platform::to_path(bin + "xdg-open"));
        // Slow on purpose: the caller must not wait for the browser.
        opener << "#!/bin/sh\nsleep 1\nprintf '%s\\n' \"$@\" >> '" << record << "'\n";
    }
    std::filesystem::permissions(platform::to_path(bin + "xdg-open"), std::filesystem::perms::owner_all);
    const std::string path = std::string(bin) + ":" + std::getenv("PATH");
    ScopedEnv on_path("PATH", path.c_str());

    const auto start = std::chrono::steady_clock::now();
    platform::show_folder(platform::root_folder() + "免用統一發票收據");
    platform::open_web_page("https://example.invalid/免用統一發票收據軟體");
    const std::string receipt = platform::root_folder() + "免用統一發票收據/免用統一發票收據000001 - （記錄日期：2026年12月07日）.pdf";
    platform::open_file(receipt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));

    const std::string lines[] = {platform::root_folder() + "免用統一發票收據\n",
                                 "https://example.invalid/免用統一發票收據軟體\n", receipt + "\n"};
    const auto all_opened = [&](const std::string& opened) {
        for (const auto& line : lines)
            if (opened.find(line) == std::string::npos) return false;
        return true;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string opened;
    while (!all_opened(opened) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        opened = read_text(platform::to_path(record));
    }
    for (const auto& line : lines) EXPECT_NE(opened.find(line), std::string::npos) << line << " in " << opened;
}

TEST(Window_Desktop, MissingOpenerIsAnError) {
    const std::string empty = tools::fresh_folder("no-opener");
    ScopedEnv on_path("PATH", empty.c_str());
    try {
        platform::show_folder(empty);
        FAIL() << "no error without xdg-open";
    } catch (const platform::Error& error) {
        EXPECT_NE(std::string(error.what()).find("xdg-open"), std::string::npos) << error.what();
    }
    EXPECT_THROW(platform::open_web_page("https://example.invalid/"), platform::Error);
    EXPECT_THROW(platform::open_file(empty + "receipt.pdf"), platform::Error);
}
#endif
