// The tone curve, the equalising tone histogram and the gamma spin's rule.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "enhance/tone_tables.h"

using namespace kestrave;

TEST(ToneCurve, FollowsTheBiasedLogarithmAndLeavesEntryZero) {
    auto curve = std::make_unique<ToneCurveArray>();
    curve->fill(-1.0);
    (*curve)[0] = 0.0;
    // With bias 0.5 the exponent ln 0.5 / ln 0.5 is 1: T(i) = log10(i + 1) / log10(2 + 8 i / S) / log10 S.
    BuildToneCurve(*curve, 0.5f, 230.0f, false);
    EXPECT_EQ((*curve)[0], 0.0);
    EXPECT_NEAR((*curve)[230], 1.0007977819653125, 1e-12);  // log10 231 / log10 230
    EXPECT_NEAR((*curve)[1], 0.41314204287175784, 1e-12);   // log10 2 / log10(2 + 8 / 230) / log10 230

    // The start-up curve: bias 2.2 lifts the shadows (exponent below 0 makes the divisor fall).
    BuildToneCurve(*curve, StartupToneBias, StartupToneScale, false);
    EXPECT_GT((*curve)[1000], (*curve)[500]);
    // log10 30001 / log10(2 + 8 (30000 / 230) ^ (ln 2.2 / ln 0.5)) / log10 230, with 2.2 as the
    // single value 2.2000000477.
    EXPECT_NEAR((*curve)[30000], 6.1590050084801743, 1e-9);

    // A bias of 0 is the bias 0.00001; a scale of 0 is raised to 2 and gives finite values.
    auto tiny = std::make_unique<ToneCurveArray>();
    BuildToneCurve(*tiny, 0.00001f, 230.0f, false);
    BuildToneCurve(*curve, 0.0f, 230.0f, false);
    EXPECT_EQ((*curve)[12345], (*tiny)[12345]);
    BuildToneCurve(*curve, 2.2f, 0.0f, false);
    for (int i = 1; i <= ToneCurveLast; ++i) ASSERT_TRUE(std::isfinite((*curve)[i])) << i;

    // While the tone-curve editor owns the table it is left alone.
    curve->fill(0.25);
    BuildToneCurve(*curve, 2.2f, 230.0f, true);
    EXPECT_EQ((*curve)[777], 0.25);
}

TEST(ToneHistogram, SingleBinBecomesAStepFlatBecomesARampEmptyBecomesTheIdentity) {
    auto tables = std::make_unique<ToneTables>();
    LuminanceHistogram stack{};
    stack[500] = 100000.0f;
    BuildToneHistogram(tables->ToneHistogram, stack, 230.0f);
    EXPECT_EQ(tables->ToneHistogram[499], 0.0f);
    EXPECT_FLOAT_EQ(tables->ToneHistogram[500], 255.0f);
    EXPECT_FLOAT_EQ(tables->ToneHistogram[1000], 255.0f);

    // Every bin 1: the limit 1001 / 230 is never reached, so nothing is clipped.
    stack.fill(1.0f);
    BuildToneHistogram(tables->ToneHistogram, stack, 230.0f);
    for (int i : {0, 1, 500, 1000})
        EXPECT_NEAR(tables->ToneHistogram[i], (i + 1) / 1001.0 * 255.0, 1e-3) << i;

    stack.fill(0.0f);
    BuildToneHistogram(tables->ToneHistogram, stack, 230.0f);
    for (int i : {0, 250, 1000}) EXPECT_FLOAT_EQ(tables->ToneHistogram[i], i / 1000.0f * 255.0f);
}

TEST(ToneHistogram, ASpikeIsClippedUntilARoundCutsLittle) {
    auto tables = std::make_unique<ToneTables>();
    LuminanceHistogram stack;
    stack.fill(1.0f);
    stack[100] = 10000.0f;
    // Round 1 cuts the spike to 11000 / 230; round 2 to 1047.8 / 230 and cuts only 43 counts,
    // below 2.5 % of 11000, so the loop ends with the spike at 4.556.
    BuildToneHistogram(tables->ToneHistogram, stack, 230.0f);
    const double spike = (1000.0 + 11000.0 / 230.0) / 230.0;
    const double total = 1000.0 + spike;
    EXPECT_NEAR(tables->ToneHistogram[99], 100.0 / total * 255.0, 1e-3);
    EXPECT_NEAR(tables->ToneHistogram[100], (100.0 + spike) / total * 255.0, 1e-3);
    EXPECT_FLOAT_EQ(tables->ToneHistogram[1000], 255.0f);
}

TEST(ToneTables, RebuildUsesTheScaleTheIntensitySliderSets) {
    EXPECT_EQ(toneScaleForIntensity(2000), 2.0f);
    EXPECT_EQ(toneScaleForIntensity(1772), 230.0f);
    EXPECT_EQ(toneScaleForIntensity(1), 2000.0f);  // 2001 lies beyond the scale spin's range
    auto tables = std::make_unique<ToneTables>();
    auto expected = std::make_unique<ToneCurveArray>();
    LuminanceHistogram stack{};
    stack[10] = 5.0f;
    EXPECT_EQ(rebuildToneTables(*tables, {2.2f, 1772, false}, stack), 230.0f);
    BuildToneCurve(*expected, 2.2f, 230.0f, false);
    EXPECT_EQ(tables->ToneCurve[4321], (*expected)[4321]);
    EXPECT_FLOAT_EQ(tables->ToneHistogram[10], 255.0f);
}

TEST(GammaSpin, BuildsTheInverseGammaAndRefusesValuesNotAboveZero) {
    auto table = std::make_unique<GammaTableArray>();
    ASSERT_TRUE(applyGammaSpin(*table, 2.0));
    EXPECT_NEAR((*table)[7500], 0.5, 1e-5);
    EXPECT_NEAR((*table)[30000], 1.0, 1e-6);
    const double before = (*table)[7500];
    EXPECT_FALSE(applyGammaSpin(*table, 0.0));
    EXPECT_FALSE(applyGammaSpin(*table, -1.0));
    EXPECT_EQ((*table)[7500], before);

    ASSERT_TRUE(applyGammaSpin(*table, 1.0));
    const auto points = gammaCurvePoints(*table);
    EXPECT_EQ(points[0].x, 0);
    EXPECT_EQ(points[0].y, 255);
    EXPECT_EQ(points[125].x, 128);  // Round(127.5) is 128, ties to even
    EXPECT_EQ(points[125].y, 255 - 128);
    EXPECT_EQ(points[250].x, 255);
    EXPECT_EQ(points[250].y, 0);
}
