#pragma once
// The smoothing filters of the wavelet decomposition and the layer steps.
//
// Two filters exist: a user 5 × 5 kernel ("Default") and a separable Gaussian whose width is set
// per layer ("Gaussian"). Layer n smooths with taps s(n) pixels apart, s given by the wavelet
// scheme.

#include <array>
#include <string>

namespace kestrave {

inline constexpr int WaveletLayerCount = 6;
inline constexpr int GaussianMaxHalfWidth = 10;
inline constexpr int GaussianTapCount = 2 * GaussianMaxHalfWidth + 1;

// Items of the "Wavelet scheme" radio group.
enum class TWaveletScheme { Dyadic = 0, Linear = 1 };
// Items of the "Wavelet filter" radio group.
enum class TConvolveMethod { Default = 0, Gaussian = 1 };

// The 25 spin edits Filter00..Filter44 in kernel order: Filter<a><b> (a the column digit, b the
// row digit) holds the tap dx = a - 2, dy = b - 2 and sits at index b × 5 + a.
using KernelSpins = std::array<int, 25>;

inline constexpr int kernelIndex(int dx, int dy) {
    return (dy + 2) * 5 + (dx + 2);
}

struct WaveletFilter {
    // Starts with the reset kernel (centre 50, its eight neighbours 6, normalised) and the
    // Gaussian of the design widths 0.1.
    WaveletFilter();

    // Normalised taps at kernelIndex(dx, dy).
    std::array<float, 25> WaveletKernel5x5{};
    // LayerTaps[n][k + 10]: the normalised one-dimensional Gaussian of layer n = 1..6, k = -10..10
    // (slot 0 unused); LayerHalfWidth[n]: the taps used on each side, 1..10.
    std::array<std::array<float, GaussianTapCount>, WaveletLayerCount + 1> LayerTaps{};
    std::array<int, WaveletLayerCount + 1> LayerHalfWidth{};
};

// The kernel that "Reset" restores: Filter22 50, Filter11, Filter21, Filter31, Filter12,
// Filter32, Filter13, Filter23, Filter33 6, the outer ring 0.
KernelSpins defaultKernelSpins();

// Takes the 25 spin values over into WaveletKernel5x5, each divided by the sum of all 25 (negative
// weights included; a sum of 0 counts as 1). Returns the caption of CentreWavelet,
// "centre :" + Round(centre tap × 100) + " %".
std::string SetWaveletKernel(WaveletFilter& filter, const KernelSpins& spins);

// Builds LayerTaps and LayerHalfWidth from the six per-layer widths (Gausslayer1..Gausslayer6)
// and returns the caption of CentreGaussian: "centre :" + the centre weight in percent of the 2-D
// Gaussian of width Gauss + " %", then " " and the half width of each layer.
std::string BuildGaussianLayers(WaveletFilter& filter, float Gauss, const std::array<float, 6>& Gausslayer);

// "Set layers": the six per-layer widths Gauss × (Gaussstart + (i - 1) × Gaussstep), with a Gauss
// of 0 (or less) raised to 0.05 first; that raised value comes back in Gauss.
struct FilterLayerWidths {
    float Gauss = 0.0f;
    std::array<float, 6> Gausslayer{};
};
FilterLayerWidths SetFilterLayers(float Gauss, float Gaussstart, float Gaussstep);

// The scheme controls.
struct WaveletStepOptions {
    TWaveletScheme Waveletscheme = TWaveletScheme::Linear;
    double LevelStep = 1.0;     // 1..32
    double Multiplicant = 0.0;  // 0..32
};

// The tap distance of layer n (1..6): 2^(n - 1) for the dyadic scheme, else
// Round(LevelStep + Multiplicant × (n - 1)).
int layerStep(const WaveletStepOptions& options, int n);
// The caption of layer n's check box: "n : s" (layer 3 of the dyadic scheme reads "3 : 4").
std::string layerCaption(const WaveletStepOptions& options, int n);

}  // namespace kestrave
