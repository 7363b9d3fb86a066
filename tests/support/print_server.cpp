#include "print_server.hpp"

#include <cups/cups.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kInstall = "install it with apt-get install cups (scripts/install-deps installs every package the project needs)";

void write_text(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Debian keeps cupsd in /usr/sbin, which an ordinary user's PATH often leaves out.
std::string find_cupsd() {
    for (const char* candidate : {"cupsd", "/usr/sbin/cupsd", "/usr/local/sbin/cupsd"})
        if (auto found = platform::find_program(candidate)) return found->string();
    throw std::runtime_error(std::string("the print tests need the CUPS scheduler cupsd: ") + kInstall);
}

// Where the system keeps its backends, filters and helper programs.
std::string system_server_bin() {
    if (platform::find_program("cups-config")) {
        platform::Process query({"cups-config", "--serverbin"}, {.pipe_stdout = true});
        if (auto line = query.read_line(10s); line && !line->empty()) return *line;
    }
    throw std::runtime_error("the print tests need cups-config: install it with apt-get install libcups2-dev");
}

// A port nobody listens on right now. Another program may take it before cupsd does;
// the caller starts again on another one then.
int free_port() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                       ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    if (socket >= 0) ::close(socket);
    if (!bound) throw std::runtime_error("cannot find a free port on the loopback interface");
    return ntohs(address.sin_port);
}

std::string single_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The backend "testcopy": each job becomes N.document, a copy of what was printed, and
// N.job with the user, the copies, the options and the title, one a line. Both appear
// by rename, so a reader never sees half a job.
std::string backend_script(const fs::path& arrived) {
    return "#!/bin/sh\n"
           "if [ $# -eq 0 ]; then echo 'direct testcopy \"Unknown\" \"Test copy\"'; exit 0; fi\n"
           "folder=" + single_quoted(arrived.string()) + "/\"$PRINTER\"\n"
           "mkdir -p \"$folder\" || exit 1\n"
           "if [ $# -ge 6 ]; then cat \"$6\"; else cat; fi > \"$folder/.$1.document\" || exit 1\n"
           "printf '%s\\n%s\\n%s\\n%s\\n' \"$2\" \"$4\" \"$5\" \"$3\" > \"$folder/.$1.job\" || exit 1\n"
           "mv \"$folder/.$1.document\" \"$folder/$1.document\" && mv \"$folder/.$1.job\" \"$folder/$1.job\"\n";
}

bool answers(int port) {
    http_t* http = httpConnect2("127.0.0.1", port, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 200, nullptr);
    if (http == nullptr) return false;
    httpClose(http);
    return true;
}

// Sends an administrative request (taking it over) and throws with the scheduler's answer.
void administer(int port, ipp_t* request, const std::string& what) {
    http_t* http = httpConnect2("127.0.0.1", port, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 30000, nullptr);
    if (http == nullptr) {
        ippDelete(request);
        throw std::runtime_error(what + ": the test print server does not answer");
    }
    ippDelete(cupsDoRequest(http, request, "/admin/"));
    const ipp_status_t status = cupsLastError();
    const std::string reason = cupsLastErrorString();
    httpClose(http);
    if (status >= IPP_STATUS_REDIRECTION_OTHER_SITE) throw std::runtime_error(what + ": " + reason);
}

ipp_t* printer_request(ipp_op_t operation, const std::string& printer) {
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 ("ipp://localhost/printers/" + printer).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

}  // namespace

PrintServer::PrintServer(const std::string& folder) : folder_(folder) {
    const std::string cupsd = find_cupsd();
    const fs::path root(folder_);
    const fs::path bin = root / "bin";
    for (const char* sub : {"conf", "bin/backend", "spool/tmp", "cache", "state", "log", "arrived"})
        fs::create_directories(root / sub);
    // Filters and the scheduler's helpers (cups-exec runs every backend) come from the system.
    const fs::path system_bin = system_server_bin();
    for (const char* sub : {"filter", "daemon", "driver", "monitor", "notifier", "cgi-bin"})
        if (fs::exists(system_bin / sub) && !fs::exists(bin / sub)) fs::create_directory_symlink(system_bin / sub, bin / sub);
    // Owner-only: a scheduler running as root runs such a backend as root too, so it can
    // write into the test's folders; any other mode would run it as user lp.
    const fs::path backend = bin / "backend" / "testcopy";
    write_text(backend, backend_script(root / "arrived"));
    fs::permissions(backend, fs::perms::owner_all, fs::perm_options::replace);

    // Another program may take the port between our look and cupsd's bind; cupsd then
    // runs on without listening, and says so in its log: start again on another port.
    const fs::path log = root / "log" / "error_log";
    for (int attempt = 1;; ++attempt) {
        port_ = free_port();
        write_configuration(port_);
        fs::remove(log);
        cupsd_.emplace(std::vector<std::string>{cupsd, "-f", "-c", (root / "conf" / "cupsd.conf").string(), "-s",
                                                (root / "conf" / "cups-files.conf").string()},
                       platform::ProcessOptions{.die_with_parent = true});
        const std::string listening = "Listening to 127.0.0.1:" + std::to_string(port_);
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        bool ready = false, port_taken = false;
        while (!ready && std::chrono::steady_clock::now() < deadline) {
            const bool ended = cupsd_->wait_for(0ms).has_value();  // before reading: then the log is complete
            const std::string said = read_text(log);
            port_taken = said.find("Unable to open listen socket") != std::string::npos;
            if (port_taken || ended) break;
            ready = said.find(listening) != std::string::npos && answers(port_);
            if (!ready) std::this_thread::sleep_for(50ms);
        }
        if (ready) break;
        const std::string output = cupsd_->output();
        cupsd_.reset();
        if (port_taken && attempt < 3) continue;
        throw std::runtime_error("the test print server (" + cupsd + ") did not start: " + output + "\n" + log_tail());
    }

    address_ = "127.0.0.1:" + std::to_string(port_);
    environment_.emplace_back("CUPS_SERVER", address_.c_str());
    environment_.emplace_back("PRINTER", nullptr);
    environment_.emplace_back("LPDEST", nullptr);
}

