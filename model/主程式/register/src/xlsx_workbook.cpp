#include "xlsx_workbook.hpp"

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>

#include <xlsxwriter.h>

#include <fstream>
#include <stdexcept>

void Xlsx_Workbook::Free::operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }

Xlsx_Workbook::Xlsx_Workbook(const std::string& file) : file_(file) {
    // libxlsxwriter opens the file only at the end and then prints its own lines on standard
    // error; a file that cannot be written is found here, before any work, in one sentence.
    if (!std::ofstream(platform::to_path(file), std::ios::binary | std::ios::app))
        throw std::runtime_error(i18n::tr("cannot write {1}", {file}));
    // Rows go to a scratch file as they are written, so that a register of years does not
    // stand in memory twice; rows are written in order, which is all this asks.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    workbook_.reset(workbook_new_opt(file.c_str(), &options));
    if (!workbook_) throw std::runtime_error(i18n::tr("cannot write {1}", {file}));
    heading_ = workbook_add_format(workbook_.get());
    amount_ = workbook_add_format(workbook_.get());
    roc_date_ = workbook_add_format(workbook_.get());
    if (!heading_ || !amount_ || !roc_date_) throw std::runtime_error(i18n::tr("cannot write {1}", {file}));
    format_set_bold(heading_);
    format_set_num_format(amount_, "#,##0");
    // e is the year of the Republic of China in the zh-TW locale.
    format_set_num_format(roc_date_, "[$-zh-TW]e/mm/dd");
}

Xlsx_Workbook::~Xlsx_Workbook() = default;

void Xlsx_Workbook::check(int error) const {
    if (error != LXW_NO_ERROR)
        throw std::runtime_error(i18n::tr("cannot write {1}: {2}", {file_, lxw_strerror(static_cast<lxw_error>(error))}));
}

lxw_format* Xlsx_Workbook::format(Style style) const {
    switch (style) {
    case Style::heading: return heading_;
    case Style::amount: return amount_;
    case Style::roc_date: return roc_date_;
    case Style::plain: break;
    }
    return nullptr;
}

Xlsx_Workbook::Sheet Xlsx_Workbook::add_sheet(const std::string& name) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook_.get(), name.c_str());
    if (!sheet) throw std::runtime_error(i18n::tr("cannot write {1}", {file_}));
    return Sheet(*this, sheet);
}

void Xlsx_Workbook::close() {
    // workbook_close frees the workbook whether or not the file could be written.
    const lxw_error error = workbook_close(workbook_.release());
    check(error);
}

void Xlsx_Workbook::Sheet::text(int row, int column, const std::string& value, Style style) {
    workbook_->check(worksheet_write_string(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column), value.c_str(),
                                            workbook_->format(style)));
}

void Xlsx_Workbook::Sheet::number(int row, int column, double value, Style style) {
    workbook_->check(
        worksheet_write_number(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column), value, workbook_->format(style)));
}

void Xlsx_Workbook::Sheet::date(int row, int column, int year, int month, int day) {
    lxw_datetime when = {year, month, day, 0, 0, 0};
    workbook_->check(worksheet_write_datetime(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column), &when,
                                              workbook_->roc_date_));
}

void Xlsx_Workbook::Sheet::column_width(int first, int last, double width) {
    workbook_->check(worksheet_set_column(sheet_, static_cast<lxw_col_t>(first), static_cast<lxw_col_t>(last), width, nullptr));
}

void Xlsx_Workbook::Sheet::keep_heading_in_view() { worksheet_freeze_panes(sheet_, 1, 0); }
