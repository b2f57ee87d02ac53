// The render pass: recombination, the level map, the three colour modes, the displayed region,
// histograms, degenerate stacks and thread independence.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "enhance/clamped_round.h"
#include "enhance/render.h"
#include "render_fixture.h"

using namespace kestrave;
using kestrave::test::RenderFixture;
using kestrave::test::TestImage;
using kestrave::test::ThreadCountScope;

namespace {

// Sets the working plane of channel c to a value and every layer of that channel to 0, so that
// the recombined value is known without a decomposition.
void flatWork(RenderFixture& f, int c, float value) {
    TestImage::fill(f.section().WorkPlanes[c], value);
    for (int n = 1; n <= WaveletLayerCount; ++n) TestImage::fill(f.section().LayerPlanes[n][c], 0.0f);
}

std::uint64_t total(const DisplayHistogram& histogram) {
    std::uint64_t sum = 0;
    for (std::uint32_t count : histogram) sum += count;
    return sum;
}

}  // namespace

TEST(RenderPass, NeutralWeightsReproduceTheStackWithinRounding) {
    for (const bool colour : {false, true}) {
        SCOPED_TRACE(colour ? "colour" : "monochrome");
        RenderFixture f(96, 80);
        f.wavelet.Colourstack = colour;
        for (int c = 0; c < 3; ++c) f.image.fillRandom(f.section().StackPlanes[c], 7 + c);
        f.makeStackView();
        f.process();

        // The bypass: the level map applied to the stack value itself (contrast 1, gamma 1,
        // levels 0..255, no offsets): close to the value.
        float worstPlane = 0.0f;
        int worstByte = 0;
        int wrongSamples = 0;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 96; ++x) {
                for (int c = 0; c < 3; ++c) {
                    const int plane = colour ? c : 1;
                    const float v = f.section().StackPlanes[plane][x][y];
                    worstPlane = std::max(worstPlane, std::fabs(f.section().LayerPlanes[0][plane][x][y] - v));
                    const int bypass = clampedRound(
                        f.GammaTable[clampedRound(v * 30000.0 / 255.000001, 0, 32000)] * 255.0, 0, 255);
                    worstByte = std::max(worstByte, std::abs(f.shown(x, y, c) - bypass));
                    if (f.sample16(x, y, c) != 255 * f.shown(x, y, c)) ++wrongSamples;
                }
            }
        }
        EXPECT_LT(worstPlane, 1e-3f);
        EXPECT_LE(worstByte, 1);
        EXPECT_EQ(wrongSamples, 0);  // every 16-bit sample is 255 × its byte; monochrome is grey
    }
}

TEST(RenderPass, RecombinationAddsTheCheckedLayersWithTheirWeights) {
    RenderFixture f(40, 30);
    TestImage::fill(f.section().WorkPlanes[1], 10.0f);
    TestImage::fill(f.section().LayerPlanes[1][1], 2.0f);
    TestImage::fill(f.section().LayerPlanes[2][1], 3.0f);
    TestImage::fill(f.section().LayerPlanes[3][1], 100.0f);
    f.options.layerSlider = {25, -50, 10, 10, 10, 10};  // weights 2.5 and -5.0
    f.options.layerChecked = {true, true, false, true, true, true};
    f.render();
    EXPECT_EQ(f.section().LayerPlanes[0][1][0][0], 0.0f);  // 10 + 2.5 × 2 - 5 × 3, layer 3 off
    EXPECT_EQ(f.section().LayerPlanes[0][1][39][29], 0.0f);

    f.options.layerChecked.fill(false);
    f.render();
    EXPECT_EQ(f.section().LayerPlanes[0][1][20][20], 10.0f);  // the residual alone
    EXPECT_EQ(f.shown(20, 20, 1), 10);
}

TEST(RenderPass, LevelMapAppliesContrastBrightnessAndLevels) {
    RenderFixture f(20, 20);
    flatWork(f, 1, 50.0f);
    f.options.ContrastSlider = 500;  // contrast 2
    f.render();
    EXPECT_EQ(f.shown(5, 5, 1), 100);
    EXPECT_EQ(f.sample16(5, 5, 1), 100 * 255);

    f.options.ContrastSlider = 250;
    f.options.BrightnessSlider = 40;  // + 10
    f.render();
    EXPECT_EQ(f.shown(5, 5, 1), 60);

    f.options.BrightnessSlider = 0;
    f.state.LevelLo = 10.0f;  // (50 - 10) / 128 × 255
    f.state.LevelHi = 138.0f;
    f.render();
    EXPECT_EQ(f.shown(5, 5, 1), 80);

    // Equal levels: the white level moves one above the black level and stays there.
    f.state.LevelLo = f.state.LevelHi = 100.0f;
    flatWork(f, 1, 99.0f);
    f.render();
    EXPECT_EQ(f.state.LevelHi, 101.0f);
    EXPECT_EQ(f.shown(5, 5, 1), 0);
    flatWork(f, 1, 102.0f);
    f.render();
    EXPECT_EQ(f.shown(5, 5, 1), 255);
}

