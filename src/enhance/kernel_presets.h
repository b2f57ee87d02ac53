#pragma once
// The ten named 3 x 3 kernels the prefilter and stack-filter editors offer, and the rule that
// turns the nine weights of an editor into the kernel in use.

#include <array>
#include <cstdint>

#include "frames/kernel3x3.h"

namespace kestrave {

inline constexpr std::size_t KernelPresetCount = 10;

// In the order of the editors' preset choosers. Each entry holds its stored divisor, then the
// nine weights row by row; the editors replace the stored divisor by the weights' sum.
inline constexpr std::array<const char*, KernelPresetCount> KernelPresetNames{
    "Flat",     "Sobel",   "lowpass1", "lowpass2",    "lowpass3",
    "lowpass4", "laplace", "laplace2", "laplaceedge", "focus"};
inline constexpr std::array<TKernel3x3, KernelPresetCount> KernelPresets{{
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, -1, -2, -1, 0, 0, 0, 1, 2, 1},
    {9, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {10, 1, 1, 1, 1, 2, 1, 1, 1, 1},
    {16, 1, 2, 1, 2, 4, 2, 1, 2, 1},
    {5, 0, 1, 0, 1, 1, 1, 0, 1, 0},
    {1, 1, -2, 1, -2, 5, -2, 1, -2, 1},
    {1, -1, -1, -1, -1, 9, -1, -1, -1, -1},
    {1, -1, -1, -1, -1, 8, -1, -1, -1, -1},
    {1, 0, -1, 0, -1, 5, -1, 0, -1, 0},
}};

// The editors' weights lie within ±KernelWeightLimit, so that the divisor (their sum) and the
// convolution's sums stay far from the limits of 32-bit integers.
inline constexpr int KernelWeightLimit = 10000;

// The kernel of nine editor values given row by row (top row first, left to right): each value
// rounded and held within ±KernelWeightLimit, and the divisor their sum, or 1 when the sum is 0.
TKernel3x3 kernelFromWeights(const std::array<double, 9>& values);

}  // namespace kestrave
