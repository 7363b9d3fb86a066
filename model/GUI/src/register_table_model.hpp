#pragma once

#include <receipt_register/register_listing.hpp>

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <vector>

namespace receipt_window {

// The register's receipts as a table, newest first: number, receipt date in the ROC
// form, buyer, tax number, total, status. The filter selects numbers in SQLite; rows are
// read a page at a time as the view scrolls to them, so that opening and filtering cost
// about the same however large the register is.
class Register_Table_Model : public QAbstractTableModel {
public:
    enum Column { number, day, buyer, tax_number, total, status, column_count };
    static constexpr int kPage = 500;

    explicit Register_Table_Model(QObject* parent = nullptr);

    // Reads the register of the receipt folder `folder` (ending in "/") as it stands now,
    // keeping the filter, and sums the receipts of `month` (YYYY-MM). Shows nothing when
    // the folder has no register; throws Register_Error naming it when it cannot be read.
    void load(const std::string& folder, const std::string& month);
    // Shows the receipts `filter` selects.
    void set_filter(const receipt_register::Listing_Filter& filter);

    // The receipt in `row`; nullptr for a row not shown.
    const receipt_register::Listed_Receipt* receipt_at(int row) const;
    // Every receipt the filter selects, not only the rows read so far.
    const receipt_register::Listing_Sum& shown_sum() const { return shown_sum_; }
    int shown_count() const { return static_cast<int>(shown_.size()); }
    // The numbers of every receipt the filter selects, in the order shown.
    const std::vector<long long>& shown_numbers() const { return shown_; }
    const receipt_register::Listing_Sum& month_sum() const { return month_sum_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    // Selects the numbers and reads the first page; inside a reset of the model.
    void select();
    // The rows of the next page of numbers, read from the register.
    std::vector<receipt_register::Listed_Receipt> next_page();

    std::optional<receipt_register::Receipt_Listing> listing_;
    receipt_register::Listing_Filter filter_;
    std::vector<long long> shown_;
    std::vector<receipt_register::Listed_Receipt> rows_;
    receipt_register::Listing_Sum shown_sum_, month_sum_;
};

}  // namespace receipt_window
