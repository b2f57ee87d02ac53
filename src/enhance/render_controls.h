#pragma once
// The small rules of the render controls: the weight captions of the layer buttons, the
// contrast and brightness sliders with their level spins, the histogram curves and level labels,
// the automatic colour balance, and what a moving layer slider changes.

#include <array>
#include <string>

#include "enhance/render.h"

namespace kestrave {

// The caption of a layer button for its slider value: the weight 0.1 × value rounded to one
// decimal and followed by ".00", cut to 3 characters when 0 ≤ weight < 10, else to 4:
// 10 → "1.0", 125 → "12.5", -5 → "-0.5".
std::string layerWeightCaption(int layerSlider);

// Contrastlevel = Round(ContrastSlider × 0.4), Brightnesslevel = Round(BrightnessSlider × 0.25),
// and back: ContrastSlider = Round(Contrastlevel × 2.5), BrightnessSlider = Round(Brightnesslevel × 4).
int contrastLevelFor(int ContrastSlider);
int brightnessLevelFor(int BrightnessSlider);
int contrastSliderFor(double Contrastlevel);
int brightnessSliderFor(double Brightnesslevel);
// "Reset" of the contrast group.
inline constexpr int ContrastSliderDefault = 250;
inline constexpr int BrightnessSliderDefault = 0;

// The left and right arrow keys on the contrast and brightness sliders: one step with Ctrl held,
// else ten, kept within minimum..maximum. Any other key leaves the value.
enum class SliderKey { Left, Right, Other };
int sliderAfterKey(int value, SliderKey key, bool ctrlHeld, int minimum, int maximum);

// The chart series of one histogram: for bins b = 1..255 (index b - 1) the mean of the counts
// over j = b - k..b + k with 0 < j < 256, k = Round(HistoSmoother).
std::array<double, 255> smoothedHistogram(const DisplayHistogram& histogram, double HistoSmoother);
// The level labels of the histogram windows: "  lo: " + Round(LevelLo), "  hi: " + Round(LevelHi).
std::string levelLoCaption(float LevelLo);
std::string levelHiCaption(float LevelHi);

// The colour offsets RedSlider, GreenSlider, blueslider.
struct ColourOffsets {
    int red = 0;
    int green = 0;
    int blue = 0;
};
inline ColourOffsets colourOffsetsOf(const RenderOptions& options) {
    return {options.RedSlider, options.GreenSlider, options.blueslider};
}

// The automatic colour balance: with the mean bins mR, mG, mB of the red, green and blue
// histograms over bins 15..240, red becomes mG - mR + RedSlider and blue mG - mB + blueslider,
// green 0. When red or blue leaves -100..100, green takes the excess so that the differences to
// green are kept.
ColourOffsets autoBalance(const DisplayHistograms& histograms, const ColourOffsets& current);

// AutobalanceClick and AutobalancebuttonClick (the window first checks the box and unchecks it
// afterwards): two render passes, each followed by the balance when a histogram window is
// visible (the balance is part of the pass's histogram step), the second pass rendering with
// the balanced offsets. Returns the histograms of the second pass; options carries the offsets
// to write into the sliders.
DisplayHistograms renderWithAutoBalance(RenderContext& context, const WaveletProcessOptions& wavelet,
                                        RenderOptions& options, bool histogramWindowVisible);

// Layer1sliderChange, while a layer slider moves: status panel 2 reads this text, the buttons
// take their weight captions, the pass runs when Autoprocessbox is checked, and WholeImageArea
// is set from wholeImageArea.
inline constexpr const char* LayerSettingChangedStatus = "layer setting changed";
// The processing area covers the whole image.
bool wholeImageArea(const ImageDataSection& section, int ImageWidth, int ImageHeight);

}  // namespace kestrave
