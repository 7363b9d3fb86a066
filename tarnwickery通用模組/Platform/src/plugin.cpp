#include <platform/plugin.hpp>

#include <platform/error.hpp>
#include <platform/root_folder.hpp>

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace platform {

Plugin::Plugin(const std::string& path) : path_(path) {
#ifdef _WIN32
    handle_ = LoadLibraryW(to_path(path).c_str());
    if (!handle_) throw Error("cannot load module " + path + ": " + system_message(static_cast<int>(GetLastError())));
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw Error("cannot load module " + path + ": " + dlerror());
#endif
}

Plugin::Plugin(Plugin&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)) {}

Plugin& Plugin::operator=(Plugin&& other) noexcept {
    if (this != &other) {
        unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

Plugin::~Plugin() { unload(); }

void Plugin::unload() noexcept {
    if (!handle_) return;
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

void* Plugin::symbol(const char* name) const {
#ifdef _WIN32
    void* found = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    void* found = dlsym(handle_, name);
#endif
    if (!found) throw Error(std::string("module ") + path_ + " has no entry point " + name);
    return found;
}

std::string plugin_suffix() {
#ifdef _WIN32
    return ".dll";
#elif defined(__APPLE__)
    return ".dylib";
#else
    return ".so";
#endif
}

}  // namespace platform
