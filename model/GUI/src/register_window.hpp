#pragma once

#include "register_table_model.hpp"

#include <platform/printing.hpp>
#include <widget_kit/window.hpp>

#include <QDateTime>

#include <functional>
#include <optional>
#include <string>
#include <thread>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace receipt_window {

class Receipt_Printing;
class Receipt_Window;

// What the register window needs of the receipt window that opens it.
struct Register_Window_Setup {
    // The receipt folder, ending in "/".
    std::string folder;
    // Opens a receipt's PDF in the PDF viewer; throws when it cannot.
    std::function<void(const std::string& file)> open_file;
    // Asks for a printer and copies; nothing when the user cancels.
    std::function<std::optional<platform::PrintRequest>(QWidget* parent)> choose_printer;
    Receipt_Printing* printing = nullptr;
    // Where the owner's choice of a service trade and the last backup's time are kept.
    std::string settings_file;
    // Asks for the folder a backup is written into (a USB stick, say); empty when the
    // user cancels.
    std::function<std::string(QWidget* parent)> choose_folder;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Asks for the .xlsx file the receipts shown are exported to; empty when the user
    // cancels.
    std::function<std::string(QWidget* parent)> choose_workbook;
};

// The receipt book (收據簿): every receipt of the register, newest first, found by buyer
// or number as it is typed and by a range of receipt dates; the selected one opened,
// printed again after its PDF is checked against the register, or voided with a reason.
// Below the table: this month's receipts and the total of those shown, and this month's
// total against the monthly limit of the trade the owner chose, and when the last backup
// was made, with a reminder once it is old.
class Register_Window : public Widget_Kit::Window {
    Q_OBJECT
public:
    // Reads the register; throws Register_Error naming it when it cannot be read.
    Register_Window(QWidget* master, Register_Window_Setup setup);

    // Reads the register again, keeping the search and the range.
    void reload();
    void open_selected();
    void print_selected();
    // Asks with a Void_Dialog, then voids the selected receipt with the reason given.
    void void_selected();
    // Asks for a folder and writes a backup archive into it on a thread of its own, the
    // progress bar following; says the archive's name or why it was not written.
    void back_up();
    // Writes every receipt the search and the range select, not only the rows scrolled
    // to, into an .xlsx workbook for the bookkeeper.
    void export_shown();

    Register_Table_Model* model = nullptr;
    QTableView* table = nullptr;
    QLineEdit* search = nullptr;
    QLineEdit* from = nullptr;
    QLineEdit* to = nullptr;
    QPushButton* open_button = nullptr;
    QPushButton* print_button = nullptr;
    QPushButton* void_button = nullptr;
    QLabel* month_line = nullptr;
    QLabel* shown_line = nullptr;
    // This month's total against the limit: amber from 80 %, red above it.
    QLabel* limit_line = nullptr;
    QCheckBox* service_trade = nullptr;
    QPushButton* export_button = nullptr;
    QPushButton* backup_button = nullptr;
    QProgressBar* backup_progress = nullptr;
    // When the last backup was made; amber once a backup is due.
    QLabel* backup_line = nullptr;
    // What became of the last action, or why it was refused.
    QLabel* message = nullptr;

private:
    const receipt_register::Listed_Receipt* selected() const;
    void apply_filter();
    void show_sums();
    void show_message(const std::string& text, bool failed);
    void follow_selection();
    void choose_trade();
    void show_last_backup();
    void end_backup(const std::string& archive, const std::string& failure);

    Register_Window_Setup setup_;
    // Last, so that it is joined first: the backup's reports reach a window still whole.
    std::jthread backup_thread_;
};

// Opens the receipt book of `window`'s receipt folder, or brings the one already open to
// the front, read again; says in the status line when the register cannot be read.
void open_register_window(Receipt_Window& window);

}  // namespace receipt_window
