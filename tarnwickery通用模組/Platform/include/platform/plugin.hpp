#pragma once

#include <string>

namespace platform {

// A shared library loaded at run time, unloaded when the object goes away.
class Plugin {
public:
    // Throws platform::Error naming the file and the loader's reason.
    explicit Plugin(const std::string& path);
    Plugin(Plugin&& other) noexcept;
    Plugin& operator=(Plugin&& other) noexcept;
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;
    ~Plugin();

    // Throws platform::Error naming the symbol and the file when it is missing.
    template <typename Function>
    Function* function(const char* name) const {
        return reinterpret_cast<Function*>(symbol(name));
    }

private:
    void* symbol(const char* name) const;
    void unload() noexcept;

    void* handle_ = nullptr;
    std::string path_;
};

// The file name suffix of plug-in modules on this system (".so", ".dll").
std::string plugin_suffix();

}  // namespace platform
