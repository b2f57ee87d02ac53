#pragma once
// The final page's values: its settings (flips, colour offsets, the hue-dependent curves' tables,
// the turn), the hue histogram's size and bars, a colour's adjustment by the settings, and the
// crop rectangle's text and area.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "enhance/curve_types.h"
#include "frames/program_state.h"

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

// The bar heights of the hue histogram in its 50-pixel-high chart: Round(count / M × 50), M the
// largest count (1 when every count is 0).
std::array<int, HueHistogramSize> hueHistogramBars(const HueHistogram& histogram);

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

// The status text of a drag: "x:" Left ",y:" Top " w:" |X − Left| " h:" |Y − Top|.
std::string cropDragText(const TEdgeRect& crop, int X, int Y);

// The crop rectangle (Left = -1: none) as the mouse draws it on the final picture: started at
// (X, Y) with all four edges on the point; its open corner following the pointer; the rectangle
// the release leaves, its corners in order (none after a click without a drag).
TEdgeRect startCropRect(int X, int Y);
void dragCropCorner(TEdgeRect& crop, int X, int Y);
TEdgeRect releasedCropRect(const TEdgeRect& crop);

// The part of a W × H picture the crop rectangle covers (Right and Bottom exclusive), its corners
// in order and clipped to the picture; none without a rectangle or when nothing is left of it.
std::optional<TEdgeRect> cropArea(const TEdgeRect& crop, int width, int height);

}  // namespace kestrave
