// pdf-press-converter: one LibreOffice kept running in a process of its own, which
// turns .docx files into PDF/A-2b on request. Pdf_Press starts it and talks to it in
// lines over its standard input and output:
//
//   at start-up  "ready"                   LibreOffice is up; requests may follow
//                "unavailable\t<why>"      there is no usable LibreOfficeKit; it exits
//                "error\t<why>"            anything else that stops it; it exits
//   request      "convert\t<input file URL>\t<output file URL>"
//   replies      "taken"                   at once: the request reached a live converter
//   then         "ok"                      the PDF is written
//                "error\t<why>"            nothing usable was written; it serves on
//
// Requests may be sent before "ready"; they are served once the office is up. Given a
// sample document, the converter converts it once, into nothing kept, before it says
// "ready", so that its first request is as quick as the rest; it skips that when a
// request is already waiting, which would pay the same first-time cost itself.
//
// End of input ends it, and so does the end of the process that started it.
//
// Usage: pdf-press-converter <LibreOffice program folder> <profiles folder> <parent pid> [<sample .docx>]
#include "export_options.hpp"
#include "file_url.hpp"
#include "profile_seed.hpp"

#include <LibreOfficeKit/LibreOfficeKitInit.h>
#include <LibreOfficeKit/LibreOfficeKit.hxx>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The same slots as the per-call command line uses, so the two never share a profile.
constexpr int profile_slots = 32;

// LOK_DOCTYPE_TEXT, whose enum LibreOfficeKit keeps behind its unstable API.
constexpr int text_document = 0;

int protocol_in = -1;
int protocol_out = -1;