PrintServer::~PrintServer() = default;

void PrintServer::write_configuration(int port) const {
    const fs::path root(folder_);
    write_text(root / "conf" / "cupsd.conf",
               "Listen 127.0.0.1:" + std::to_string(port) + "\n"
               "LogLevel debug\n"
               "Browsing Off\n"
               "BrowseLocalProtocols none\n"
               "DefaultAuthType None\n"
               "DefaultEncryption Never\n"
               "WebInterface No\n"
               "ServerAlias *\n"
               "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
               "<Policy default>\n"
               "  JobPrivateAccess all\n  JobPrivateValues none\n"
               "  SubscriptionPrivateAccess all\n  SubscriptionPrivateValues none\n"
               "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
               "</Policy>\n");
    std::string files;
    for (const auto& [directive, path] : {std::pair{"ServerRoot", "conf"}, {"ServerBin", "bin"}, {"CacheDir", "cache"},
                                          {"StateDir", "state"}, {"RequestRoot", "spool"}, {"TempDir", "spool/tmp"},
                                          {"ServerKeychain", "state/ssl"}, {"AccessLog", "log/access_log"},
                                          {"ErrorLog", "log/error_log"}, {"PageLog", "log/page_log"},
                                          {"Printcap", "state/printcap"}})
        files += std::string(directive) + " " + (root / path).string() + "\n";
    files += "CreateSelfSignedCerts no\n";
    // As root cupsd runs filters as user lp; any other user can only run them as itself.
    if (::geteuid() != 0) {
        const passwd* user = ::getpwuid(::geteuid());
        const group* own_group = ::getgrgid(::getegid());
        if (user == nullptr || own_group == nullptr) throw std::runtime_error("the test print server needs a named user and group");
        files += std::string("User ") + user->pw_name + "\nGroup " + own_group->gr_name + "\nSystemGroup " +
                 own_group->gr_name + "\n";
    }
    write_text(root / "conf" / "cups-files.conf", files);
}

void PrintServer::add_printer(const std::string& name, const PrinterSetup& setup) {
    ipp_t* request = printer_request(IPP_OP_CUPS_ADD_MODIFY_PRINTER, name);
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, "testcopy:/");
    if (!setup.description.empty())
        ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-info", nullptr, setup.description.c_str());
    ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-accepting-jobs", setup.accepting ? 1 : 0);
    ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
    administer(port_, request, "cannot add test printer " + name);
    if (setup.is_default)
        administer(port_, printer_request(IPP_OP_CUPS_SET_DEFAULT, name), "cannot make " + name + " the default printer");
}

std::vector<ArrivedJob> PrintServer::jobs(const std::string& printer) const {
    std::vector<ArrivedJob> arrived;
    const fs::path folder = fs::path(folder_) / "arrived" / printer;
    std::error_code absent;
    for (const auto& entry : fs::directory_iterator(folder, absent)) {
        if (entry.path().extension() != ".job" || entry.path().filename().string().starts_with(".")) continue;
        ArrivedJob job;
        job.id = std::stoi(entry.path().stem().string());
        std::istringstream fields(read_text(entry.path()));
        std::string copies;
        std::getline(fields, job.user);
        std::getline(fields, copies);
        std::getline(fields, job.options);
        std::getline(fields, job.title);
        job.copies = std::stoi(copies);
        job.document = (folder / (entry.path().stem().string() + ".document")).string();
        arrived.push_back(std::move(job));
    }
    std::sort(arrived.begin(), arrived.end(), [](const ArrivedJob& a, const ArrivedJob& b) { return a.id < b.id; });
    return arrived;
}

std::vector<ArrivedJob> PrintServer::wait_for_jobs(const std::string& printer, std::size_t count,
                                                               std::chrono::seconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto arrived = jobs(printer);
    while (arrived.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
        arrived = jobs(printer);
    }
    return arrived;
}

std::string PrintServer::log_tail() const {
    const std::string log = read_text(fs::path(folder_) / "log" / "error_log");
    return log.size() > 4000 ? log.substr(log.size() - 4000) : log;
}
