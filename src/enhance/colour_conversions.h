#pragma once
// Conversions between RGB and HSV (hue, saturation, value) for the renderer, the final page's
// colour adjustments and the 16-bit exports.
//
// Floating-point HSV: H in degrees, 0 <= H < 360 (360 is taken as 0 on input), S in 0..1, V in
// the unit of the RGB values (not scaled). An undefined hue is written as NaN.
// Integer HSV: H 0..360, S 0..255, V 0..255.

#include <cstdint>

#include "platform/errors.h"

namespace kestrave {

// The exception of the colour conversions.
class EColorError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

// V = max(R, G, B), S = (V - min) / V (0 for black); a grey gives H = 0, not NaN.
void RGBtoHSV(float R, float G, float B, float& H, float& S, float& V);

// The inverse of RGBtoHSV. S = 0 needs an undefined (NaN) hue and gives the grey V; S = 0 with a
// hue raises EColorError "HSVtoRGB:  S = 0 and H has a value". A hue outside 0..360 (or a NaN
// saturation or value) gives black.
void HSVtoRGB(float H, float S, float V, float& R, float& G, float& B);

// Integer HSV straight into a 24-bit pixel (bytes blue, green, red), in 32-bit integer
// arithmetic with truncating divisions; a hue above 360 (or below 0) stores black.
void HSVtoRGBTriple(int H, int S, int V, std::uint8_t* Pixel);

// Whether X is a NaN (quiet or signalling, any payload); infinities are not.
bool IsNaN(double X);

}  // namespace kestrave
