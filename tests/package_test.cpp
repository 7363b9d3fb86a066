#include "docx_fixture.hpp"
#include "tools.hpp"

#include <docx_loom/errors.hpp>
#include <platform/root_folder.hpp>

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>

using docx_loom::Package;
using docx_loom::PackageError;
using docx_loom::WordDocument;
using docx_loom::XmlError;

namespace {

const std::string kBody = "<w:p><w:r><w:t>$$$A$$$</w:t></w:r></w:p>";

template <typename Error>
void expect_error(const std::function<void()>& action, const std::vector<std::string>& words) {
    try {
        action();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        for (const auto& word : words)
            EXPECT_NE(std::string(error.what()).find(word), std::string::npos) << error.what() << " lacks " << word;
    }
}

// A zip whose one entry claims a small size but inflates to much more.
std::string zip_with_lying_size(std::size_t real_size) {
    zip_error_t error;
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    static std::string zeros;
    zeros.assign(real_size, '\0');
    zip_file_add(archive, "word/document.xml", zip_source_buffer(archive, zeros.data(), zeros.size(), 0), 0);
    zip_close(archive);
    zip_source_open(buffer);
    std::string bytes;
    char chunk[65536];
    for (zip_int64_t n; (n = zip_source_read(buffer, chunk, sizeof chunk)) > 0;) bytes.append(chunk, n);
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

}  // namespace

TEST(Package, RoundTripKeepsUntouchedPartsByteForByte) {
    const std::string styles = "<?xml version=\"1.0\"?>\n<w:styles   xmlns:w=\"x\" >  odd  spacing </w:styles>";
    const std::string image = fixture::png_bytes(3, 2);
    const auto bytes = fixture::docx_bytes(kBody, {{"word/styles.xml", styles}, {"word/media/keep.png", image}});
    const Package original = Package::from_bytes(bytes, "in.docx");

    WordDocument doc = WordDocument::from_package(original);
    const Package saved = Package::from_bytes(doc.save_to_bytes(), "out.docx");
    EXPECT_EQ(saved.part_names(), original.part_names());
    for (const auto& name : original.part_names())
        if (name != "word/document.xml") {
            EXPECT_EQ(saved.part(name), original.part(name)) << name;
        }
    EXPECT_EQ(WordDocument::from_package(saved).paragraphs().at(0).text(), "$$$A$$$");
}

TEST(Package, PicturesAreStoredAndXmlIsDeflated) {
    const std::string picture = fixture::png_bytes(40, 30);
    const auto bytes = fixture::docx_bytes(kBody, {{"word/media/seal.png", picture}});
    const std::string saved = WordDocument::from_package(Package::from_bytes(bytes, "in.docx")).save_to_bytes();

    zip_error_t error;
    zip_source_t* source = zip_source_buffer_create(saved.data(), saved.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr);
    zip_stat_t stat;
    ASSERT_EQ(zip_stat(archive, "word/media/seal.png", 0, &stat), 0);
    EXPECT_EQ(stat.comp_method, ZIP_CM_STORE);
    ASSERT_EQ(zip_stat(archive, "word/document.xml", 0, &stat), 0);
    EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE);
    zip_discard(archive);
    EXPECT_EQ(Package::from_bytes(saved, "out.docx").part("word/media/seal.png"), picture);
}

TEST(Package, SaveReplacesTheTargetThroughATemporaryFile) {
    const std::string folder = tools::fresh_folder("save");
    const std::string target = folder + "out.docx";
    fixture::write_file(target, "old contents");
    WordDocument doc = WordDocument::from_package(Package::from_bytes(fixture::docx_bytes(kBody), "in"));
    doc.save(platform::to_path(target));
    EXPECT_EQ(WordDocument::open(platform::to_path(target)).paragraphs().at(0).text(), "$$$A$$$");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(platform::to_path(folder)), {}), 1)
        << "no temporary file is left behind";

    // A folder that does not exist: the save fails and writes nothing.
    expect_error<PackageError>([&] { doc.save(platform::to_path(folder + "missing/out.docx")); },
                               {"cannot save", "missing/out.docx"});
}

