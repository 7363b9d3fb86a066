#include <fault_log/fault_log.hpp>

#include <platform/clock.hpp>
#include <platform/root_folder.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

Fault_Log::Fault_Log() = default;

Fault_Log::Fault_Log(std::string log_file) : log_file_(std::move(log_file)) {}

std::string Fault_Log::describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(std::move(error));
    } catch (const std::exception& exception) {
        return exception.what();
    } catch (...) {
        return "unknown error";
    }
}

void Fault_Log::log(std::string_view function, std::string_view error) noexcept {
    try {
        const std::string line = platform::local_time_text() + " " + std::string(function) + ": " + std::string(error) + "\n";
        std::lock_guard lock(mutex_);
        std::cerr << line << std::flush;
        const std::filesystem::path file =
            platform::to_path(log_file_.empty() ? platform::working_folder() + "Fault_Log.log" : log_file_);
        std::error_code ignored;
        std::filesystem::create_directories(file.parent_path(), ignored);
        std::ofstream out(file, std::ios::binary | std::ios::app);
        out << line;
    } catch (...) {
        // Logging is the last resort; a failure here has nowhere left to go.
    }
}
