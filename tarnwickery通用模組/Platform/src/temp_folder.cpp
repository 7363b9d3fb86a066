#include "platform/temp_folder.hpp"

#include "platform/error.hpp"
#include "platform/private_files.hpp"
#include "platform/root_folder.hpp"

#include <cstdint>
#include <random>
#include <string>
#include <system_error>
#include <utility>

namespace platform {

namespace {

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kSuffixLength = 12;

}  // namespace

TempFolder::TempFolder(const std::filesystem::path& parent, std::string_view name_prefix) {
    std::random_device entropy;
    std::mt19937_64 random(
        (static_cast<std::uint64_t>(entropy()) << 32) ^ static_cast<std::uint64_t>(entropy()));
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(name_prefix);
        for (std::size_t i = 0; i < kSuffixLength; ++i) {
            name += kDigits[random() % (sizeof kDigits - 1)];
        }
        std::filesystem::path candidate = parent / to_path(name);
        // create_directory fails on an existing name, so a folder someone else made
        // at the same moment is never shared.
        if (create_private_folder(candidate, ec)) {
            path_ = std::move(candidate);
            return;
        }
        if (ec) {
            break;
        }
    }
    throw Error("cannot create a temporary folder in " + from_path(parent) + ": " +
                (ec ? ec.message() : std::string("no free name")));
}

TempFolder::TempFolder(TempFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

TempFolder::~TempFolder() {
    remove();
}

void TempFolder::remove() noexcept {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        path_.clear();
    }
}

bool is_temp_folder_name(std::string_view name, std::string_view name_prefix) {
    if (!name.starts_with(name_prefix) || name.size() != name_prefix.size() + kSuffixLength) return false;
    return name.substr(name_prefix.size()).find_first_not_of(std::string_view(kDigits, sizeof kDigits - 1)) ==
           std::string_view::npos;
}

}  // namespace platform
