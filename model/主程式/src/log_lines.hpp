#pragma once

#include <bounded_input/json.hpp>

#include <nlohmann/json.hpp>

#include <iostream>
#include <string_view>

// The worker's fixed console lines, each printed from here only. Values from outside
// (a request, an error's text) are cut to a bounded length.
namespace receipt_worker::log {

inline void module_loaded(std::string_view file_name) { std::cout << "run model --> " << file_name << std::endl; }

inline void notice_not_copied(std::string_view error) {
    std::cout << "版權宣告 --> " << bounded_input::cut(error) << std::endl;
}

inline void unreadable_request(const nlohmann::json& request) {
    std::cout << "Queue_All_variable[\"get_receipt\"].get()輸入錯誤： " << bounded_input::excerpt(request) << std::endl;
}

// The receipt's PDF is under its final name and recorded.
inline void finished(std::string_view pdf) { std::cout << "[完成！] " << pdf << std::endl; }

inline void pass_failed(std::string_view error) {
    std::cout << "主程式錯誤 --> " << bounded_input::cut(error) << std::endl;
}

inline void next_request() { std::cout << "下一筆資料" << std::endl; }

}  // namespace receipt_worker::log
