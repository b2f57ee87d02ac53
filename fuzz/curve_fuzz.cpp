// Gamma curve files (".kgs"): any text either loads as a curve of 2 to 8191 points inside the
// 255 × 255 graph or is refused with a message; a loaded curve, saved and read back, is the same
// curve, and its table is either built (ending at 1.0) or refused.

#include <vector>

#include "enhance/curve_editing.h"
#include "enhance/gamma_curve_file.h"
#include "fuzz_support.h"

using namespace kestrave;

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
    return 0;
}
