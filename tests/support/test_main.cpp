// Every test program runs with the program's root folder pointed at a fresh
// temporary folder, so no test touches a real user's files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::random_device random;
    const auto root = std::filesystem::temp_directory_path() /
                      ("tarnwickery-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(root);
#ifdef _WIN32
    _putenv_s("TARNWICKERY_ROOT", root.string().c_str());
#else
    setenv("TARNWICKERY_ROOT", root.string().c_str(), 1);
#endif
    // Texts are English unless a test asks for Chinese, whatever the machine's locale;
    // the programs a test starts inherit the same.
#ifdef _WIN32
    _putenv_s("LANGUAGE", "en");
#else
    setenv("LANGUAGE", "en", 1);
#endif
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
