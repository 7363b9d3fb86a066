#pragma once

namespace pdf_press::detail {

// LibreOffice's PDF export settings, shared by the converter and the per-call command
// line so both write the same PDF. PDF/A-2b: receipts are kept for years, and PDF/A
// embeds every font. Pictures are kept at their own resolution: reducing them means
// resampling and JPEG-encoding every seal on every receipt, which costs more than the
// rest of the picture work and blurs the seal; a JPEG picture then goes in as it is.
inline constexpr const char* pdf_export_options =
    R"({"SelectPdfVersion":{"type":"long","value":"2"},"ReduceImageResolution":{"type":"boolean","value":"false"}})";

}  // namespace pdf_press::detail
