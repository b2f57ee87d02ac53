#pragma once
// The options and results of the reference spectrum as values: the limits of the filter spin
// edits, how a box pixel's level is formed, the control values the computation reads and the
// automatic values it derives.

#include <array>
#include <cmath>
#include <optional>

namespace kestrave {

// Limits of the spin edits that receive automatic values.
inline constexpr double FFTFilterMin = 2.0;
inline constexpr double FFTFilterMax = 80.0;
inline constexpr double QualityFilterMin = 1.0;
inline constexpr double QualityFilterMax = 250.0;
inline constexpr double QualFilterDXMin = 1.0;
inline constexpr double QualFilterDXMax = 50.0;

// How the level of a box pixel is formed besides the colour weighting: the bias and the dark
// frame are taken off. Frames are aligned with the same settings as the reference.
struct BoxLevelOptions {
    bool biasSubtract = false;  // "Bias subtract" (Blurbox) checked
    double bias = 50.0;         // value of the Bias spin; rounded before use
    bool darkSubtract = false;  // Usedarkframe checked and Rawdark not
};

// The level of one box pixel whose colour weighting gave `value`: with bias subtraction less
// Round(bias), and not below 0; then less dark x 0.0078125 (the dark planes hold 128 times the
// dark level), where `dark` is null when no dark frame is subtracted.
inline float boxLevel(float value, const BoxLevelOptions& options, const float* dark) {
    if (options.biasSubtract) value -= static_cast<float>(std::nearbyint(options.bias));
    if (value < 0.0f) value = 0.0f;
    if (dark != nullptr) value -= *dark * 0.0078125f;
    return value;
}

// The control values the reference computation reads.
struct ReferenceOptions {
    // Weights of red, green and blue in the luminance of a pixel.
    std::array<float, 3> LumWeights{0.299f, 0.587f, 0.114f};
    BoxLevelOptions levels;
    // The quality method is spectral ("Classic" or "Human Visual", not QualityFromImage); only
    // then is the quality band set automatically.
    bool spectralQuality = true;
    // 1 for "Human Visual", 0 otherwise.
    int HVSWeighting = 0;
    // Interlaced input (interlaced), with the fields side by side (Interlacehoriz).
    bool interlaced = false;
    bool Interlacehoriz = false;
    // Current values of FFTFilterspin, QualityFilter and QualFilterDX.
    double FFTFilter = 10.0;
    double QualityFilter = 12.0;
    double QualFilterDX = 5.0;
};

// What the reference computation derived from the box. A value that is set is to be written into
// its spin edit (it already lies within the spin's limits); one that is not set stays as it is.
struct AutomaticFilterValues {
    // The automatic FFT filter radius in frequency bins, before the spin's limits.
    int radiusBins = 0;
    std::optional<double> FFTFilter;
    std::optional<double> QualityFilter;
    std::optional<double> QualFilterDX;
};

// The options with the automatic values written into them, as the controls hold them afterwards.
ReferenceOptions withAutomaticValues(ReferenceOptions options, const AutomaticFilterValues& values);

// The automatic quality band in radial bins: {start, end}.
struct QualityBandBins {
    int start = 0;
    int end = 0;
};
}  // namespace kestrave
