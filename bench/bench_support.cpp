#include "bench_support.hpp"

#include <platform/process_memory.hpp>
#include <platform/root_folder.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace bench {

double milliseconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

Spread spread_of(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back(), values[values.size() / 4]};
}

std::vector<int> processes_naming(const std::string& marker) {
    std::vector<int> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        try {
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
            const char state = line[line.rfind(')') + 2];
            std::ifstream cmdline(entry.path() / "cmdline", std::ios::binary);
            const std::string command((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
            if (state != 'Z' && state != 'X' && command.find(marker) != std::string::npos) found.push_back(std::stoi(name));
        } catch (const std::exception&) {
            // It ended while it was being read.
        }
    }
    return found;
}

std::vector<int> converters() { return processes_naming(platform::working_folder() + "libreoffice"); }

double cpu_milliseconds(int process_id) {
#ifdef _WIN32
    (void)process_id;
    return 0;
#else
    std::ifstream stat("/proc/" + std::to_string(process_id) + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) return 0;
    // After the command: state (3), then fields 4 to 13, then utime (14) and stime (15).
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 13; ++i) fields >> field;
    unsigned long long user = 0, system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
#endif
}

double cpu_milliseconds(const std::vector<int>& process_ids) {
    double total = 0;
    for (int id : process_ids) total += cpu_milliseconds(id);
    return total;
}

double resident_mib(const std::vector<int>& process_ids) {
    double total = 0;
    for (int id : process_ids) total += static_cast<double>(platform::resident_bytes(id));
    return total / (1024.0 * 1024.0);
}

std::string machine_load() {
    std::ifstream load("/proc/loadavg");
    double one = 0, five = 0, fifteen = 0;
    if (!(load >> one >> five >> fifteen)) return "load average unknown";
    std::ostringstream text;
    text.precision(2);
    text << std::fixed << "load average " << one << " " << five << " " << fifteen << " ("
         << std::thread::hardware_concurrency() << " cores)";
    return text.str();
}

std::optional<Arguments> arguments(int argc, char** argv, const char* usage, int default_count) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return std::nullopt;
    }
    return Arguments{argv[1], argc == 3 ? std::stoi(argv[2]) : default_count};
}

bool holds_a_pdf(const std::string& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(folder), ec))
        if (entry.path().extension() == ".pdf") return true;
    return false;
}

void set_environment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

}  // namespace bench
