#pragma once
// The tone controls' values: the tone-map options of the render pass, the stack's means it maps
// with, the tone tables' sizes and start-up values, the intensity slider's scale, and a point of
// the gamma graph.

namespace kestrave {

inline constexpr int ToneCurveLast = 32000;
inline constexpr int ToneHistogramLast = 1000;

// Start-up values of the tone curve.
inline constexpr float StartupToneBias = 2.2f;
inline constexpr float StartupToneScale = 230.0f;

// The tone-curve scale that the intensity slider (1..2000) sets: 2002 - slider, within the scale
// spin's range 0..2000.
float toneScaleForIntensity(int intensitySlider);

// The options read by the tone-table rebuild (handler of the bias and scale spins and the
// LogHist factor).
struct ToneTableOptions {
    float Bias = StartupToneBias;  // RxSpinEdit5
    int Intensity = 1;             // RxSlider2 "Tonemap-Intensity"
    bool Tonegraph = true;         // "UseGraph"
};

// The tone-map controls, read once per render pass.
struct ToneMapOptions {
    bool Tonegraph = true;       // "UseGraph": curves instead of the photoreceptor
    bool LogHist = false;        // "LogHist": a logarithmic map instead of the tone histogram
    float LogHistFactor = 0.1f;  // RxSpinEdit10
    int Contrast = 666;          // RxSlider1 "Tonemap-Contrast", 1..2000
    int Intensity = 1;           // RxSlider2 "Tonemap-Intensity", 1..2000
    int LightAdaptation = 1000;  // RxSlider3 "Tonemap-light adaptation", 1..1000 (global..local)
    int ColourAdaptation = 1;    // RxSlider4 "Tonemap-color-adaptation", 1..1000
};

// The stack means of stacking's statistics, all on the 0..1 scale.
struct StackMeans {
    float Red = 0.0f;
    float Green = 0.0f;
    float Blue = 0.0f;
    float Luminance = 0.0f;
};

struct GraphPoint {
    int x = 0;
    int y = 0;
};

}  // namespace kestrave
