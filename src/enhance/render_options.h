#pragma once
// The render pass's controls, what stacking found about the stack that the pass maps with, and
// the display histograms it counts.

#include <array>
#include <cstdint>

#include "enhance/tone_options.h"
#include "enhance/wavelet_options.h"

namespace kestrave {

// The render controls, read from the window before each pass.
struct RenderOptions {
    // Layer1slider..Layer6slider, -50..1000: layer n enters with weight 0.1 × value when its
    // check box (Layer1checkbox..layer6checkbox) is checked.
    std::array<int, WaveletLayerCount> layerSlider{10, 10, 10, 10, 10, 10};
    std::array<bool, WaveletLayerCount> layerChecked{true, true, true, true, true, true};
    int ContrastSlider = 250;  // 10..1000; 250 maps the stack range onto full scale
    int BrightnessSlider = 0;  // -512..512; a quarter of it is added to the 0..255 value
    // Additive colour offsets, -100..100.
    int RedSlider = 0;
    int GreenSlider = 0;
    int blueslider = 0;
    // Which channels the processed view shows (colour stacks without LRGB, no tone mapping).
    bool Showred = true;
    bool Showgreen = true;
    bool Showblue = true;
    bool ActiveTonemap = false;
    ToneMapOptions toneMap;
};

// What stacking found about the stack: its value range and its means (for tone mapping).
struct StackFacts {
    float StackMinValue = 0.0f;
    float StackMaxValue = 255.0f;
    StackMeans means;
};

// Counts of displayed 8-bit values: red, green, blue and luminance.
using DisplayHistogram = std::array<std::uint32_t, 257>;
using DisplayHistograms = std::array<DisplayHistogram, 4>;
enum HistogramChannel { HistRed = 0, HistGreen = 1, HistBlue = 2, HistLuminance = 3 };

}  // namespace kestrave
