#include "stand_in_receipts.hpp"

#include "docx_fixture.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/sha256.hpp>

#include <filesystem>

namespace stand_in {

std::string register_receipt(const std::string& folder, long long number, const std::string& content) {
    using namespace receipt_register;
    std::filesystem::create_directories(platform::to_path(folder));
    Receipt_Record record;
    record.number = number;
    record.record_date = "2025-03-09";
    record.buyer = "買受人" + std::to_string(number);
    record.file_name = std::string(kReceiptPrefix) + number_text(number) + " - 測試.pdf";
    const std::string pdf = folder + record.file_name;
    fixture::write_file(pdf, content);
    record.sha256 = sha256_of(content);
    Receipt_Register book = Receipt_Register::open(folder);
    book.add_pending(record);
    book.mark_issued(number);
    return pdf;
}

}  // namespace stand_in
