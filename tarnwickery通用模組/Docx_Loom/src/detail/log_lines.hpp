#pragma once

#include <bounded_input/cut.hpp>

#include <iostream>
#include <string_view>

// The engine's fixed console lines, each printed from here only. Values from outside
// (an error's text, which may quote a path from the plan) are cut to a bounded length.
namespace docx_loom::detail {

// Where print_failures_to points.
std::ostream& failure_stream();

inline void print_failure(std::string_view line) { failure_stream() << line << std::endl; }

inline void log_unknown_version() { print_failure("word的檔案格式名稱並沒有定義"); }

inline void log_picture_failure(std::string_view error) {
    failure_stream() << "execute_set設定照片錯誤 --> " << bounded_input::cut(error) << std::endl;
}

inline void log_no_table_grid() { print_failure("無法設定格線"); }

inline void log_picture_not_inserted() { print_failure("插入圖片錯誤"); }

// An error's own text, printed where a failure is passed over.
inline void log_error_text(std::string_view error) { print_failure(bounded_input::cut(error)); }

// `file` is what output left: the PDF, or the .docx when no PDF was made.
inline void log_finished(std::string_view file) { std::cout << "[完成！] " << file << std::endl; }

}  // namespace docx_loom::detail
