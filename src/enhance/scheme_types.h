#pragma once
// The controls a wavelet scheme file keeps, the ranges a loaded value is clamped to, and the
// error of a scheme or filter file that cannot be used.

#include <array>

#include "enhance/wavelet_filter.h"
#include "platform/errors.h"

namespace kestrave {

// A scheme or filter file that is missing, cannot be read or is not what its name claims.
class WaveletFileError : public FileError {
public:
    using FileError::FileError;
};

// The controls a scheme holds, as the window reads and sets them.
struct WaveletScheme {
    TWaveletScheme Waveletscheme = TWaveletScheme::Dyadic;
    TConvolveMethod Convolvemethod = TConvolveMethod::Default;
    // Layer1checkbox..layer6checkbox.
    std::array<bool, WaveletLayerCount> layerChecked{};
    double LevelStep = 1.0;     // 1..32
    double Multiplicant = 0.0;  // 0..32
    // Layer1slider..Layer6slider.
    std::array<int, WaveletLayerCount> layerSlider{10, 10, 10, 10, 10, 10};
    // Gausslayer1..Gausslayer6.
    std::array<double, WaveletLayerCount> Gausslayer{0.1, 0.1, 0.1, 0.1, 0.1, 0.1};

    bool operator==(const WaveletScheme&) const = default;
};

// Control ranges that a loaded value is clamped to.
inline constexpr int MinLevelStep = 1;
inline constexpr int MaxLevelStep = 32;
inline constexpr int MinMultiplicant = 0;
inline constexpr int MaxMultiplicant = 32;
inline constexpr int MinLayerSlider = -50;
inline constexpr int MaxLayerSlider = 1000;

}  // namespace kestrave
