#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

struct zip;

namespace docx_loom {

// The largest uncompressed size one part may have, and all parts together; more is
// refused as a probable zip bomb. No real .docx comes near either.
// `xml` and `xml_tags` bound the XML parts together (a name ending in .xml or .rels, or
// bytes that begin like XML), in bytes and in tags ("<"): the engine holds each part as
// text, as a parsed tree and as the texts of its paragraphs, several times its size and
// a few hundred bytes a paragraph, so these keep a document's memory below 1 GiB.
struct PackageLimits {
    std::size_t part = std::size_t{256} << 20;
    std::size_t total = std::size_t{1} << 30;
    std::size_t xml = std::size_t{64} << 20;
    std::size_t xml_tags = 1'500'000;
};

// An OPC package as a list of parts (name and uncompressed bytes), in the order the
// zip file stored them. Parts that nobody changes are written back byte for byte.
class Package {
public:
    using Limits = PackageLimits;
    static constexpr std::size_t kMaxPartSize = Limits{}.part;
    static constexpr std::size_t kMaxPackageSize = Limits{}.total;
    static constexpr std::size_t kMaxXmlSize = Limits{}.xml;
    static constexpr std::size_t kMaxXmlTags = Limits{}.xml_tags;

    // Throws PackageError if the file is missing, unreadable, not a zip, or holds a
    // part or parts whose stated or inflated sizes exceed the limits. Sizes are counted
    // while inflating, so no more than the limits is ever held.
    static Package open(const std::filesystem::path& path, const Limits& limits = {});
    // Same checks on zip bytes held in memory; `label` names them in errors.
    static Package from_bytes(const std::string& zip_bytes, const std::string& label, const Limits& limits = {});

    // Writes a complete zip into a temporary file beside `path`, whose name is no
    // longer than the final one (8 bytes at least), then renames it into place; throws
    // PackageError and leaves `path` untouched on failure.
    void save(const std::filesystem::path& path) const;
    // The package as zip bytes.
    std::string save_to_bytes() const;

    bool has_part(const std::string& name) const;
    // Throws PackageError if there is no such part.
    const std::string& part(const std::string& name) const;
    // Replaces the part's bytes, or appends a new part.
    void set_part(const std::string& name, std::string bytes);
    std::vector<std::string> part_names() const;

    // The file or label the package came from, for error messages.
    const std::string& source() const { return source_; }

private:
    struct Part {
        std::string name;
        std::string bytes;
    };
    void read_parts(struct zip* archive, const Limits& limits);
    Part* find(const std::string& name);
    const Part* find(const std::string& name) const;

    std::vector<Part> parts_;
    std::string source_;
};

}  // namespace docx_loom
