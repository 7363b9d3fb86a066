// The only file that talks to libzip.
#include <docx_loom/package.hpp>

#include "detail/zip_names.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <memory>
#include <random>
#include <string_view>
#include <system_error>

namespace docx_loom {
namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct SourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct ErrorFinisher {
    zip_error_t error;
    ErrorFinisher() { zip_error_init(&error); }
    ~ErrorFinisher() { zip_error_fini(&error); }
    ErrorFinisher(const ErrorFinisher&) = delete;
    ErrorFinisher& operator=(const ErrorFinisher&) = delete;
};

using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using ZipFile = std::unique_ptr<zip_file_t, FileCloser>;
using Source = std::unique_ptr<zip_source_t, SourceFreer>;

// Every libzip failure becomes a PackageError through here; `what` names the step and
// the file, in the user's language.
[[noreturn]] void fail(const std::string& what, zip_error_t* error) {
    std::string reason = error ? zip_error_strerror(error) : i18n::tr("unknown error");
    if (error && (zip_error_code_zip(error) == ZIP_ER_NOZIP || zip_error_code_zip(error) == ZIP_ER_INCONS))
        reason = i18n::tr("not a .docx package (not a valid zip file)");
    throw PackageError(i18n::tr("{1}: {2}", {what, reason}));
}

[[noreturn]] void fail_archive(const std::string& what, zip_t* archive) { fail(what, zip_get_error(archive)); }

// Pictures in these formats are compressed already: deflating them again costs as much
// as deflating all the XML and saves a few per cent, and every reader inflates it again.
bool is_compressed_picture(const std::string& bytes) {
    return bytes.starts_with("\x89PNG\r\n\x1a\n") || bytes.starts_with("\xff\xd8\xff") ||
           bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a");
}

std::string mib(std::size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

std::string part_too_large(const std::string& part, const std::string& source, const Package::Limits& limits) {
    return i18n::tr("part '{1}' of '{2}' inflates to more than {3}; refusing it as a possible zip bomb",
                    {part, source, mib(limits.part)});
}

std::string package_too_large(const std::string& source, const Package::Limits& limits) {
    return i18n::tr("the parts of '{1}' inflate to more than {2} in all; refusing it as a possible zip bomb",
                    {source, mib(limits.total)});
}

std::string xml_too_large(const std::string& source, const Package::Limits& limits) {
    return i18n::tr(
        "the XML parts of '{1}' inflate to more than {2} in all, more text than a document may hold in memory",
        {source, mib(limits.xml)});
}

std::string too_many_tags(const std::string& source, const Package::Limits& limits) {
    return i18n::tr("the XML parts of '{1}' hold more than {2} tags in all, more than a document may hold in memory",
                    {source, std::to_string(limits.xml_tags)});
}

bool has_xml_name(std::string_view name) {
    const auto ends_with = [&](std::string_view suffix) {
        return name.size() >= suffix.size() &&
               std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(b)) == a; });
    };
    return ends_with(".xml") || ends_with(".rels");
}

// XML begins with "<", after a byte-order mark if it has one; no picture format does.
bool begins_like_xml(std::string_view bytes) {
    for (std::string_view mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
        if (bytes.starts_with(mark)) return true;
    return bytes.starts_with('<');
}

// What read_part has inflated so far: bytes in all, and bytes and tags of XML parts.
struct Inflated {
    std::size_t all = 0;
    std::size_t xml = 0;
    std::size_t xml_tags = 0;
};

zip_stat_t stat_of(zip_t* archive, zip_uint64_t index, const std::string& source) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0) fail_archive(i18n::tr("cannot read '{1}'", {source}), archive);
    return stat;
}

