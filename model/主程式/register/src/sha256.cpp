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

}  // namespace

std::string sha256_of_file(const std::filesystem::path& file) {
    const auto failed = [&](const std::string& what) {
        return std::runtime_error("cannot compute the SHA-256 of " + platform::from_path(file) + ": " + what);
    };
    std::ifstream in(file, std::ios::binary);
    if (!in) throw failed("the file cannot be opened");
    const std::unique_ptr<EVP_MD_CTX, Free_Context> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) throw failed("libcrypto refused");
    std::array<char, 65536> buffer;
    while (in) {
        in.read(buffer.data(), buffer.size());
        if (in.gcount() > 0 && EVP_DigestUpdate(context.get(), buffer.data(), static_cast<std::size_t>(in.gcount())) != 1)
            throw failed("libcrypto refused");
    }
    if (in.bad()) throw failed("reading failed");
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest;
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1) throw failed("libcrypto refused");

    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0xF];
    }
    return hex;
}

}  // namespace receipt_register
