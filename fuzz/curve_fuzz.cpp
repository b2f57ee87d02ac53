// Gamma curve files (".kgs"): any text either loads as a curve of 2 to 8191 points inside the
// 255 × 255 graph or is refused with a message; a loaded curve, saved and read back, is the same
// curve, and its table is either built (ending at 1.0) or refused. The loaded points then go
// through what the curve editors do with a curve (on the level graph and, scaled, on a hue graph):
// points inserted, dragged and deleted, the curve drawn, evaluated, sampled into its table and
// searched for a level; every point stays inside its graph and every value drawn is finite.

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "enhance/curve_editing.h"
#include "enhance/gamma_curve_file.h"
#include "fuzz_support.h"

using namespace kestrave;

namespace {

bool finite(SplinePoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

void checkInside(const TBSpline& spline, const CurveGraphRules& graph) {
    FUZZ_CHECK(spline.NumberOfPoints() >= 2);
    for (int i = 1; i <= spline.NumberOfPoints(); ++i) {
        const SplinePoint p = spline.Point(i);
        FUZZ_CHECK(p.x >= 0.0f && p.x <= graph.width && p.y >= 0.0f && p.y <= graph.height);
    }
}

// The editors' work on the loaded points, on a graph of `graph`'s size. Long curves are edited
// at their first points only, so that an input stays quick.
void editLikeTheGraphs(const std::vector<SplinePoint>& points, const CurveGraphRules& graph, bool linear) {
    TBSpline spline;
    for (const SplinePoint& p : points)
        spline.AddPoint({p.x * graph.width / 255.0f, p.y * graph.height / 255.0f});
    setEditedCurveStyle(spline, linear);
    for (int i = 1; i < std::min(spline.NumberOfPoints(), 12); ++i) {
        const SplinePoint a = spline.Point(i), b = spline.Point(i + 1);
        insertCurvePoint(spline, 0.5f * (a.x + b.x), 0.5f * (a.y + b.y));
        dragCurvePoint(spline, a.x + 3.0f, a.y - 7.0f, graph);
        if (i % 3 == 0) deleteCurvePoint(spline, b.x, b.y, graph);
        checkInside(spline, graph);
    }
    if (spline.NumberOfPoints() > 2) spline.setKnuckle(2, true);
    SplinePoint low{1e9f, 1e9f}, high{-1e9f, -1e9f};
    spline.GetBounds(low, high);
    FUZZ_CHECK(low.x <= high.x && low.y <= high.y);
    for (const bool interpolated : {true, false}) {
        spline.setInterpolated(interpolated);
        for (const double t : {0.0, 0.25, 0.5, 1.0}) {
            FUZZ_CHECK(finite(spline.SplineXY(t)));
            spline.FirstDerivative(t);
            spline.SecondDerivative(t);
        }
        for (const auto& [x, y] : spline.polyline())
            FUZZ_CHECK(std::abs(x) < 1 << 24 && std::abs(y) < 1 << 24);
        SplineResults hits;
        try {
            spline.KnownX(hits, 0.5f * graph.width);
            spline.KnownY(hits, 0.5f * graph.height);
        } catch (const SplineError&) {
            // More crossings than the results hold: refused, as the component says.
        }
        for (int k = 0; k < hits.Count; ++k) FUZZ_CHECK(finite(hits.Points[static_cast<std::size_t>(k)]));
    }
    if (graph.endsTogether) {
        std::vector<float> table(HueCurveTableSize);
        buildHueCurveTable(spline, table);
        for (float v : table) FUZZ_CHECK(std::isfinite(v));
    } else {
        std::vector<double> table(32002, -7.0);
        if (buildCurveTable(spline, ToneCurveShape, table))
            for (double v : table) FUZZ_CHECK(v >= 0.0 && std::isfinite(v));
    }
    resetHueCurve(spline);
    FUZZ_CHECK(spline.NumberOfPoints() == 9);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.kgs");
    std::vector<SplinePoint> points;
    try {
        points = loadGammaCurve(path);
    } catch (const KestraveError&) {
        return 0;
    }
    FUZZ_CHECK(points.size() >= 2 && points.size() <= TBSpline::MaxPoints);
    TBSpline spline;
    for (const SplinePoint& p : points) {
        FUZZ_CHECK(p.x >= 0.0f && p.x <= 255.0f && p.y >= 0.0f && p.y <= 255.0f);
        spline.AddPoint(p);
    }
    const auto copy = fuzz::scratchFile("copy.kgs");
    fuzz::expectMessages([&] {
        saveGammaCurve(copy, spline);
        FUZZ_CHECK(loadGammaCurve(copy) == points);
    });
    setEditedCurveStyle(spline, false);
    std::vector<double> table(32001, -7.0);
    if (buildCurveTable(spline, GammaCurveShape, table)) {
        for (double v : table) FUZZ_CHECK(v >= 0.0 && v <= 1.0);
    } else {
        for (double v : table) FUZZ_CHECK(v == -7.0);
    }
    editLikeTheGraphs(points, LevelCurveGraph, false);
    editLikeTheGraphs(points, HueCurveGraph, true);
    CurveObjects curves;
    createCurveObjects(curves, points.size() % 2 == 0);
    setDefaultCurve(curveIn(curves, EditedCurve::Tone));
    FUZZ_CHECK(curveIn(std::as_const(curves), EditedCurve::Tone).NumberOfPoints() == 3);
    return 0;
}