TEST(Package, BadPackagesAreRefusedWithTheFileNamed) {
    const std::string folder = tools::fresh_folder("bad");
    const auto open = [&](const std::string& name, const std::string& bytes) {
        fixture::write_file(folder + name, bytes);
        return [path = folder + name] { WordDocument::open(platform::to_path(path)); };
    };
    expect_error<PackageError>([&] { WordDocument::open(platform::to_path(folder + "absent.docx")); },
                               {"absent.docx", "no such file"});
    expect_error<PackageError>([&] { WordDocument::open(platform::to_path(folder)); }, {folder, "not a file"});
    expect_error<PackageError>(open("text.docx", "just some text, no zip"), {"text.docx", "not a .docx package"});
    expect_error<PackageError>(open("nomain.docx", zip_with_lying_size(10)), {"nomain.docx", "not a .docx package"});
    expect_error<XmlError>(open("broken.docx", fixture::docx_bytes("<w:p><w:r>")),
                           {"broken.docx", "word/document.xml", "malformed XML"});
    // An entry that inflates past the cap is refused while inflating.
    expect_error<PackageError>(open("bomb.docx", zip_with_lying_size(Package::kMaxPartSize + 1)),
                               {"bomb.docx", "zip bomb"});
}

TEST(Package, MainPartIsFoundThroughRelationshipsAndNamespaceUri) {
    // Main part at another name, namespace bound to another prefix.
    const std::string document =
        R"(<d:document xmlns:d="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><d:body>)"
        R"(<d:p><d:r><d:t>$$$X$$$</d:t></d:r></d:p><d:tbl><d:tr><d:tc><d:p><d:r><d:t>$$$X$$$</d:t></d:r></d:p></d:tc></d:tr></d:tbl>)"
        R"(</d:body></d:document>)";
    auto package = Package::from_bytes(fixture::docx_bytes_with_document("<unused/>"), "moved.docx");
    package.set_part("word/main.xml", document);
    package.set_part("_rels/.rels",
                     R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                     R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="/word/main.xml"/>)"
                     R"(</Relationships>)");
    docx_loom::Document filled;
    filled.doc = WordDocument::from_package(package);
    filled.set("$$$X$$$", "done");
    filled.execute_set();
    EXPECT_EQ(filled.doc->paragraphs().at(0).text(), "done");
    EXPECT_EQ(filled.doc->tables().at(0).rows().at(0).cells().at(0).text(), "done");
    const auto saved = Package::from_bytes(filled.doc->save_to_bytes(), "saved");
    EXPECT_NE(saved.part("word/main.xml").find("<d:t>done</d:t>"), std::string::npos);
}

namespace {

// Sets every stated uncompressed size of a zip (central directory and local headers)
// to `size`, as a bomb that hides its size would.
std::string with_stated_sizes(std::string zip, std::uint32_t size) {
    const auto patch = [&](const char* signature, std::size_t offset) {
        for (auto at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 4))
            for (int i = 0; i < 4; ++i) zip[at + offset + i] = static_cast<char>(size >> (8 * i));
    };
    patch("PK\x01\x02", 24);
    patch("PK\x03\x04", 22);
    return zip;
}

}  // namespace

TEST(Package, TheWholePackageHasALimitCountedWhileInflating) {
    const std::string part(3000, 'x');
    const auto bytes = fixture::docx_bytes(kBody, {{"word/a.xml", part}, {"word/b.xml", part}, {"word/c.xml", part}});
    const Package::Limits limits{.part = 4000, .total = 8000};
    // Stated sizes add up past the limit: refused before anything is inflated.
    expect_error<PackageError>([&] { Package::from_bytes(bytes, "honest.docx", limits); },
                               {"the parts of 'honest.docx' inflate to more than", "in all", "zip bomb"});
    // Sizes that lie are caught by counting.
    expect_error<PackageError>([&] { Package::from_bytes(with_stated_sizes(bytes, 10), "lying.docx", limits); },
                               {"lying.docx", "in all", "zip bomb"});
    expect_error<PackageError>(
        [&] { Package::from_bytes(with_stated_sizes(bytes, 10), "lying.docx", {.part = 2000, .total = 8000}); },
        {"part 'word/a.xml' of 'lying.docx' inflates to more than"});
    EXPECT_EQ(Package::from_bytes(bytes, "fits.docx", {.part = 4000, .total = 20000}).part("word/c.xml"), part);
}

