#pragma once

namespace pdf_press::detail {

// LibreOffice's PDF export settings, shared by the converter and the per-call command
// line so both write the same PDF. PDF/A-2b: receipts are kept for years, and PDF/A
// embeds every font. Pictures keep their own pixels: reducing their resolution means
// resampling and JPEG-encoding every seal on every receipt, which costs more than the
// rest of the picture work and blurs the seal, and a JPEG picture would be encoded
// again, losing more each time.
inline constexpr const char* pdf_export_options =
    R"({"SelectPdfVersion":{"type":"long","value":"2"},)"
    R"("ReduceImageResolution":{"type":"boolean","value":"false"},)"
    R"("UseLosslessCompression":{"type":"boolean","value":"true"}})";

}  // namespace pdf_press::detail
