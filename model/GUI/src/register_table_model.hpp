#pragma once

#include <receipt_register/register_listing.hpp>

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <vector>

namespace receipt_window {

// Which receipts the register window shows.
struct Register_Filter {
    // Part of the buyer's name or of the six-digit number; letters in either case.
    std::string text;
    // The receipt date's first and last day, YYYY-MM-DD, either end open.
    std::optional<std::string> from, to;
    bool operator==(const Register_Filter&) const = default;
};

// Receipts and their count and total: those issued count, void ones only in `voided`.
struct Register_Sum {
    long long issued = 0, voided = 0;
    long long total = 0;
};

// The register's receipts as a table, newest first: number, receipt date in the ROC
// form, buyer, tax number, total, status. The receipts are held in memory with a search
// key each, so that filtering a large register never goes back to the file; rows reach
// the view a page at a time as it scrolls, so that showing them costs the same however
// many pass the filter.
class Register_Table_Model : public QAbstractTableModel {
public:
    enum Column { number, day, buyer, tax_number, total, status, column_count };
    static constexpr int kPage = 500;

    explicit Register_Table_Model(QObject* parent = nullptr);

    // Takes the receipts, newest first, and counts those of `month` (YYYY-MM).
    void set_receipts(std::vector<receipt_register::Listed_Receipt> receipts, const std::string& month);
    // Shows the receipts `filter` lets through.
    void set_filter(const Register_Filter& filter);

    // The receipt in `row`; nullptr for a row not shown.
    const receipt_register::Listed_Receipt* receipt_at(int row) const;
    // The receipts that pass the filter, all of them, not only the rows loaded so far.
    const Register_Sum& shown_sum() const { return shown_sum_; }
    int shown_count() const { return static_cast<int>(shown_.size()); }
    const Register_Sum& month_sum() const { return month_sum_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void refilter(const std::vector<int>& candidates);

    std::vector<receipt_register::Listed_Receipt> receipts_;
    // Per receipt: its number's digits and its buyer, letters in lower case.
    std::vector<std::string> search_keys_;
    std::vector<int> shown_;
    int loaded_ = 0;
    Register_Filter filter_;
    Register_Sum shown_sum_, month_sum_;
};

}  // namespace receipt_window
