#include "docx_fixture.hpp"
#include "downscaled_png.hpp"
#include "receipt_job.hpp"
#include "seal_cache.hpp"
#include "seal_picture.hpp"
#include "seals.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_register.hpp>

#include <stb_image.h>
#include <stb_image_write.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

using namespace receipt_worker;
namespace fs = std::filesystem;

namespace {

// The owner seal's box: 126 x 126 pixels at 300 dpi.
constexpr Printed_Box kSquareBox{.width = 0.4173, .height = 0.4173};

void append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

// An opaque red disc. With alpha, the ground around it is transparent black, so that a
// filter blind to alpha would darken the disc's edge.
std::string disc_png(int width, int height, int channels) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * channels);
    const unsigned char red[4][4] = {{90}, {90, 255}, {220, 20, 20}, {220, 20, 20, 255}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5) / width - 0.5, dy = (y + 0.5) / height - 0.5;
            const bool inside = dx * dx + dy * dy < 0.16;
            unsigned char* pixel = &pixels[(static_cast<std::size_t>(y) * width + x) * channels];
            for (int c = 0; c < channels; ++c) pixel[c] = inside ? red[channels - 1][c] : (channels % 2 ? 255 : 0);
        }
    }
    std::string png;
    stbi_write_png_to_func(append, &png, width, height, channels, pixels.data(), width * channels);
    return png;
}

struct Decoded {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> pixels;
};

Decoded decode(const std::string& bytes) {
    Decoded picture;
    unsigned char* data = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                                &picture.width, &picture.height, &picture.channels, 0);
    if (!data) {
        ADD_FAILURE() << "not a decodable picture: " << stbi_failure_reason();
        return picture;
    }
    picture.pixels.assign(data, data + static_cast<std::size_t>(picture.width) * picture.height * picture.channels);
    stbi_image_free(data);
    return picture;
}

class SealCache : public testing::Test {
protected:
    std::string folder = tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string working = folder + "temp/";
    std::string source = folder + "免用統一發票章.png";

    void SetUp() override { fs::create_directories(platform::to_path(working)); }
};

}  // namespace

TEST(DownscaledPng, ShrinksToFitKeepingProportionsAndChannels) {
    for (int channels = 1; channels <= 4; ++channels) {
        SCOPED_TRACE("channels " + std::to_string(channels));
        const auto scaled = downscaled_png(disc_png(600, 540, channels), {126, 126});
        ASSERT_TRUE(scaled);
        const Decoded picture = decode(*scaled);
        EXPECT_EQ(picture.width, 126);
        EXPECT_EQ(picture.height, 113);
        EXPECT_EQ(picture.channels, channels);
    }
    // What already fits, and what is not a PNG, is used as it is.
    EXPECT_FALSE(downscaled_png(disc_png(126, 100, 4), {126, 126}));
    EXPECT_FALSE(downscaled_png(fixture::seal_jpeg(600, 540), {126, 126}));
    EXPECT_THROW(downscaled_png(std::string("\x89PNG\r\n\x1a\n") + std::string(200, 'x'), {126, 126}), Downscale_Error);
}

TEST(DownscaledPng, TransparentGroundDoesNotDarkenTheEdge) {
    const Decoded picture = decode(*downscaled_png(disc_png(600, 600, 4), {120, 120}));
    ASSERT_EQ(picture.channels, 4);
    const auto at = [&](int x, int y) { return &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 4]; };
    EXPECT_EQ(at(0, 0)[3], 0) << "the ground stays transparent";
    EXPECT_EQ(at(60, 60)[3], 255) << "the disc stays opaque";
    int edge_pixels = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* pixel = at(x, y);
            if (pixel[3] < 32) continue;
            if (pixel[3] < 224) ++edge_pixels;
            ASSERT_GE(pixel[0], 200) << "red at " << x << "," << y << " with alpha " << int(pixel[3]);
        }
    }
    EXPECT_GT(edge_pixels, 0) << "the edge is anti-aliased";
}

TEST_F(SealCache, PicturesThatFitAndJpegsAreUsedAsTheyAre) {
    Seal_Cache cache(working);
    fixture::write_file(source, disc_png(126, 113, 4));
    EXPECT_EQ(cache.picture_for(source, kSquareBox), source);
    const std::string jpeg = folder + "負責人章.jpg";
    fixture::write_file(jpeg, fixture::seal_jpeg(600, 540));
    EXPECT_EQ(cache.picture_for(jpeg, kSquareBox), jpeg);
    EXPECT_TRUE(fs::is_empty(platform::to_path(working))) << "nothing written when nothing is scaled";
}

