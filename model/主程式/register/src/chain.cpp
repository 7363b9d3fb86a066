#include "chain.hpp"

#include <receipt_register/receipt_files.hpp>
#include <receipt_register/sha256.hpp>

#include <i18n/tr.hpp>

#include <optional>
#include <set>
#include <vector>
#include <string_view>

namespace receipt_register::chain {

namespace {

// What the first record follows.
const std::string kOrigin(64, '0');

const char* name_of(Event event) { return event == Event::issued ? "issued" : "void"; }

// Each field with its length before it, so that no two rows give the same text.
void add_field(std::string& fields, std::string_view value) {
    fields += std::to_string(value.size());
    fields += ':';
    fields += value;
    fields += ';';
}

struct Row {
    std::string status;
    std::string fields;  // what a record of the event covers
};

// Receipt `number`'s row as a record of `event` covers it: for an issue every field and
// product row, the status taken as issued; for a void its reason and time. nullopt
// when the register has no such row.
std::optional<Row> row_of(const sqlite::Connection& connection, long long number, Event event) {
    sqlite::Statement query(connection,
                            "SELECT status, record_date, receipt_date, buyer, tax_number, total, exemption_seal_asked, "
                            "exemption_seal_printed, owner_seal_asked, owner_seal_printed, file_name, sha256, void_reason, "
                            "voided_at FROM receipts WHERE number = ?1");
    query.bind(1, number);
    if (!query.step()) return std::nullopt;
    Row row{query.text(0), {}};
    add_field(row.fields, std::to_string(number));
    add_field(row.fields, name_of(event));
    if (event == Event::voided) {
        add_field(row.fields, query.text(12));
        add_field(row.fields, query.text(13));
        return row;
    }
    for (int column = 1; column <= 11; ++column) add_field(row.fields, query.text(column));
    sqlite::Statement products(connection,
                               "SELECT position, name, quantity, unit_price, amount FROM receipt_rows WHERE number = ?1 "
                               "ORDER BY position");
    products.bind(1, number);
    while (products.step())
        for (int column = 0; column < 5; ++column) add_field(row.fields, products.text(column));
    return row;
}

std::string last_hash(const sqlite::Connection& connection) {
    sqlite::Statement query(connection, "SELECT hash FROM chain ORDER BY sequence DESC LIMIT 1");
    return query.step() ? query.text(0) : kOrigin;
}

bool has_chain(const sqlite::Connection& connection) {
    sqlite::Statement query(connection, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = 'chain'");
    query.step();
    return query.integer(0) != 0;
}

// Why the chain breaks at the record of `event` for `number` with `hash`, after `previous`.
std::optional<std::string> fault_of(const sqlite::Connection& connection, long long number, Event event, const std::string& hash,
                                    const std::string& previous) {
    const std::string receipt = number_text(number);
    const auto row = row_of(connection, number, event);
    if (!row) return i18n::tr("receipt {1} is gone from the register", {receipt});
    if (event == Event::voided && row->status != "void")
        return i18n::tr("receipt {1} was voided, but the register shows it {2}", {receipt, row->status});
    if (event == Event::issued && row->status == "pending")
        return i18n::tr("receipt {1} was issued, but the register shows it {2}", {receipt, row->status});
    if (sha256_of(previous + row->fields) != hash)
        return event == Event::issued ? i18n::tr("receipt {1} has been changed since it was issued", {receipt})
                                      : i18n::tr("the void of receipt {1} has been changed since it was recorded", {receipt});
    return std::nullopt;
}

}  // namespace

void append(sqlite::Connection& connection, long long number, Event event) {
    const auto row = row_of(connection, number, event);
    if (!row) throw Register_Error("receipt register " + connection.path() + ": there is no receipt " + number_text(number) + " to record");
    sqlite::Statement(connection, "INSERT INTO chain (number, event, hash) VALUES (?1, ?2, ?3)")
        .bind(1, number)
        .bind(2, std::string_view(name_of(event)))
        .bind(3, sha256_of(last_hash(connection) + row->fields))
        .run();
}

void start(sqlite::Connection& connection) {
    std::vector<std::pair<long long, bool>> receipts;
    sqlite::Statement query(connection, "SELECT number, status FROM receipts WHERE status != 'pending' ORDER BY number");
    while (query.step()) receipts.emplace_back(query.integer(0), query.text(1) == "void");
    for (const auto& [number, voided] : receipts) {
        append(connection, number, Event::issued);
        if (voided) append(connection, number, Event::voided);
    }
}

Register_Check check(const sqlite::Connection& connection) {
    Register_Check report;
    report.chained = has_chain(connection);
    if (report.chained) {
        std::set<long long> issued, voided;
        std::string previous = kOrigin;
        sqlite::Statement records(connection, "SELECT sequence, number, event, hash FROM chain ORDER BY sequence");
        while (records.step() && !report.broken) {
            ++report.records;
            const long long number = records.integer(1);
            const std::string event = records.text(2), hash = records.text(3);
            const std::optional<std::string> fault =
                event == "issued" || event == "void"
                    ? fault_of(connection, number, event == "issued" ? Event::issued : Event::voided, hash, previous)
                    : i18n::tr("its event {1} is none the program records", {event});
            if (fault) report.broken = i18n::tr("record {1}: {2}", {std::to_string(records.integer(0)), *fault});
            (event == "void" ? voided : issued).insert(number);
            previous = hash;
        }
        // A row added behind the program's back has no record at all.
        sqlite::Statement rows(connection, "SELECT number, status FROM receipts WHERE status != 'pending' ORDER BY number");
        while (!report.broken && rows.step()) {
            const long long number = rows.integer(0);
            if (!issued.contains(number))
                report.broken = i18n::tr("receipt {1} is in the register but not in its chain of records", {number_text(number)});
            else if (rows.text(1) == "void" && !voided.contains(number))
                report.broken = i18n::tr("receipt {1} is void, but its void is not in the chain of records", {number_text(number)});
        }
    }
    sqlite::Statement numbers(connection, "SELECT number FROM receipts ORDER BY number");
    std::optional<long long> before;
    while (numbers.step()) {
        const long long number = numbers.integer(0);
        if (before && number > *before + 1) report.missing_numbers.emplace_back(*before + 1, number - 1);
        before = number;
    }
    return report;
}

}  // namespace receipt_register::chain
