#include "platform/module_folder.hpp"

#include "platform/root_folder.hpp"

#include <cstdint>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <link.h>
#endif

namespace platform {

namespace {

#ifndef _WIN32
struct Search {
    std::uintptr_t address = 0;
    bool found = false;
    bool main_program = false;
    std::string file;
};

// dladdr names the main program by argv[0], which may be relative to a folder the
// program has left since, so the loaded objects are searched instead: the main program
// is the one without a name, and the kernel knows its file.
int find_object(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD) {
            continue;
        }
        std::uintptr_t start = info->dlpi_addr + header.p_vaddr;
        if (search->address >= start && search->address < start + header.p_memsz) {
            search->found = true;
            search->main_program = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
            search->file = search->main_program ? std::string() : info->dlpi_name;
            return 1;
        }
    }
    return 0;
}
#endif

}  // namespace

std::string module_file_of(const void* address) {
#ifdef _WIN32
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module)) {
        throw Error("cannot find the module of an address: " + system_message(static_cast<int>(GetLastError())));
    }
    std::wstring name(MAX_PATH, L'\0');
    while (true) {
        DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            throw Error("cannot find the module of an address: " + system_message(static_cast<int>(GetLastError())));
        }
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    std::filesystem::path file(name);
#else
    Search search;
    search.address = reinterpret_cast<std::uintptr_t>(address);
    dl_iterate_phdr(find_object, &search);
    if (!search.found) {
        throw Error("cannot find the module of an address among the loaded objects");
    }
    std::error_code ec;
    std::filesystem::path file = search.main_program ? std::filesystem::read_symlink("/proc/self/exe", ec)
                                                     : std::filesystem::absolute(search.file, ec);
    if (ec || file.empty()) {
        throw Error("cannot find the file of the program's own module: " + ec.message());
    }
#endif
    return from_path(file.lexically_normal());
}

std::string module_folder_of(const void* address) {
    std::string folder = from_path(to_path(module_file_of(address)).parent_path());
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace platform
