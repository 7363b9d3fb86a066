#include <platform/clock.hpp>

#include <ctime>

namespace platform {
namespace {

std::tm local_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

}  // namespace

LocalDate local_today() {
    const std::tm local = local_now();
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string local_time_text() {
    const std::tm local = local_now();
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace platform
