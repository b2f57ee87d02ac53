#pragma once
// The final picture: the rendered 16-bit result turned by any angle, its colours shifted by the
// hue, saturation and lightness sliders and the hue-dependent curves, then mirrored; and the
// marks the mouse leaves on it (the crop rectangle and the centre of rotation).
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
#include "frames/program_state.h"
#include "platform/bitmap24.h"

namespace kestrave {

inline constexpr int HueHistogramSize = 361;
using HueHistogram = std::array<std::uint32_t, HueHistogramSize>;

// What the final page's controls say: flips, the slider offsets, the hue-dependent curve tables
// (3601 entries each, index Round(10·hue), 0 = no change) and the turn.
struct FinalSettings {
    bool FlipX = false;
    bool FlipY = false;
    // SaturationSlider, HueSlider, Lightnessslider, rounded.
    int S0 = 0;
    int H0 = 0;
    int L0 = 0;
    std::span<const float> SatCurveTable;
    std::span<const float> HueCurveTable;
    std::span<const float> LightCurveTable;
    // The angle in degrees (clockwise), and the source point kept at the picture's centre when
    // RotationCentreSet.
    double Angle = 0.0;
    bool RotationCentreSet = false;
    int RotationCentreX = 0;
    int RotationCentreY = 0;
};

// Whether an angle turns the picture: a finite angle other than 0 (angle 0 reads the samples
// directly, without the turn's sampling or the chosen centre).
bool isTurned(double angle);

// The hue-dependent curves' tables, index Round(10·hue); all zero (no change) at start.
struct HueCurveTables {
    std::vector<float> HueCurveTable = std::vector<float>(HueCurveTableSize, 0.0f);
    std::vector<float> SatCurveTable = std::vector<float>(HueCurveTableSize, 0.0f);
    std::vector<float> LightCurveTable = std::vector<float>(HueCurveTableSize, 0.0f);
};
// "Reset HSL" for the curves: each one flat again through its nine points, every entry 0.
void resetHueCurves(CurveObjects& curves, HueCurveTables& tables);

// The bar heights of the hue histogram in its 50-pixel-high chart: Round(count / M × 50), M the
// largest count (1 when every count is 0).
std::array<int, HueHistogramSize> hueHistogramBars(const HueHistogram& histogram);

// Throws std::invalid_argument when a curve table is shorter than 3601 entries.
void checkFinalTables(const FinalSettings& settings);

// One colour in the final page's terms: hue 0..360 degrees, saturation and value on 0..255.
struct FinalHsv {
    float H = 0.0f;
    float S = 0.0f;
    float V = 0.0f;
};
// The slider and curve offsets applied to a colour whose hue H is in degrees and S, V on 0..255:
// with k = Round(10·H), H + H0 + 2·hue[k] clamped to 0..360 (not wrapped), S + S0 + 2·sat[k] and
// V + L0 + 2·light[k] clamped to 0..255. The tables must hold 3601 entries.
FinalHsv adjustFinalColour(FinalHsv colour, const FinalSettings& settings);

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
// Whether an angle turns the picture: a finite angle other than 0 (angle 0 reads the samples
// directly, without the turn's sampling or the chosen centre).
bool isTurned(double angle);

// Throws std::invalid_argument when a curve table is too short.
FinalPicture renderFinal(const TTIFFBitMap& ResultImage16, int width, int height,
                         const FinalSettings& settings);

// The picture mirrored: row H − 1 − y when FlipY, pixel W − 1 − x within a row when FlipX.
Bitmap24 FlipBitmap(bool FlipY, bool FlipX, const Bitmap24& Source);

// A 24-bit picture turned by Angle degrees about (CentreX, CentreY), which stays where it is;
// each byte is the rounded bilinear sum of its neighbours (no scaling).
Bitmap24 RotatePreviewImage(const Bitmap24& picture, int CentreX, int CentreY, float Angle);

// ---- Marks of the mouse on the shown final picture ------------------------------------------------

// `centrePickMode`: the window's mode in which the next click chooses the centre of rotation.
// A press at (X, Y): in that mode it chooses the centre of rotation and returns false; otherwise
// a crop rectangle starts there (all four edges on the point) and it returns true.
bool pressFinalPicture(ProgramState& state, bool centrePickMode, int X, int Y);
// A drag to (X, Y) with the left button: the open corner of the crop rectangle follows.
void dragFinalPicture(ProgramState& state, bool centrePickMode, int X, int Y);
// The release: the corners are put in order and the centre pick mode ends. A click without a drag
// leaves no rectangle. Returns whether a rectangle exists (the "Use Cropping" box is then checked).
bool releaseFinalPicture(ProgramState& state, bool& centrePickMode);

// The status text of a drag: "x:" Left ",y:" Top " w:" |X − Left| " h:" |Y − Top|.
std::string cropDragText(const TEdgeRect& crop, int X, int Y);

// The part of a W × H picture the crop rectangle covers (Right and Bottom exclusive), its corners
// in order and clipped to the picture; none without a rectangle or when nothing is left of it.
std::optional<TEdgeRect> cropArea(const TEdgeRect& crop, int width, int height);
// The cropped copy of the picture, or the whole picture when `crop` holds no area on it.
Bitmap24 cropBitmap(const Bitmap24& picture, const TEdgeRect& crop);

// The hue (degrees) of the 16-bit result's pixel (X, Y) inside a W × H working image, taken from
// the unscaled samples; none outside the image or when its largest sample is below 100.
std::optional<float> pointedHue(const TTIFFBitMap& ResultImage16, int X, int Y, int width, int height);

}  // namespace kestrave
