// Composing the working image: channel shifts, the LRGB luminance, the automatic shift search
// and the small rules of the wavelet page's colour controls.

#include <gtest/gtest.h>

#include <cmath>

#include "enhance/channel_composition.h"
#include "enhance/wavelet_decomposition.h"
#include "test_image.h"

using namespace kestrave;
using kestrave::test::TestImage;

namespace {

// A value that names its pixel, so a copied or shifted plane shows where each value came from.
float tag(int plane, int x, int y) {
    return static_cast<float>(plane * 100000 + x * 100 + y);
}

void fillTagged(TestImage& image) {
    for (int c = 0; c < 3; ++c) {
        T2dArrays& plane = image.section.StackPlanes[c];
        for (int x = 0; x < plane.xCount(); ++x) {
            for (int y = 0; y < plane.yCount(); ++y) plane[x][y] = tag(c + 1, x, y);
        }
    }
}

// A smooth, non-periodic texture: its squared difference against a shifted copy has one sharp
// minimum.
float texture(int x, int y) {
    return static_cast<float>(100.0 + 60.0 * std::sin(x * 0.21 + y * 0.05) * std::cos(y * 0.17 - x * 0.03) +
                              20.0 * std::sin(x * 0.05 * y * 0.013));
}

class CountingProgress : public NullProgress {
public:
    void setStatus(int panel, const std::string& text) override {
        NullProgress::setStatus(panel, text);
        if (panel == 2) statuses.push_back(text);
    }
    std::vector<std::string> statuses;
};

}  // namespace

TEST(ApplyRGBShift, MonochromeCopiesGreenIncludingTheFirstMarginColumnAndRow) {
    TestImage image(20, 12);
    fillTagged(image);
    TestImage::fill(image.section.WorkPlanes[1], -1.0f);
    ProgramState state;
    ApplyRGBShift(image.section, 20, 12, state, WaveletProcessOptions{});
    const T2dArrays& work = image.section.WorkPlanes[1];
    EXPECT_EQ(work[0][0], tag(2, 0, 0));
    EXPECT_EQ(work[20][12], tag(2, 20, 12));
    EXPECT_EQ(work[21][5], -1.0f);
    EXPECT_EQ(work[5][13], -1.0f);
    EXPECT_EQ(image.section.WorkPlanes[0][3][3], 0.0f);  // red untouched
}

TEST(ApplyRGBShift, ColourTakesRedAndBlueFromTheShiftedPointAndZeroOutsideTheImage) {
    TestImage image(20, 12);
    fillTagged(image);
    for (auto& plane : image.section.WorkPlanes) TestImage::fill(plane, -1.0f);  // a stale residual
    ProgramState state;
    state.RedShiftX = 2;
    state.RedShiftY = -1;
    state.BlueShiftX = -3;
    state.BlueShiftY = 4;
    WaveletProcessOptions options;
    options.Colourstack = true;
    ApplyRGBShift(image.section, 20, 12, state, options);
    const auto& work = image.section.WorkPlanes;
    EXPECT_EQ(work[1][7][7], tag(2, 7, 7));
    EXPECT_EQ(work[0][7][7], tag(1, 9, 6));
    EXPECT_EQ(work[2][7][7], tag(3, 4, 11));
    // Source points outside the image give 0, never what the plane held before.
    EXPECT_EQ(work[0][18][5], 0.0f);  // x + 2 = 20
    EXPECT_EQ(work[0][5][0], 0.0f);   // y - 1 = -1
    EXPECT_EQ(work[2][2][3], 0.0f);   // x - 3 = -1
    EXPECT_EQ(work[2][5][8], 0.0f);   // y + 4 = 12
    EXPECT_EQ(work[0][17][11], tag(1, 19, 10));
}

