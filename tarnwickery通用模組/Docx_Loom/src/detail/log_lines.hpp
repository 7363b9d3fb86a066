#pragma once

#include <iostream>
#include <string_view>

// The engine's fixed console lines, each printed from here only.
namespace docx_loom::detail {

inline void print_line(std::string_view line) { std::cout << line << std::endl; }

inline void log_unknown_version() { print_line("word的檔案格式名稱並沒有定義"); }

inline void log_picture_failure(std::string_view error) {
    std::cout << "execute_set設定照片錯誤 --> " << error << std::endl;
}

inline void log_no_table_grid() { print_line("無法設定格線"); }

inline void log_picture_not_inserted() { print_line("插入圖片錯誤"); }

// An error's own text, printed where a failure is passed over.
inline void log_error_text(std::string_view error) { print_line(error); }

inline void log_finished(std::string_view output_pdf) { std::cout << "[完成！] " << output_pdf << std::endl; }

}  // namespace docx_loom::detail
