#include <receipt_register/receipt_workbook.hpp>

#include "xlsx_workbook.hpp"

#include <receipt_register/receipt_files.hpp>

#include <cstdio>

namespace receipt_register {

namespace {

// A YYYY-MM-DD date as a real date; text that is none is kept as text, and an empty one
// leaves the cell empty.
void write_date(Xlsx_Workbook::Sheet& sheet, int row, int column, const std::string& date) {
    int year = 0, month = 0, day = 0;
    char end = 0;
    if (std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) == 3 && date.size() == 10)
        sheet.date(row, column, year, month, day);
    else if (!date.empty())
        sheet.text(row, column, date);
}

}  // namespace

std::string status_text(Receipt_Status status) { return status == Receipt_Status::voided ? "作廢" : "已開立"; }

std::string product_names(const Receipt_Record& record) {
    std::string names;
    for (const auto& row : record.rows) names += (names.empty() ? "" : "、") + row.name;
    return names;
}

void write_receipt_workbook(const std::string& file, const std::vector<Receipt_Record>& records) {
    Xlsx_Workbook workbook(file);
    Xlsx_Workbook::Sheet receipts = workbook.add_sheet("收據");
    const char* headings[] = {"編號", "記錄日期", "收據日期", "買受人", "統一編號", "品名", "總計", "狀態", "作廢原因"};
    for (int column = 0; column < 9; ++column) receipts.text(0, column, headings[column], Xlsx_Workbook::Style::heading);
    long long issued_total = 0;
    int row = 1;
    for (const auto& r : records) {
        receipts.text(row, 0, number_text(r.number));
        write_date(receipts, row, 1, r.record_date);
        write_date(receipts, row, 2, r.receipt_date);
        receipts.text(row, 3, r.buyer);
        receipts.text(row, 4, r.tax_number);
        receipts.text(row, 5, product_names(r));
        receipts.number(row, 6, static_cast<double>(r.total));
        receipts.text(row, 7, status_text(r.status));
        receipts.text(row, 8, r.void_reason);
        if (r.status == Receipt_Status::issued) issued_total += r.total;
        ++row;
    }
    receipts.text(row, 5, "合計（不含作廢）", Xlsx_Workbook::Style::heading);
    receipts.number(row, 6, static_cast<double>(issued_total));
    receipts.column_width(0, 2, 11);
    receipts.column_width(3, 3, 24);
    receipts.column_width(4, 4, 11);
    receipts.column_width(5, 5, 30);
    receipts.column_width(6, 7, 10);
    receipts.column_width(8, 8, 24);
    receipts.keep_heading_in_view();

    Xlsx_Workbook::Sheet files = workbook.add_sheet("檔案");
    const char* file_headings[] = {"編號", "檔名", "SHA-256"};
    for (int column = 0; column < 3; ++column) files.text(0, column, file_headings[column], Xlsx_Workbook::Style::heading);
    row = 1;
    for (const auto& r : records) {
        files.text(row, 0, number_text(r.number));
        files.text(row, 1, r.file_name);
        files.text(row, 2, r.sha256);
        ++row;
    }
    files.column_width(0, 0, 9);
    files.column_width(1, 1, 40);
    files.column_width(2, 2, 66);
    files.keep_heading_in_view();
    workbook.close();
}

}  // namespace receipt_register
