// The photoreceptor and curve tone mapping of colour and monochrome pixels.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "enhance/tone_mapping.h"

using namespace kestrave;

namespace {

// Tables that change nothing: the histogram maps V to V, the curve i to i / 32000.
std::unique_ptr<ToneTables> identityTables() {
    auto tables = std::make_unique<ToneTables>();
    for (int i = 0; i <= ToneHistogramLast; ++i) tables->ToneHistogram[i] = i / 1000.0f * 255.0f;
    for (int i = 0; i <= ToneCurveLast; ++i) tables->ToneCurve[i] = i / 32000.0;
    return tables;
}

ToneMapOptions photoreceptorOptions(int lightAdaptation, int colourAdaptation) {
    ToneMapOptions options;
    options.Tonegraph = false;
    options.Intensity = 1000;  // f' = 0, f = 1
    options.Contrast = 2001;   // m = 1
    options.LightAdaptation = lightAdaptation;
    options.ColourAdaptation = colourAdaptation;
    return options;
}

}  // namespace

TEST(Photoreceptor, ParametersFollowTheSliders) {
    ToneMapOptions options;
    options.Contrast = 1;
    options.Intensity = 1;
    PhotoreceptorParameters p = photoreceptorParameters(options);
    EXPECT_NEAR(p.m, 0.30035, 1e-5);
    EXPECT_NEAR(p.f, 2957.2, 0.1);  // exp(7.992)
    EXPECT_NEAR(p.a, 1000.0 / 1001.0, 1e-12);
    EXPECT_NEAR(p.c, 1.0 / 1001.0, 1e-12);
    options.Intensity = 2000;
    EXPECT_NEAR(photoreceptorParameters(options).f, std::exp(-8.0), 1e-12);
    options.Intensity = 5000;  // f' clamped to 8
    EXPECT_NEAR(photoreceptorParameters(options).f, std::exp(-8.0), 1e-12);
}

TEST(Photoreceptor, CompressesEachChannelAgainstItsAdaptationLevel) {
    const auto tables = identityTables();
    const StackMeans means{0.2f, 0.4f, 0.6f, 0.5f};

    // Global and colour-dependent (a = c = 0): Ia = Lm = 0.5, so C' = C / (C + 0.5) × 255.
    const ToneMapper global(*tables, photoreceptorOptions(0, 0), means);
    const RgbValue g = global.colour(127.5f, 255.0f, 0.0f);
    EXPECT_NEAR(g.r, 0.5 / 1.0 * 255.0, 1e-3);
    EXPECT_NEAR(g.g, 1.0 / 1.5 * 255.0, 1e-3);
    EXPECT_EQ(g.b, 0.0f);

    // Global and colour-independent (c = 1): Ia = the channel's stack mean.
    const ToneMapper perChannel(*tables, photoreceptorOptions(0, 1001), means);
    const RgbValue pc = perChannel.colour(51.0f, 51.0f, 51.0f);
    EXPECT_NEAR(pc.r, 0.2 / 0.4 * 255.0, 1e-3);
    EXPECT_NEAR(pc.g, 0.2 / 0.6 * 255.0, 1e-3);
    EXPECT_NEAR(pc.b, 0.2 / 0.8 * 255.0, 1e-3);

    // Local and colour-independent (a = c = 1): Ia = C, so every lit channel becomes half scale.
    const ToneMapper local(*tables, photoreceptorOptions(1001, 1001), means);
    const RgbValue l = local.colour(200.0f, 50.0f, 10.0f);
    EXPECT_NEAR(l.r, 127.5, 1e-3);
    EXPECT_NEAR(l.g, 127.5, 1e-3);
    EXPECT_NEAR(l.b, 127.5, 1e-3);

    // A black pixel of a stack whose means are all zero gives 0, not 0 / 0.
    const ToneMapper dark(*tables, photoreceptorOptions(0, 0), StackMeans{});
    const RgbValue d = dark.colour(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(d.r, 0.0f);
    EXPECT_EQ(d.g, 0.0f);
    EXPECT_EQ(d.b, 0.0f);
}

TEST(CurveToneMapping, ColourGoesThroughHistogramAndCurveInHsv) {
    auto tables = identityTables();
    ToneMapOptions options;  // UseGraph on, LogHist off
    const ToneMapper identity(*tables, options, StackMeans{});
    const RgbValue same = identity.colour(200.0f, 100.0f, 50.0f);
    EXPECT_NEAR(same.r, 200.0f, 0.3f);
    EXPECT_NEAR(same.g, 100.0f, 0.3f);
    EXPECT_NEAR(same.b, 50.0f, 0.3f);

    // A grey has hue 0 and saturation 0; the saturation 0.01 keeps the inverse from refusing it.
    RgbValue grey;
    ASSERT_NO_THROW(grey = identity.colour(100.0f, 100.0f, 100.0f));
    EXPECT_NEAR(grey.r, 100.0f, 0.3f);
    EXPECT_NEAR(grey.g, 99.0f, 0.3f);

    // A curve at half height halves the value and keeps hue and saturation.
    tables->ToneCurve.fill(0.5);
    const ToneMapper half(*tables, options, StackMeans{});
    const RgbValue h = half.colour(200.0f, 100.0f, 50.0f);
    EXPECT_NEAR(h.r, 127.5f, 1e-3f);
    EXPECT_NEAR(h.g, 127.5f * 0.5f, 1e-3f);
    EXPECT_NEAR(h.b, 127.5f * 0.25f, 1e-3f);
}

TEST(CurveToneMapping, MonochromeUsesHistogramOrLogMapThenTheCurveOnlyWithUseGraph) {
    auto tables = identityTables();
    tables->ToneHistogram.fill(0.0f);
    for (int i = 500; i <= ToneHistogramLast; ++i) tables->ToneHistogram[i] = 255.0f;
    ToneMapOptions options;
    options.Tonegraph = false;
    const ToneMapper histogram(*tables, options, StackMeans{});
    EXPECT_EQ(histogram.mono(100.0f), 0.0f);    // bin 392
    EXPECT_EQ(histogram.mono(200.0f), 255.0f);  // bin 784
    EXPECT_EQ(histogram.mono(400.0f), 255.0f);  // beyond the table: last bin

    options.LogHist = true;
    options.LogHistFactor = 1.0f;
    const ToneMapper logMap(*tables, options, StackMeans{});
    EXPECT_NEAR(logMap.mono(127.5f), 0.5 / 1.5 * 512.0, 1e-3);
    EXPECT_EQ(logMap.mono(255.0f), 255.0f);  // 256, clamped

    // With UseGraph the curve follows: a curve at 0.2 maps everything to 51.
    options.Tonegraph = true;
    tables->ToneCurve.fill(0.2);
    const ToneMapper curved(*tables, options, StackMeans{});
    EXPECT_NEAR(curved.mono(127.5f), 51.0f, 1e-4);
}
