#pragma once

#include <string>
#include <string_view>

namespace pdf_press::detail {

// A file URL for an absolute UTF-8 path, as LibreOffice takes them; shared by the
// library and the converter program, which links nothing of the library.
inline std::string file_url_of_absolute(std::string_view path) {
    constexpr char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    if (!path.empty() && path.front() != '/') url += '/';  // a drive letter: file:///C:/...
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           std::string_view("-._~/:").find(static_cast<char>(c)) != std::string_view::npos;
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

}  // namespace pdf_press::detail
