#pragma once

#include <ostream>

namespace docx_loom {

// Where the engine prints the lines of failures it passes over or reports instead
// of throwing ("word的檔案格式名稱並沒有定義", "execute_set設定照片錯誤 --> …",
// "無法設定格線", "插入圖片錯誤"): standard output unless the program says otherwise.
// The completion line of Document::output always goes to standard output. Set it
// before any Document is used; the stream must outlive them.
void print_failures_to(std::ostream& stream);

}  // namespace docx_loom
