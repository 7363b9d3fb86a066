#include "docx_fixture.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using docx_loom::Document;
using docx_loom::Package;
using docx_loom::SetOptions;
using fixture::find_all;
using fixture::find_all_w;

namespace {

constexpr const char* kWp = "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
const std::string kSealCell = "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>$$$I$$$</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";

struct Extent {
    long long cx, cy;
};

std::vector<Extent> extents(const Document& document) {
    std::vector<Extent> found;
    for (auto extent : find_all(document.doc->body(), kWp, "extent"))
        found.push_back({extent.attribute("cx").as_llong(), extent.attribute("cy").as_llong()});
    return found;
}

std::string picture(const std::string& name, const std::string& bytes) {
    const std::string path = tools::fresh_folder("pictures-" + name) + name;
    fixture::write_file(path, bytes);
    return path;
}

SetOptions seal(const std::string& path, double height, double width, bool fixed = true) {
    return SetOptions{.image_path = path, .image_height = height, .image_width = width, .image_fixed_ratio = fixed};
}

}  // namespace

TEST(Pictures, FixedRatioFitsTheBoxInEmu) {
    struct Case {
        int px_w, px_h;
        double box_h, box_w;
        Extent expected;
    };
    const Case cases[] = {
        {1000, 800, 1.2, 1.3189, {1206002, 964802}},  // width decides: 1.3189 x 1.05512 in
        {800, 1000, 1.2, 1.3189, {877824, 1097280}},  // height decides: 0.96 x 1.2 in
        {1640, 1300, 1.2, 1.3189, {1206002, 955977}},
        {1, 1, 3.0, 2.0, {1828800, 1828800}},         // a tiny picture grows to the box
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(kSealCell);
        document.set("$$$I$$$", "", seal(picture("p.png", fixture::png_bytes(c.px_w, c.px_h)), c.box_h, c.box_w));
        document.execute_set();
        const auto found = extents(document);
        ASSERT_EQ(found.size(), 1u) << c.px_w << "x" << c.px_h;
        EXPECT_NEAR(found[0].cx, c.expected.cx, 2) << c.px_w << "x" << c.px_h;
        EXPECT_NEAR(found[0].cy, c.expected.cy, 2) << c.px_w << "x" << c.px_h;
    }
}

TEST(Pictures, WithoutFixedRatioTheBoxOrNinetySixPixelsPerInch) {
    const std::string path = picture("free.png", fixture::png_bytes(192, 96));
    Document boxed = fixture::loaded(kSealCell);
    boxed.set("$$$I$$$", "", seal(path, 1.0, 3.0, false));
    boxed.execute_set();
    EXPECT_EQ(extents(boxed).at(0).cx, 3 * 914400);
    EXPECT_EQ(extents(boxed).at(0).cy, 914400);

    Document natural = fixture::loaded(kSealCell);
    natural.set("$$$I$$$", "", SetOptions{.image_path = path, .image_fixed_ratio = false});
    natural.execute_set();
    EXPECT_EQ(extents(natural).at(0).cx, 2 * 914400);
    EXPECT_EQ(extents(natural).at(0).cy, 914400);
}

TEST(Pictures, FailuresArePrintedAndPassedOver) {
    struct Case {
        const char* what;
        SetOptions options;
        std::string message;
    };
    const std::string missing = tools::fresh_folder("nothing") + "absent.png";
    const Case cases[] = {
        {"missing file", seal(missing, 1.2, 1.3189), "cannot open picture file '" + missing + "'"},
        {"no box", SetOptions{.image_path = picture("ok.png", fixture::png_bytes(4, 4))}, "image_width and image_height"},
        {"not a picture", seal(picture("text.png", "hello"), 1, 1), "is not a PNG, JPEG, GIF or BMP picture"},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(kSealCell);
        document.set("$$$I$$$", "after", c.options);
        testing::internal::CaptureStdout();
        document.execute_set();
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(printed.rfind("execute_set設定照片錯誤 --> ", 0), 0u) << c.what << ": " << printed;
        EXPECT_NE(printed.find(c.message), std::string::npos) << c.what << ": " << printed;
        EXPECT_TRUE(extents(document).empty()) << c.what;
        EXPECT_EQ(document.doc->tables().at(0).rows().at(0).cells().at(0).text(), "after") << c.what;
    }
}

