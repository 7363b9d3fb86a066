#include "register_table_model.hpp"

#include "register_dates.hpp"

#include <i18n/tr.hpp>
#include <receipt_register/receipt_files.hpp>

#include <QLocale>

#include <algorithm>
#include <numeric>

namespace receipt_window {

namespace {

std::string lower_ascii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void count(Register_Sum& sum, const receipt_register::Listed_Receipt& receipt) {
    if (receipt.voided) {
        ++sum.voided;
        return;
    }
    ++sum.issued;
    sum.total += receipt.total;
}

}  // namespace

Register_Table_Model::Register_Table_Model(QObject* parent) : QAbstractTableModel(parent) {}

void Register_Table_Model::set_receipts(std::vector<receipt_register::Listed_Receipt> receipts, const std::string& month) {
    beginResetModel();
    receipts_ = std::move(receipts);
    search_keys_.clear();
    search_keys_.reserve(receipts_.size());
    month_sum_ = {};
    for (const auto& receipt : receipts_) {
        // The separator keeps a search from matching across the number and the name.
        search_keys_.push_back(receipt_register::number_text(receipt.number) + '\n' + lower_ascii(receipt.buyer));
        if (receipt.day.starts_with(month)) count(month_sum_, receipt);
    }
    std::vector<int> all(receipts_.size());
    std::iota(all.begin(), all.end(), 0);
    refilter(all);
    endResetModel();
}

void Register_Table_Model::set_filter(const Register_Filter& filter) {
    Register_Filter wanted = filter;
    wanted.text = lower_ascii(wanted.text);
    if (wanted == filter_) return;
    // Typing on narrows the rows already shown: only they can still match.
    const bool narrower = wanted.from == filter_.from && wanted.to == filter_.to &&
                          wanted.text.find(filter_.text) != std::string::npos;
    filter_ = std::move(wanted);
    beginResetModel();
    if (narrower) {
        refilter(std::vector<int>(shown_));
    } else {
        std::vector<int> all(receipts_.size());
        std::iota(all.begin(), all.end(), 0);
        refilter(all);
    }
    endResetModel();
}

void Register_Table_Model::refilter(const std::vector<int>& candidates) {
    shown_.clear();
    shown_sum_ = {};
    for (const int i : candidates) {
        const auto& receipt = receipts_[static_cast<std::size_t>(i)];
        if (filter_.from && receipt.day < *filter_.from) continue;
        if (filter_.to && receipt.day > *filter_.to) continue;
        if (!filter_.text.empty() && search_keys_[static_cast<std::size_t>(i)].find(filter_.text) == std::string::npos)
            continue;
        shown_.push_back(i);
        count(shown_sum_, receipt);
    }
    loaded_ = std::min(kPage, static_cast<int>(shown_.size()));
}

const receipt_register::Listed_Receipt* Register_Table_Model::receipt_at(int row) const {
    if (row < 0 || row >= loaded_) return nullptr;
    return &receipts_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(row)])];
}

int Register_Table_Model::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : loaded_; }

int Register_Table_Model::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : column_count; }

QVariant Register_Table_Model::data(const QModelIndex& index, int role) const {
    const auto* receipt = receipt_at(index.row());
    if (!receipt) return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == total ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case number: return QString::fromStdString(receipt_register::number_text(receipt->number));
    case day: return QString::fromStdString(roc_day(receipt->day));
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
    return !parent.isValid() && loaded_ < static_cast<int>(shown_.size());
}

void Register_Table_Model::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    const int more = std::min(kPage, static_cast<int>(shown_.size()) - loaded_);
    beginInsertRows({}, loaded_, loaded_ + more - 1);
    loaded_ += more;
    endInsertRows();
}

}  // namespace receipt_window
