// A program of its own: it reads the peak memory of its children, and only the
// commands run here may count.
#include "tools.hpp"

#include <platform/memory.hpp>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>

namespace {

void put16(std::string& out, std::uint32_t v) { out.append({char(v), char(v >> 8)}); }
void put32(std::string& out, std::uint32_t v) { out.append({char(v), char(v >> 8), char(v >> 16), char(v >> 24)}); }

// A zip of `parts` entries of `size` zero bytes each, sharing one deflated stream, so
// that it is written in a moment and stays small on disk. The zeros go in a MiB at a
// time: this process's own size is what its children start from.
std::string zip_of_zeros(int parts, std::uint32_t size) {
    const std::string zeros(1 << 20, '\0');
    const auto* chunk = reinterpret_cast<const Bytef*>(zeros.data());
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string deflated(1 << 20, '\0');
    stream.next_out = reinterpret_cast<Bytef*>(deflated.data());
    stream.avail_out = static_cast<uInt>(deflated.size());
    uLong crc = crc32(0, nullptr, 0);
    for (std::uint32_t done = 0; done < size; done += zeros.size()) {
        stream.next_in = const_cast<Bytef*>(chunk);
        stream.avail_in = static_cast<uInt>(zeros.size());
        deflate(&stream, done + zeros.size() >= size ? Z_FINISH : Z_NO_FLUSH);
        crc = crc32(crc, chunk, static_cast<uInt>(zeros.size()));
    }
    deflated.resize(stream.total_out);
    deflateEnd(&stream);

    std::string zip, directory;
    for (int i = 0; i < parts; ++i) {
        const std::string name = "word/part" + std::to_string(i) + ".xml";
        const auto offset = static_cast<std::uint32_t>(zip.size());
        for (std::string* header : {&zip, &directory}) {
            const bool central = header == &directory;
            put32(*header, central ? 0x02014b50 : 0x04034b50);
            if (central) put16(*header, 20);
            for (std::uint32_t v : {20u, 0u, 8u, 0u, 0u}) put16(*header, v);  // version, flags, deflate, time, date
            put32(*header, static_cast<std::uint32_t>(crc));
            put32(*header, static_cast<std::uint32_t>(deflated.size()));
            put32(*header, size);
            put16(*header, static_cast<std::uint32_t>(name.size()));
            put16(*header, 0);
            if (central) {
                for (int j = 0; j < 3; ++j) put16(*header, 0);  // comment, disk, internal attributes
                put32(*header, 0);  // external attributes
                put32(*header, offset);
            }
            *header += name;
        }
        zip += deflated;
    }
    const auto directory_offset = static_cast<std::uint32_t>(zip.size());
    zip += directory;
    put32(zip, 0x06054b50);
    for (std::uint32_t v : {0u, 0u, std::uint32_t(parts), std::uint32_t(parts)}) put16(zip, v);
    put32(zip, static_cast<std::uint32_t>(directory.size()));
    put32(zip, directory_offset);
    put16(zip, 0);
    return zip;
}

}  // namespace

// Four parts of 245 MiB (980 MiB, inside the package limits) took text and fill past
// 4 GiB; one of 200 MiB took fill to 1.6 GiB. The XML a document may hold is bounded.
TEST(ZipBomb, PartsInsideThePackageLimitsAreRefusedBeyondTheXmlBound) {
    const std::string folder = tools::fresh_folder("xml-bound");
    std::ofstream(folder + "four.docx", std::ios::binary) << zip_of_zeros(4, 245u << 20);
    std::ofstream(folder + "one.docx", std::ios::binary) << zip_of_zeros(1, 200u << 20);
    std::ofstream(folder + "plan.json") << R"([{"old_text": "a", "new_text": "b"}])";

    const std::string loom = tools::quote(tools::program_dir() + "/docx-loom") + " ";
    for (const std::string name : {"four.docx", "one.docx"}) {
        const std::string docx = tools::quote(folder + name);
        for (const std::string& arguments :
             {"text " + docx, "fill " + docx + " " + tools::quote(folder + "plan.json") + " " + tools::quote(folder + "out")}) {
            const auto result = tools::run(loom + arguments);
            EXPECT_EQ(result.status, 1) << arguments << ": " << result.output;
            EXPECT_NE(result.output.find("the XML parts of '" + folder + name + "' inflate to more than 64 MiB in all"),
                      std::string::npos)
                << result.output;
        }
    }
    EXPECT_LT(platform::peak_resident_bytes_of_children(), std::uint64_t{256} << 20);
}

// Eight parts of 255 MiB in a 2 MB file: text peaked at 2 GiB and fill at 4 GiB.
TEST(ZipBomb, EightPartsJustUnderThePartLimitAreRefusedWithoutSpendingMemory) {
    const std::string folder = tools::fresh_folder("bomb");
    const std::string bomb = zip_of_zeros(8, 255u << 20);
    EXPECT_LT(bomb.size(), 3u << 20);
    std::ofstream(folder + "bomb.docx", std::ios::binary) << bomb;
    std::ofstream(folder + "plan.json") << R"([{"old_text": "a", "new_text": "b"}])";

    const std::string loom = tools::quote(tools::program_dir() + "/docx-loom") + " ";
    for (const std::string& arguments :
         {"text " + tools::quote(folder + "bomb.docx"),
          "fill " + tools::quote(folder + "bomb.docx") + " " + tools::quote(folder + "plan.json") + " " +
              tools::quote(folder + "out")}) {
        const auto result = tools::run(loom + arguments);
        EXPECT_EQ(result.status, 1) << arguments << ": " << result.output;
        EXPECT_NE(result.output.find("inflate to more than 1024 MiB in all; refusing it as a possible zip bomb"),
                  std::string::npos)
            << result.output;
    }
    EXPECT_LT(platform::peak_resident_bytes_of_children(), std::uint64_t{256} << 20);
}