// `inflated` counts the bytes of every part read so far.
std::string read_part(zip_t* archive, zip_uint64_t index, const std::string& name, const std::string& source,
                      const Package::Limits& limits, Inflated& inflated) {
    const zip_stat_t stat = stat_of(archive, index, source);
    ZipFile file(zip_fopen_index(archive, index, 0));
    if (!file) fail_archive(i18n::tr("cannot read part '{1}' of '{2}'", {name, source}), archive);

    std::string bytes;
    if (stat.valid & ZIP_STAT_SIZE) bytes.reserve(stat.size);
    bool xml = has_xml_name(name);
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n < 0) fail(i18n::tr("cannot inflate part '{1}' of '{2}'", {name, source}), zip_file_get_error(file.get()));
        if (n == 0) break;
        // The stated size may lie; the inflated size is what counts.
        const auto size = static_cast<std::size_t>(n);
        if (bytes.empty()) xml = xml || begins_like_xml(std::string_view(buffer, size));
        if (bytes.size() + size > limits.part) throw PackageError(part_too_large(name, source, limits));
        if (inflated.all + size > limits.total) throw PackageError(package_too_large(source, limits));
        if (xml && inflated.xml + size > limits.xml) throw PackageError(xml_too_large(source, limits));
        if (xml) {
            inflated.xml_tags += static_cast<std::size_t>(std::count(buffer, buffer + size, '<'));
            if (inflated.xml_tags > limits.xml_tags) throw PackageError(too_many_tags(source, limits));
        }
        bytes.append(buffer, size);
        inflated.all += size;
        if (xml) inflated.xml += size;
    }
    return bytes;
}

// A random name of `final_length` bytes, but 8 at least and 16 at most: a final name
// that fits in its folder always leaves room for its temporary name.
std::filesystem::path temporary_name(std::size_t final_length) {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device random;
    std::string name = ".~";
    while (name.size() < std::clamp<std::size_t>(final_length, 8, 16)) name += kDigits[random() % (sizeof kDigits - 1)];
    return platform::to_path(name);
}

}  // namespace

Package Package::open(const std::filesystem::path& path, const Limits& limits) {
    const std::string source = platform::from_path(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw PackageError(std::filesystem::exists(path, ec)
                               ? i18n::tr("cannot open '{1}': it is not a file (a folder or a device)", {source})
                               : i18n::tr("cannot open '{1}': no such file", {source}));

    int code = 0;
    // No ZIP_CHECKCONS: it refuses valid packages written with data descriptors;
    // damaged data still fails while inflating.
    Archive archive(zip_open(source.c_str(), ZIP_RDONLY, &code));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        try {
            fail(i18n::tr("cannot open '{1}'", {source}), &error);
        } catch (...) {
            zip_error_fini(&error);
            throw;
        }
    }

    std::ifstream file(path, std::ios::binary);
    const auto size = std::filesystem::file_size(path, ec);
    if (!file || ec)
        throw PackageError(ec ? i18n::tr("{1}: {2}", {i18n::tr("cannot open '{1}'", {source}), ec.message()})
                              : i18n::tr("cannot open '{1}': cannot read it", {source}));
    detail::check_entry_names(
        [&](std::uint64_t offset, std::size_t count) {
            std::string bytes(count, '\0');
            file.clear();
            file.seekg(static_cast<std::streamoff>(offset));
            file.read(bytes.data(), static_cast<std::streamsize>(count));
            bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
            return bytes;
        },
        size, source);

    Package package;
    package.source_ = source;
    package.read_parts(archive.get(), limits);
    return package;
}

Package Package::from_bytes(const std::string& zip_bytes, const std::string& label, const Limits& limits) {
    ErrorFinisher error;
    Source source(zip_source_buffer_create(zip_bytes.data(), zip_bytes.size(), 0, &error.error));
    if (!source) fail(i18n::tr("cannot read '{1}'", {label}), &error.error);
    Archive archive(zip_open_from_source(source.get(), ZIP_RDONLY, &error.error));
    if (!archive) fail(i18n::tr("cannot open '{1}'", {label}), &error.error);
    source.release();  // the archive owns it now
    detail::check_entry_names(
        [&](std::uint64_t offset, std::size_t count) { return zip_bytes.substr(static_cast<std::size_t>(offset), count); },
        zip_bytes.size(), label);

    Package package;
    package.source_ = label;
    package.read_parts(archive.get(), limits);
    return package;
}

