// The 5 × 5 kernel normalisation, the per-layer Gaussians and the layer steps.

#include <gtest/gtest.h>

#include <numeric>

#include "enhance/wavelet_filter.h"

using namespace kestrave;

TEST(WaveletKernel, SpinsAreNormalisedBySumOfAllTwentyFiveIncludingNegatives) {
    WaveletFilter filter;
    EXPECT_EQ(SetWaveletKernel(filter, defaultKernelSpins()), "centre :51 %");
    EXPECT_FLOAT_EQ(filter.WaveletKernel5x5[kernelIndex(0, 0)], 50.0f / 98.0f);
    for (const auto& [dx, dy] :
         {std::pair{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}) {
        EXPECT_FLOAT_EQ(filter.WaveletKernel5x5[kernelIndex(dx, dy)], 6.0f / 98.0f);
    }
    EXPECT_EQ(filter.WaveletKernel5x5[kernelIndex(-2, 0)], 0.0f);
    EXPECT_EQ(filter.WaveletKernel5x5[kernelIndex(2, 2)], 0.0f);

    // Filter<a><b> holds dx = a - 2, dy = b - 2: Filter20 is the middle of the top row.
    KernelSpins spins{};
    spins[0 * 5 + 2] = 3;  // Filter20
    spins[2 * 5 + 2] = 1;  // Filter22
    SetWaveletKernel(filter, spins);
    EXPECT_FLOAT_EQ(filter.WaveletKernel5x5[kernelIndex(0, -2)], 0.75f);
    EXPECT_EQ(SetWaveletKernel(filter, spins), "centre :25 %");

    KernelSpins mixed{};
    mixed[kernelIndex(0, 0)] = 6;
    mixed[kernelIndex(1, 0)] = -2;  // negative taps count in the sum although they are not used
    SetWaveletKernel(filter, mixed);
    EXPECT_FLOAT_EQ(filter.WaveletKernel5x5[kernelIndex(0, 0)], 1.5f);

    // Weights that sum to 0 are taken as they stand (divided by 1), and so is an empty kernel.
    KernelSpins balanced{};
    balanced[kernelIndex(0, 0)] = 3;
    balanced[kernelIndex(0, 1)] = -3;
    EXPECT_EQ(SetWaveletKernel(filter, balanced), "centre :300 %");
    EXPECT_EQ(filter.WaveletKernel5x5[kernelIndex(0, 1)], -3.0f);
    EXPECT_EQ(SetWaveletKernel(filter, KernelSpins{}), "centre :0 %");
    for (const float weight : filter.WaveletKernel5x5) EXPECT_EQ(weight, 0.0f);
}

TEST(WaveletGaussian, TapsAreNormalisedAndCutWhereTheyFallBelowOneThousandth) {
    WaveletFilter filter;
    const std::string caption = BuildGaussianLayers(filter, 0.1f, {0.1f, 0.0f, 0.6f, 5.0f, 0.1f, 0.1f});
    // σ = 0.235: t(1) ≈ 0.046, t(2) ≈ 8e-6, so layer 1 uses ±2; a width of 0 is raised to σ = 0.05,
    // whose t(1) is already far below the threshold; width 5 never falls below it.
    EXPECT_EQ(filter.LayerHalfWidth[1], 2);
    EXPECT_EQ(filter.LayerHalfWidth[2], 1);
    EXPECT_EQ(filter.LayerHalfWidth[3], 9);
    EXPECT_EQ(filter.LayerHalfWidth[4], 10);
    EXPECT_EQ(caption, "centre :81 % 2 1 9 10 2 2");
    for (int n = 1; n <= 6; ++n) {
        const auto& taps = filter.LayerTaps[n];
        EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0.0), 1.0, 1e-6) << "layer " << n;
        EXPECT_FLOAT_EQ(taps[GaussianMaxHalfWidth - 3], taps[GaussianMaxHalfWidth + 3]);
    }
    // The narrowest Gaussian is practically the identity 0, 1, 0.
    EXPECT_NEAR(filter.LayerTaps[2][GaussianMaxHalfWidth], 1.0f, 1e-6);
    EXPECT_LT(filter.LayerTaps[2][GaussianMaxHalfWidth + 1], 1e-20f);
}

TEST(WaveletGaussian, SetLayersScalesStartAndStepByGauss) {
    const FilterLayerWidths widths = SetFilterLayers(0.5f, 1.0f, 0.5f);
    EXPECT_FLOAT_EQ(widths.Gauss, 0.5f);
    EXPECT_FLOAT_EQ(widths.Gausslayer[0], 0.5f);
    EXPECT_FLOAT_EQ(widths.Gausslayer[5], 1.75f);
    const FilterLayerWidths raised = SetFilterLayers(0.0f, 2.0f, 0.0f);
    EXPECT_FLOAT_EQ(raised.Gauss, 0.05f);
    EXPECT_FLOAT_EQ(raised.Gausslayer[3], 0.1f);
}

TEST(WaveletSteps, DyadicIgnoresTheStepControlsLinearUsesThem) {
    const WaveletStepOptions dyadic{TWaveletScheme::Dyadic, 5.0, 7.0};
    const WaveletStepOptions flat{TWaveletScheme::Linear, 1.0, 0.0};
    const WaveletStepOptions linear{TWaveletScheme::Linear, 2.0, 3.0};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(layerStep(dyadic, n), 1 << (n - 1));
        EXPECT_EQ(layerStep(flat, n), 1);
        EXPECT_EQ(layerStep(linear, n), 2 + 3 * (n - 1));
    }
    EXPECT_EQ(layerCaption(dyadic, 3), "3 : 4");
    EXPECT_EQ(layerCaption(linear, 6), "6 : 17");
    // Round is to nearest with ties to even.
    EXPECT_EQ(layerStep({TWaveletScheme::Linear, 2.5, 0.0}, 1), 2);
}
