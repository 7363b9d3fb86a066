#pragma once

#include <chrono>
#include <functional>
#include <string>

// Outside programs that some tests need. A test whose tool is absent fails and says
// which Debian package to install.
namespace tools {

struct CommandResult {
    int status = -1;
    std::string output;  // standard output and standard error together
};

// Fails the current test (and returns false) when `program` is not on PATH.
bool require(const std::string& program, const std::string& debian_package);
// Runs a shell command line and captures what it prints.
CommandResult run(const std::string& command_line);
// Quotes one argument for the shell.
std::string quote(const std::string& argument);
// The folder the build puts the program's executables and modules in.
std::string program_dir();
// The text of a PDF as pdftotext lays it out, with every white-space character removed,
// so that tests can look for what stands side by side on the page.
std::string pdf_text_without_spaces(const std::string& pdf);
// The first page's width and height in points, as pdfinfo reports them; 0 x 0 when it
// reports none.
struct PageSize {
    double width = 0, height = 0;
};
PageSize pdf_page_size(const std::string& pdf);
// A new empty folder under the test's root folder.
std::string fresh_folder(const std::string& name);
// Looks every millisecond until `condition` holds, for at most `limit`; whether it did.
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::minutes(1));

}  // namespace tools