TEST(ApplyRGBShift, LrgbBuildsOnlyTheLuminanceFromTheMixOrTheLuminancePlane) {
    TestImage image(20, 12);
    fillTagged(image);
    TestImage::fill(image.section.LumPlane, 42.0f);
    ProgramState state;
    state.RedShiftX = 1;
    state.BlueShiftY = -2;
    state.LRGBWeights = lrgbWeightsFor(250, 500, 250);
    WaveletProcessOptions options;
    options.Colourstack = true;
    options.LRGB2 = true;
    ApplyRGBShift(image.section, 20, 12, state, options);
    const auto& work = image.section.WorkPlanes;
    EXPECT_FLOAT_EQ(work[1][4][5], 0.5f * tag(2, 4, 5) + 0.25f * tag(1, 5, 5) + 0.25f * tag(3, 4, 3));
    // A shifted term outside the image is left out of the sum.
    EXPECT_FLOAT_EQ(work[1][19][1], 0.5f * tag(2, 19, 1));
    EXPECT_EQ(work[0][4][5], 0.0f);
    EXPECT_EQ(work[2][4][5], 0.0f);

    options.Lumichannel = true;  // the mix weights no longer matter
    ApplyRGBShift(image.section, 20, 12, state, options);
    EXPECT_EQ(work[1][4][5], 42.0f);
}

TEST(ChannelControls, SpinsWeightsAndBalanceFollowTheirRules) {
    ProgramState state;
    setShiftsFromSpins(state, {3.0, -2.0, -1.0, 2.5});
    EXPECT_EQ(state.RedShiftX, -3);
    EXPECT_EQ(state.RedShiftY, -2);
    EXPECT_EQ(state.BlueShiftX, 1);
    EXPECT_EQ(state.BlueShiftY, 2);  // ties to even
    const ShiftSpins back = spinsForShifts(state);
    EXPECT_EQ(back.RDXSpin, 3.0);
    EXPECT_EQ(back.BDXspin, -1.0);

    const auto mix = lrgbWeightsFor(299, 587, 114);
    EXPECT_FLOAT_EQ(mix[0], 0.299f);
    EXPECT_FLOAT_EQ(mix[1], 0.587f);
    EXPECT_FLOAT_EQ(mix[2], 0.114f);
    EXPECT_EQ(state.LRGBWeights, mix);
    const auto lum = lumWeightsFor(0.0, 0.5, 1.0);
    EXPECT_FLOAT_EQ(lum[0], 0.000001f);
    EXPECT_FLOAT_EQ(lum[2], 1.000001f);
}

TEST(RgbSearchBox, FollowsTheFeatureTheResamplingAndTheAreaAndStaysThirtyPixelsInside) {
    SearchBoxOptions options;
    options.FFTSize = 64;
    options.FeatureX = 100;
    options.FeatureY = 90;
    SearchBox box = rgbSearchBox(options, 400, 300);
    EXPECT_EQ(box.cx, 100);
    EXPECT_EQ(box.cy, 90);
    EXPECT_EQ(box.hx, 32);
    EXPECT_EQ(box.hy, 32);

    options.Resampled = true;
    options.ResampleSpin = 1.5;
    box = rgbSearchBox(options, 400, 300);
    EXPECT_EQ(box.cx, 150);
    EXPECT_EQ(box.hx, 48);
    options.Drizzling = true;
    options.FFTSize = 256;
    box = rgbSearchBox(options, 2000, 2000);
    EXPECT_EQ(box.cx, 200);
    EXPECT_EQ(box.hx, 170);  // 256, then kept 30 inside: cx - 30
    options.FeatureX = options.FeatureY = 500;
    EXPECT_EQ(rgbSearchBox(options, 2000, 2000).hx, 256);
    options.forDrawing = true;
    EXPECT_EQ(rgbSearchBox(options, 2000, 2000).hx, 128);

    SearchBoxOptions area;
    area.RGBArea = {40, 30, 81, 70};
    box = rgbSearchBox(area, 400, 300);
    EXPECT_EQ(box.cx, 60);
    EXPECT_EQ(box.cy, 50);
    EXPECT_EQ(box.hx, 20);
    EXPECT_EQ(box.hy, 20);

    // Near the right edge the last column read, cx + hx + 30, is the image's last column.
    SearchBoxOptions edge;
    edge.FFTSize = 64;
    edge.FeatureX = 350;
    edge.FeatureY = 100;
    box = rgbSearchBox(edge, 400, 300);
    EXPECT_EQ(box.cx + box.hx + 30, 399);
    edge.FeatureX = 20;  // closer than 30 to the left edge: nothing left to compare
    EXPECT_LT(rgbSearchBox(edge, 400, 300).hx, 0);
}

