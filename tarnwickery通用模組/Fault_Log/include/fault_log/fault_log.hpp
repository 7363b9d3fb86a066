#pragma once

#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

// Logs failures that escape a wrapped function: one line with the local time, the
// function's name and the error, on standard error and appended to a log file.
class Fault_Log {
public:
    // Logs into "Fault_Log.log" in the program's working folder, read when a line is
    // written. Creates nothing until then.
    Fault_Log();
    // Logs into `log_file` (UTF-8 path); its folder is created when a line is written.
    explicit Fault_Log(std::string log_file);

    // A function that calls `function` with the same arguments and gives back its
    // result. What escapes it is logged under `name`, and the wrapper then returns
    // normally: nothing for a function returning void, a value-initialised result
    // otherwise.
    template <typename Function>
    auto try_except_log(std::string name, Function function) {
        return [this, name = std::move(name), function = std::move(function)](auto&&... arguments) {
            using Result = std::invoke_result_t<Function&, decltype(arguments)...>;
            try {
                return std::invoke(function, std::forward<decltype(arguments)>(arguments)...);
            } catch (...) {
                log(name, describe(std::current_exception()));
                if constexpr (!std::is_void_v<Result>) return Result{};
            }
        };
    }

    // Writes one line for `error` raised in `function`. Never throws: a log file that
    // cannot be written leaves the line on standard error only.
    void log(std::string_view function, std::string_view error) noexcept;

    const std::string& log_file() const { return log_file_; }

    // The text of an exception: what() for standard exceptions, a fixed text otherwise.
    static std::string describe(std::exception_ptr error);

private:
    std::string log_file_;  // empty: the working folder's file
    std::mutex mutex_;
};