TEST(RenderPass, DegenerateStacksAndValuesStayWithinRange) {
    // A flat stack: minimum = maximum makes the scale about 3e10; values above the minimum go to
    // the top of the gamma table, NaN and -inf to the bottom, nothing overflows.
    RenderFixture f(16, 8);
    f.stack.StackMinValue = f.stack.StackMaxValue = 5.0f;
    flatWork(f, 1, 5.0f);
    auto& work = f.section().WorkPlanes[1];
    for (int y = 0; y < 8; ++y) work[15][y] = 6.0f;
    work[1][1] = std::numeric_limits<float>::quiet_NaN();
    work[2][2] = -std::numeric_limits<float>::infinity();
    work[3][3] = 1e30f;
    const DisplayHistograms histograms = f.render();
    EXPECT_EQ(f.shown(0, 0, 1), 0);
    EXPECT_EQ(f.shown(1, 1, 1), 0);
    EXPECT_EQ(f.shown(2, 2, 1), 0);
    EXPECT_EQ(f.shown(3, 3, 1), 255);
    EXPECT_EQ(f.shown(15, 4, 1), 255);
    EXPECT_EQ(f.sample16(15, 4, 1), 65025);
    EXPECT_EQ(histograms[HistGreen][255], 9u);

    // An offset of +100 on a value of 200: byte 255, 16-bit 300 × 255 clamped to 65535.
    RenderFixture g(8, 8);
    flatWork(g, 1, 200.0f);
    g.options.GreenSlider = 100;
    g.render();
    EXPECT_EQ(g.shown(4, 4, 1), 255);
    EXPECT_EQ(g.sample16(4, 4, 1), 65535);
}

TEST(RenderPass, OnlyTheDisplayedRegionIsWritten) {
    RenderFixture f(100, 90, 20, 30, 50, 40);  // margin 4 inside the image
    flatWork(f, 1, 200.0f);
    f.ProcessImage.resize(100, 90);
    f.ProcessImage.fill(77, 77, 77);
    const DisplayHistograms histograms = f.render();
    const WaveletArea region = displayedRegion(f.section(), 100, 90, 4);
    EXPECT_EQ(region.x0, 24);
    EXPECT_EQ(region.x1, 66);  // x0 + width - margin
    EXPECT_EQ(region.y0, 34);
    EXPECT_EQ(region.y1, 66);
    EXPECT_EQ(f.shown(23, 50, 1), 77);
    EXPECT_EQ(f.shown(24, 50, 1), 200);
    EXPECT_EQ(f.shown(66, 66, 1), 200);
    EXPECT_EQ(f.shown(67, 50, 1), 77);
    EXPECT_EQ(f.shown(50, 33, 1), 77);
    EXPECT_EQ(f.sample16(67, 50, 1), 0);
    EXPECT_EQ(total(histograms[HistGreen]), 43u * 33u);
    for (int h = 0; h < 4; ++h) EXPECT_EQ(total(histograms[h]), total(histograms[HistGreen]));

    // Where the area touches the image edge, the margin falls away on that side.
    RenderFixture edge(1000, 1000, 488, 0, 512, 512);
    const WaveletArea atEdge = displayedRegion(edge.section(), 1000, 1000, 4);
    EXPECT_EQ(atEdge.x0, 492);
    EXPECT_EQ(atEdge.x1, 999);
    EXPECT_EQ(atEdge.y0, 0);
    EXPECT_EQ(atEdge.y1, 508);
    edge.section().ProcessAreaX = 487;  // xe = 999: the area's last column, 998
    EXPECT_EQ(displayedRegion(edge.section(), 1000, 1000, 4).x1, 998);
}

