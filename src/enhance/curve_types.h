#pragma once
// The curve editors' values: the graphs' sizes and rules, the program's five curves by name, the
// shapes of the tables sampled from them, and the levels the range slider stands for.

#include "enhance/bspline.h"

namespace kestrave {

// The editors' pick distance and the least gap a dragged point keeps to its neighbours.
inline constexpr int CurvePickDistance = 15;
// The hue-dependent curves' tables: one entry per tenth of a degree of hue, 0..360.
inline constexpr int HueCurveTableSize = 3601;
inline constexpr int CurveGraphSize = 255;
inline constexpr int CurveGridStep = 51;
// Segments drawn for an edited curve.
inline constexpr int EditedCurveSegments = 50;

// The program's five curves: gamma and tone (255 × 255 graphs), and the hue-dependent hue,
// saturation and lightness curves (360 × 100 graphs, y = 50 means no change).
struct CurveObjects {
    TBSpline GammaSpline;
    TBSpline ToneSpline;
    TBSpline HueSpline;
    TBSpline SatSpline;
    TBSpline LightSpline;
};
// The curves by name, as the graphs edit them.
enum class EditedCurve { Gamma, Tone, Hue, Saturation, Lightness };
TBSpline& curveIn(CurveObjects& curves, EditedCurve curve);
const TBSpline& curveIn(const CurveObjects& curves, EditedCurve curve);

// A curve editor's graph: its size in pixels, the distances within which a click deletes and a
// drag picks a point, and whether the two end points move together (a hue curve meets itself at
// 0 and 360 degrees, so dragging either end moves both to the new height).
struct CurveGraphRules {
    float width = 255.0f;
    float height = 255.0f;
    int deleteDistance = CurvePickDistance;
    int pickDistance = CurvePickDistance;
    bool endsTogether = false;
};
inline constexpr CurveGraphRules LevelCurveGraph{};
inline constexpr CurveGraphRules HueCurveGraph{360.0f, 100.0f, 15, 10, true};
inline constexpr CurveGraphRules SatCurveGraph{360.0f, 100.0f, 10, 15, true};
inline constexpr CurveGraphRules LightCurveGraph = SatCurveGraph;

// A lookup table sampled from a curve (gamma: last index 30000 of a 32001-entry table, 60000
// samples, values clamped to 0..1; tone: last index 32000, 64000 samples, values kept ≥ 0).
struct CurveTableShape {
    int fullScale = 30000;
    int samples = 60000;
    bool clampToOne = true;
};
inline constexpr CurveTableShape GammaCurveShape{30000, 60000, true};
inline constexpr CurveTableShape ToneCurveShape{32000, 64000, false};

// The black and white levels that the range slider's positions (0..1024 across the span
// LevelRangeLo..LevelRangeHi) stand for; the black level is at least 0, the white at most 255.
struct RenderLevels {
    float LevelLo = 0.0f;
    float LevelHi = 255.0f;
};
RenderLevels levelsFromSlider(int lowerPosition, int upperPosition, float LevelRangeLo, float LevelRangeHi);
// The slider position of a level spin's value: Round((value − LevelRangeLo) / span × 1024).
int sliderPositionForLevel(double value, float LevelRangeLo, float LevelRangeHi);
// Where the level lines stand over a chart `width` pixels wide.
int lowLevelLineX(int lowerPosition, int width);
int highLevelLineX(int upperPosition, int width);

}  // namespace kestrave
