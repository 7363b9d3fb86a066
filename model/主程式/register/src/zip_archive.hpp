#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <string>

struct zip;

// Small RAII types over libzip for backup archives. Failures throw Backup_Error naming
// the archive.
namespace receipt_register::zip_archive {

// A new archive. Entries are read from their files only when it is closed, one at a
// time, so that no more than one is ever held.
class Writer {
public:
    // Refuses a file that exists already.
    explicit Writer(std::string path);
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    // Drops what was not closed: no file is left.
    ~Writer();

    // Stored as it is when `deflate` is false: PDFs are compressed inside already.
    void add_file(const std::string& name, const std::string& file, bool deflate);
    void add_bytes(const std::string& name, std::string bytes);
    // Writes the archive.
    void close();

private:
    void added(long long index, const std::string& name, bool deflate);
    struct Discard {
        void operator()(struct zip* archive) const;
    };
    std::string path_;
    std::unique_ptr<struct zip, Discard> archive_;
    std::list<std::string> buffers_;  // held until close, which reads them
};

// An archive read back, its structure checked against its central directory.
class Reader {
public:
    explicit Reader(std::string path);
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader();

    std::size_t size() const;
    std::string name(std::size_t index) const;
    // Hands entry `index` to `sink` piece by piece; throws when its data is damaged.
    void read(std::size_t index, const std::function<void(const char* data, std::size_t size)>& sink) const;

private:
    struct Discard {
        void operator()(struct zip* archive) const;
    };
    std::string path_;
    std::unique_ptr<struct zip, Discard> archive_;
};

}  // namespace receipt_register::zip_archive
