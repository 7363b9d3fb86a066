#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

namespace bench {

// A receipt request with seven product rows, as the window sends one.
nlohmann::json receipt_request(const std::string& buyer, bool seals);

// The .docx the worker fills for `request`, kept as `keep_as`: the worker makes one
// receipt with a stand-in office that keeps what it is given (so that receipt's PDF is
// no real one). Works under the current root folder; afterwards Pdf_Press finds its
// converter in `program_folder`.
std::filesystem::path worker_docx(const std::string& program_folder, const nlohmann::json& request,
                                  const std::filesystem::path& keep_as);

}  // namespace bench
