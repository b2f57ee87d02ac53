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
    EXPECT_NEAR((*table)[7500], 0.50000099999900000, 1e-15);  // sqrt(0.250001)
    EXPECT_DOUBLE_EQ((*table)[0], 0.001);

    // A gamma that is not exact in single precision is used as the single value it is:
    // 0.500001 ^ 0.45454543828964233 (1 / 2.2 itself would give 0.7297407162).
    BuildGammaTable(*table, 1.0f / 2.2f);
    EXPECT_NEAR((*table)[15000], 0.72974072446286347, 1e-15);
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
        double spin, used, entry;
    };
    // 0.05 and a missing number count as 0.1: the table uses the gamma 10, and entry 15000 is
    // 0.500001 ^ 10; the spin 2 gives the gamma 0.5, sqrt(0.500001).
    const double tenth = 9.7658203142578219e-4, half = 0.70710748829297516;
    const Case cases[] = {
        {0.05, 0.1, tenth}, {std::nan(""), 0.1, tenth}, {0.1, 0.1, tenth}, {2.0, 2.0, half}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(applyPreviewGamma(*table, c.spin), c.used) << c.spin;
        EXPECT_NEAR((*table)[15000], c.entry, c.entry * 1e-14) << c.spin;
    }
}
