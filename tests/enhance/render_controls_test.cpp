// The render controls: weight captions, contrast and brightness rules, histogram curves and the
// automatic colour balance.

#include <gtest/gtest.h>

#include "enhance/render_controls.h"
#include "render_fixture.h"

using namespace kestrave;
using kestrave::test::RenderFixture;
using kestrave::test::TestImage;

namespace {

// Histograms whose red, green and blue pixels all sit in one bin each.
DisplayHistograms spikes(int red, int green, int blue) {
    DisplayHistograms histograms{};
    histograms[HistRed][red] = 10;
    histograms[HistGreen][green] = 10;
    histograms[HistBlue][blue] = 10;
    return histograms;
}

}  // namespace

TEST(RenderControls, LayerButtonsShowTheirWeights) {
    EXPECT_EQ(layerWeightCaption(10), "1.0");
    EXPECT_EQ(layerWeightCaption(125), "12.5");
    EXPECT_EQ(layerWeightCaption(-5), "-0.5");
    EXPECT_EQ(layerWeightCaption(-50), "-5.0");
    EXPECT_EQ(layerWeightCaption(0), "0.0");
    EXPECT_EQ(layerWeightCaption(7), "0.7");
    EXPECT_EQ(layerWeightCaption(100), "10.0");
}

TEST(RenderControls, ContrastAndBrightnessFollowTheirLevelSpins) {
    EXPECT_EQ(contrastLevelFor(ContrastSliderDefault), 100);
    EXPECT_EQ(contrastSliderFor(100), 250);
    EXPECT_EQ(contrastSliderFor(5), 12);  // 12.5 rounds to even
    EXPECT_EQ(brightnessLevelFor(-512), -128);
    EXPECT_EQ(brightnessLevelFor(6), 2);  // 1.5 rounds to even
    EXPECT_EQ(brightnessSliderFor(128), 512);

    EXPECT_EQ(sliderAfterKey(250, SliderKey::Right, false, 10, 1000), 260);
    EXPECT_EQ(sliderAfterKey(250, SliderKey::Left, true, 10, 1000), 249);
    EXPECT_EQ(sliderAfterKey(15, SliderKey::Left, false, 10, 1000), 10);
    EXPECT_EQ(sliderAfterKey(250, SliderKey::Other, false, 10, 1000), 250);
}

TEST(RenderControls, HistogramCurvesAverageTheNeighbouringBins) {
    DisplayHistogram histogram{};
    histogram[0] = 1000;  // bin 0 never enters a mean
    histogram[1] = 6;
    histogram[2] = 12;
    histogram[255] = 9;
    const auto series = smoothedHistogram(histogram, 1.0);
    EXPECT_DOUBLE_EQ(series[0], 9.0);  // bin 1: (6 + 12) / 2
    EXPECT_DOUBLE_EQ(series[1], 6.0);  // bin 2: (6 + 12 + 0) / 3
    EXPECT_DOUBLE_EQ(series[254], 4.5);
    EXPECT_DOUBLE_EQ(smoothedHistogram(histogram, 0.0)[1], 12.0);
    EXPECT_EQ(levelLoCaption(0.4f), "  lo: 0");
    EXPECT_EQ(levelHiCaption(254.6f), "  hi: 255");
}

TEST(RenderControls, AutoBalanceMovesRedAndBlueOntoGreen) {
    ColourOffsets offsets = autoBalance(spikes(100, 150, 130), {});
    EXPECT_EQ(offsets.red, 50);
    EXPECT_EQ(offsets.green, 0);
    EXPECT_EQ(offsets.blue, 20);

    // Red would need 150: green takes the excess, blue follows it.
    offsets = autoBalance(spikes(20, 170, 130), {});
    EXPECT_EQ(offsets.red, 100);
    EXPECT_EQ(offsets.green, -50);
    EXPECT_EQ(offsets.blue, -10);

    // The current offsets add in; bins outside 15..240 do not count (an empty range counts 0).
    DisplayHistograms histograms = spikes(120, 140, 140);
    histograms[HistRed][250] = 1000;
    histograms[HistBlue][5] = 1000;
    offsets = autoBalance(histograms, {10, 33, -5});
    EXPECT_EQ(offsets.red, 30);
    EXPECT_EQ(offsets.green, 0);
    EXPECT_EQ(offsets.blue, -5);
    offsets = autoBalance(DisplayHistograms{}, {20, 0, 30});
    EXPECT_EQ(offsets.red, 20);
    EXPECT_EQ(offsets.blue, 30);
}