TEST_F(SealCache, ALargePngIsScaledOnceAndAgainWhenItChanges) {
    Seal_Cache cache(working);
    fixture::write_file(source, disc_png(600, 540, 4));
    const std::string copy = cache.picture_for(source, kSquareBox);
    ASSERT_NE(copy, source);
    EXPECT_EQ(platform::to_path(copy).filename(), platform::to_path(source).filename()) << "the seal's own name is kept";
    EXPECT_EQ(decode(fixture::read_file(copy)).width, 126);
    // The exemption seal's box needs a copy of its own.
    EXPECT_EQ(decode(fixture::read_file(cache.picture_for(source, {1.3189, 1.2}))).width, 396);

    // Unchanged: the same copy, not written again.
    const auto long_ago = fs::last_write_time(platform::to_path(copy)) - std::chrono::hours(24);
    fs::last_write_time(platform::to_path(copy), long_ago);
    EXPECT_EQ(cache.picture_for(source, kSquareBox), copy);
    EXPECT_EQ(fs::last_write_time(platform::to_path(copy)), long_ago);

    // A new picture of another size.
    fixture::write_file(source, disc_png(300, 300, 4));
    EXPECT_EQ(decode(fixture::read_file(cache.picture_for(source, kSquareBox))).height, 126);

    // The same bytes touched: only the modification time tells.
    const std::string again = cache.picture_for(source, kSquareBox);
    fs::last_write_time(platform::to_path(again), long_ago);
    fs::last_write_time(platform::to_path(source), fs::last_write_time(platform::to_path(source)) + std::chrono::seconds(5));
    EXPECT_NE(fs::last_write_time(platform::to_path(cache.picture_for(source, kSquareBox))), long_ago);

    // A copy removed behind the cache's back is made again.
    fs::remove(platform::to_path(again));
    EXPECT_EQ(decode(fixture::read_file(cache.picture_for(source, kSquareBox))).width, 126);

    // Now small enough: the source itself.
    fixture::write_file(source, disc_png(100, 100, 4));
    EXPECT_EQ(cache.picture_for(source, kSquareBox), source);
}

TEST_F(SealCache, WhatCannotBeScaledPrintsAsBefore) {
    Seal_Cache cache(working);
    fixture::write_file(source, std::string("\x89PNG\r\n\x1a\n") + std::string(500, 'x'));
    EXPECT_EQ(cache.picture_for(source, kSquareBox), source);
    const std::string missing = folder + "gone.png";
    EXPECT_EQ(cache.picture_for(missing, kSquareBox), missing);

    // Nowhere to write the copy.
    Seal_Cache homeless(folder + "no/such/folder/");
    fixture::write_file(source, disc_png(600, 540, 4));
    EXPECT_EQ(homeless.picture_for(source, kSquareBox), source);
}

// The first file in listing order was taken: a .psd beside a good .png cost the seal.
TEST_F(SealCache, TheSealIsTheFirstUsablePictureInAFixedOrder) {
    const std::string stem = "免用統一發票章";
    for (const char* other : {".psd", ".bak", ".txt", ".png.old"}) fixture::write_file(folder + stem + other, "not a picture");
    fixture::write_file(folder + stem + ".jpeg", fixture::seal_jpeg(40, 40));
    fixture::write_file(folder + stem + ".JPG", fixture::seal_jpeg(40, 40));
    fixture::write_file(source, disc_png(40, 40, 4));
    const Seal png = find_seal(folder, stem);
    EXPECT_EQ(png.picture, source);
    EXPECT_EQ(png.warning, std::nullopt) << "no warning while one picture is usable";

    fixture::write_file(source, "not a picture either");
    EXPECT_EQ(find_seal(folder, stem).picture, folder + stem + ".JPG") << "then .jpg in any case, before .jpeg";
    fs::remove(platform::to_path(folder + stem + ".JPG"));
    EXPECT_EQ(find_seal(folder, stem).picture, folder + stem + ".jpeg");

    fs::remove(platform::to_path(folder + stem + ".jpeg"));
    const Seal none = find_seal(folder, stem);
    EXPECT_EQ(none.picture, std::nullopt);
    ASSERT_TRUE(none.warning);
    // Each file tried is named, in the order tried.
    std::size_t from = 0;
    for (const std::string name : {".png cannot", ".bak cannot", ".png.old cannot", ".psd cannot", ".txt cannot"}) {
        const std::size_t at = none.warning->find(stem + name, from);
        EXPECT_NE(at, std::string::npos) << name << " in order in " << *none.warning;
        if (at != std::string::npos) from = at;
    }
    EXPECT_TRUE(none.warning->starts_with("the seal " + stem + " was not printed: " + stem + ".png cannot be used ("))
        << *none.warning;
}

TEST_F(SealCache, StartUpRemovesOnlyWhatStoppedWorkersLeft) {
    const fs::path work = platform::to_path(working);
    fs::create_directories(work / platform::to_path(".印章縮圖-abc123def456/0"));
    fixture::write_file(working + ".印章縮圖-abc123def456/0/seal.png", "left by a killed worker");
    const std::vector<std::string> not_ours = {".印章縮圖-short", ".印章縮圖-ABC123DEF456", "印章縮圖-abc123def456"};
    for (const auto& name : not_ours) fs::create_directory(work / platform::to_path(name));
    fixture::write_file(working + ".印章縮圖-abc123def457", "a user's file");

    fixture::write_file(source, disc_png(600, 540, 4));
    std::optional<Seal_Cache> running(std::in_place, working);
    const std::string copy = running->picture_for(source, kSquareBox);
    ASSERT_NE(copy, source);

    remove_leftover_seal_copies(working);
    EXPECT_FALSE(fs::exists(work / platform::to_path(".印章縮圖-abc123def456")));
    EXPECT_TRUE(fs::exists(platform::to_path(copy))) << "a running worker's copies stay";
    for (const auto& name : not_ours) EXPECT_TRUE(fs::is_directory(work / platform::to_path(name))) << name;
    EXPECT_TRUE(fs::is_regular_file(work / platform::to_path(".印章縮圖-abc123def457")));

    const fs::path own_folder = platform::to_path(copy).parent_path().parent_path();
    running.reset();
    EXPECT_FALSE(fs::exists(own_folder)) << "a worker takes its copies with it";
}

