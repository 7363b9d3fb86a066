#include "receipt_job.hpp"

#include "amounts.hpp"
#include "full_disk.hpp"
#include "log_lines.hpp"
#include "numbering.hpp"
#include "receipt_file_name.hpp"
#include "seals.hpp"
#include "writable_folder.hpp"

#include <i18n/tr.hpp>
#include <platform/clock.hpp>
#include <platform/private_files.hpp>
#include <platform/root_folder.hpp>
#include <receipt_channels/request_rules.hpp>
#include <receipt_channels/whole_number.hpp>
#include <receipt_register/receipt_files.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <thread>

namespace receipt_worker {
namespace {

namespace fs = std::filesystem;

constexpr const char* kVersion = "免用統一發票收據001";
// Set after the 48 others, once the number has been chosen under the lock.
constexpr const char* kNumberPlaceholder = "$$$K$$$";

// Sizes that read well in the template's cells; the engine's default of 8 pt is too
// small beside the template's 12 pt labels.
const docx_loom::Length kValueSize = docx_loom::Pt(12);
const docx_loom::Length kNumeralSize = docx_loom::Pt(16);

std::string number_text(int n) { return std::to_string(n); }

void copy_notice(const std::string& resource_folder, const Folders& folders) {
    const auto target = platform::to_path(folders.notice_folder + "版權宣告.pdf");
    std::error_code ec;
    if (fs::exists(target, ec)) return;
    try {
        const auto source = platform::to_path(resource_folder + "版權宣告.pdf");
        fs::copy_file(source, target);
        fs::last_write_time(target, fs::last_write_time(source));
        fs::permissions(target, fs::status(source).permissions());
    } catch (const std::exception& error) {
        log::notice_not_copied(error.what());
    }
}

// What queuing a receipt found out that its record keeps, and what the owner should
// look at: seals asked for that cannot be printed.
struct Queued_Receipt {
    ProductRows rows;
    bool exemption_seal_printed = false;
    bool owner_seal_printed = false;
    std::vector<std::string> warnings;
};

// The boxes the template prints the seals in.
constexpr Printed_Box kExemptionSealBox{.width = 1.3189, .height = 1.2};
constexpr Printed_Box kOwnerSealBox{.width = 0.4173, .height = 0.4173};

// The seal's picture, scaled to `box`, when it is asked for and can be printed;
// otherwise a warning joins `warnings` when it was asked for.
std::optional<std::string> seal_picture(bool asked, const std::string& folder, const std::string& stem, Printed_Box box,
                                        Seal_Cache& cache, std::vector<std::string>& warnings) {
    if (!asked) return std::nullopt;
    Seal seal = find_seal(folder, stem);
    if (seal.warning) warnings.push_back(*seal.warning);
    if (!seal.picture) return std::nullopt;
    return cache.picture_for(*seal.picture, box);
}

// Queues the 48 placeholders in their fixed order.
Queued_Receipt queue_receipt(docx_loom::Document& document, const ReceiptRequest& request, const Folders& folders,
                             Seal_Cache& seals) {
    using docx_loom::SetOptions;
    std::vector<std::string> warnings;
    const auto exemption_seal =
        seal_picture(request.show_exemption_seal, folders.seals, "免用統一發票章", kExemptionSealBox, seals, warnings);
    const auto owner_seal = seal_picture(request.show_owner_seal, folders.seals, "負責人章", kOwnerSealBox, seals, warnings);
    document.set("$$$I$$$", "", SetOptions{.image_path = exemption_seal, .image_height = kExemptionSealBox.height,
                                           .image_width = kExemptionSealBox.width});
    document.set("$$$J$$$", "", SetOptions{.image_path = owner_seal, .image_height = kOwnerSealBox.height,
                                           .image_width = kOwnerSealBox.width});

    const SetOptions value{.new_font_size = kValueSize};
    const auto tax_cells = tax_number_cells(request.tax_number);
    for (int j : tax_number_order(request.tax_number))
        document.set("$$$A" + number_text(j) + "$$$", tax_cells[static_cast<std::size_t>(j - 1)], value);

    const auto dates = date_cells(request.date, request.show_date);
    for (int j = 1; j <= 3; ++j)
        document.set("$$$B" + number_text(j) + "$$$", dates[static_cast<std::size_t>(j - 1)], value);

    document.set("$$$C1$$$", request.buyer, SetOptions{.new_font_size = kValueSize, .new_alignment = "left"});

    const ProductRows rows = product_rows(request);
    const std::pair<const char*, const std::array<std::string, kPrintedRows>*> columns[] = {
        {"$$$D", &rows.names}, {"$$$E", &rows.quantities}, {"$$$F", &rows.unit_prices}, {"$$$G", &rows.amounts}};
    for (const auto& [prefix, cells] : columns)
        for (std::size_t i = 0; i < kPrintedRows; ++i)
            document.set(prefix + number_text(static_cast<int>(i + 1)) + "$$$", (*cells)[i], value);

    const auto numerals = numeral_cells(rows.total);
    for (std::size_t i = 0; i < numerals.size(); ++i)
        document.set("$$$H" + number_text(static_cast<int>(i + 1)) + "$$$", numerals[i],
                     SetOptions{.new_font_size = kNumeralSize});
    return {rows, exemption_seal.has_value(), owner_seal.has_value(), std::move(warnings)};
}

// "No. 000123": six digits at least, as in the file name.
std::string printed_number(long long number) { return "No. " + receipt_register::number_text(number); }

// Where a receipt's number goes; a preview's has none.
void set_number(docx_loom::Document& document, const std::string& printed) {
    document.set(kNumberPlaceholder, printed,
                 docx_loom::SetOptions{.new_font_size = docx_loom::Pt(12), .new_alignment = "right"});
}

constexpr const char* kUnnumbered = "No. ------";
// Across every page of a preview, behind the text, so that a printed or saved one never
// passes for a receipt; in the receipt's own face.
constexpr const char* kPreviewMark = "預覽";
constexpr const char* kMarkFont = "標楷體";

std::string iso_date(const Date& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

receipt_register::Receipt_Record record_of(const ReceiptRequest& request, const Queued_Receipt& queued, const Date& today,
                                           const std::string& file_name) {
    receipt_register::Receipt_Record record;
    record.record_date = iso_date(today);
    record.receipt_date = request.show_date ? iso_date(request.date) : "";
    record.buyer = request.buyer;
    record.tax_number = request.tax_number;
    for (std::size_t i = 0; i < request.names.size(); ++i) {
        // product_rows has read every one of these as a whole number already.
        record.rows.push_back({queued.rows.names[i], read_whole_number(queued.rows.quantities[i]).value_or(0),
                               read_whole_number(queued.rows.unit_prices[i]).value_or(0),
                               read_whole_number(queued.rows.amounts[i]).value_or(0)});
    }
    record.total = queued.rows.total;
    record.exemption_seal_asked = request.show_exemption_seal;
    record.exemption_seal_printed = queued.exemption_seal_printed;
    record.owner_seal_asked = request.show_owner_seal;
    record.owner_seal_printed = queued.owner_seal_printed;
    record.file_name = file_name;
    return record;
}

}  // namespace

Folders Folders::under_root() {
    Folders folders;
    folders.root = platform::root_folder();
    folders.output = receipt_register::receipt_folder();
    folders.seals = folders.output + "印章/";
    folders.working = folders.root + "temp/";
    folders.notice_folder = folders.working + "免用統一發票收據/";
    folders.previews = folders.working + "預覽/";
    return folders;
}

Receipt_Job::Receipt_Job(const std::string& resource_folder)
    : folders_(Folders::under_root()), issuer_(folders_.output), seals_(folders_.working) {
    for (const auto* folder :
         {&folders_.root, &folders_.output, &folders_.seals, &folders_.working, &folders_.notice_folder, &folders_.previews}) {
        std::error_code ignored;  // an existing folder, or one we may not create, is passed over
        platform::create_private_folder(platform::to_path(*folder), ignored);
    }
    // The batch's standard error; a window hears of it on its notice queue as well.
    issuer_.patience.on_waiting = [] {
        std::cerr << i18n::tr("waiting for another program that is writing a receipt…") << std::endl;
    };
    copy_notice(resource_folder, folders_);
    remove_leftover_seal_copies(folders_.working);
    remove_previews();  // of a program that was killed
    document_.set_word_version_path(kVersion, resource_folder + "格式範本001.docx");
    document_.pdf_press.start_converter(document_.version_path.at(kVersion));
    try {
        issuer_.recover();
    } catch (const std::exception&) {
        // Every pass recovers first as well, and reports what stops it there.
    }
}

ReceiptOutcome Receipt_Job::make(const nlohmann::json& taken) {
    const Date now = platform::local_today();
    ReceiptRequest request;
    try {
        request = read_request(taken, now);
    } catch (const UnreadableRequest& error) {
        log::unreadable_request(taken);
        return {false, "", error.what()};
    } catch (const RefusedRequest& error) {
        log::pass_failed(error.what());
        return {false, "", error.what()};
    }

    try {
        require_writable_folder(folders_.output, folders_.root);
        document_.run_version(kVersion, folders_.output);
        Queued_Receipt queued = queue_receipt(document_, request, folders_, seals_);
        if (!request.tax_number.empty() && !request_rules::passes_check_digit(request.tax_number))
            queued.warnings.push_back(request_rules::check_digit_warning(request.tax_number));
        const auto issued = issuer_.issue([&](long long number, const std::string& scratch) {
            set_number(document_, printed_number(number));
            const std::string name = receipt_file_name(number, request.buyer, request.tax_number, now);
            for (const auto& taken_name : {folders_.output + name + ".pdf", folders_.output + name + ".docx"})
                if (fs::exists(platform::to_path(taken_name)))
                    throw std::runtime_error(
                        i18n::tr("a receipt named {1} already exists; it is left as it is", {taken_name}));
            document_.execute_set();
            // Filled and converted in the scratch folder: nothing takes a final name
            // before the receipt is complete and recorded.
            const std::string docx = scratch + name + ".docx", pdf = scratch + name + ".pdf";
            document_.doc->save(platform::to_path(docx));
            issuer_.reached(Issue_Step::saved);
            document_.pdf_press.convert(docx, pdf, true);
            issuer_.reached(Issue_Step::converted);
            return Prepared_Receipt{record_of(request, queued, now, name + ".pdf"), pdf};
        });
        const std::string pdf = folders_.output + issued.record.file_name;
        if (issued.unmarked)
            queued.warnings.push_back(
                i18n::tr("the register could not mark receipt {1} issued ({2}); its row stays pending and is marked issued "
                         "at the next start or the next receipt",
                         {printed_number(issued.record.number), *issued.unmarked}));
        log::finished(pdf);
        document_.delete_();
        log::next_request();
        return {true, pdf, "", issued.record.number, queued.warnings};
    } catch (const std::exception& error) {
        const std::string reason = full_disk_reason({folders_.output, folders_.working}).value_or(error.what());
        log::pass_failed(reason);
        return {false, "", reason};
    }
}

std::optional<PreviewOutcome> Receipt_Job::preview(const nlohmann::json& asked, const std::function<bool()>& give_way) {
    PreviewOutcome outcome;
    const std::string base = folders_.previews + "預覽-";
    std::string docx, pdf;
    try {
        outcome.id = asked.at("id").get<long long>();
        const ReceiptRequest request = read_request(asked.at("request"), platform::local_today());
        docx = base + std::to_string(outcome.id) + ".docx";
        pdf = base + std::to_string(outcome.id) + ".pdf";
        document_.run_version(kVersion, folders_.previews);
        queue_receipt(document_, request, folders_, seals_);
        set_number(document_, kUnnumbered);
        document_.execute_set();
        // The conversion is most of a preview's time, and a receipt would wait for all of it.
        if (give_way && give_way()) {
            document_.delete_();
            return std::nullopt;
        }
        document_.doc->add_watermark(kPreviewMark, kMarkFont);
        document_.doc->save(platform::to_path(docx));
        document_.pdf_press.convert(docx, pdf, true);
        outcome.made = true;
        outcome.pdf_path = pdf;
    } catch (const std::exception& error) {
        outcome.error = error.what();
        std::error_code ignored;
        if (!pdf.empty()) fs::remove(platform::to_path(pdf), ignored);
    }
    std::error_code ignored;
    if (!docx.empty()) fs::remove(platform::to_path(docx), ignored);
    // A receipt pass queues every placeholder again; nothing of a preview stays for it.
    document_.delete_();
    return outcome;
}

void Receipt_Job::remove_previews() const {
    std::error_code ec;
    for (fs::directory_iterator entry(platform::to_path(folders_.previews), ec), end; !ec && entry != end;
         entry.increment(ec)) {
        std::error_code ignored;
        fs::remove(entry->path(), ignored);
    }
}

namespace {

// Makes the newest preview asked for, one after another, until a receipt request waits.
// A preview that gave way to a receipt is kept in `deferred` and made after it, unless a
// newer one is asked for meanwhile.
void serve_previews(Receipt_Job& job, Queue& requests, Queue& previews, Queue& done, const Event& end,
                    std::optional<nlohmann::json>& deferred) {
    const auto receipt_waits = [&] { return !requests.empty() || end.is_set(); };
    for (;;) {
        const std::uint64_t seen = requests.wakes();
        if (receipt_waits()) return;
        if (auto newer = previews.take_newest()) deferred = std::move(newer);
        if (deferred) {
            const nlohmann::json asked = *deferred;
            if (const auto outcome = job.preview(asked, receipt_waits)) {
                deferred.reset();
                done.put(*outcome);
            }
            continue;
        }
        requests.wait_for_item_or_wake(seen);
    }
}

}  // namespace

void run_receipts(Receipt_Job& job, Queue_All_variable& queues, Event_All_variable& events) {
    Queue& requests = queues.at("get_receipt");
    Event& busy = events.at("get_receipt");
    const Event& end = events.at("end");
    if (const auto notices = queues.find("notice"); notices != queues.end())
        job.issuer().patience.on_waiting = [&notice = notices->second] {
            const std::string waiting = i18n::tr("waiting for another program that is writing a receipt…");
            std::cerr << waiting << std::endl;
            notice.put(waiting);
        };
    const auto previews = queues.find("preview"), previews_done = queues.find("preview_done");
    const bool previewing = previews != queues.end() && previews_done != queues.end();
    std::optional<nlohmann::json> deferred_preview;
    for (;;) {
        // Idle only when nothing waits: a request queued during the pass keeps the window
        // from sending another.
        requests.clear_when_empty(busy);
        if (previewing) serve_previews(job, requests, previews->second, previews_done->second, end, deferred_preview);
        const nlohmann::json request = requests.get();
        if (end.is_set()) {
            job.remove_previews();
            return;
        }
        busy.set();  // a queue linked to the flag has set it already
        const ReceiptOutcome outcome = job.make(request);
        queues.at("outcome").put(outcome);
        if (!outcome.written) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

}  // namespace receipt_worker
