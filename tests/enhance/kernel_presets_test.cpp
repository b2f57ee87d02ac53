// The 3 x 3 kernel presets and the rule that makes the divisor of an edited kernel.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "enhance/kernel_presets.h"

using namespace kestrave;

namespace {

std::array<double, 9> weightsOf(const TKernel3x3& kernel) {
    std::array<double, 9> values{};
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = kernel[i + 1];
    return values;
}

const TKernel3x3& preset(const char* name) {
    for (std::size_t i = 0; i < KernelPresetCount; ++i)
        if (std::strcmp(KernelPresetNames[i], name) == 0) return KernelPresets[i];
    throw std::invalid_argument(name);
}

}  // namespace

TEST(KernelPresets, AChosenPresetDividesByTheSumOfItsWeights) {
    struct Case {
        const char* name;
        std::int32_t divisor;  // the preset's divisor
        TKernel3x3 expected;   // the preset's weights (element 0 unused here)
    };
    const Case cases[] = {
        {"Flat", 9, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"Sobel", 1, {0, -1, -2, -1, 0, 0, 0, 1, 2, 1}},
        {"lowpass1", 9, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"lowpass2", 10, {0, 1, 1, 1, 1, 2, 1, 1, 1, 1}},
        {"lowpass3", 16, {0, 1, 2, 1, 2, 4, 2, 1, 2, 1}},
        {"lowpass4", 5, {0, 0, 1, 0, 1, 1, 1, 0, 1, 0}},
        {"laplace", 1, {0, 1, -2, 1, -2, 5, -2, 1, -2, 1}},
        {"laplace2", 1, {0, -1, -1, -1, -1, 9, -1, -1, -1, -1}},
        {"laplaceedge", 1, {0, -1, -1, -1, -1, 8, -1, -1, -1, -1}},  // the weights sum to 0
        {"focus", 1, {0, 0, -1, 0, -1, 5, -1, 0, -1, 0}},
    };
    for (const Case& c : cases) {
        const TKernel3x3 kernel = kernelFromWeights(weightsOf(preset(c.name)));
        TKernel3x3 expected = c.expected;
        expected[0] = c.divisor;
        EXPECT_EQ(kernel, expected) << c.name;
    }
    EXPECT_EQ(preset("lowpass1"), DefaultKernel3x3) << "the kernel at start-up";
}

TEST(KernelPresets, EditedWeightsAreRoundedAndBounded) {
    // Far-off values are held at the bound, so the divisor cannot overflow.
    std::array<double, 9> large{};
    large.fill(1e12);
    const TKernel3x3 bounded = kernelFromWeights(large);
    EXPECT_EQ(bounded[1], KernelWeightLimit);
    EXPECT_EQ(bounded[0], 9 * KernelWeightLimit);

    const TKernel3x3 mixed =
        kernelFromWeights({-1e12, 2.5, 3.5, std::numeric_limits<double>::quiet_NaN(), 0, 0, 0, 0, 0});
    EXPECT_EQ(mixed[1], -KernelWeightLimit);
    EXPECT_EQ(mixed[2], 2);  // ties to even
    EXPECT_EQ(mixed[3], 4);
    EXPECT_EQ(mixed[4], -KernelWeightLimit) << "a NaN counts as the lower bound";
    EXPECT_EQ(mixed[0], -2 * KernelWeightLimit + 6);

    // A negative sum stays the divisor: the kernel inverts the picture.
    std::array<double, 9> negative{};
    negative.fill(-1);
    EXPECT_EQ(kernelFromWeights(negative)[0], -9);
}