TEST(Pictures, BodyParagraphPlaceholderGetsTextOnly) {
    Document document = fixture::loaded("<w:p><w:r><w:t>[$$$I$$$]</w:t></w:r></w:p>");
    document.set("$$$I$$$", "seal", seal(picture("b.png", fixture::png_bytes(2, 2)), 1, 1));
    document.execute_set();
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "[seal]");
    EXPECT_TRUE(extents(document).empty());
}

TEST(Pictures, SameContentIsStoredOnceWithUniqueDrawingIds) {
    const std::string png = fixture::png_bytes(10, 10);
    const std::string a = picture("a.png", png), b = picture("b.png", png);
    const std::string jpeg = picture("c.jpg", fixture::jpeg_header_bytes(30, 10));
    Document document = fixture::loaded(
        "<w:tbl><w:tr>"
        "<w:tc><w:p><w:r><w:t>$$$A$$$</w:t></w:r></w:p></w:tc>"
        "<w:tc><w:p><w:r><w:t>$$$B$$$</w:t></w:r></w:p></w:tc>"
        "<w:tc><w:p><w:r><w:t>$$$C$$$</w:t></w:r></w:p></w:tc></w:tr></w:tbl>");
    document.set("$$$A$$$", "", seal(a, 1, 1));
    document.set("$$$B$$$", "", seal(b, 1, 1));
    document.set("$$$C$$$", "", seal(jpeg, 1, 3));
    document.execute_set();

    const Package saved = Package::from_bytes(document.doc->save_to_bytes(), "saved");
    std::vector<std::string> media;
    for (const auto& name : saved.part_names())
        if (name.starts_with("word/media/")) media.push_back(name);
    ASSERT_EQ(media.size(), 2u);
    EXPECT_EQ(saved.part(media[0]), png);
    EXPECT_TRUE(media[1].ends_with(".jpeg"));

    const auto reopened = docx_loom::WordDocument::from_package(saved);
    std::set<std::string> ids, embeds;
    for (auto doc_pr : find_all(reopened.body(), kWp, "docPr")) ids.insert(doc_pr.attribute("id").value());
    EXPECT_EQ(ids.size(), 3u);
    for (auto blip : find_all(reopened.body(), "http://schemas.openxmlformats.org/drawingml/2006/main", "blip"))
        embeds.insert(blip.attribute("r:embed").value());
    EXPECT_EQ(embeds.size(), 2u);
    const auto& types = saved.part("[Content_Types].xml");
    EXPECT_NE(types.find(R"(Extension="png" ContentType="image/png")"), std::string::npos);
    EXPECT_NE(types.find(R"(Extension="jpeg" ContentType="image/jpeg")"), std::string::npos);
    const auto& rels = saved.part("word/_rels/document.xml.rels");
    for (const auto& embed : embeds) EXPECT_NE(rels.find("Id=\"" + embed + "\""), std::string::npos);
}

// /dev/zero was read until memory ran out, and a FIFO blocked the fill for ever.
TEST(Pictures, OnlyRegularFilesUpToTheLimitAreRead) {
    const std::string folder = tools::fresh_folder("pictures-odd");
#ifndef _WIN32
    const std::string fifo = folder + "seal.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
#endif
    const std::string large = folder + "large.png";
    fixture::write_file(large, fixture::png_bytes(2, 2));
    std::filesystem::resize_file(platform::to_path(large), docx_loom::kMaxPictureBytes + 1);  // sparse
    struct Case {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
#ifndef _WIN32
        {"/dev/zero", "cannot open picture file '/dev/zero': it is not a regular file"},
        {fifo, "it is not a regular file"},
#endif
        {folder, "it is not a regular file"},
        {large, "it is larger than 67108864 bytes"},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(kSealCell);
        document.set("$$$I$$$", "after", seal(c.path, 1.2, 1.3189));
        testing::internal::CaptureStdout();
        document.execute_set();
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_NE(printed.find(c.message), std::string::npos) << c.path << ": " << printed;
        EXPECT_TRUE(extents(document).empty()) << c.path;
        EXPECT_EQ(document.doc->tables().at(0).rows().at(0).cells().at(0).text(), "after") << c.path;
    }
}
