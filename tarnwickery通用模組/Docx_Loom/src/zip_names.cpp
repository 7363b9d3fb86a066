// Reads the zip structures that hold entry names, which libzip resolves one way
// without saying whether they agree.
#include "detail/zip_names.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace docx_loom::detail {
namespace {

constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint16_t kUtf8NameField = 0x7075;
constexpr std::uint16_t kZip64Field = 0x0001;
// Far more than the central directory of any .docx; a larger one is not read.
constexpr std::uint64_t kMaxDirectorySize = std::uint64_t{64} << 20;

std::uint64_t little_endian(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

struct Layout {
    std::uint64_t entries = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

class Reader {
public:
    Reader(const ZipReader& read, std::uint64_t size, const std::string& source)
        : read_(read), size_(size), source_(source) {}

    [[noreturn]] void fail(const std::string& why) const {
        throw PackageError(i18n::tr("cannot read the entry names of '{1}': {2}", {source_, why}));
    }

    std::string bytes(std::uint64_t offset, std::uint64_t count) const {
        if (offset > size_ || count > size_ - offset) fail(i18n::tr("a record lies outside the file"));
        std::string data = read_(offset, static_cast<std::size_t>(count));
        if (data.size() != count) fail(i18n::tr("the file ends early"));
        return data;
    }

    Layout layout() const {
        const std::uint64_t tail_size = std::min<std::uint64_t>(size_, kEndRecordSize + kMaxCommentSize);
        const std::uint64_t tail_offset = size_ - tail_size;
        const std::string tail = bytes(tail_offset, tail_size);
        const auto end = tail.size() < kEndRecordSize ? std::string::npos
                                                      : tail.rfind("PK\x05\x06", tail.size() - kEndRecordSize);
        if (end == std::string::npos) fail(i18n::tr("it has no end of central directory record"));

        Layout layout{little_endian(tail, end + 10, 2), little_endian(tail, end + 16, 4), little_endian(tail, end + 12, 4)};
        if (layout.entries == 0xFFFF || layout.offset == 0xFFFFFFFF || layout.size == 0xFFFFFFFF) {
            const std::uint64_t end_offset = tail_offset + end;
            if (end_offset < 20) fail(i18n::tr("its zip64 locator is missing"));
            const std::string locator = bytes(end_offset - 20, 20);
            if (!locator.starts_with("PK\x06\x07")) fail(i18n::tr("its zip64 locator is missing"));
            const std::string record = bytes(little_endian(locator, 8, 8), 56);
            if (!record.starts_with("PK\x06\x06")) fail(i18n::tr("its zip64 end record is missing"));
            layout = {little_endian(record, 32, 8), little_endian(record, 48, 8), little_endian(record, 40, 8)};
        }
        if (layout.size > kMaxDirectorySize) fail(i18n::tr("its central directory is too large"));
        return layout;
    }

private:
    const ZipReader& read_;
    std::uint64_t size_;
    const std::string& source_;
};

// The value of one extra field, or nothing.
std::optional<std::string_view> extra_field(std::string_view extra, std::uint16_t id) {
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const auto field = static_cast<std::uint16_t>(little_endian(extra, at, 2));
        const auto length = static_cast<std::size_t>(little_endian(extra, at + 2, 2));
        if (at + 4 + length > extra.size()) break;
        if (field == id) return extra.substr(at + 4, length);
        at += 4 + length;
    }
    return std::nullopt;
}

std::string printable(std::string_view name) {
    std::string text;
    for (char c : name) text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return text;
}

}  // namespace

void check_entry_names(const ZipReader& read, std::uint64_t size, const std::string& source) {
    const Reader reader(read, size, source);
    const Layout layout = reader.layout();
    const std::string directory = reader.bytes(layout.offset, layout.size);

    std::size_t at = 0;
    for (std::uint64_t entry = 0; entry < layout.entries; ++entry) {
        if (at + kCentralHeaderSize > directory.size() || !std::string_view(directory).substr(at).starts_with("PK\x01\x02"))
            reader.fail(i18n::tr("its central directory is damaged"));
        const auto name_size = static_cast<std::size_t>(little_endian(directory, at + 28, 2));
        const auto extra_size = static_cast<std::size_t>(little_endian(directory, at + 30, 2));
        const auto comment_size = static_cast<std::size_t>(little_endian(directory, at + 32, 2));
        if (at + kCentralHeaderSize + name_size + extra_size + comment_size > directory.size())
            reader.fail(i18n::tr("its central directory is damaged"));
        const std::string_view name = std::string_view(directory).substr(at + kCentralHeaderSize, name_size);
        const std::string_view extra = std::string_view(directory).substr(at + kCentralHeaderSize + name_size, extra_size);

        if (const auto unicode = extra_field(extra, kUtf8NameField); unicode && unicode->size() >= 5 &&
                                                                     (*unicode)[0] == 1 && unicode->substr(5) != name)
            throw PackageError(
                i18n::tr("'{1}' is ambiguous: its entry '{2}' names itself '{3}' in its Unicode-path field",
                         {source, printable(name), printable(unicode->substr(5))}));

        std::uint64_t local = little_endian(directory, at + 42, 4);
        if (local == 0xFFFFFFFF) {
            // The zip64 field holds the sizes first, each only when its own field overflowed.
            const auto zip64 = extra_field(extra, kZip64Field);
            std::size_t position = 0;
            for (int field : {24, 20})
                if (little_endian(directory, at + static_cast<std::size_t>(field), 4) == 0xFFFFFFFF) position += 8;
            if (!zip64 || position + 8 > zip64->size()) reader.fail(i18n::tr("its central directory is damaged"));
            local = little_endian(*zip64, position, 8);
        }
        const std::string header = reader.bytes(local, kLocalHeaderSize);
        if (!header.starts_with("PK\x03\x04")) reader.fail(i18n::tr("an entry's local header is missing"));
        const std::string local_name = reader.bytes(local + kLocalHeaderSize, little_endian(header, 26, 2));
        if (local_name != name)
            throw PackageError(i18n::tr("'{1}' is ambiguous: its entry '{2}' is named '{3}' in its local header",
                                        {source, printable(name), printable(local_name)}));

        at += kCentralHeaderSize + name_size + extra_size + comment_size;
    }
}

void check_unique_names(const std::vector<std::string>& names, const std::string& source) {
    std::unordered_map<std::string, const std::string*> seen;
    for (const auto& name : names) {
        std::string folded = name;
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        const auto [it, added] = seen.emplace(folded, &name);
        if (!added)
            throw PackageError(*it->second == name
                                   ? i18n::tr("'{1}' is ambiguous: it holds two entries named '{2}'",
                                              {source, printable(*it->second)})
                                   : i18n::tr("'{1}' is ambiguous: it holds two entries named '{2}' and '{3}'",
                                              {source, printable(*it->second), printable(name)}));
    }
}

}  // namespace docx_loom::detail