TEST(RgbShifter, RecoversKnownShiftsOfRedAndBlue) {
    TestImage image(200, 160);
    auto& stack = image.section.StackPlanes;
    // The red work pixel (x, y) is taken from red (x + 3, y - 2): red is green moved by (3, -2).
    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 160; ++y) {
            stack[1][x][y] = texture(x, y);
            stack[0][x][y] = texture(x - 3, y + 2);
            stack[2][x][y] = texture(x + 1, y - 4);
        }
    }
    SearchBoxOptions options;
    options.FFTSize = 64;
    options.FeatureX = 100;
    options.FeatureY = 80;
    ProgramState state;
    CountingProgress progress;
    const ShiftSpins spins =
        RGBShifter(image.section, 200, 160, rgbSearchBox(options, 200, 160), state, progress);
    EXPECT_EQ(state.RedShiftX, 3);
    EXPECT_EQ(state.RedShiftY, -2);
    EXPECT_EQ(state.BlueShiftX, -1);
    EXPECT_EQ(state.BlueShiftY, 4);
    EXPECT_EQ(spins.RDXSpin, -3.0);
    EXPECT_EQ(spins.BDYSpin, 4.0);
    EXPECT_EQ(progress.statuses, (std::vector<std::string>{"Search Red ", "Search Blue "}));
    EXPECT_EQ(progress.maximum(), 60);
    EXPECT_EQ(progress.position(), 60);

    // The shifted red plane composed into the working image now lines up with green.
    WaveletProcessOptions colour;
    colour.Colourstack = true;
    ApplyRGBShift(image.section, 200, 160, state, colour);
    EXPECT_FLOAT_EQ(image.section.WorkPlanes[0][100][80], stack[1][100][80]);
}

TEST(RgbShifter, KeepsZeroShiftsWithoutABetterCandidateOrWithoutPixelsToCompare) {
    TestImage image(120, 120);
    for (auto& plane : image.section.StackPlanes) TestImage::fill(plane, 50.0f);
    ProgramState state;
    state.RedShiftX = 9;
    CountingProgress progress;
    RGBShifter(image.section, 120, 120, SearchBox{60, 60, 10, 10}, state, progress);
    EXPECT_EQ(state.RedShiftX, 0);
    EXPECT_EQ(state.BlueShiftY, 0);
    RGBShifter(image.section, 120, 120, SearchBox{10, 60, -20, 10}, state, progress);
    EXPECT_EQ(state.RedShiftX, 0);
    // A box that would read outside the planes is refused rather than read.
    EXPECT_THROW(RGBShifter(image.section, 120, 120, SearchBox{60, 60, 40, 10}, state, progress),
                 WaveletError);
}

TEST(WaveletPageTools, MoveAreaCentresOnTheFeatureInsideTheImageAndReadoutFormatsThePixel) {
    TestImage image(300, 200, 0, 0, 128, 128);
    moveProcessAreaToFeature(image.section, 150, 100);
    EXPECT_EQ(image.section.ProcessAreaX, 86);
    EXPECT_EQ(image.section.ProcessAreaY, 36);
    moveProcessAreaToFeature(image.section, 10, 190);
    EXPECT_EQ(image.section.ProcessAreaX, 0);
    EXPECT_EQ(image.section.ProcessAreaY, 72);

    image.section.StackWeightPlane[3][4] = 12.0f;
    image.section.WorkPlanes[0][3][4] = 1.5f;
    image.section.WorkPlanes[1][3][4] = 2.0f;
    image.section.WorkPlanes[2][3][4] = 3.25f;
    EXPECT_EQ(pixelReadout(image.section, 3, 4), "pixel x:3 y:4 stacksize: 12.0 R: 1.5 G: 2.0 B: 3.2");
    EXPECT_EQ(pixelReadout(image.section, 310, 4), std::nullopt);
    EXPECT_EQ(pixelReadout(image.section, -1, 4), std::nullopt);
}
