#pragma once

#include <optional>
#include <string>

namespace receipt_window {

// Where a window stood on the desktop: its frame, in screen pixels.
struct Window_Place {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Window_Place&) const = default;
};

// The choices the window keeps from one run to the next.
struct Remembered_Choices {
    bool exemption_seal = false;
    bool owner_seal = false;
    // The 列印 switch.
    bool print_each = false;
    // The printer last chosen in the print dialog; empty for the default printer.
    std::string printer;
    // Where the preview window was last left; nothing until it has been opened.
    std::optional<Window_Place> preview_place;
    bool operator==(const Remembered_Choices&) const = default;
};

// The window's settings file, in INI form, under the program's root folder.
class Window_Settings {
public:
    // Reads `file`. A file that is missing gives the usual choices; one that cannot be
    // read or holds values the window does not know gives them too, and warning() says
    // why: a damaged settings file must never keep the window from opening.
    explicit Window_Settings(std::string file = default_file());

    const Remembered_Choices& choices() const { return choices_; }
    // Why the file was not taken; empty when it was, or when there was none.
    const std::string& warning() const { return warning_; }

    // Writes `choices` over the file, a damaged one included. A choice without a preview
    // place keeps the place saved before: the seal boxes save without knowing it. Throws std::runtime_error
    // naming the file when it cannot be written.
    void save(const Remembered_Choices& choices);

    // root_folder() + "settings.ini".
    static std::string default_file();

private:
    std::string file_;
    Remembered_Choices choices_;
    std::string warning_;
};

}  // namespace receipt_window
