#include "receipt_shape.hpp"

#include <vector>

namespace {

std::string cell(const std::string& text) {
    return "<w:tc><w:tcPr><w:tcW w:w=\"1200\" w:type=\"dxa\"/></w:tcPr><w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>"
           "<w:r><w:rPr><w:rFonts w:eastAsia=\"標楷體\"/><w:sz w:val=\"20\"/></w:rPr><w:t>" +
           text + "</w:t></w:r></w:p></w:tc>";
}

std::string row(const std::vector<std::string>& texts) {
    std::string xml = "<w:tr>";
    for (const auto& text : texts) xml += cell(text);
    return xml + "</w:tr>";
}

}  // namespace

std::string receipt_body() {
    std::string body = "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:t>免用統一發票收據</w:t></w:r></w:p><w:tbl>";
    std::vector<std::string> tax{"統一編號"};
    for (int i = 1; i <= 8; ++i) tax.push_back("$$$A" + std::to_string(i) + "$$$");
    body += row(tax);
    body += row({"買受人", "$$$C1$$$", "中華民國", "$$$B1$$$", "年", "$$$B2$$$", "月", "$$$B3$$$", "日"});
    body += row({"品名", "數量", "單價", "金額", "", "", "", "", ""});
    for (int i = 1; i <= 7; ++i) {
        const auto n = std::to_string(i);
        body += row({"$$$D" + n + "$$$", "$$$E" + n + "$$$", "$$$F" + n + "$$$", "$$$G" + n + "$$$", "", "", "", "", ""});
    }
    std::vector<std::string> total{"總計新台幣"};
    for (int i = 1; i <= 6; ++i) total.push_back("$$$H" + std::to_string(i) + "$$$");
    total.push_back("整");
    total.push_back("$$$I$$$");
    body += row(total);
    body += row({"負責人", "$$$J$$$", "", "", "", "", "", "", ""});
    body += "</w:tbl><w:sectPr/>";
    return body;
}

void queue_receipt_plan(docx_loom::Document& document, const std::string& seal, const std::string& owner) {
    document.set("$$$I$$$", "", {.image_path = seal, .image_height = 1.2, .image_width = 1.3189});
    document.set("$$$J$$$", "", {.image_path = owner, .image_height = 0.4173, .image_width = 0.4173});
    for (int i = 1; i <= 8; ++i) document.set("$$$A" + std::to_string(i) + "$$$", std::to_string(i));
    for (int i = 1; i <= 3; ++i) document.set("$$$B" + std::to_string(i) + "$$$", std::to_string(100 + i));
    document.set("$$$C1$$$", "台灣測試有限公司", {.new_font_size = docx_loom::Pt(12), .new_alignment = "left"});
    for (const char* prefix : {"$$$D", "$$$E", "$$$F", "$$$G"})
        for (int i = 1; i <= 7; ++i) document.set(prefix + std::to_string(i) + "$$$", "品項" + std::to_string(i));
    for (int i = 1; i <= 6; ++i) document.set("$$$H" + std::to_string(i) + "$$$", "玖");
}
