#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace docx_loom::detail {

// Reads up to `count` bytes at `offset` of a zip file; fewer at its end.
using ZipReader = std::function<std::string(std::uint64_t offset, std::size_t count)>;

// Throws PackageError, naming `source`, unless every entry of the zip file (of `size`
// bytes) has one name that every reader agrees on: its central-directory name, its
// local-header name and the name in its Info-ZIP Unicode-path field, when it has one,
// must be the same bytes. Programs that trust one of them over another would see
// different parts under the same name.
void check_entry_names(const ZipReader& read, std::uint64_t size, const std::string& source);

// Throws PackageError if two part names are the same, ignoring ASCII case as OPC does.
void check_unique_names(const std::vector<std::string>& names, const std::string& source);

}  // namespace docx_loom::detail
