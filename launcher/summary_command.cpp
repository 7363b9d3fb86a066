#include "summary_command.hpp"

#include "csv.hpp"
#include "text_table.hpp"

#include <i18n/tr.hpp>
#include <platform/clock.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/monthly_totals.hpp>
#include <receipt_register/receipt_files.hpp>

#include <fstream>

namespace {

using receipt_register::Month_Total;

// Years below the first Republic-of-China year's Gregorian number are read as ROC years.
constexpr int kFirstRocYear = 1912;

// "115年11月", as the owner and the tax office count months.
std::string month_text(const Month_Total& line) {
    return std::to_string(line.year - kFirstRocYear + 1) + "年" + (line.month < 10 ? "0" : "") + std::to_string(line.month) + "月";
}

std::vector<std::vector<std::string>> rows_of(const std::vector<Month_Total>& totals, bool by_buyer) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back(by_buyer ? std::vector<std::string>{"月份", "買受人", "統一編號", "開立張數", "作廢張數", "開立總額"}
                            : std::vector<std::string>{"月份", "開立張數", "作廢張數", "開立總額"});
    for (const auto& line : totals) {
        std::vector<std::string> row{month_text(line)};
        if (by_buyer) row.insert(row.end(), {line.buyer, line.tax_number});
        row.insert(row.end(), {std::to_string(line.issued), std::to_string(line.voided), std::to_string(line.total)});
        rows.push_back(std::move(row));
    }
    return rows;
}

void write_csv(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
    out << "\xEF\xBB\xBF";  // the byte-order mark by which spreadsheet programs know UTF-8
    for (const auto& row : rows) write_csv_row(out, row);
}

}  // namespace

CLI::App* add_summary_command(CLI::App& app, Summary_Options& options) {
    CLI::App* summary = app.add_subcommand("summary", i18n::tr("per month: receipts issued and void, and the total of those issued"));
    summary->add_option("--year", options.year, i18n::tr("only this year (2026, or 115 as the Republic of China counts)"))
        ->type_name("Y")
        ->check(CLI::Range(1, 9999));
    summary->add_option("--month", options.month, i18n::tr("only this month; of this year unless --year is given"))
        ->type_name("M")
        ->check(CLI::Range(1, 12));
    summary->add_option("--csv", options.csv, i18n::tr("write CSV for a spreadsheet to FILE (- for standard output)"))->type_name("FILE|-");
    summary->add_flag("--by-buyer", options.by_buyer, i18n::tr("one line per buyer within each month"));
    return summary;
}

int run_summary(const Summary_Options& options, std::ostream& out, std::ostream& errors) {
    receipt_register::Totals_Filter filter{options.year, options.month, options.by_buyer};
    if (filter.year && *filter.year < kFirstRocYear) *filter.year += kFirstRocYear - 1;
    if (filter.month && !filter.year) filter.year = platform::local_today().year;
    const auto totals = receipt_register::monthly_totals(receipt_register::receipt_folder(), filter);
    auto rows = rows_of(totals, options.by_buyer);

    if (!options.csv) {
        Month_Total sum;
        for (const auto& line : totals) {
            sum.issued += line.issued;
            sum.voided += line.voided;
            sum.total += line.total;
        }
        std::vector<std::string> last{"合計"};
        if (options.by_buyer) last.insert(last.end(), {"", ""});
        last.insert(last.end(), {std::to_string(sum.issued), std::to_string(sum.voided), std::to_string(sum.total)});
        rows.push_back(std::move(last));
        write_text_table(out, rows);
        return 0;
    }
    if (*options.csv == "-") {
        write_csv(out, rows);
        return 0;
    }
    std::ofstream file(platform::to_path(*options.csv), std::ios::binary);
    if (file) write_csv(file, rows);
    if (!file || !file.flush()) {
        errors << "tarnwickery-receipt: " << i18n::tr("cannot write {1}", {*options.csv}) << '\n';
        return 1;
    }
    out << i18n::tr("wrote {1} lines of totals to {2}", {std::to_string(totals.size()), *options.csv}) << '\n';
    return 0;
}
