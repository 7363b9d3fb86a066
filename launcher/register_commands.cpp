#include "register_commands.hpp"

#include "csv.hpp"
#include "text_table.hpp"

#include <i18n/tr.hpp>
#include <platform/clock.hpp>
#include <platform/root_folder.hpp>
#include <receipt_channels/request_rules.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/receipt_workbook.hpp>
#include <receipt_register/sha256.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

namespace {

using receipt_register::Receipt_Record;
using receipt_register::Receipt_Register;
using receipt_register::Receipt_Status;
using receipt_register::number_text;

constexpr const char* kProgram = "tarnwickery-receipt: ";

using receipt_register::product_names;
using receipt_register::status_text;

// Issued and void receipts; and a pending one whose PDF stands, as issued: it was
// written, only marking it failed, and the next start marks it so.
std::vector<Receipt_Record> registered(const receipt_register::Receipt_Filter& filter) {
    auto book = Receipt_Register::open_read_only(receipt_register::receipt_folder());
    std::vector<Receipt_Record> records;
    for (auto& record : book ? book->receipts(filter, true) : std::vector<Receipt_Record>{}) {
        if (record.status == Receipt_Status::pending) {
            std::error_code ec;
            if (!receipt_register::is_plain_file_name(record.file_name) ||
                !std::filesystem::exists(platform::to_path(receipt_register::receipt_folder() + record.file_name), ec))
                continue;
            record.status = Receipt_Status::issued;
        }
        records.push_back(std::move(record));
    }
    return records;
}

// What the receipt folder holds besides the register's receipts: receipt PDFs no row
// names (made before the register existed), and strangers, entries named neither as a
// receipt nor as one of the program's own files, which numbering ignores.
struct Folder_Survey {
    std::size_t unregistered = 0;
    std::vector<std::string> strangers;
};

Folder_Survey survey_folder() {
    std::set<std::string> known;
    // Pending rows count too: their receipts were written and await being marked.
    if (auto book = Receipt_Register::open_read_only(receipt_register::receipt_folder()))
        for (auto& name : book->file_names()) known.insert(std::move(name));
    Folder_Survey survey;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(platform::to_path(receipt_register::receipt_folder()), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = platform::from_path(it->path().filename());
        if (receipt_register::is_receipt_pdf(name))
            survey.unregistered += !known.contains(name);
        else if (!receipt_register::is_program_file(name))
            survey.strangers.push_back(name);
    }
    std::sort(survey.strangers.begin(), survey.strangers.end());
    return survey;
}

// How many receipt PDFs in the folder the register does not know, as list and verify
// both say it.
std::string unregistered_note(std::size_t unknown) {
    const std::string count = std::to_string(unknown), folder = receipt_register::receipt_folder();
    return unknown == 1 ? i18n::tr("1 receipt PDF in {1} is not in the register (made before it existed)", {folder})
                        : i18n::tr("{1} receipt PDFs in {2} are not in the register (made before it existed)", {count, folder});
}

// Why `target` may not receive an output file, or nullopt when it may: the receipt folder
// holds the register, its journal and lock, and the receipts themselves, none of which a
// listing may overwrite; and an existing file is replaced only when the user says so.
std::optional<std::string> refuse_output(const std::string& target, bool force) {
    namespace fs = std::filesystem;
    const std::string folder = receipt_register::receipt_folder();
    const fs::path path = platform::to_path(target);
    std::error_code ec;
    // Symbolic links are followed, so that no other name for the folder gets through.
    const fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
    const fs::path receipts = platform::to_path(folder);
    std::error_code same;
    if (fs::equivalent(resolved.parent_path(), receipts, same))
        return i18n::tr("will not write to {1}: it is in the receipt folder {2}, where the receipts and their register are; "
                        "choose a file elsewhere",
                        {target, folder});
    if (fs::exists(fs::symlink_status(path, ec)) && !force)
        return i18n::tr("will not replace {1}, which exists; give --force to replace it", {target});
    return std::nullopt;
}

void write_csv(std::ostream& out, const std::vector<Receipt_Record>& records) {
    out << "\xEF\xBB\xBF";  // the byte-order mark by which spreadsheet programs know UTF-8
    write_csv_row(out, {"編號", "記錄日期", "收據日期", "買受人", "統一編號", "品名", "總計", "狀態", "作廢原因", "檔名", "SHA-256"});
    for (const auto& r : records)
        write_csv_row(out, {number_text(r.number), r.record_date, request_rules::roc_date_text(r.receipt_date), r.buyer, r.tax_number,
                            product_names(r), std::to_string(r.total), status_text(r.status), r.void_reason, r.file_name,
                            r.sha256});
}

void write_table(std::ostream& out, const std::vector<Receipt_Record>& records) {
    std::vector<std::vector<std::string>> rows = {{"編號", "記錄日期", "收據日期", "買受人", "統一編號", "總計", "狀態", "作廢原因"}};
    for (const auto& r : records)
        rows.push_back({number_text(r.number), r.record_date, request_rules::roc_date_text(r.receipt_date), r.buyer, r.tax_number,
                        std::to_string(r.total), status_text(r.status), r.void_reason});
    write_text_table(out, rows);
}

}  // namespace

