#include <receipt_register/issued_pdf.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/sha256.hpp>

#include <i18n/tr.hpp>
#include <platform/regular_file.hpp>
#include <platform/root_folder.hpp>

#include <cstdint>
#include <filesystem>

namespace receipt_register {

namespace {

// Far beyond any receipt; what is larger cannot be the PDF the program wrote.
constexpr std::uint64_t kLargestReceipt = 64u << 20;

}  // namespace

Issued_Pdf read_issued_pdf(const std::string& folder, long long number, bool void_ok) {
    const std::string missing = "there is no receipt number " + number_text(number);
    auto book = Receipt_Register::open_read_only(folder);
    if (!book) throw Reprint_Refusal(missing + ": " + folder + " has no register", folder + " has no register", false);
    auto record = book->receipt(number);
    if (!record) {
        // A row still pending whose PDF stands is a receipt the worker reported written
        // when the register could not mark it; recovery marks it issued. Its PDF is
        // checked below as any other.
        for (Receipt_Record& waiting : book->pending())
            if (waiting.number == number) record = std::move(waiting);
    }
    if (!record) {
        const std::string reason = "it is not in the register " + book->path();
        throw Reprint_Refusal(missing + " in the register " + book->path(), reason, false);
    }
    const std::string receipt = "receipt " + number_text(number);
    if (record->status == Receipt_Status::voided && !void_ok) {
        const std::string reason = "void (" + record->void_reason + ")";
        throw Reprint_Refusal(receipt + " is " + reason, "it is " + reason, true);
    }

    const auto refuse = [&](const std::string& reason) {
        return Reprint_Refusal(receipt + " is not printed: " + reason, reason, false);
    };
    if (!is_plain_file_name(record->file_name))
        throw refuse(i18n::tr("its file name {1} in the register leaves the receipt folder {2}", {record->file_name, folder}));
    Issued_Pdf pdf{folder + record->file_name, {}};
    try {
        pdf.content = platform::read_regular_file(platform::to_path(pdf.path), kLargestReceipt);
    } catch (const platform::FileReadError& error) {
        std::error_code ec;
        if (!std::filesystem::exists(platform::to_path(pdf.path), ec))
            throw refuse("its PDF " + pdf.path + " is missing");
        throw refuse("its PDF " + pdf.path + " cannot be read (" + error.reason() + ")");
    }
    if (sha256_of(pdf.content) != record->sha256)
        throw refuse("its PDF " + pdf.path +
                     " has changed since it was issued (its SHA-256 is not the one in the register)");
    return pdf;
}

}  // namespace receipt_register
