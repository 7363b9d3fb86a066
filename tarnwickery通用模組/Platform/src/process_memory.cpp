#include "platform/process_memory.hpp"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <fstream>
#include <string>
#endif

namespace platform {

std::uint64_t resident_bytes(int process_id) {
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process_id));
    if (process == nullptr) return 0;
    PROCESS_MEMORY_COUNTERS counters{};
    BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
    CloseHandle(process);
    return ok ? counters.WorkingSetSize : 0;
#else
    // Linux; elsewhere the file is missing and the answer is 0.
    std::ifstream status("/proc/" + std::to_string(process_id) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stoull(line.substr(6)) * 1024;  // "VmRSS:   123456 kB"
        }
    }
    return 0;
#endif
}

}  // namespace platform