// Whichever offset would pass the slider's end, green takes the excess and the other offset
// moves with green, so that both differences to green are kept.
TEST(RenderControls, AutoBalanceHandsTheExcessOfEitherEndToGreen) {
    const struct {
        int red, green, blue;  // the spike of each channel's histogram
        ColourOffsets current;
        ColourOffsets expected;
    } cases[] = {
        // r = -150: green +50, blue -40 + 50.
        {170, 20, 60, {}, {-100, 50, 10}},
        // b = 130: green -30, red 50 - 30.
        {100, 150, 20, {}, {20, -30, 100}},
        // b = -160: green +60, red -60 + 60.
        {100, 40, 200, {}, {0, 60, -100}},
        // The current offsets count: r = 90 + 20 = 110, then b = 100 - 10 = 90 stays.
        {60, 150, 50, {20, 7, 0}, {100, -10, 90}},
        // Red past one end, then blue past the other: the later one sets green and pushes red
        // on past its end again (the slider holds it at its end).
        {20, 150, 200, {0, 0, -120}, {200, 100, -100}},
    };
    for (const auto& c : cases) {
        const ColourOffsets offsets = autoBalance(spikes(c.red, c.green, c.blue), c.current);
        EXPECT_EQ(offsets.red, c.expected.red) << c.red << " " << c.green << " " << c.blue;
        EXPECT_EQ(offsets.green, c.expected.green) << c.red << " " << c.green << " " << c.blue;
        EXPECT_EQ(offsets.blue, c.expected.blue) << c.red << " " << c.green << " " << c.blue;
    }
}

TEST(RenderControls, AutoBalanceRendersTwiceWhileAHistogramWindowShows) {
    RenderFixture f(32, 32);
    f.wavelet.Colourstack = true;
    for (int c = 0; c < 3; ++c) {
        TestImage::fill(f.section().WorkPlanes[c], c == 0 ? 80.0f : c == 1 ? 120.0f : 100.0f);
        for (int n = 1; n <= WaveletLayerCount; ++n) TestImage::fill(f.section().LayerPlanes[n][c], 0.0f);
    }
    RenderOptions hidden = f.options;
    RenderContext context = f.context();
    renderWithAutoBalance(context, f.wavelet, hidden, false);
    EXPECT_EQ(hidden.RedSlider, 0);

    const DisplayHistograms histograms = renderWithAutoBalance(context, f.wavelet, f.options, true);
    EXPECT_EQ(f.options.RedSlider, 40);
    EXPECT_EQ(f.options.GreenSlider, 0);
    EXPECT_EQ(f.options.blueslider, 20);
    // The second pass rendered with the balanced offsets: the channels now meet.
    EXPECT_EQ(f.shown(10, 10, 0), 120);
    EXPECT_EQ(f.shown(10, 10, 2), 120);
    EXPECT_EQ(histograms[HistRed][120], 32u * 32u);
}

TEST(RenderControls, WholeImageAreaWhenTheAreaCoversTheImage) {
    RenderFixture f(100, 80, 0, 0, 100, 80);
    EXPECT_TRUE(wholeImageArea(f.section(), 100, 80));
    EXPECT_FALSE(wholeImageArea(f.section(), 101, 80));
    EXPECT_FALSE(wholeImageArea(f.section(), 100, 81));
}
