#pragma once

#include <cmath>
#include <cstdint>

namespace docx_loom {

// A length in English Metric Units, the unit of DrawingML (914400 per inch,
// 12700 per point). Font sizes and picture sizes are built from it.
class Length {
public:
    constexpr explicit Length(std::int64_t emu) : emu_(emu) {}

    constexpr std::int64_t emu() const { return emu_; }
    constexpr double pt() const { return static_cast<double>(emu_) / kEmuPerPoint; }
    constexpr double inches() const { return static_cast<double>(emu_) / kEmuPerInch; }

    friend constexpr bool operator==(Length, Length) = default;

    static constexpr std::int64_t kEmuPerInch = 914400;
    static constexpr std::int64_t kEmuPerPoint = 12700;

private:
    std::int64_t emu_;
};

inline Length Pt(double points) { return Length(std::llround(points * Length::kEmuPerPoint)); }
inline Length Inches(double inches) { return Length(std::llround(inches * Length::kEmuPerInch)); }
inline Length Cm(double cm) { return Length(std::llround(cm * 360000.0)); }

}  // namespace docx_loom
