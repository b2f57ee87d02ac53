#pragma once
// Rescaling of a 24-bit bitmap with a separable filter kernel: a horizontal pass into a work
// bitmap of the destination's width and the source's height, then a vertical pass into the
// destination. Stacking and the optimizer bring frames to the resampled stack size with it; the
// output side resizes images with it.

#include <array>
#include <string_view>

#include "platform/bitmap24.h"
#include "platform/errors.h"

namespace kestrave {

// A filter kernel: the weight of a sample at distance x.
using FilterFunction = float (*)(float x);

// 1 on (-0.5, 0.5], else 0. The half-open interval gives exactly one sample per position, which
// makes a same-size stretch the identity.
float boxFilter(float x);
// 1 - |x| on |x| < 1.
float triangleFilter(float x);
// (2|x| - 3) x^2 + 1 on |x| < 1.
float hermiteFilter(float x);
// The quadratic B-spline: 0.75 - x^2 on |x| < 0.5, 0.5 (|x| - 1.5)^2 on |x| < 1.5.
float bellFilter(float x);
// The cubic B-spline: 0.5 |x|^3 - x^2 + 2/3 on |x| < 1, (2 - |x|)^3 / 6 on |x| < 2.
float bSplineFilter(float x);
// sinc(x) sinc(x / 3) on |x| < 3, sinc(t) = sin(pi t) / (pi t).
float lanczos3Filter(float x);
// The Mitchell-Netravali cubic with B = C = 1/3.
float mitchellFilter(float x);

struct ResampleFilter {
    std::string_view Name;
    FilterFunction Filter;
    float Width;  // half-width of the support
};

inline constexpr std::array<ResampleFilter, 7> ResampleFilters{{
    {"Box", boxFilter, 0.5f},
    {"Triangle", triangleFilter, 1.0f},
    {"Hermite", hermiteFilter, 1.0f},
    {"Bell", bellFilter, 1.5f},
    {"B-Spline", bSplineFilter, 2.0f},
    {"Lanczos3", lanczos3Filter, 3.0f},
    {"Mitchell", mitchellFilter, 2.0f},
}};

// The filter that the stacking and optimizer choice `ResampleMethod` names: its items "Bell",
// "Bspline", "Lanczos", "Mitchell" (ItemIndex 0..3) are the table entries 3..6. Throws
// std::out_of_range for an index outside the table.
const ResampleFilter& resampleMethodFilter(int itemIndex);

class StretchError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

// The scale Stretch applies along an axis of sourceSize pixels stretched to destSize: end pixels
// onto end pixels, (destSize - 1) / (sourceSize - 1), or destSize / sourceSize when either side
// is one pixel. Destination pixel i shows source position i / scale.
float stretchScale(int sourceSize, int destSize);

// Fills Dest, at its current size, with Source rescaled by Filter of support half-width Width.
//
// The scale along an axis maps the end pixels onto each other: (DW - 1) / (SW - 1), or DW / SW
// when either side is one pixel. Destination pixel i is centred on source position
// c = i / scale. Enlarging weighs source pixel j by Filter(c - j) for j within Width of c;
// shrinking widens the support to Width / scale and weighs by Filter((c - j) * scale) * scale.
// Weights are not normalised, so a filter whose samples do not sum to 1 (Lanczos3) changes the
// mean level slightly. Indices beyond the edges are mirrored (-j on the left, 2 SW - 1 - j on the
// right) and then kept inside the source. After each pass the sums are clamped to 0..255 and
// rounded half to even: the vertical pass works on those bytes.
//
// Throws StretchError "Source bitmap too small" for an empty Source; an empty Dest is left as it
// is. Source and Dest may be the same bitmap.
void Stretch(const Bitmap24& Source, Bitmap24& Dest, FilterFunction Filter, float Width);

}  // namespace kestrave