int list_receipts(const List_Options& options, std::ostream& out, std::ostream& notes, std::ostream& errors) {
    const auto records = registered({options.from, options.to, options.by_record_date, options.buyer});
    std::size_t voided = 0;
    for (const auto& record : records) voided += record.status == Receipt_Status::voided;
    // With CSV on standard output, the counts go to `notes` so that the CSV stays clean.
    std::ostream* summary = &out;
    const std::optional<std::string>& file = options.xlsx ? options.xlsx : options.csv;
    if (!file) {
        write_table(out, records);
    } else if (options.csv && *options.csv == "-") {
        write_csv(out, records);
        summary = &notes;
    } else {
        if (const auto refusal = refuse_output(*file, options.force)) {
            errors << kProgram << *refusal << '\n';
            return 1;
        }
        if (options.xlsx) {
            receipt_register::write_receipt_workbook(*file, records);
        } else {
            std::ofstream csv(platform::to_path(*file), std::ios::binary);
            if (csv) write_csv(csv, records);
            if (!csv || !csv.flush()) {
                errors << kProgram << i18n::tr("cannot write {1}", {*file}) << '\n';
                return 1;
            }
        }
        out << i18n::tr("wrote {1} receipts to {2}", {std::to_string(records.size()), *file}) << '\n';
    }
    const std::string issued = std::to_string(records.size() - voided), void_count = std::to_string(voided);
    *summary << (records.size() == 1 ? i18n::tr("1 receipt ({1} issued, {2} void); {3}",
                                                {issued, void_count, unregistered_note(survey_folder().unregistered)})
                                     : i18n::tr("{1} receipts ({2} issued, {3} void); {4}",
                                                {std::to_string(records.size()), issued, void_count,
                                                 unregistered_note(survey_folder().unregistered)}))
             << '\n';
    return 0;
}

int void_receipt(long long number, const std::string& reason, std::ostream& out, std::ostream& errors) {
    auto book = Receipt_Register::open_existing(receipt_register::receipt_folder());
    if (!book) {
        errors << kProgram
               << i18n::tr("there is no receipt number {1}: {2} has no register",
                           {number_text(number), receipt_register::receipt_folder()})
               << '\n';
        return 1;
    }
    book->void_receipt(number, reason, platform::local_time_text());
    out << i18n::tr("receipt {1} is void: {2}", {number_text(number), reason}) << '\n';
    return 0;
}

int verify_receipts(std::ostream& out, std::ostream& errors) {
    const std::string folder = receipt_register::receipt_folder();
    auto book = Receipt_Register::open_read_only(folder);
    std::size_t checked = 0, missing = 0, changed = 0, refused = 0;
    for (const auto& record : book ? book->receipts() : std::vector<Receipt_Record>{}) {
        if (record.status != Receipt_Status::issued) continue;
        ++checked;
        // A name that leaves the folder would have the check read some other file.
        if (!receipt_register::is_plain_file_name(record.file_name)) {
            out << i18n::tr("refused: receipt {1}'s file name {2} leaves the receipt folder",
                            {number_text(record.number), visible_text(record.file_name)})
                << '\n';
            ++refused;
            continue;
        }
        const auto pdf = platform::to_path(folder + record.file_name);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(pdf, ec)) {
            out << i18n::tr("missing: {1}", {record.file_name}) << '\n';
            ++missing;
        } else if (receipt_register::sha256_of_file(pdf) != record.sha256) {
            out << i18n::tr("changed: {1}", {record.file_name}) << '\n';
            ++changed;
        }
    }
    const receipt_register::Register_Check register_check = book ? book->check() : receipt_register::Register_Check{};
    if (book && !register_check.chained)
        out << i18n::tr("the register keeps no chain of records yet; it gains one when a receipt is next written or voided") << '\n';
    if (register_check.broken) out << i18n::tr("chain broken: {1}", {*register_check.broken}) << '\n';
    std::string gaps;
    for (const auto& [first, last] : register_check.missing_numbers)
        gaps += (gaps.empty() ? "" : ", ") + number_text(first) + (first == last ? "" : "-" + number_text(last));
    if (!gaps.empty()) out << i18n::tr("numbers missing from the register: {1}", {gaps}) << '\n';
    // PDFs the register does not know are no fault (they may predate it), but a register
    // lost beside its receipts must not read as a clean check. Strangers are named so that
    // a file that looks like a receipt to a person but not to the program is seen.
    const Folder_Survey survey = survey_folder();
    for (const auto& stranger : survey.strangers) out << i18n::tr("stranger: {1}", {stranger}) << '\n';
    out << i18n::tr("{1} issued receipts checked: {2} missing, {3} changed; {4}",
                    {std::to_string(checked), std::to_string(missing), std::to_string(changed),
                     unregistered_note(survey.unregistered)})
        << '\n';

    std::vector<std::string> faults;
    if (missing + changed > 0)
        faults.push_back(i18n::tr("{1} of {2} issued receipts are missing or changed",
                                  {std::to_string(missing + changed), std::to_string(checked)}));
    if (refused > 0) faults.push_back(i18n::tr("{1} file names leave the receipt folder", {std::to_string(refused)}));
    if (register_check.broken) faults.push_back(i18n::tr("the register has been changed behind the program's back"));
    if (!gaps.empty()) faults.push_back(i18n::tr("numbers are missing from the register"));
    if (faults.empty()) return 0;
    std::string line;
    for (const auto& fault : faults) line += (line.empty() ? "" : "; ") + fault;
    errors << kProgram << line << '\n';
    return 1;
}