// Messages travel in one line: no tabs or line breaks inside.
std::string one_line(std::string_view text) {
    std::string line;
    for (char c : text) {
        line += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

[[noreturn]] void leave(int code);

void reply(const std::string& line) {
    std::string data = line + "\n";
    std::string_view rest = data;
    while (!rest.empty()) {
        ssize_t written = ::write(protocol_out, rest.data(), rest.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            leave(0);  // nobody is listening any more
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

// The office's temporary folder, inside the profile this process holds; none until it
// holds one. Atomic: the watch on the parent may end the process at any moment.
std::atomic<const std::string*> temporary_folder{nullptr};

// Tearing LibreOffice down properly takes long and can hang, and only that removes the
// office's temporary files (lu*.tmp); there is nothing to save, so they go here.
[[noreturn]] void leave(int code) {
    if (const std::string* folder = temporary_folder.load()) {
        std::error_code ec;
        std::filesystem::remove_all(*folder, ec);
    }
    std::fflush(stderr);
    ::_exit(code);
}

[[noreturn]] void finish(int code, const std::string& last_line = {}) {
    if (!last_line.empty()) {
        reply(last_line);
    }
    leave(code);
}

// LibreOffice writes to standard output now and then; only replies may reach the
// channel, so the channel gets descriptors of its own and fd 1 goes to standard error.
void take_protocol_channel() {
    protocol_in = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    protocol_out = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
    int null_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (protocol_in < 0 || protocol_out < 0 || null_fd < 0 || ::dup2(2, 1) < 0 || ::dup2(null_fd, 0) < 0) {
        std::fprintf(stderr, "pdf-press-converter: cannot set up its channel: %s\n", std::strerror(errno));
        ::_exit(2);
    }
    ::close(null_fd);
}

// A crashed parent cannot close the channel in the middle of a long conversion, and the
// kernel's parent-death signal follows the parent's thread rather than its process.
void end_with_parent(pid_t parent) {
    std::thread([parent] {
        while (::getppid() == parent) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        leave(0);
    }).detach();
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The path of a file URL, or "" when `url` is not one.
std::string path_of(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    if (url.substr(0, scheme.size()) != scheme) {
        return {};
    }
    url.remove_prefix(scheme.size());
    std::string path;
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && hex_value(url[i + 1]) >= 0 && hex_value(url[i + 2]) >= 0) {
            path += static_cast<char>(hex_value(url[i + 1]) * 16 + hex_value(url[i + 2]));
            i += 2;
        } else {
            path += url[i];
        }
    }
    return path;
}

// Two LibreOffice instances on one profile hand their work to each other, so each
// profile is locked by the process that uses it; the lock goes when this process does.
std::string take_profile(const std::string& profiles) {
    for (int slot = 0; slot < profile_slots; ++slot) {
        std::string name = profiles + "/profile-" + std::to_string(slot);
        int fd = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            finish(4, "error\t" + one_line("cannot open the profile lock " + name + ".lock: " + std::strerror(errno)));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return name;  // the descriptor stays open, and locked, for the process's life
        }
        ::close(fd);
    }
    finish(4, "error\t" + one_line("all " + std::to_string(profile_slots) + " LibreOffice profiles in " + profiles +
                                   " are in use"));
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Without a fixed import filter, which LibreOfficeKit cannot be given, a damaged .docx
// is imported as plain text and comes out as a PDF full of zip bytes. Every .docx is a
// zip package, and LibreOffice itself refuses zips that are no document.
std::string not_a_package(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::string("cannot read the file: ") + std::strerror(errno);
    }
    char head[4] = {};
    std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (got != sizeof head || std::memcmp(head, "PK\x03\x04", sizeof head) != 0) {
        return "the file is not a Word document (.docx): it is not a zip package";
    }
    return {};
}

std::string office_error(lok::Office& office, const char* fallback) {
    char* error = office.getError();
    std::string text = error != nullptr && *error != '\0' ? one_line(error) : fallback;
    if (error != nullptr) {
        office.freeError(error);
    }
    return text;
}

std::string convert(lok::Office& office, std::string_view input_url, std::string_view output_url) {
    std::string input_path = path_of(input_url);
    if (input_path.empty() || path_of(output_url).empty()) {
        return "error\tthe request does not name two file URLs";
    }
    if (std::string why = not_a_package(input_path); !why.empty()) {
        return "error\t" + why;
    }
    lok::Document* document = office.documentLoad(std::string(input_url).c_str(), "");
    if (document == nullptr) {
        return "error\tLibreOffice cannot load the document: " + office_error(office, "no reason given");
    }
    std::string answer = "ok";
    if (document->getDocumentType() != text_document) {
        answer = "error\tthe file is not a Word document (.docx): LibreOffice opened it as another kind of document";
    } else if (!document->saveAs(std::string(output_url).c_str(), "pdf", pdf_press::detail::pdf_export_options)) {
        answer = "error\tLibreOffice cannot write the PDF: " + office_error(office, "no reason given");
    }
    delete document;
    return answer;
}

bool request_waiting() {
    pollfd input{protocol_in, POLLIN, 0};
    return ::poll(&input, 1, 0) > 0;
}

// The office loads most of what a document needs (import filter, fonts, layout, PDF
// export) on its first conversion, which takes several times as long as the next. The
// sample is copied first, as Pdf_Press copies every input: the office leaves lock files
// beside what it opens.
void warm_up(lok::Office& office, const std::string& sample, const std::string& profile) {
    if (sample.empty() || request_waiting()) {
        return;
    }
    const std::string input = profile + "/warm-up.docx";
    const std::string output = profile + "/warm-up.pdf";
    std::error_code ec;
    std::filesystem::copy_file(sample, input, std::filesystem::copy_options::overwrite_existing, ec);
    std::string outcome = ec ? "error\tcannot copy it: " + ec.message()
                             : convert(office, pdf_press::detail::file_url_of_absolute(input),
                                       pdf_press::detail::file_url_of_absolute(output));
    if (outcome != "ok") {
        std::fprintf(stderr, "pdf-press-converter: the sample %s did not convert: %s\n", sample.c_str(),
                     outcome.c_str());
    }
    std::filesystem::remove(input, ec);
    std::filesystem::remove(output, ec);
}

}  // namespace

int main(int argc, char** argv) {
    take_protocol_channel();
    if (argc != 4 && argc != 5) {
        finish(2, "error\tusage: pdf-press-converter <LibreOffice program folder> <profiles folder> <parent pid> "
                  "[<sample .docx>]");
    }
    const std::string office_folder = argv[1];
    const std::string profiles = argv[2];
    end_with_parent(static_cast<pid_t>(std::atol(argv[3])));
    const std::string sample = argc == 5 ? argv[4] : "";

    if (!exists(office_folder + "/libmergedlo.so") && !exists(office_folder + "/libsofficeapp.so")) {
        finish(3, "unavailable\t" + one_line("there is no LibreOfficeKit in " + office_folder));
    }
    std::string profile = take_profile(profiles);
    // The office's temporary files go into the locked profile, where this process
    // removes them as it ends and the next one there clears what a killed one left.
    const std::string temporary = profile + "/tmp";
    std::error_code ec;
    std::filesystem::remove_all(temporary, ec);
    std::filesystem::create_directories(temporary, ec);
    temporary_folder.store(&temporary);  // main never returns: the process ends through leave()
    ::setenv("TMPDIR", temporary.c_str(), 1);
    if (std::string why = pdf_press::detail::seed_profile(profile, office_folder); !why.empty()) {
        std::fprintf(stderr, "pdf-press-converter: %s; the office will redo its first-start work\n", why.c_str());
    }
    const std::string profile_url = pdf_press::detail::file_url_of_absolute(profile);
    lok::Office* office = lok::lok_cpp_init(office_folder.c_str(), profile_url.c_str());
    if (office == nullptr) {
        finish(3, "unavailable\t" + one_line("LibreOfficeKit in " + office_folder + " did not start"));
    }
    warm_up(*office, sample, profile);
    reply("ready");

    std::FILE* requests = ::fdopen(protocol_in, "r");
    char* line = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    while ((length = ::getline(&line, &capacity, requests)) > 0) {
        std::string_view request(line, static_cast<std::size_t>(length));
        if (request.back() == '\n') {
            request.remove_suffix(1);
        }
        std::size_t first_tab = request.find('\t');
        std::size_t second_tab = first_tab == std::string_view::npos ? first_tab : request.find('\t', first_tab + 1);
        if (request.substr(0, first_tab) != "convert" || second_tab == std::string_view::npos) {
            reply("error\tunknown request: " + one_line(request.substr(0, 200)));
            continue;
        }
        reply("taken");
        reply(convert(*office, request.substr(first_tab + 1, second_tab - first_tab - 1),
                      request.substr(second_tab + 1)));
    }
    finish(0);
}
