#pragma once
// The gamma lookup table shared by the pre-gamma of the frame display, the optimizer and the
// renderer: entry i = (i / 30000 + 0.000001) ^ gamma for i = 0..32000, so that index 30000
// stands for full scale and the small offset keeps 0 ^ gamma defined for any gamma.

#include <array>
#include <cstdint>

namespace kestrave {

inline constexpr int GammaTableLast = 32000;
inline constexpr int GammaFullScale = 30000;

using GammaTableArray = std::array<double, GammaTableLast + 1>;

// Fills every entry of GammaTable for the given gamma.
void BuildGammaTable(GammaTableArray& GammaTable, float Gamma);

// The preview gamma of the frame display (the "Preview gamma" spin): GammaTable is built with
// gamma 1 / value, a value below 0.1 (or none at all) taken as 0.1. Returns the value used.
double applyPreviewGamma(GammaTableArray& GammaTable, double Previewgamma);

// The pre-gamma of one 8-bit sample: Round(GammaTable[Round(v / 255 × 30000)] × 255), kept
// within 0..255.
std::uint8_t preGamma(const GammaTableArray& GammaTable, std::uint8_t v);

}  // namespace kestrave
