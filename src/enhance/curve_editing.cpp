#include "enhance/curve_editing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <vector>

#include "enhance/clamped_round.h"

namespace kestrave {

namespace {

constexpr float SliderSpan = 1024.0f;
constexpr float TopLevel = 255.0f;

// The last point (from `first` to `last`) within `distance` of (Round(X), Round(Y)), or 0.
int pickPoint(const TBSpline& spline, float X, float Y, int first, int last, int distance) {
    const int x = clampedRound(X, -1000000, 1000000);
    const int y = clampedRound(Y, -1000000, 1000000);
    const auto within = static_cast<float>(distance);
    int picked = 0;
    for (int i = first; i <= last; ++i) {
        const SplinePoint p = spline.Point(i);
        if (std::fabs(static_cast<float>(x) - p.x) < within &&
            std::fabs(static_cast<float>(y) - p.y) < within) {
            picked = i;
        }
    }
    return picked;
}

// The curve sampled at t = i / samples, i = 0..samples: entry Round(x × last / xFull), clamped to
// 0..last, of a table of `size` entries holds valueOf(y) of the last sample that landed there;
// entries no sample reached are NaN.
template <class ValueOf>
std::vector<double> sampleByX(const TBSpline& spline, int samples, int last, double xFull, std::size_t size,
                              ValueOf valueOf) {
    std::vector<double> built(size, std::numeric_limits<double>::quiet_NaN());
    for (int i = 0; i <= samples; ++i) {
        const SplinePoint p = spline.SplineXY(static_cast<double>(i) / samples);
        const int k = clampedRound(static_cast<double>(p.x) * last / xFull, 0, last);
        built[static_cast<std::size_t>(k)] = valueOf(static_cast<double>(p.y));
    }
    return built;
}

}  // namespace

void setDefaultCurve(TBSpline& spline) {
    spline.Clear();
    for (SplinePoint p : {SplinePoint{0, 255}, SplinePoint{128, 128}, SplinePoint{255, 0}})
        spline.AddPoint(p);
}

void createCurveObjects(CurveObjects& curves, bool linear) {
    setDefaultCurve(curves.GammaSpline);
    setEditedCurveStyle(curves.GammaSpline, linear);
    setDefaultCurve(curves.ToneSpline);
    for (TBSpline* hueCurve : {&curves.HueSpline, &curves.SatSpline, &curves.LightSpline})
        resetHueCurve(*hueCurve);
}

void resetHueCurve(TBSpline& spline) {
    spline.Clear();
    for (int k = 0; k <= 8; ++k) spline.AddPoint({45.0f * static_cast<float>(k), 50.0f});
    setEditedCurveStyle(spline, false);
}

namespace {

// One switch for the writable and the read-only curves.
template <class Curves>
auto& namedCurve(Curves& curves, EditedCurve curve) {
    switch (curve) {
        case EditedCurve::Gamma:
            return curves.GammaSpline;
        case EditedCurve::Tone:
            return curves.ToneSpline;
        case EditedCurve::Hue:
            return curves.HueSpline;
        case EditedCurve::Saturation:
            return curves.SatSpline;
        case EditedCurve::Lightness:
            break;
    }
    return curves.LightSpline;
}

}  // namespace

TBSpline& curveIn(CurveObjects& curves, EditedCurve curve) {
    return namedCurve(curves, curve);
}

const TBSpline& curveIn(const CurveObjects& curves, EditedCurve curve) {
    return namedCurve(curves, curve);
}

void setEditedCurveStyle(TBSpline& spline, bool linear) {
    spline.setInterpolated(true);
    spline.ShowPoints = true;
    spline.setInterpolation(linear ? spline.NumberOfPoints() - 1 : EditedCurveSegments);
}

bool insertCurvePoint(TBSpline& spline, float X, float Y) {
    for (int i = 1; i < spline.NumberOfPoints(); ++i) {
        if (spline.Point(i).x < X && X < spline.Point(i + 1).x) {
            spline.InsertPoint(i + 1, {X, Y});
            return true;
        }
    }
    return false;
}

bool deleteCurvePoint(TBSpline& spline, float X, float Y) {
    return deleteCurvePoint(spline, X, Y, LevelCurveGraph);
}

bool deleteCurvePoint(TBSpline& spline, float X, float Y, const CurveGraphRules& graph) {
    const int picked = pickPoint(spline, X, Y, 2, spline.NumberOfPoints() - 1, graph.deleteDistance);
    if (picked == 0) return false;
    spline.DeletePoint(picked);
    return true;
}

bool dragCurvePoint(TBSpline& spline, float X, float Y) {
    return dragCurvePoint(spline, X, Y, LevelCurveGraph);
}

bool dragCurvePoint(TBSpline& spline, float X, float Y, const CurveGraphRules& graph) {
    const int n = spline.NumberOfPoints();
    if (n < 2) return false;
    X = std::clamp(X, 0.0f, graph.width);
    Y = std::clamp(Y, 0.0f, graph.height);
    const int i = pickPoint(spline, X, Y, 1, n, graph.pickDistance);
    if (i == 0) return false;
    const auto gap = static_cast<float>(CurvePickDistance);
    if (i == 1) {
        if (!(X < spline.Point(2).x - gap)) return false;
        spline.setPoint(1, {0.0f, Y});
        if (graph.endsTogether) spline.setPoint(n, {graph.width, Y});
    } else if (i == n) {
        if (!(X > spline.Point(n - 1).x + gap)) return false;
        spline.setPoint(n, {graph.width, Y});
        if (graph.endsTogether) spline.setPoint(1, {0.0f, Y});
    } else {
        if (!(spline.Point(i - 1).x + gap < X && X < spline.Point(i + 1).x - gap)) return false;
        spline.setPoint(i, {X, Y});
    }
    return true;
}

bool buildCurveTable(const TBSpline& spline, const CurveTableShape& shape, std::span<double> table) {
    const int M = shape.fullScale;
    std::vector<double> built = sampleByX(spline, shape.samples, M, TopLevel, table.size(), [&](double y) {
        const double value = (TopLevel - y) / TopLevel;
        return shape.clampToOne ? std::clamp(value, 0.0, 1.0) : std::max(value, 0.0);
    });
    const auto full = static_cast<std::size_t>(M);
    if (full + 1 < built.size()) built[full + 1] = built[full];
    double largest = 0.0;
    bool seenValue = false;
    for (std::size_t k = 0; k < built.size(); ++k) {
        if (std::isnan(built[k])) built[k] = seenValue ? built[k - 1] : 0.0;
        if (built[k] > 0.0) seenValue = true;
        largest = std::max(largest, built[k]);
    }
    if (!(largest > 0.0)) return false;
    std::transform(built.begin(), built.end(), table.begin(), [largest](double v) { return v / largest; });
    return true;
}

void buildHueCurveTable(const TBSpline& spline, std::span<float> table) {
    if (table.size() < static_cast<std::size_t>(HueCurveTableSize))
        throw std::invalid_argument("a hue curve table needs 3601 entries");
    constexpr int Last = HueCurveTableSize - 1;
    // Ten samples per entry, so that no entry is missed where the points lie close together.
    const std::vector<double> built =
        sampleByX(spline, 10 * Last, Last, 360.0, HueCurveTableSize, [](double y) { return 50.0 - y; });
    double previous = 0.0;
    for (int k = 0; k <= Last; ++k) {
        const auto at = static_cast<std::size_t>(k);
        if (!std::isnan(built[at])) previous = built[at];
        table[at] = static_cast<float>(previous);
    }
}

RenderLevels levelsFromSlider(int lowerPosition, int upperPosition, float LevelRangeLo, float LevelRangeHi) {
    const float span = LevelRangeHi - LevelRangeLo;
    RenderLevels levels;
    levels.LevelHi = LevelRangeLo + static_cast<float>(upperPosition) * (1.0f / SliderSpan) * span;
    levels.LevelLo = LevelRangeLo + static_cast<float>(lowerPosition) * (1.0f / SliderSpan) * span;
    levels.LevelLo = std::max(levels.LevelLo, 0.0f);
    levels.LevelHi = std::min(levels.LevelHi, TopLevel);
    return levels;
}

int sliderPositionForLevel(double value, float LevelRangeLo, float LevelRangeHi) {
    const double span = static_cast<double>(LevelRangeHi) - LevelRangeLo;
    if (span == 0.0) return 0;
    return clampedRound((value - LevelRangeLo) / span * SliderSpan, -1000000, 1000000);
}

int lowLevelLineX(int lowerPosition, int width) {
    return clampedRound(lowerPosition / SliderSpan * static_cast<float>(width), -1000000, 1000000);
}

int highLevelLineX(int upperPosition, int width) {
    return clampedRound(upperPosition / SliderSpan * static_cast<float>(width) - 1.0f, -1000000, 1000000);
}

}  // namespace kestrave
