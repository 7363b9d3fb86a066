#pragma once

#include <memory>
#include <string>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// An .xlsx workbook written through libxlsxwriter. Cells are filled sheet by sheet, and
// the file is written by close(); a workbook destroyed before that writes nothing.
// Every failure throws std::runtime_error naming the file.
class Xlsx_Workbook {
public:
    enum class Style { plain, heading, amount, roc_date };

    class Sheet {
    public:
        // Always a text cell: a value beginning with "=" is shown, never computed.
        void text(int row, int column, const std::string& value, Style style = Style::plain);
        void number(int row, int column, double value, Style style = Style::amount);
        // A real date, shown as the Republic-of-China date 115/11/01.
        void date(int row, int column, int year, int month, int day);
        void column_width(int first, int last, double width);
        // The first row stays in view as the rows below it scroll.
        void keep_heading_in_view();

    private:
        friend class Xlsx_Workbook;
        Sheet(Xlsx_Workbook& workbook, lxw_worksheet* sheet) : workbook_(&workbook), sheet_(sheet) {}
        Xlsx_Workbook* workbook_;
        lxw_worksheet* sheet_;
    };

    explicit Xlsx_Workbook(const std::string& file);
    Xlsx_Workbook(const Xlsx_Workbook&) = delete;
    Xlsx_Workbook& operator=(const Xlsx_Workbook&) = delete;
    ~Xlsx_Workbook();

    Sheet add_sheet(const std::string& name);
    void close();

private:
    struct Free {
        void operator()(lxw_workbook* workbook) const;
    };
    void check(int error) const;
    lxw_format* format(Style style) const;

    std::string file_;
    std::unique_ptr<lxw_workbook, Free> workbook_;
    lxw_format *heading_ = nullptr, *amount_ = nullptr, *roc_date_ = nullptr;
};