TEST(RenderPass, ChannelModesWriteTheirSamplesAndBytes) {
    // Monochrome is grey whatever the show boxes say.
    RenderFixture mono(8, 8);
    flatWork(mono, 1, 120.0f);
    mono.options.Showred = mono.options.Showgreen = mono.options.Showblue = false;
    DisplayHistograms histograms = mono.render();
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(mono.shown(3, 3, c), 120);
        EXPECT_EQ(mono.sample16(3, 3, c), 120 * 255);
    }
    for (int h = 0; h < 4; ++h) EXPECT_EQ(histograms[h][120], 64u);

    // Colour: a hidden channel keeps a black byte but its sample and count; balance scales.
    RenderFixture colour(8, 8);
    colour.wavelet.Colourstack = true;
    flatWork(colour, 0, 100.0f);
    flatWork(colour, 1, 200.0f);
    flatWork(colour, 2, 80.0f);
    colour.options.Showred = false;
    colour.state.RGBBalance[2] = 0.5f;
    histograms = colour.render();
    EXPECT_EQ(colour.shown(3, 3, 0), 0);
    EXPECT_EQ(colour.sample16(3, 3, 0), 100 * 255);
    EXPECT_EQ(colour.shown(3, 3, 1), 200);
    EXPECT_EQ(colour.shown(3, 3, 2), 40);
    EXPECT_EQ(colour.sample16(3, 3, 2), 40 * 255);
    EXPECT_EQ(histograms[HistRed][100], 64u);
    EXPECT_EQ(histograms[HistBlue][40], 64u);
    EXPECT_EQ(histograms[HistLuminance][151], 64u);  // 0.29 × 100 + 0.59 × 200 + 0.11 × 40 = 151.4

    // LRGB: the luminance coloured by the stack colour, a shifted sample outside counting 0.
    RenderFixture lrgb(20, 8);
    lrgb.wavelet.Colourstack = lrgb.wavelet.LRGB2 = true;
    flatWork(lrgb, 1, 70.0f);
    TestImage::fill(lrgb.section().StackPlanes[0], 90.0f);
    TestImage::fill(lrgb.section().StackPlanes[1], 60.0f);
    TestImage::fill(lrgb.section().StackPlanes[2], 30.0f);
    lrgb.state.RedShiftX = 5;
    lrgb.options.Showred = false;  // no effect in LRGB
    lrgb.render();
    EXPECT_EQ(lrgb.shown(2, 3, 0), 105);  // 3 × 90 / 180 × 70
    EXPECT_EQ(lrgb.shown(2, 3, 1), 70);
    EXPECT_EQ(lrgb.shown(2, 3, 2), 35);
    EXPECT_NEAR(lrgb.sample16(2, 3, 0), 105 * 255, 2);  // Round(out × 255), out not whole
    EXPECT_EQ(lrgb.shown(17, 3, 0), 0);                 // red source beyond the right edge
    EXPECT_EQ(lrgb.shown(17, 3, 1), 140);               // 3 × 60 / 90 × 70
}

TEST(RenderPass, ToneMappingReplacesTheShownValues) {
    RenderFixture mono(8, 8);
    flatWork(mono, 1, 100.0f);
    mono.options.ActiveTonemap = true;
    mono.options.toneMap.Tonegraph = false;
    mono.options.toneMap.LogHist = true;
    mono.options.toneMap.LogHistFactor = 1.0f;
    mono.render();
    const double v1 = 100.0 / 255.0;
    const double mapped = v1 / (1.0 + v1) * 512.0;  // about 144.2
    EXPECT_EQ(mono.shown(4, 4, 0), clampedRound(mapped, 0, 255));
    EXPECT_NEAR(mono.sample16(4, 4, 2), mapped * 255.0, 1.0);

    // In colour the mapped bytes are shown whatever the show boxes say.
    RenderFixture colour(8, 8);
    colour.wavelet.Colourstack = true;
    flatWork(colour, 0, 150.0f);
    flatWork(colour, 1, 100.0f);
    flatWork(colour, 2, 50.0f);
    colour.options.ActiveTonemap = true;
    colour.options.toneMap.Tonegraph = false;  // photoreceptor
    colour.options.Showred = colour.options.Showgreen = colour.options.Showblue = false;
    colour.stack.means = {0.5f, 0.4f, 0.2f, 0.4f};
    colour.render();
    EXPECT_GT(colour.shown(4, 4, 0), colour.shown(4, 4, 1));
    EXPECT_GT(colour.shown(4, 4, 1), colour.shown(4, 4, 2));
    EXPECT_GT(colour.shown(4, 4, 2), 0);
    EXPECT_NEAR(colour.sample16(4, 4, 0), 255 * colour.shown(4, 4, 0), 128);
}

TEST(RenderPass, ResultsAreIdenticalOnOneThreadAndOnEight) {
    auto run = [](int threads, bool lrgb) {
        ThreadCountScope scope(threads);
        RenderFixture f(150, 110, 10, 20, 128, 80);
        f.wavelet.Colourstack = true;
        f.wavelet.LRGB2 = lrgb;
        for (int c = 0; c < 3; ++c) f.image.fillRandom(f.section().StackPlanes[c], 40 + c);
        f.state.RedShiftX = 2;
        f.state.BlueShiftY = -3;
        f.makeStackView();
        f.options.layerSlider = {30, 20, 5, 10, -10, 10};
        f.options.ActiveTonemap = !lrgb;
        f.options.toneMap.Tonegraph = false;
        f.stack.means = {0.5f, 0.5f, 0.5f, 0.5f};
        const DisplayHistograms histograms = f.process();
        return std::make_tuple(f.viewBytes(), f.resultBytes(), histograms);
    };
    for (const bool lrgb : {false, true}) {
        EXPECT_TRUE(run(1, lrgb) == run(8, lrgb)) << (lrgb ? "LRGB" : "colour");
    }
}
