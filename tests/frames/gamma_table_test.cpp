// The gamma lookup table and the pre-gamma of 8-bit samples.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "frames/gamma_table.h"

using namespace kestrave;

TEST(GammaTable, EntriesFollowTheOffsetPowerLaw) {
    auto table = std::make_unique<GammaTableArray>();
    BuildGammaTable(*table, 1.0f);
    EXPECT_DOUBLE_EQ((*table)[0], 0.000001);
    EXPECT_DOUBLE_EQ((*table)[30000], 1.000001);
    EXPECT_DOUBLE_EQ((*table)[32000], 32000.0 / 30000.0 + 0.000001);

    BuildGammaTable(*table, 0.5f);
    EXPECT_DOUBLE_EQ((*table)[7500], std::sqrt(0.25 + 0.000001));
    EXPECT_DOUBLE_EQ((*table)[0], 0.001);

    // A gamma that is not exact in single precision is used as the single value it is.
    BuildGammaTable(*table, 1.0f / 2.2f);
    EXPECT_DOUBLE_EQ((*table)[15000], std::pow(0.5 + 0.000001, static_cast<double>(1.0f / 2.2f)));
}

TEST(GammaTable, PreGammaKeepsBytesAtGammaOneAndBendsThemOtherwise) {
    auto table = std::make_unique<GammaTableArray>();
    BuildGammaTable(*table, 1.0f);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(preGamma(*table, static_cast<std::uint8_t>(v)), v);

    BuildGammaTable(*table, 2.0f);
    // Round(128 / 255 × 30000) = 15059; (15059 / 30000 + 0.000001)² × 255 = 64.25.
    EXPECT_EQ(preGamma(*table, 128), 64);
    EXPECT_EQ(preGamma(*table, 0), 0);
    EXPECT_EQ(preGamma(*table, 255), 255);

    // A gamma below 1 lifts the dark end, and full scale stays within a byte.
    BuildGammaTable(*table, 0.25f);
    EXPECT_EQ(preGamma(*table, 255), 255);
    EXPECT_GT(preGamma(*table, 16), 16 * 2);
}

TEST(GammaTable, PreviewGammaBuildsTheInverseAndTakesNothingBelowATenth) {
    auto table = std::make_unique<GammaTableArray>();
    struct Case {
        double spin, used, gamma;
    };
    // 0.05 and a missing number count as 0.1: the table uses the gamma 10.
    const Case cases[] = {{0.05, 0.1, 10.0}, {std::nan(""), 0.1, 10.0}, {0.1, 0.1, 10.0}, {2.0, 2.0, 0.5}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(applyPreviewGamma(*table, c.spin), c.used) << c.spin;
        EXPECT_DOUBLE_EQ((*table)[15000], std::pow(0.5 + 0.000001, c.gamma)) << c.spin;
    }
}
