#pragma once
// The lookup tables of the render pass besides the gamma table (frames/gamma_table.h): the tone
// curve, an adaptive logarithmic curve with a bias, and the tone histogram, a clipped cumulative
// histogram of the stack's luminance used for histogram equalisation. Also the gamma spin's
// rule and the points of its graph.

#include <array>

#include "enhance/tone_options.h"
#include "frames/gamma_table.h"

namespace kestrave {

// Entries 0..32000; entry 0 stays 0, the others lie near 0..1.
using ToneCurveArray = std::array<double, ToneCurveLast + 1>;
// Entries 0..1000; after building, a monotone curve from 0 up to 255.
using ToneHistogramArray = std::array<float, ToneHistogramLast + 1>;
// The stack's luminance histogram as stacking counts it: a pixel of luminance L (0..255 scale)
// adds 1 to bin Round(L / 255 × 1000).
using LuminanceHistogram = std::array<float, ToneHistogramLast + 1>;

// The tone tables live for the whole run; the application owns one (about 260 kB, so on the
// heap) and the curve editors may overwrite them.
struct ToneTables {
    ToneCurveArray ToneCurve{};
    ToneHistogramArray ToneHistogram{};
};

// ToneCurve[i] = log10(i + 1) / log10(2 + 8 (i / S)^(ln B / ln 0.5)) / log10(S) for i = 1..32000.
// A bias of 0 becomes 0.00001; a scale below 2 is raised to 2 (at 1 or less log10(S) would
// divide by zero or flip the curve). Does nothing while Tonegraph is checked: the tone-curve
// editor owns the table then.
void BuildToneCurve(ToneCurveArray& ToneCurve, float Bias, float Scale, bool Tonegraph);

// The stack histogram clipped and cumulated into ToneHistogram: repeatedly every bin above
// (current total) / Scale is cut to that limit, the cut counts dropped, until a round cuts no
// more than 2.5 % of the original total; then the bins are cumulated and scaled so the last one
// is 255. An empty histogram gives the straight ramp i / 1000 × 255.
void BuildToneHistogram(ToneHistogramArray& ToneHistogram, const LuminanceHistogram& stackHistogram,
                        float Scale);

// Rebuilds the tone curve and the tone histogram with the scale 2002 - Intensity; returns that
// scale, the new value of the scale spin (RxSpinEdit8). The caller renders afterwards.
float rebuildToneTables(ToneTables& tables, const ToneTableOptions& options,
                        const LuminanceHistogram& stackHistogram);

// The gamma spin's value taken over: a value above 0 builds GammaTable with gamma 1 / value and
// returns true; 0 or less is refused (false): the caller sets the spin back to 1.0, whose
// change builds the table.
bool applyGammaSpin(GammaTableArray& GammaTable, double Gamma1spin);

// The red gamma curve of the gamma graph (255 × 255, y downwards): the polyline from (0, 255)
// through (Round(j × 0.004 × 255), 255 - Round(GammaTable[Round(j × 120)] × 255)), j = 0..250.
std::array<GraphPoint, 251> gammaCurvePoints(const GammaTableArray& GammaTable);

}  // namespace kestrave