std::string Package::save_to_bytes() const {
    ErrorFinisher error;
    Source buffer(zip_source_buffer_create(nullptr, 0, 0, &error.error));
    if (!buffer) fail(i18n::tr("cannot build zip for '{1}'", {source_}), &error.error);
    // The archive frees its source on close; keep ours to read the result back.
    zip_source_keep(buffer.get());
    Archive archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error.error));
    if (!archive) {
        zip_source_free(buffer.get());
        fail(i18n::tr("cannot build zip for '{1}'", {source_}), &error.error);
    }

    for (const Part& part : parts_) {
        zip_source_t* data = zip_source_buffer(archive.get(), part.bytes.data(), part.bytes.size(), 0);
        if (!data) fail_archive(i18n::tr("cannot add part '{1}' for '{2}'", {part.name, source_}), archive.get());
        const zip_int64_t index = zip_file_add(archive.get(), part.name.c_str(), data, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(data);
            fail_archive(i18n::tr("cannot add part '{1}' for '{2}'", {part.name, source_}), archive.get());
        }
        if (is_compressed_picture(part.bytes) &&
            zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0)
            fail_archive(i18n::tr("cannot store part '{1}' for '{2}'", {part.name, source_}), archive.get());
    }
    if (zip_close(archive.get()) != 0) fail_archive(i18n::tr("cannot write zip for '{1}'", {source_}), archive.get());
    archive.release();  // closed

    if (zip_source_open(buffer.get()) != 0)
        fail(i18n::tr("cannot read zip for '{1}'", {source_}), zip_source_error(buffer.get()));
    std::string bytes;
    char chunk[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_source_read(buffer.get(), chunk, sizeof chunk);
        if (n < 0) {
            zip_source_close(buffer.get());
            fail(i18n::tr("cannot read zip for '{1}'", {source_}), zip_source_error(buffer.get()));
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    zip_source_close(buffer.get());
    return bytes;
}

void Package::save(const std::filesystem::path& path) const {
    const std::string target = platform::from_path(path);
    const std::string bytes = save_to_bytes();

    // In the target folder, so the rename below cannot cross file systems.
    const auto folder = path.parent_path();
    const auto temporary = (folder.empty() ? std::filesystem::path(".") : folder) /
                           temporary_name(platform::from_path(path.filename()).size());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw PackageError(i18n::tr("cannot save '{1}': cannot create a file in its folder", {target}));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw PackageError(i18n::tr("cannot save '{1}': writing failed", {target}));
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw PackageError(i18n::tr("{1}: {2}", {i18n::tr("cannot save '{1}'", {target}), ec.message()}));
    }
}

void Package::read_parts(zip_t* archive, const Limits& limits) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    // Stated sizes first, so that a bomb that states its size costs nothing to refuse.
    std::uint64_t stated = 0, stated_xml = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const zip_stat_t stat = stat_of(archive, static_cast<zip_uint64_t>(i), source_);
        if (!(stat.valid & ZIP_STAT_SIZE)) continue;
        if (stat.size > limits.part)
            throw PackageError(part_too_large(stat.valid & ZIP_STAT_NAME ? stat.name : "?", source_, limits));
        stated += stat.size;
        if (stated > limits.total) throw PackageError(package_too_large(source_, limits));
        if (stat.valid & ZIP_STAT_NAME && has_xml_name(stat.name)) stated_xml += stat.size;
    }
    if (stated_xml > limits.xml) throw PackageError(xml_too_large(source_, limits));

    Inflated inflated;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(archive, index, ZIP_FL_ENC_GUESS);
        if (!name) fail_archive(i18n::tr("cannot read '{1}'", {source_}), archive);
        std::string part_name = name;
        if (part_name.ends_with('/')) continue;  // folder entries are not parts
        std::string bytes = read_part(archive, index, part_name, source_, limits, inflated);
        parts_.push_back({std::move(part_name), std::move(bytes)});
    }
    detail::check_unique_names(part_names(), source_);
}

bool Package::has_part(const std::string& name) const { return find(name) != nullptr; }

const std::string& Package::part(const std::string& name) const {
    if (const Part* p = find(name)) return p->bytes;
    throw PackageError(i18n::tr("'{1}' has no part '{2}'", {source_, name}));
}

void Package::set_part(const std::string& name, std::string bytes) {
    if (Part* p = find(name))
        p->bytes = std::move(bytes);
    else
        parts_.push_back({name, std::move(bytes)});
}

std::vector<std::string> Package::part_names() const {
    std::vector<std::string> names;
    names.reserve(parts_.size());
    for (const Part& p : parts_) names.push_back(p.name);
    return names;
}

Package::Part* Package::find(const std::string& name) {
    auto it = std::find_if(parts_.begin(), parts_.end(), [&](const Part& p) { return p.name == name; });
    return it == parts_.end() ? nullptr : &*it;
}

const Package::Part* Package::find(const std::string& name) const {
    return const_cast<Package*>(this)->find(name);
}

}  // namespace docx_loom
