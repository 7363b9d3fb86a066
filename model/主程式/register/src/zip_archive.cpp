// Paths go to libzip as UTF-8, which it takes on every system.
#include "zip_archive.hpp"

#include <receipt_register/backup.hpp>

#include <i18n/tr.hpp>

#include <zip.h>

#include <array>

namespace receipt_register::zip_archive {

namespace {

// libzip's text for the error code zip_open gives.
std::string open_error(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

[[noreturn]] void cannot_write(const std::string& path, const std::string& why) {
    throw Backup_Error(i18n::tr("cannot write the archive {1}: {2}", {path, why}));
}

[[noreturn]] void damaged(const std::string& path, const std::string& why) {
    throw Backup_Error(i18n::tr("the archive {1} is damaged or no backup of this program: {2}", {path, why}));
}

std::string why(zip_t* archive) { return zip_strerror(archive); }

}  // namespace

void Writer::Discard::operator()(zip_t* archive) const { zip_discard(archive); }
void Reader::Discard::operator()(zip_t* archive) const { zip_discard(archive); }

Writer::Writer(std::string path) : path_(std::move(path)) {
    int code = 0;
    archive_.reset(zip_open(path_.c_str(), ZIP_CREATE | ZIP_EXCL, &code));
    if (!archive_) cannot_write(path_, open_error(code));
}

Writer::~Writer() = default;

void Writer::added(long long index, const std::string& name, bool deflate) {
    if (index < 0) cannot_write(path_, name + ": " + why(archive_.get()));
    const zip_int32_t method = deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
    if (zip_set_file_compression(archive_.get(), static_cast<zip_uint64_t>(index), method, 0) != 0)
        cannot_write(path_, name + ": " + why(archive_.get()));
}

void Writer::add_file(const std::string& name, const std::string& file, bool deflate) {
    zip_source_t* source = zip_source_file(archive_.get(), file.c_str(), 0, -1);
    if (!source) cannot_write(path_, file + ": " + why(archive_.get()));
    const zip_int64_t index = zip_file_add(archive_.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) zip_source_free(source);
    added(index, name, deflate);
}

void Writer::add_bytes(const std::string& name, std::string bytes) {
    const std::string& held = buffers_.emplace_back(std::move(bytes));
    zip_source_t* source = zip_source_buffer(archive_.get(), held.data(), held.size(), 0);
    if (!source) cannot_write(path_, name + ": " + why(archive_.get()));
    const zip_int64_t index = zip_file_add(archive_.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) zip_source_free(source);
    added(index, name, true);
}

void Writer::close() {
    if (zip_close(archive_.get()) != 0) cannot_write(path_, why(archive_.get()));
    (void)archive_.release();  // zip_close freed it
    buffers_.clear();
}

Reader::Reader(std::string path) : path_(std::move(path)) {
    int code = 0;
    archive_.reset(zip_open(path_.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!archive_)
        damaged(path_, open_error(code));
}

Reader::~Reader() = default;

std::size_t Reader::size() const { return static_cast<std::size_t>(zip_get_num_entries(archive_.get(), 0)); }

std::string Reader::name(std::size_t index) const {
    const char* name = zip_get_name(archive_.get(), index, 0);
    if (!name) damaged(path_, why(archive_.get()));
    return name;
}

void Reader::read(std::size_t index, const std::function<void(const char*, std::size_t)>& sink) const {
    struct Close {
        void operator()(zip_file_t* file) const { zip_fclose(file); }
    };
    const std::unique_ptr<zip_file_t, Close> file(zip_fopen_index(archive_.get(), index, 0));
    if (!file) damaged(path_, name(index) + ": " + why(archive_.get()));
    std::array<char, 65536> buffer;
    for (;;) {
        // libzip checks the entry's CRC once all of it has been read.
        const zip_int64_t got = zip_fread(file.get(), buffer.data(), buffer.size());
        if (got < 0) damaged(path_, name(index) + ": " + zip_file_strerror(file.get()));
        if (got == 0) return;
        sink(buffer.data(), static_cast<std::size_t>(got));
    }
}

}  // namespace receipt_register::zip_archive
