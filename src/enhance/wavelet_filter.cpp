#include "enhance/wavelet_filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "enhance/clamped_round.h"
#include "frames/frame_model.h"

namespace kestrave {

namespace {

// Gaussian widths are never taken below this (a width of 0 would divide by zero).
constexpr float MinimumGaussWidth = 0.05f;
// The first tap below this value is the last one used.
constexpr double TapThreshold = 0.001;
// Design value of Gausslayer1..Gausslayer6.
constexpr float DesignLayerWidth = 0.1f;
// A width of 1 on the controls stands for a standard deviation of 2.35 pixels.
constexpr double WidthToSigma = 2.35;

// "centre :" + the centre weight in whole percent + " %".
std::string centreCaption(double fraction) {
    std::string caption = "centre :";
    caption += std::to_string(static_cast<int>(std::nearbyint(fraction * 100.0)));
    caption += " %";
    return caption;
}

}  // namespace

WaveletFilter::WaveletFilter() {
    SetWaveletKernel(*this, defaultKernelSpins());
    std::array<float, 6> widths;
    widths.fill(DesignLayerWidth);
    BuildGaussianLayers(*this, DesignLayerWidth, widths);
}

KernelSpins defaultKernelSpins() {
    KernelSpins spins{};
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) spins[kernelIndex(dx, dy)] = 6;
    }
    spins[kernelIndex(0, 0)] = 50;
    return spins;
}

std::string SetWaveletKernel(WaveletFilter& filter, const KernelSpins& spins) {
    double sum = std::accumulate(spins.begin(), spins.end(), 0.0);
    if (sum == 0.0) sum = 1.0;
    for (int i = 0; i < 25; ++i) filter.WaveletKernel5x5[i] = static_cast<float>(spins[i] / sum);
    return centreCaption(filter.WaveletKernel5x5[kernelIndex(0, 0)]);
}

std::string BuildGaussianLayers(WaveletFilter& filter, float Gauss, const std::array<float, 6>& Gausslayer) {
    constexpr double pi = std::numbers::pi;
    const double sigma = std::max(Gauss, MinimumGaussWidth) * WidthToSigma;
    const double twoPiSigma2 = 2.0 * pi * sigma * sigma;
    double total = 0.0;
    for (int i = -GaussianMaxHalfWidth; i <= GaussianMaxHalfWidth; ++i) {
        for (int j = -GaussianMaxHalfWidth; j <= GaussianMaxHalfWidth; ++j) {
            total += std::exp(-(i * i + j * j) / twoPiSigma2) / twoPiSigma2;
        }
    }
    std::string caption = centreCaption(1.0 / twoPiSigma2 / total);

    for (int n = 1; n <= WaveletLayerCount; ++n) {
        const double sigmaN =
            std::max(Gausslayer[n - 1] * WidthToSigma, static_cast<double>(MinimumGaussWidth));
        std::array<double, GaussianTapCount> taps;
        for (int k = -GaussianMaxHalfWidth; k <= GaussianMaxHalfWidth; ++k) {
            taps[k + GaussianMaxHalfWidth] =
                std::exp(-(k * k) / (2.0 * pi * sigmaN * sigmaN)) / std::sqrt(2.0 * pi * sigmaN);
        }
        int halfWidth = GaussianMaxHalfWidth;
        for (int k = -1; k >= -GaussianMaxHalfWidth; --k) {
            if (taps[k + GaussianMaxHalfWidth] < TapThreshold) {
                halfWidth = -k;
                break;
            }
        }
        const double sum = std::accumulate(taps.begin(), taps.end(), 0.0);
        for (int i = 0; i < GaussianTapCount; ++i) filter.LayerTaps[n][i] = static_cast<float>(taps[i] / sum);
        filter.LayerHalfWidth[n] = halfWidth;
        caption += ' ';
        caption += std::to_string(halfWidth);
    }
    return caption;
}

FilterLayerWidths SetFilterLayers(float Gauss, float Gaussstart, float Gaussstep) {
    FilterLayerWidths widths;
    widths.Gauss = Gauss <= 0.0f ? MinimumGaussWidth : Gauss;
    for (int i = 1; i <= 6; ++i) {
        widths.Gausslayer[i - 1] = widths.Gauss * (Gaussstart + static_cast<float>(i - 1) * Gaussstep);
    }
    return widths;
}

int layerStep(const WaveletStepOptions& options, int n) {
    if (options.Waveletscheme == TWaveletScheme::Dyadic) return 1 << (n - 1);
    // A tap distance beyond the largest image is mirrored back into it; the bound keeps positions in
    // range.
    return clampedRound(options.LevelStep + options.Multiplicant * (n - 1), -MaxFrameSize, MaxFrameSize);
}

std::string layerCaption(const WaveletStepOptions& options, int n) {
    std::string caption = std::to_string(n);
    caption += " : ";
    caption += std::to_string(layerStep(options, n));
    return caption;
}

}  // namespace kestrave
