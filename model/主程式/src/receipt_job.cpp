#include "receipt_job.hpp"

#include "amounts.hpp"
#include "log_lines.hpp"
#include "numbering.hpp"

#include <platform/clock.hpp>
#include <platform/root_folder.hpp>

#include <chrono>
#include <filesystem>
#include <thread>

namespace receipt_worker {
namespace {

namespace fs = std::filesystem;

constexpr const char* kVersion = "免用統一發票收據001";
constexpr const char* kReceiptPrefix = "免用統一發票收據";

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

// Queues the 48 placeholders in their fixed order.
void queue_receipt(docx_loom::Document& document, const ReceiptRequest& request, const Folders& folders) {
    using docx_loom::SetOptions;
    const auto exemption_seal = request.show_exemption_seal ? find_seal(folders.seals, "免用統一發票章") : std::nullopt;
    const auto owner_seal = request.show_owner_seal ? find_seal(folders.seals, "負責人章") : std::nullopt;
    document.set("$$$I$$$", "", SetOptions{.image_path = exemption_seal, .image_height = 1.2, .image_width = 1.3189});
    document.set("$$$J$$$", "", SetOptions{.image_path = owner_seal, .image_height = 0.4173, .image_width = 0.4173});

    const auto tax_cells = tax_number_cells(request.tax_number);
    for (int j : tax_number_order(request.tax_number))
        document.set("$$$A" + number_text(j) + "$$$", tax_cells[static_cast<std::size_t>(j - 1)]);

    const auto dates = date_cells(request.date, request.show_date);
    for (int j = 1; j <= 3; ++j) document.set("$$$B" + number_text(j) + "$$$", dates[static_cast<std::size_t>(j - 1)]);

    document.set("$$$C1$$$", request.buyer, SetOptions{.new_font_size = docx_loom::Pt(12), .new_alignment = "left"});

    const ProductRows rows = product_rows(request);
    const std::pair<const char*, const std::array<std::string, kPrintedRows>*> columns[] = {
        {"$$$D", &rows.names}, {"$$$E", &rows.quantities}, {"$$$F", &rows.unit_prices}, {"$$$G", &rows.amounts}};
    for (const auto& [prefix, cells] : columns)
        for (std::size_t i = 0; i < kPrintedRows; ++i)
            document.set(prefix + number_text(static_cast<int>(i + 1)) + "$$$", (*cells)[i]);

    const auto numerals = numeral_cells(rows.total);
    for (std::size_t i = 0; i < numerals.size(); ++i)
        document.set("$$$H" + number_text(static_cast<int>(i + 1)) + "$$$", numerals[i]);
}

}  // namespace

Folders Folders::under_root() {
    Folders folders;
    folders.root = platform::root_folder();
    folders.output = folders.root + "免用統一發票收據/";
    folders.seals = folders.output + "印章/";
    folders.working = folders.root + "temp/";
    folders.notice_folder = folders.working + "免用統一發票收據/";
    return folders;
}

std::optional<std::string> find_seal(const std::string& folder, const std::string& stem) {
    for (const auto& entry : fs::directory_iterator(platform::to_path(folder))) {
        const std::string name = platform::from_path(entry.path().filename());
        if (name.substr(0, name.find('.')) == stem && entry.is_regular_file()) return folder + name;
    }
    return std::nullopt;
}

Receipt_Job::Receipt_Job(const std::string& resource_folder) : folders_(Folders::under_root()) {
    for (const auto* folder : {&folders_.root, &folders_.output, &folders_.seals, &folders_.working, &folders_.notice_folder}) {
        std::error_code ignored;  // an existing folder, or one we may not create, is passed over
        fs::create_directory(platform::to_path(*folder), ignored);
    }
    copy_notice(resource_folder, folders_);
    document_.set_word_version_path(kVersion, resource_folder + "格式範本001.docx");
}

ReceiptOutcome Receipt_Job::make(const nlohmann::json& taken) {
    const Date now = platform::local_today();
    ReceiptRequest request;
    try {
        request = read_request(taken, now);
    } catch (const UnreadableRequest& error) {
        log::unreadable_request(taken);
        return {false, "", error.what()};
    }

    try {
        document_.run_version(kVersion, folders_.output);
        queue_receipt(document_, request, folders_);
        const long long number = data_name_number(kReceiptPrefix, folders_.output);
        const std::string name = receipt_file_name(number, request.buyer, request.tax_number, now);
        const std::string pdf = folders_.output + name + ".pdf";
        for (const auto& taken_name : {pdf, folders_.output + name + ".docx"})
            if (fs::exists(platform::to_path(taken_name)))
                throw std::runtime_error("a receipt named " + taken_name + " already exists; it is left as it is");
        document_.execute_set();
        document_.output(name, true, false);
        document_.delete_();
        log::next_request();
        return {true, pdf, ""};
    } catch (const std::exception& error) {
        log::pass_failed(error.what());
        return {false, "", error.what()};
    }
}

void run_receipts(Receipt_Job& job, Queue_All_variable& queues, Event_All_variable& events) {
    Queue& requests = queues.at("get_receipt");
    Event& busy = events.at("get_receipt");
    const Event& end = events.at("end");
    for (;;) {
        busy.clear();
        const nlohmann::json request = requests.get();
        if (end.is_set()) return;
        busy.set();
        if (!job.make(request).written) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

}  // namespace receipt_worker
