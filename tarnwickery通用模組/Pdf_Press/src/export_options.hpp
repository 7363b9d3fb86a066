#pragma once

#include <string>
#include <string_view>

namespace pdf_press::detail {

// How a watermark looks. The office draws it over the page at half opacity, so text
// under it turns grey but stays readable; at this colour the mark itself comes out a
// light grey. The height lets two characters cross a receipt page corner to corner.
// The receipt's own Kai face, which the shipped font mapping provides.
inline constexpr long watermark_color = 0xD8D8D8;
inline constexpr long watermark_font_height = 200;  // points
inline constexpr long watermark_rotate_angle = 450;  // tenths of a degree
inline constexpr const char* watermark_font_name = "標楷體";

// `text` as a JSON string, quotes included. UTF-8 passes through as it is.
inline std::string json_string(std::string_view text) {
    constexpr char hex[] = "0123456789abcdef";
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            json += "\\u00";
            json += hex[c >> 4];
            json += hex[c & 15];
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

// LibreOffice's PDF export settings, shared by the converter and the per-call command
// line so both write the same PDF. PDF/A-2b: receipts are kept for years, and PDF/A
// embeds every font. Pictures keep their own pixels: reducing their resolution means
// resampling and JPEG-encoding every seal on every receipt, which costs more than the
// rest of the picture work and blurs the seal, and a JPEG picture would be encoded
// again, losing more each time. A non-empty `watermark` is drawn diagonally across
// every page; without one the settings are those of every receipt.
inline std::string pdf_export_options(std::string_view watermark = {}) {
    std::string options =
        R"({"SelectPdfVersion":{"type":"long","value":"2"},)"
        R"("ReduceImageResolution":{"type":"boolean","value":"false"},)"
        R"("UseLosslessCompression":{"type":"boolean","value":"true"})";
    if (!watermark.empty()) {
        auto number = [](long value) { return R"({"type":"long","value":")" + std::to_string(value) + R"("})"; };
        options += R"(,"Watermark":{"type":"string","value":)" + json_string(watermark) + "}";
        options += R"(,"WatermarkColor":)" + number(watermark_color);
        options += R"(,"WatermarkFontHeight":)" + number(watermark_font_height);
        options += R"(,"WatermarkRotateAngle":)" + number(watermark_rotate_angle);
        options += R"(,"WatermarkFontName":{"type":"string","value":)" + json_string(watermark_font_name) + "}";
    }
    return options + "}";
}

}  // namespace pdf_press::detail
