#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// LibreOffice takes every start whose profile does not record its own version as the
// last one set up for a first start after an upgrade, and runs its graphics self-tests
// (over half a second) again. Only its desktop records that version, never a headless
// office, so the profiles of this program are seeded with it before the office starts.
// Standard library only: the converter program compiles this file too.
namespace pdf_press::detail {

// The "major.minor" version of the office in `office_folder`, read from the ProductKey
// line of its bootstraprc ("LibreOffice 7.4"); nullopt when it cannot be read.
std::optional<std::string> office_version(const std::filesystem::path& office_folder);

// `settings`, the text of a profile's registrymodifications.xcu ("" for a profile that
// has none), with `version` recorded as the last one set up; every other setting stays
// as it was. nullopt when the text already says so, or is not such a file.
std::optional<std::string> seeded_settings(std::string_view settings, std::string_view version);

// Seeds the profile in `profile_folder` for the office in `office_folder`, creating the
// folders it needs; the file is replaced whole, so an office never reads half of it.
// Returns what went wrong, or "" when the profile is seeded (or cannot be for want of a
// readable version, which only costs time).
std::string seed_profile(const std::filesystem::path& profile_folder, const std::filesystem::path& office_folder);

}  // namespace pdf_press::detail
