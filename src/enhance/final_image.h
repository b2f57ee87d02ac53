#pragma once
// The final picture: the rendered 16-bit result turned by any angle, its colours shifted by the
// hue, saturation and lightness sliders and the hue-dependent curves, then mirrored; and the part
// of it the crop rectangle holds.
//
// The turn. A positive angle A turns the picture clockwise on the screen (rows run downwards).
// With θ = −A·π/180, c = cos θ, s = sin θ, the output centre (cx, cy) = (W/2, H/2) and the source
// centre (sx0, sy0) = (cx, cy) or the chosen centre of rotation, output pixel (x, y) samples the
// source at
//     u = (x − cx)·c − (y − cy)·s + sx0,    v = (x − cx)·s + (y − cy)·c + sy0.
// The sample is bilinear between columns ix = trunc(u), ix + 1 and rows iy = trunc(v), iy + 1,
// weighted by the fractions fx = u − ix and fy = v − iy. A point with ix or iy outside the source
// is black. The one-pixel border stays inside the source: the +1 neighbour of the last column
// (row) is that column (row) itself, and for −1 < u < 0 (which truncates to 0) the fraction is
// taken as 0 rather than extrapolating beyond the edge. Multiples of 90 degrees use exact sines
// and cosines, so such turns move whole pixels.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "enhance/curve_editing.h"
#include "enhance/final_types.h"
#include "platform/bitmap24.h"

namespace kestrave {

// "Reset HSL" for the curves: each one flat again through its nine points, every entry 0.
void resetHueCurves(CurveObjects& curves, HueCurveTables& tables);

// Throws std::invalid_argument when a curve table is shorter than 3601 entries.
void checkFinalTables(const FinalSettings& settings);

// Where one output pixel samples the source, and with what weights.
struct BilinearTap {
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    double w00 = 1.0, w10 = 0.0, w01 = 0.0, w11 = 0.0;
    // Σ weight · sample(x, y) over the four neighbours.
    template <class Sample>
    double sum(Sample sample) const {
        return w00 * sample(x0, y0) + w10 * sample(x1, y0) + w01 * sample(x0, y1) + w11 * sample(x1, y1);
    }
};

// The turn of an output picture over a source of sourceWidth × sourceHeight pixels (see above).
class RotationMap {
public:
    RotationMap(double angle, double centreX, double centreY, double sourceCentreX, double sourceCentreY,
                int sourceWidth, int sourceHeight);
    // The source neighbours of output pixel (x, y); false when it lies outside the source.
    bool tap(int x, int y, BilinearTap& tap) const;

private:
    double c_, s_, cx_, cy_, sx0_, sy0_;
    int width_, height_;
};

// The turn of the final page for a W × H picture with these settings.
RotationMap finalRotation(const FinalSettings& settings, int width, int height, int sourceWidth,
                          int sourceHeight);

struct FinalPicture {
    Bitmap24 image;  // unflipped
    // Pixels whose value before the adjustments exceeds 100, counted by Round(hue).
    HueHistogram histogram{};
};

// The final picture of W × H pixels (the rendered picture's size) from the 16-bit result, whose
// samples are the rendered 8-bit values × 255: each sample (or bilinear sum at an angle) × 1/256
// goes to HSV, is counted in the histogram, adjusted by adjustFinalColour and stored through the
// integer HSV conversion. Not flipped (see FlipBitmap). Pixels beyond the result's samples are
// black (and then adjusted like every other black pixel); without samples the whole picture is.

// Throws std::invalid_argument when a curve table is too short.
FinalPicture renderFinal(const TTIFFBitMap& ResultImage16, int width, int height,
                         const FinalSettings& settings);

// The picture mirrored: row H − 1 − y when FlipY, pixel W − 1 − x within a row when FlipX.
Bitmap24 FlipBitmap(bool FlipY, bool FlipX, const Bitmap24& Source);

// A 24-bit picture turned by Angle degrees about (CentreX, CentreY), which stays where it is;
// each byte is the rounded bilinear sum of its neighbours (no scaling).
Bitmap24 RotatePreviewImage(const Bitmap24& picture, int CentreX, int CentreY, float Angle);

// The cropped copy of the picture, or the whole picture when `crop` holds no area on it.
Bitmap24 cropBitmap(const Bitmap24& picture, const TEdgeRect& crop);

// The hue (degrees) of the 16-bit result's pixel (X, Y) inside a W × H working image, taken from
// the unscaled samples; none outside the image or when its largest sample is below 100.
std::optional<float> pointedHue(const TTIFFBitMap& ResultImage16, int X, int Y, int width, int height);

}  // namespace kestrave
