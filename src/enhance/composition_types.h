#pragma once
// The values of the wavelet page's colour controls: the shift spins, the mixer's and the
// luminance formula's weights, and the box the automatic shift search compares.

#include <array>

#include "frames/program_state.h"

namespace kestrave {

// The shift spin edits: RedShiftX = -RDXSpin, RedShiftY = RdySpin, BlueShiftX = -BDXspin,
// BlueShiftY = BDYSpin (values rounded).
struct ShiftSpins {
    double RDXSpin = 0.0;
    double RdySpin = 0.0;
    double BDXspin = 0.0;
    double BDYSpin = 0.0;
};

// LRGBWeights from the three mixer sliders (each 1..1000): each divided by their sum.
std::array<float, 3> lrgbWeightsFor(int RedLRGBslider, int GreenLRGBSlider, int BlueLRGBSlider);
// LumWeights from the luminance-formula spins: each value + 0.000001.
std::array<float, 3> lumWeightsFor(double RxSpinEdit1, double RxSpinEdit2, double RxSpinEdit3);

// The box of the automatic shift search: centre (cx, cy) and half sizes in image pixels.
struct SearchBox {
    int cx = 0;
    int cy = 0;
    int hx = 0;
    int hy = 0;
};

struct SearchBoxOptions {
    int FFTSize = 64;  // the alignment box size N
    bool Resampled = false;
    double ResampleSpin = 2.0;
    bool Drizzling = false;
    int FeatureX = 0;  // frame pixels
    int FeatureY = 0;
    TCornerRect RGBArea;  // overrides the feature box when defined
    // The box that is drawn (not the one searched) keeps its half sizes at 128 or less.
    bool forDrawing = false;
};

// Half sizes N / 2 (Round(ResampleSpin × N / 2) resampled, N drizzled) around the feature scaled
// to the image (× ResampleSpin resampled, × 2 drizzled), or the defined RGBArea; then kept 30
// pixels inside the image on every side, so that a search over ±30 reads only image pixels. A
// feature closer than 30 pixels to an edge gives a negative half size: nothing is compared.
SearchBox rgbSearchBox(const SearchBoxOptions& options, int ImageWidth, int ImageHeight);

}  // namespace kestrave
