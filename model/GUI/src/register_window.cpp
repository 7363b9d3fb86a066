#include "register_window.hpp"

#include "last_backup.hpp"
#include "monthly_limit.hpp"
#include "receipt_printing.hpp"
#include "receipt_window.hpp"
#include <receipt_channels/request_rules.hpp>
#include "void_dialog.hpp"

#include <i18n/tr.hpp>
#include <platform/clock.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/backup.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/receipt_workbook.hpp>
#include <widget_kit/handlers.hpp>
#include <widget_kit/theme.hpp>

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <filesystem>
#include <unordered_map>

namespace receipt_window {

namespace {

QString text_of(const std::string& text) { return QString::fromStdString(text); }

std::string money(long long amount) { return QLocale(QLocale::English).toString(amount).toStdString(); }

QPushButton* action_button(QWidget* parent, const std::string& text, void (Register_Window::*action)(),
                           Register_Window* window) {
    auto* button = new QPushButton(text_of(text), parent);
    QObject::connect(button, &QPushButton::clicked, window, [window, action] { Widget_Kit::call_handler([&] { (window->*action)(); }); });
    return button;
}

void paint_text(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// A date field: empty or a real day, else marked and left out of the range.
std::optional<std::string> range_end(QLineEdit* field, bool& readable) {
    const std::string typed = field->text().trimmed().toStdString();
    const auto day = typed.empty() ? std::nullopt : request_rules::typed_day(typed);
    const bool fault = !typed.empty() && !day;
    field->setStyleSheet(fault ? QString("border: 1px solid %1;").arg(Widget_Kit::theme().error.name()) : QString());
    readable = readable && !fault;
    return day;
}

}  // namespace

Register_Window::Register_Window(QWidget* master, Register_Window_Setup setup) : Widget_Kit::Window(master), setup_(std::move(setup)) {
    title(i18n::tr("Receipt book"));
    resize(760, 560);
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QHBoxLayout;
    search = new QLineEdit(this);
    search->setPlaceholderText(text_of(i18n::tr("Search by buyer or number")));
    search->setClearButtonEnabled(true);
    filters->addWidget(search, 3);
    filters->addWidget(new QLabel(text_of(i18n::tr("Receipt date from")), this));
    from = new QLineEdit(this);
    to = new QLineEdit(this);
    for (QLineEdit* field : {from, to}) {
        field->setPlaceholderText("115/01/01");
        field->setToolTip(text_of(i18n::tr("A date such as 115/11/01 or 2026-11-01")));
    }
    filters->addWidget(from, 1);
    filters->addWidget(new QLabel(text_of(i18n::tr("to")), this));
    filters->addWidget(to, 1);
    layout->addLayout(filters);

    model = new Register_Table_Model(this);
    table = new QTableView(this);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    // Fixed row heights: the view never measures rows it does not show.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(Register_Table_Model::number, 80);
    table->setColumnWidth(Register_Table_Model::day, 100);
    table->setColumnWidth(Register_Table_Model::buyer, 240);
    table->setColumnWidth(Register_Table_Model::tax_number, 100);
    table->setColumnWidth(Register_Table_Model::total, 100);
    layout->addWidget(table, 1);

    month_line = new QLabel(this);
    shown_line = new QLabel(this);
    layout->addWidget(month_line);
    layout->addWidget(shown_line);
    limit_line = new QLabel(this);
    layout->addWidget(limit_line);
    service_trade = new QCheckBox(text_of(i18n::tr("Service trade (repair, design, rental): limit NT$100,000")), this);
    layout->addWidget(service_trade);
    auto* guidance = new QLabel(text_of(i18n::tr("The limit line is for your own guidance; the tax office decides whether "
                                                 "you may keep writing these receipts.")),
                                this);
    guidance->setWordWrap(true);
    layout->addWidget(guidance);

    auto* actions = new QHBoxLayout;
    open_button = action_button(this, i18n::tr("Open PDF"), &Register_Window::open_selected, this);
    print_button = action_button(this, i18n::tr("Print again"), &Register_Window::print_selected, this);
    void_button = action_button(this, i18n::tr("Void…"), &Register_Window::void_selected, this);
    export_button = action_button(this, i18n::tr("Export to Excel…"), &Register_Window::export_shown, this);
    for (QPushButton* button : {open_button, print_button, void_button, export_button}) actions->addWidget(button);
    actions->addStretch(1);
    backup_button = action_button(this, i18n::tr("Back up…"), &Register_Window::back_up, this);
    actions->addWidget(backup_button);
    layout->addLayout(actions);
    auto* backup_row = new QHBoxLayout;
    backup_line = new QLabel(this);
    backup_line->setWordWrap(true);
    backup_row->addWidget(backup_line, 1);
    backup_progress = new QProgressBar(this);
    backup_progress->hide();
    backup_row->addWidget(backup_progress, 1);
    layout->addLayout(backup_row);
    message = new QLabel(this);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    layout->addWidget(message);

    connect(search, &QLineEdit::textChanged, this, [this] { Widget_Kit::call_handler([this] { apply_filter(); }); });
    for (QLineEdit* field : {from, to})
        connect(field, &QLineEdit::textChanged, this, [this] { Widget_Kit::call_handler([this] { apply_filter(); }); });
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { follow_selection(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { follow_selection(); });
    connect(table, &QTableView::doubleClicked, this, [this] { Widget_Kit::call_handler([this] { open_selected(); }); });

    try {
        service_trade->setChecked(read_service_trade(setup_.settings_file));
    } catch (const std::exception& error) {
        show_message(error.what(), true);
    }
    connect(service_trade, &QCheckBox::toggled, this, [this] { Widget_Kit::call_handler([this] { choose_trade(); }); });
    show_last_backup();
    reload();
}

void Register_Window::export_shown() {
    std::string file = setup_.choose_workbook(this);
    if (file.empty()) return;
    if (!file.ends_with(".xlsx")) file += ".xlsx";
    std::vector<receipt_register::Receipt_Record> records;
    try {
        auto book = receipt_register::Receipt_Register::open_read_only(setup_.folder);
        std::unordered_map<long long, receipt_register::Receipt_Record> by_number;
        if (book)
            for (auto& record : book->receipts()) by_number.emplace(record.number, std::move(record));
        for (const long long number : model->shown_numbers())
            if (const auto found = by_number.find(number); found != by_number.end()) records.push_back(std::move(found->second));
        receipt_register::write_receipt_workbook(file, records);
    } catch (const std::exception& error) {
        show_message(i18n::tr("The workbook was not written: {1}", {error.what()}), true);
        return;
    }
    show_message(i18n::tr("Exported {1} receipts to {2}", {std::to_string(records.size()), file}), false);
}

void Register_Window::show_last_backup() {
    std::optional<QDateTime> last;
    try {
        last = read_last_backup(setup_.settings_file);
    } catch (const std::exception& error) {
        show_message(error.what(), true);
    }
    const bool due = backup_due(last, setup_.now());
    const std::string when = last ? last->toString("yyyy-MM-dd HH:mm").toStdString() : "";
    if (!last)
        backup_line->setText(text_of(i18n::tr("No backup made yet; back up now, to a USB stick for example.")));
    else if (due)
        backup_line->setText(text_of(i18n::tr("Last backup {1}, over 30 days ago; back up now.", {when})));
    else
        backup_line->setText(text_of(i18n::tr("Last backup {1}", {when})));
    paint_text(backup_line, due ? Widget_Kit::theme().warning : Widget_Kit::theme().text);
}

void Register_Window::back_up() {
    if (backup_thread_.joinable()) return;
    const std::string destination = setup_.choose_folder(this);
    if (destination.empty()) return;
    backup_button->setEnabled(false);
    backup_progress->setRange(0, 0);
    backup_progress->show();
    show_message(i18n::tr("Backing up into {1}…", {destination}), false);
    backup_thread_ = std::jthread([this, folder = setup_.folder, destination] {
        std::string archive, failure;
        try {
            const auto progress = [this](std::size_t done, std::size_t total) {
                QMetaObject::invokeMethod(this, [this, done, total] {
                    backup_progress->setRange(0, static_cast<int>(total));
                    backup_progress->setValue(static_cast<int>(done));
                }, Qt::QueuedConnection);
            };
            archive = receipt_register::write_backup(folder, destination, progress).archive;
        } catch (const std::exception& error) {
            failure = error.what();
        }
        QMetaObject::invokeMethod(this, [this, archive, failure] { end_backup(archive, failure); }, Qt::QueuedConnection);
    });
}

void Register_Window::end_backup(const std::string& archive, const std::string& failure) {
    backup_thread_.join();
    backup_progress->hide();
    backup_button->setEnabled(true);
    if (!failure.empty()) {
        show_message(i18n::tr("The backup was not written: {1}", {failure}), true);
        return;
    }
    show_message(i18n::tr("Backup written: {1}", {archive}), false);
    try {
        write_last_backup(setup_.settings_file, setup_.now());
    } catch (const std::exception& error) {
        show_message(error.what(), true);
    }
    show_last_backup();
}

void Register_Window::choose_trade() {
    show_sums();
    try {
        write_service_trade(setup_.settings_file, service_trade->isChecked());
    } catch (const std::exception& error) {
        show_message(error.what(), true);
    }
}

void Register_Window::reload() {
    model->load(setup_.folder, this_month());
    show_sums();
}

void Register_Window::apply_filter() {
    bool readable = true;
    receipt_register::Listing_Filter filter{.text = search->text().trimmed().toStdString()};
    filter.from = range_end(from, readable);
    filter.to = range_end(to, readable);
    model->set_filter(filter);
    show_sums();
    if (!readable) show_message(i18n::tr("A date such as 115/11/01 or 2026-11-01"), true);
    else message->clear();
}

void Register_Window::show_sums() {
    const receipt_register::Listing_Sum& month = model->month_sum();
    month_line->setText(text_of(i18n::tr("This month: {1} receipts, total NT${2}",
                                         {std::to_string(month.issued), money(month.total)})));
    const receipt_register::Listing_Sum& shown = model->shown_sum();
    shown_line->setText(text_of(i18n::tr("Shown: {1} receipts ({2} void), total NT${3}",
                                         {std::to_string(shown.issued), std::to_string(shown.voided), money(shown.total)})));
    show_limit(limit_line, month.total, trade_limit(service_trade->isChecked()));
}

void Register_Window::show_message(const std::string& text, bool failed) {
    paint_text(message, failed ? Widget_Kit::theme().error : Widget_Kit::theme().text);
    message->setText(text_of(text));
}

const receipt_register::Listed_Receipt* Register_Window::selected() const {
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : model->receipt_at(rows.front().row());
}

void Register_Window::follow_selection() {
    const auto* receipt = selected();
    open_button->setEnabled(receipt != nullptr);
    print_button->setEnabled(receipt != nullptr && !receipt->voided);
    void_button->setEnabled(receipt != nullptr && !receipt->voided);
}

void Register_Window::open_selected() {
    const auto* receipt = selected();
    if (!receipt) return;
    const std::string number = receipt_register::number_text(receipt->number);
    // A name that leaves the folder would open some other file.
    if (!receipt_register::is_plain_file_name(receipt->file_name)) {
        show_message(i18n::tr("No. {1} was not opened: its file name leaves the receipt folder", {number}), true);
        return;
    }
    const std::string pdf = setup_.folder + receipt->file_name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(platform::to_path(pdf), ec)) {
        show_message(i18n::tr("No. {1} was not opened: its PDF {2} is missing", {number, pdf}), true);
        return;
    }
    try {
        setup_.open_file(pdf);
        message->clear();
    } catch (const std::exception& error) {
        show_message(i18n::tr("No. {1} was not opened: {2}", {number, error.what()}), true);
    }
}

void Register_Window::print_selected() {
    const auto* receipt = selected();
    if (!receipt) return;
    const long long chosen_number = receipt->number;
    const auto request = setup_.choose_printer(this);
    if (!request) return;
    const std::string number = receipt_register::number_text(chosen_number);
    show_message(i18n::tr("Printing No. {1}…", {number}), false);
    // The print job checks the PDF against the register and prints the bytes it checked.
    setup_.printing->reprint(setup_.folder, chosen_number, *request,
                             [this, window = QPointer<Register_Window>(this), number](const Receipt_Printing::Result& result) {
                                 if (!window) return;
                                 if (result.failure.empty())
                                     show_message(i18n::tr("Printed No. {1} again on {2}", {number, result.printer}), false);
                                 else
                                     show_message(i18n::tr("No. {1} was not printed: {2}", {number, result.failure}), true);
                             });
}

void Register_Window::void_selected() {
    const auto* receipt = selected();
    if (!receipt || receipt->voided) return;
    auto* dialog = new Void_Dialog(this, receipt->number, receipt->buyer);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const long long number = receipt->number;
    connect(dialog, &QDialog::accepted, this, [this, dialog, number] {
        Widget_Kit::call_handler([&] {
            const std::string reason = dialog->reason();
            const std::string shown = receipt_register::number_text(number);
            try {
                auto book = receipt_register::Receipt_Register::open_existing(setup_.folder);
                if (!book) throw receipt_register::Register_Error(setup_.folder + " has no register");
                book->void_receipt(number, reason, platform::local_time_text());
            } catch (const std::exception& error) {
                show_message(i18n::tr("No. {1} was not voided: {2}", {shown, error.what()}), true);
                return;
            }
            reload();
            show_message(i18n::tr("No. {1} is void: {2}", {shown, reason}), false);
        });
    });
    dialog->open();
}

void open_register_window(Receipt_Window& window) {
    if (window.register_window) {
        try {
            window.register_window->reload();
        } catch (const std::exception& error) {
            window.status_line->show_refusal(error.what());
        }
        window.register_window->bring_to_front();
        return;
    }
    Register_Window_Setup setup{
        .folder = Receipt_Window::output_folder(),
        .open_file = [&window](const std::string& file) { window.setup.desktop.open_file(file); },
        .choose_printer =
            [&window](QWidget* parent) {
                auto chosen = window.setup.desktop.choose_printer(parent, window.print_choice);
                if (chosen) window.print_choice = *chosen;
                return chosen;
            },
        .printing = window.printing.get(),
        .settings_file = platform::root_folder() + "settings.ini",
        .choose_folder =
            [](QWidget* parent) {
                return QFileDialog::getExistingDirectory(parent, text_of(i18n::tr("Choose a folder for the backup"))).toStdString();
            },
        .choose_workbook =
            [](QWidget* parent) {
                return QFileDialog::getSaveFileName(parent, text_of(i18n::tr("Export to Excel…")), QString(),
                                                    text_of(i18n::tr("Excel workbook (*.xlsx)")))
                    .toStdString();
            },
    };
    try {
        window.register_window = new Register_Window(window.app.get(), std::move(setup));
    } catch (const std::exception& error) {
        window.status_line->show_refusal(error.what());
        return;
    }
    // Receipts voided and the trade chosen in the book count in the main window's line.
    QObject::connect(window.register_window, &Widget_Kit::Window::closed, window.app.get(),
                     [&window] { window.show_month_limit(); });
    window.register_window->bring_to_front();
}

}  // namespace receipt_window
