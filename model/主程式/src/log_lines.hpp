#pragma once

#include <nlohmann/json.hpp>

#include <iostream>
#include <string_view>

// The worker's fixed console lines, each printed from here only.
namespace receipt_worker::log {

inline void module_loaded(std::string_view file_name) { std::cout << "run model --> " << file_name << std::endl; }

inline void notice_not_copied(std::string_view error) { std::cout << "版權宣告 --> " << error << std::endl; }

inline void unreadable_request(const nlohmann::json& request) {
    std::cout << "Queue_All_variable[\"get_receipt\"].get()輸入錯誤： " << request.dump() << std::endl;
}

inline void pass_failed(std::string_view error) { std::cout << "主程式錯誤 --> " << error << std::endl; }

inline void next_request() { std::cout << "下一筆資料" << std::endl; }

}  // namespace receipt_worker::log
