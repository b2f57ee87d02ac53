#include "frames/gamma_table.h"

#include <algorithm>
#include <cmath>

namespace kestrave {

void BuildGammaTable(GammaTableArray& GammaTable, float Gamma) {
    const double gamma = Gamma;
    for (int i = 0; i <= GammaTableLast; ++i) {
        GammaTable[i] = std::pow(static_cast<double>(i) / GammaFullScale + 0.000001, gamma);
    }
}

double applyPreviewGamma(GammaTableArray& GammaTable, double Previewgamma) {
    constexpr double Lowest = 0.1;
    const double value = Previewgamma >= Lowest ? Previewgamma : Lowest;
    BuildGammaTable(GammaTable, static_cast<float>(1.0 / value));
    return value;
}

std::uint8_t preGamma(const GammaTableArray& GammaTable, std::uint8_t v) {
    const auto index = static_cast<int>(std::nearbyint(v / 255.0 * GammaFullScale));
    const double level = std::clamp(GammaTable[index] * 255.0, 0.0, 255.0);
    return static_cast<std::uint8_t>(std::nearbyint(level));
}

}  // namespace kestrave
