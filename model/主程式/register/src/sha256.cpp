#include <receipt_register/sha256.hpp>

#include <platform/root_folder.hpp>

#include <openssl/evp.h>

#include <array>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace receipt_register {

namespace {

struct Free_Context {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// One SHA-256 computation through libcrypto; `input` names what is digested in errors.
class Sha256 {
public:
    explicit Sha256(std::string input) : input_(std::move(input)), context_(EVP_MD_CTX_new()) {
        if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1) throw failure("libcrypto refused");
    }

    void update(const char* data, std::size_t size) {
        if (size > 0 && EVP_DigestUpdate(context_.get(), data, size) != 1) throw failure("libcrypto refused");
    }

    // 64 lower-case hex digits.
    std::string hex() {
        std::array<unsigned char, EVP_MAX_MD_SIZE> digest;
        unsigned int length = 0;
        if (EVP_DigestFinal_ex(context_.get(), digest.data(), &length) != 1) throw failure("libcrypto refused");
        static constexpr char kHex[] = "0123456789abcdef";
        std::string hex;
        for (unsigned int i = 0; i < length; ++i) {
            hex += kHex[digest[i] >> 4];
            hex += kHex[digest[i] & 0xF];
        }
        return hex;
    }

    std::runtime_error failure(const std::string& why) const {
        return std::runtime_error("cannot compute the SHA-256 of " + input_ + ": " + why);
    }

private:
    std::string input_;
    std::unique_ptr<EVP_MD_CTX, Free_Context> context_;
};

}  // namespace

std::string sha256_of_file(const std::filesystem::path& file) {
    Sha256 sha(platform::from_path(file));
    std::ifstream in(file, std::ios::binary);
    if (!in) throw sha.failure("the file cannot be opened");
    std::array<char, 65536> buffer;
    while (in) {
        in.read(buffer.data(), buffer.size());
        sha.update(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw sha.failure("reading failed");
    return sha.hex();
}

std::string sha256_of(std::string_view bytes) {
    Sha256 sha("data in memory");
    sha.update(bytes.data(), bytes.size());
    return sha.hex();
}

}  // namespace receipt_register
