#include "register_table_model.hpp"

#include <receipt_channels/request_rules.hpp>

#include <i18n/tr.hpp>
#include <receipt_register/receipt_files.hpp>

#include <QLocale>

#include <algorithm>

namespace receipt_window {

Register_Table_Model::Register_Table_Model(QObject* parent) : QAbstractTableModel(parent) {}

void Register_Table_Model::load(const std::string& folder, const std::string& month) {
    beginResetModel();
    // Nothing is shown of a register that cannot be read, rather than what it held before.
    listing_.reset();
    shown_.clear();
    rows_.clear();
    shown_sum_ = month_sum_ = {};
    try {
        listing_ = receipt_register::Receipt_Listing::open(folder);
        if (listing_) {
            month_sum_ = listing_->sum({.from = month + "-01", .to = month + "-31"});
            select();
        }
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void Register_Table_Model::set_filter(const receipt_register::Listing_Filter& filter) {
    if (filter == filter_) return;
    filter_ = filter;
    if (!listing_) return;
    beginResetModel();
    try {
        select();
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void Register_Table_Model::select() {
    shown_ = listing_->numbers(filter_, shown_sum_);
    rows_.clear();
    rows_ = next_page();
}

std::vector<receipt_register::Listed_Receipt> Register_Table_Model::next_page() {
    const auto first = shown_.begin() + static_cast<std::ptrdiff_t>(rows_.size());
    const auto last = first + std::min<std::ptrdiff_t>(kPage, shown_.end() - first);
    return listing_->receipts({first, last});
}

const receipt_register::Listed_Receipt* Register_Table_Model::receipt_at(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    return &rows_[static_cast<std::size_t>(row)];
}

int Register_Table_Model::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }

int Register_Table_Model::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : column_count; }

QVariant Register_Table_Model::data(const QModelIndex& index, int role) const {
    const auto* receipt = receipt_at(index.row());
    if (!receipt) return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == total ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case number: return QString::fromStdString(receipt_register::number_text(receipt->number));
    case day: return QString::fromStdString(request_rules::roc_date_text(receipt->day));
    case buyer: return QString::fromStdString(receipt->buyer);
    case tax_number: return QString::fromStdString(receipt->tax_number);
    case total: return QLocale(QLocale::English).toString(receipt->total);
    case status: return QString::fromStdString(receipt->voided ? i18n::tr("void") : i18n::tr("issued"));
    default: return {};
    }
}

QVariant Register_Table_Model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case number: return QString::fromStdString(i18n::tr("Number"));
    case day: return QString::fromStdString(i18n::tr("Receipt date"));
    case buyer: return QString::fromStdString(i18n::tr("Buyer"));
    case tax_number: return QString::fromStdString(i18n::tr("Tax number"));
    case total: return QString::fromStdString(i18n::tr("Total"));
    case status: return QString::fromStdString(i18n::tr("Status"));
    default: return {};
    }
}

bool Register_Table_Model::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && rows_.size() < shown_.size();
}

void Register_Table_Model::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    auto page = next_page();
    // Receipts are never taken out of a register; should the file have been replaced,
    // the rows end where it ends.
    if (page.empty()) {
        shown_.resize(rows_.size());
        return;
    }
    const int before = static_cast<int>(rows_.size());
    beginInsertRows({}, before, before + static_cast<int>(page.size()) - 1);
    for (auto& receipt : page) rows_.push_back(std::move(receipt));
    endInsertRows();
}

}  // namespace receipt_window