// Through the real worker and converter: the receipt holds each seal at 300 dpi of its box.
TEST_F(SealCache, ReceiptsHoldLargeSealsAt300Dpi) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdfimages", "poppler-utils")) return;
    Receipt_Job job(tools::program_dir() + "/格式範本/");
    const Folders& folders = job.folders();
    fixture::write_file(folders.seals + "免用統一發票章.png", fixture::seal_png(600, 540));
    fixture::write_file(folders.seals + "負責人章.png", fixture::seal_png(240, 240));
    const nlohmann::json request = {{"買受人", "台灣測試有限公司"}, {"買受人統一編號", ""}, {"品名", {"蘋果"}},
                                    {"數量", {3}}, {"單件價格", {50}}, {"存檔路徑", ""},
                                    {"顯示免用統一發票章", true}, {"顯示負責人章", true}, {"顯示日期", true},
                                    {"年", 2025}, {"月", 1}, {"日", 5}};
    testing::internal::CaptureStdout();
    const ReceiptOutcome outcome = job.make(request);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(outcome.written) << outcome.error;
    EXPECT_TRUE(outcome.warnings.empty());

    // Page, number, type, width, height, colour, channels, bits, encoding, interpolation, object, generation, x-ppi.
    const std::string images = tools::run("pdfimages -list " + tools::quote(outcome.pdf_path)).output;
    for (const char* seal : {R"(image +396 +356 +rgb +3 +8 +image +no +\d+ +0 +300 )",
                             R"(smask +396 +356 +gray +1 +8 +image +no +\d+ +0 +300 )",
                             R"(image +126 +126 +rgb +3 +8 +image +no +\d+ +0 +302 )"})
        EXPECT_TRUE(std::regex_search(images, std::regex(seal))) << seal << " in\n" << images;

    const auto record = receipt_register::Receipt_Register::open(folders.output).receipt(outcome.number);
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->exemption_seal_printed && record->owner_seal_printed);
}

TEST_F(SealCache, ASealThatIsAFifoOrAFolderIsReportedAsWhatItIs) {
    const std::string stem = "負責人章";
    ASSERT_EQ(tools::run("mkfifo " + tools::quote(folder + stem + ".png")).status, 0);
    fs::create_directory(platform::to_path(folder + stem + ".jpg"));
    const Seal none = find_seal(folder, stem);
    EXPECT_EQ(none.picture, std::nullopt);
    ASSERT_TRUE(none.warning);
    for (const std::string said : {stem + ".png is a FIFO (named pipe), not a picture file",
                                   stem + ".jpg is a folder, not a picture file", std::string("put the seal's picture, named")})
        EXPECT_NE(none.warning->find(said), std::string::npos) << said << " in " << *none.warning;

    // A picture beside them is used, and nothing waits on the FIFO.
    fixture::write_file(folder + stem + ".jpeg", fixture::seal_jpeg(40, 40));
    EXPECT_EQ(find_seal(folder, stem).picture, folder + stem + ".jpeg");
}

// 16000 x 16000 went to the office whole: 13 s and 1.4 GiB for every receipt, no word said.
TEST_F(SealCache, ASealOverFortyMillionPixelsIsRefusedWithTheLimit) {
    const auto big_endian = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    // Only the header: the size is all that is read before the seal is refused.
    const std::string huge = std::string("\x89PNG\r\n\x1a\n") + big_endian(13) + "IHDR" + big_endian(16000) +
                             big_endian(16000) + std::string("\x08\x02\x00\x00\x00", 5) + big_endian(0) + big_endian(0) +
                             "IEND" + big_endian(0);
    const std::string stem = "免用統一發票章";
    fixture::write_file(source, huge);
    const Seal refused = find_seal(folder, stem);
    EXPECT_EQ(refused.picture, std::nullopt) << "the receipt goes out without it";
    ASSERT_TRUE(refused.warning);
    EXPECT_EQ(*refused.warning, "the seal " + stem + " was not printed: " + stem +
                                    ".png has 16000 x 16000 pixels, more than the 40,000,000 a seal may have; save it smaller");

    fixture::write_file(folder + stem + ".jpg", fixture::seal_jpeg(40, 40));
    EXPECT_EQ(find_seal(folder, stem).picture, folder + stem + ".jpg") << "a usable one beside it is printed";
}
