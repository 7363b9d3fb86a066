#include "read_only.hpp"

#include "schema.hpp"

#include <string_view>

namespace receipt_register {

namespace {

// `path` as an SQLite URI with `parameter`: every byte but the plain ones escaped, so that
// no character of a folder's name is read as part of the URI.
std::string uri_of(const std::string& path, const char* parameter) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    if (path.size() > 1 && path[1] == ':') uri += '/';  // a drive letter: file:/C:/…
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           std::string_view("/-._~:").find(c) != std::string_view::npos;
        if (plain) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xF];
        }
    }
    return uri + "?" + parameter;
}

}  // namespace

std::unique_ptr<sqlite::Connection> connect_read_only(const std::string& path) {
    const auto open = [&](const char* parameter) {
        auto connection = std::make_unique<sqlite::Connection>(
            path, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, uri_of(path, parameter));
        connection->check(sqlite3_busy_timeout(connection->get(), 30'000), "set its busy time-out");
        return connection;
    };
    auto connection = open("mode=ro");
    const int rc = sqlite3_exec(connection->get(), "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) & 0xFF;
    if (rc == SQLITE_CANTOPEN || rc == SQLITE_READONLY) connection = open("immutable=1");
    schema::refuse_unreadable(*connection);
    return connection;
}

}  // namespace receipt_register
