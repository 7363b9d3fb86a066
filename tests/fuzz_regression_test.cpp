#include <entries.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using Entry = int (*)(const std::uint8_t*, std::size_t);

// Every seed and every kept failure of one target, run through its entry function: a
// crash or sanitizer report ends this program, an exception fails the test.
void replay(const std::string& target, Entry entry) {
    int inputs = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        const std::filesystem::path path = std::filesystem::path(FUZZ_FOLDER) / folder / target;
        if (!std::filesystem::is_directory(path)) continue;
        for (const auto& file : std::filesystem::directory_iterator(path)) {
            std::ifstream in(file.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SCOPED_TRACE(file.path().string());
            EXPECT_NO_THROW(entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0) << "no seeds for " << target;
}

}  // namespace

TEST(FuzzRegression, PackageText) { replay("package_text", fuzz::package_text); }
TEST(FuzzRegression, Fill) { replay("fill", fuzz::fill); }
TEST(FuzzRegression, Plan) { replay("plan", fuzz::plan); }
TEST(FuzzRegression, Request) { replay("request", fuzz::request); }