// Four parts of 245 MiB of text (980 MiB, 1 MB on disk) took text and fill past 4 GiB.
TEST(Package, XmlPartsHaveALimitInBytesAndTagsCountedWhileInflating) {
    const std::string part(3000, 'x');
    const auto bytes = fixture::docx_bytes(kBody, {{"word/a.xml", part}, {"word/b.xml", part}, {"word/c.xml", part}});
    const Package::Limits limits{.xml = 8000};
    expect_error<PackageError>([&] { Package::from_bytes(bytes, "honest.docx", limits); },
                               {"the XML parts of 'honest.docx' inflate to more than", "in all"});
    expect_error<PackageError>([&] { Package::from_bytes(with_stated_sizes(bytes, 10), "lying.docx", limits); },
                               {"the XML parts of 'lying.docx' inflate to more than"});
    EXPECT_NO_THROW(Package::from_bytes(bytes, "fits.docx", {.xml = 20000}));

    // What begins like XML counts whatever its name; a picture does not.
    const std::string markup = "\xEF\xBB\xBF<w:p/>" + std::string(8000, ' ');
    expect_error<PackageError>(
        [&] { Package::from_bytes(fixture::docx_bytes(kBody, {{"word/story.bin", markup}}), "named.docx", limits); },
        {"the XML parts of 'named.docx'"});
    EXPECT_NO_THROW(Package::from_bytes(fixture::docx_bytes(kBody, {{"word/media/seal.png", "\x89PNG" + part + part + part}}),
                                        "picture.docx", limits));

    // A part of empty paragraphs costs a few hundred bytes a tag once parsed.
    std::string paragraphs;
    for (int i = 0; i < 1000; ++i) paragraphs += "<w:p/>";
    expect_error<PackageError>(
        [&] { Package::from_bytes(fixture::docx_bytes(paragraphs), "dense.docx", {.xml_tags = 900}); },
        {"the XML parts of 'dense.docx' hold more than 900 tags in all"});
    EXPECT_NO_THROW(Package::from_bytes(fixture::docx_bytes(paragraphs), "dense.docx", {.xml_tags = 2000}));
}

// The temporary name was the final name with 16 bytes more, so a name that fitted
// failed with "cannot create a file in its folder".
TEST(Package, TemporaryNamesNeverMakeANameThatFitsFail) {
    const std::string folder = tools::fresh_folder("long-name");
    WordDocument doc = WordDocument::from_package(Package::from_bytes(fixture::docx_bytes(kBody), "in"));
    std::string name;
    while (name.size() + 3 + 5 <= 255) name += "買";
    for (const std::string& file : {name + ".docx", std::string("a.docx")}) {
        doc.save(platform::to_path(folder + file));
        EXPECT_EQ(WordDocument::open(platform::to_path(folder + file)).paragraphs().at(0).text(), "$$$A$$$");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(platform::to_path(folder)), {}), 2);
}

TEST(Package, AmbiguousEntryNamesAreRefused) {
    const auto docx = [](std::vector<fixture::ZipEntry> extra, const std::string& rename = "") {
        std::vector<fixture::ZipEntry> entries;
        for (const auto& [name, bytes] : fixture::docx_parts(kBody))
            entries.push_back({name == "word/document.xml" && !rename.empty() ? rename : name, bytes, "", ""});
        entries.insert(entries.end(), extra.begin(), extra.end());
        return fixture::handmade_zip(entries);
    };
    const std::string other = fixture::docx_bytes("<w:p><w:r><w:t>other</w:t></w:r></w:p>");
    const std::string other_document = Package::from_bytes(other, "other").part("word/document.xml");

    // Written by hand the same way, a package with one name per entry opens and fills.
    const auto plain = Package::from_bytes(docx({{"word/media/a.png", fixture::png_bytes(2, 2), "", "word/media/a.png"}}),
                                           "plain.docx");
    EXPECT_EQ(WordDocument::from_package(plain).paragraphs().at(0).text(), "$$$A$$$");

    struct Case {
        const char* what;
        std::string zip;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"a second document part", docx({{"word/document.xml", other_document, "", ""}}),
         {"two entries named 'word/document.xml'"}},
        {"the same name in other case", docx({{"WORD/Document.xml", other_document, "", ""}}),
         {"'word/document.xml' and 'WORD/Document.xml'"}},
        {"Unicode-path fields that swap two names",
         docx({{"word/document.xml", other_document, "", "word/x.xml"}}, "word/x.xml"), {"Unicode-path field"}},
        {"a Unicode-path field claiming the document part",
         docx({{"word/y.xml", other_document, "", "word/document.xml"}}), {"'word/y.xml'", "Unicode-path"}},
        {"a local header that names another part",
         docx({{"word/z.xml", other_document, "word/document.xml", ""}}), {"'word/z.xml'", "local header"}},
    };
    const std::string folder = tools::fresh_folder("ambiguous");
    for (const auto& c : cases) {
        expect_error<PackageError>([&] { Package::from_bytes(c.zip, "twice.docx"); }, c.words);
        fixture::write_file(folder + "twice.docx", c.zip);
        auto words = c.words;
        words.push_back(folder + "twice.docx");
        expect_error<PackageError>([&] { WordDocument::open(platform::to_path(folder + "twice.docx")); }, words);
    }
}
