// Pictures reach the PDF as they are: a PNG seal at its own resolution without loss, a
// JPEG seal with its very bytes, whichever way the PDF is made.
#include "docx_fixture.hpp"
#include "seal_picture.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <docx_loom/document.hpp>
#include <pdf_press/pdf_press.hpp>
#include <platform/root_folder.hpp>

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One line of `pdfimages -list`.
struct PdfImage {
    std::string type;  // "image" or "smask"
    int width = 0;
    int height = 0;
    std::string encoding;  // "jpeg", or "image" for Flate
};

std::vector<PdfImage> images_in(const fs::path& pdf) {
    const tools::CommandResult listing = tools::run("pdfimages -list " + tools::quote(platform::from_path(pdf)));
    EXPECT_EQ(listing.status, 0) << listing.output;
    std::istringstream lines(listing.output);
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    std::vector<PdfImage> images;
    // page num type width height color comp bpc enc ...
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string page, number, color, components, bits;
        PdfImage image;
        fields >> page >> number >> image.type >> image.width >> image.height >> color >> components >> bits >>
            image.encoding;
        images.push_back(image);
    }
    return images;
}

struct Decoded {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
};

Decoded decode(const std::string& bytes, int components) {
    Decoded picture;
    int found = 0;
    unsigned char* data = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                                static_cast<int>(bytes.size()), &picture.width, &picture.height,
                                                &found, components);
    EXPECT_NE(data, nullptr) << stbi_failure_reason();
    if (data) {
        picture.pixels.assign(data, data + static_cast<std::size_t>(picture.width) * picture.height * components);
        stbi_image_free(data);
    }
    return picture;
}

class PdfPictures : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tools::require("pdfimages", "poppler-utils"));
        ASSERT_TRUE(tools::require("soffice", "libreoffice-writer-nogui"));
        folder_ = platform::to_path(tools::fresh_folder("pdf_pictures"));
    }

    // A receipt's two seal boxes, each seal at the size the receipt prints it, which
    // gives both more than 300 pixels an inch.
    fs::path receipt_with_seals() {
        const std::string png = platform::from_path(folder_ / "免用統一發票章.png");
        const std::string jpeg = platform::from_path(folder_ / "負責人章.jpg");
        fixture::write_file(png, png_bytes_);
        fixture::write_file(jpeg, jpeg_bytes_);
        const std::string template_file = platform::from_path(folder_ / "template.docx");
        // The engine places pictures in table cells, where the receipt's seal boxes are.
        fixture::write_file(template_file, fixture::docx_bytes("<w:tbl><w:tr>"
                                                               "<w:tc><w:p><w:r><w:t>$$$I$$$</w:t></w:r></w:p></w:tc>"
                                                               "<w:tc><w:p><w:r><w:t>$$$J$$$</w:t></w:r></w:p></w:tc>"
                                                               "</w:tr></w:tbl>"));
        docx_loom::Document document;
        document.set_word_version_path("receipt", template_file);
        document.run_version("receipt", platform::from_path(folder_) + "/");
        document.set("$$$I$$$", "", {.image_path = png, .image_height = 1.2, .image_width = 1.3189});
        document.set("$$$J$$$", "", {.image_path = jpeg, .image_height = 0.4173, .image_width = 0.4173});
        document.execute_set();
        document.doc->save(folder_ / "receipt.docx");
        return folder_ / "receipt.docx";
    }

    fs::path folder_;
    std::string png_bytes_ = fixture::seal_png(600, 540);
    std::string jpeg_bytes_ = fixture::seal_jpeg(240, 240);
    ScopedEnv program_folder_{"TARNWICKERY_PDF_PRESS_DIR", tools::program_dir().c_str()};
};

}  // namespace

TEST_F(PdfPictures, SealsKeepTheirOwnPixels) {
    const fs::path input = receipt_with_seals();
    for (bool command_line : {false, true}) {
        SCOPED_TRACE(command_line ? "command line" : "converter");
        const fs::path pdf = folder_ / (command_line ? "command-line.pdf" : "converter.pdf");
        Pdf_Press press;
        press.command_line_only = command_line;
        press.convert(platform::from_path(input), platform::from_path(pdf), false);

        const std::vector<PdfImage> images = images_in(pdf);
        ASSERT_EQ(images.size(), 3u) << "expected the PNG, its transparency and the JPEG";
        EXPECT_EQ(images[0].type, "image");
        EXPECT_EQ(images[0].width, 600) << "the PNG seal was resampled";
        EXPECT_EQ(images[1].type, "smask");
        EXPECT_EQ(images[2].width, 240) << "the JPEG seal was resampled";
        EXPECT_EQ(images[0].encoding, "image") << "the PNG seal was not kept losslessly";
        EXPECT_EQ(images[2].encoding, "jpeg");

        // pdfimages writes a JPEG stream as it finds it, and the rest as PNG.
        const fs::path prefix = folder_ / (command_line ? "command-line" : "converter");
        const tools::CommandResult extracted = tools::run("pdfimages -j -png " + tools::quote(platform::from_path(pdf)) +
                                                          " " + tools::quote(platform::from_path(prefix)));
        ASSERT_EQ(extracted.status, 0) << extracted.output;
        const std::string name = platform::from_path(prefix);
        const std::string embedded_jpeg = fixture::read_file(name + "-002.jpg");
        EXPECT_TRUE(embedded_jpeg == jpeg_bytes_) << "the JPEG seal was encoded again: " << embedded_jpeg.size()
                                                  << " bytes where the file has " << jpeg_bytes_.size();

        const Decoded colour = decode(fixture::read_file(name + "-000.png"), 3);
        const Decoded alpha = decode(fixture::read_file(name + "-001.png"), 1);
        const fixture::RgbaPicture seal = fixture::seal_pixels(600, 540);
        ASSERT_EQ(colour.pixels.size(), 600u * 540u * 3u);
        ASSERT_EQ(alpha.pixels.size(), 600u * 540u);
        int differing = 0;
        for (std::size_t i = 0; i < alpha.pixels.size(); ++i) {
            const unsigned char* expected = &seal.pixels[i * 4];
            bool same = alpha.pixels[i] == expected[3];
            // Where the seal is fully transparent its colour does not matter.
            for (int c = 0; c < 3 && expected[3] > 0; ++c) same = same && colour.pixels[i * 3 + c] == expected[c];
            differing += same ? 0 : 1;
        }
        EXPECT_EQ(differing, 0) << "pixels of the PNG seal changed on the way";
    }
}
