#include "enhance/tone_tables.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "enhance/clamped_round.h"

namespace kestrave {

namespace {

// The clipping rounds end long before this in practice; the cap only guards against a loop
// that converges too slowly to matter.
constexpr int MaxClipRounds = 1000;

double binTotal(const ToneHistogramArray& bins) {
    return std::accumulate(bins.begin(), bins.end(), 0.0);
}

}  // namespace

void BuildToneCurve(ToneCurveArray& ToneCurve, float Bias, float Scale, bool Tonegraph) {
    const double bias = Bias == 0.0f ? 0.00001f : Bias;  // the bias is a single float
    if (Tonegraph) return;
    const double scale = std::max(static_cast<double>(Scale), 2.0);
    const double exponent = std::log(bias) / std::log(0.5);
    const double logScale = std::log10(scale);
    for (int i = 1; i <= ToneCurveLast; ++i) {
        ToneCurve[i] = std::log10(i + 1.0) / std::log10(2.0 + 8.0 * std::pow(i / scale, exponent)) / logScale;
    }
}

float toneScaleForIntensity(int intensitySlider) {
    return static_cast<float>(std::clamp(2002 - intensitySlider, 0, 2000));
}

void BuildToneHistogram(ToneHistogramArray& ToneHistogram, const LuminanceHistogram& stackHistogram,
                        float Scale) {
    ToneHistogram = stackHistogram;
    const double target = 0.025 * binTotal(ToneHistogram);
    for (int round = 0; round < MaxClipRounds; ++round) {
        const double limit = binTotal(ToneHistogram) / Scale;
        double excess = 0.0;
        for (float& bin : ToneHistogram) {
            if (bin > limit) {
                excess += bin - limit;
                bin = static_cast<float>(limit);
            }
        }
        if (excess <= target) break;
    }
    for (int i = 1; i <= ToneHistogramLast; ++i) ToneHistogram[i] += ToneHistogram[i - 1];
    const float total = ToneHistogram[ToneHistogramLast];
    for (int i = 0; i <= ToneHistogramLast; ++i) {
        ToneHistogram[i] = total > 0.0f ? ToneHistogram[i] / total * 255.0f
                                        : static_cast<float>(i) / ToneHistogramLast * 255.0f;
    }
}

float rebuildToneTables(ToneTables& tables, const ToneTableOptions& options,
                        const LuminanceHistogram& stackHistogram) {
    const float scale = toneScaleForIntensity(options.Intensity);
    BuildToneCurve(tables.ToneCurve, options.Bias, scale, options.Tonegraph);
    BuildToneHistogram(tables.ToneHistogram, stackHistogram, scale);
    return scale;
}

bool applyGammaSpin(GammaTableArray& GammaTable, double Gamma1spin) {
    if (!(Gamma1spin > 0.0)) return false;
    BuildGammaTable(GammaTable, static_cast<float>(1.0 / Gamma1spin));
    return true;
}

std::array<GraphPoint, 251> gammaCurvePoints(const GammaTableArray& GammaTable) {
    std::array<GraphPoint, 251> points;
    for (int j = 0; j <= 250; ++j) {
        const int index = clampedRound(j * 120.0, 0, GammaTableLast);
        points[j] = {static_cast<int>(std::nearbyint(j * 0.004 * 255.0)),
                     255 - clampedRound(GammaTable[index] * 255.0, -255 * 255, 255 * 255)};
    }
    return points;
}

}  // namespace kestrave
