// The B-spline curve against its defining sums: interpolated curves pass their knots, a knuckle
// makes a corner, the ends are always reached, and the limits of the point list hold.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "enhance/bspline.h"

namespace kestrave {
namespace {

TBSpline curveThrough(const std::vector<SplinePoint>& points, bool interpolated) {
    TBSpline spline;
    for (const SplinePoint& p : points) spline.AddPoint(p);
    spline.setInterpolated(interpolated);
    return spline;
}

// The knot of point i (1-based) of a curve without knuckles lies at t = (i − 1) / (n − 1).
double knotParameter(int i, int n) {
    return static_cast<double>(i - 1) / (n - 1);
}

TEST(BSpline, InterpolatedCurvesPassTheirKnotsAndApproximatingOnesTheBasisAverage) {
    const std::vector<std::vector<SplinePoint>> cases{
        {{0, 255}, {128, 128}, {255, 0}},
        {{10, 20}, {100, 200}, {200, 50}},
        {{0, 0}, {30, 200}, {60, 10}, {90, 250}, {200, 100}, {255, 255}},
    };
    for (const auto& points : cases) {
        const int n = static_cast<int>(points.size());
        const TBSpline through = curveThrough(points, true);
        const TBSpline near = curveThrough(points, false);
        for (int i = 1; i <= n; ++i) {
            const SplinePoint p = through.SplineXY(knotParameter(i, n));
            EXPECT_NEAR(p.x, points[i - 1].x, 1e-4) << "knot " << i << " of " << n;
            EXPECT_NEAR(p.y, points[i - 1].y, 1e-4) << "knot " << i << " of " << n;
            // Approximating: (P[i−1] + 4 P[i] + P[i+1]) / 6, with the phantom ends 2 P1 − P2, 2 Pn − Pn−1
            // making the ends themselves.
            const SplinePoint q = near.SplineXY(knotParameter(i, n));
            if (i == 1 || i == n) {
                EXPECT_NEAR(q.y, points[i - 1].y, 1e-3);
            } else {
                EXPECT_NEAR(q.y, (points[i - 2].y + 4 * points[i - 1].y + points[i].y) / 6, 1e-3);
            }
        }
    }
}

TEST(BSpline, AKnuckleIsPassedWithACornerWithOrWithoutInterpolation) {
    const std::vector<SplinePoint> roof{{0, 0}, {25, 50}, {50, 100}, {75, 50}, {100, 0}};
    const auto turnAt = [](const TBSpline& spline, double t) {
        const SplinePoint a = spline.SplineXY(t - 0.002);
        const SplinePoint b = spline.SplineXY(t);
        const SplinePoint c = spline.SplineXY(t + 0.002);
        const double in = std::atan2(b.y - a.y, b.x - a.x);
        const double out = std::atan2(c.y - b.y, c.x - b.x);
        return std::fabs(in - out) * 180.0 / 3.14159265358979;
    };
    for (bool interpolated : {false, true}) {
        TBSpline smooth = curveThrough(roof, interpolated);
        TBSpline sharp = curveThrough(roof, interpolated);
        sharp.setKnuckle(3, true);
        EXPECT_EQ(sharp.vertexCount(), 7);
        // The knuckle's three vertices lie around u = 4, t = 3 / 6.
        const SplinePoint apex = sharp.SplineXY(0.5);
        EXPECT_NEAR(apex.x, 50.0, 1e-4);
        EXPECT_NEAR(apex.y, 100.0, 1e-4);
        EXPECT_GT(turnAt(sharp, 0.5), 60.0) << "interpolated " << interpolated;
        EXPECT_LT(turnAt(smooth, 0.5), 5.0) << "interpolated " << interpolated;
    }
}

TEST(BSpline, OnlyUpTo249VerticesAreSolvedForInterpolation) {
    for (int n : {249, 250}) {
        std::vector<SplinePoint> zigzag;
        for (int i = 0; i < n; ++i) zigzag.push_back({static_cast<float>(i), i % 2 ? 10.0f : 0.0f});
        const TBSpline spline = curveThrough(zigzag, true);
        const SplinePoint knot = spline.SplineXY(knotParameter(101, n));  // point (100, 0)
        if (n == 249) {
            EXPECT_NEAR(knot.y, 0.0, 1e-3);
        } else {
            EXPECT_NEAR(knot.y, 10.0 / 3.0, 1e-3) << "approximated: (10 + 0 + 10) / 6";
        }
    }
}

TEST(BSpline, SegmentsAndPointListStayWithinTheirLimits) {
    TBSpline spline;
    const std::pair<int, int> segments[] = {{1000, 600}, {600, 600}, {50, 50}, {0, 1}, {-5, 1}};
    for (const auto& [asked, kept] : segments) {
        spline.setInterpolation(asked);
        EXPECT_EQ(spline.Interpolation(), kept) << asked;
    }
    spline.AddPoint({0, 0});
    spline.AddPoint({10, 5});
    spline.setInterpolation(4);
    const auto line = spline.polyline();
    ASSERT_EQ(line.size(), 5u);
    EXPECT_EQ(line.front(), std::make_pair(0, 0));
    EXPECT_EQ(line.back(), std::make_pair(10, 5));

    EXPECT_EQ(spline.capacity(), 25);
    for (int i = 3; i <= TBSpline::MaxPoints; ++i) spline.AddPoint({static_cast<float>(i), 0});
    EXPECT_EQ(spline.NumberOfPoints(), TBSpline::MaxPoints);
    EXPECT_THROW(spline.AddPoint({0, 0}), SplineError);
    EXPECT_THROW(spline.InsertPoint(1, {0, 0}), SplineError);
    EXPECT_EQ(spline.NumberOfPoints(), TBSpline::MaxPoints);
}

TEST(BSpline, PointIndicesOutsideTheListAreRefused) {
    TBSpline spline = curveThrough({{0, 0}, {1, 1}, {2, 0}}, false);
    for (int bad : {0, 4, -1}) {
        EXPECT_THROW(spline.DeletePoint(bad), SplineError) << bad;
        EXPECT_THROW(spline.InsertPoint(bad, {}), SplineError) << bad;
        EXPECT_THROW(spline.Point(bad), SplineError) << bad;
    }
    try {
        spline.Point(7);
    } catch (const SplineError& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds in TBSpline.FGetPoint. (7).");
    }
    spline.InsertPoint(2, {0.5f, 9});
    EXPECT_EQ(spline.Point(2), (SplinePoint{0.5f, 9}));
    EXPECT_EQ(spline.Point(3), (SplinePoint{1, 1}));
    for (int left = 3; left >= 0; --left) spline.DeletePoint(1);
    EXPECT_EQ(spline.NumberOfPoints(), 0);
    EXPECT_EQ(spline.capacity(), 0) << "the last point deleted clears the curve";
}

TEST(BSpline, KnownXFindsEveryCrossingOrNone) {
    const TBSpline wave = curveThrough({{0, 0}, {50, 100}, {100, 0}, {150, 100}, {200, 0}}, true);
    SplineResults results;
    EXPECT_FALSE(wave.KnownX(results, 250.0f));
    EXPECT_EQ(results.Count, 0);
    ASSERT_TRUE(wave.KnownY(results, 50.0f));
    EXPECT_EQ(results.Count, 4);
    for (int k = 0; k < results.Count; ++k) {
        const SplinePoint on = wave.SplineXY(results.Params[k]);
        EXPECT_NEAR(on.y, 50.0, 50.0 * 1e-4);
        EXPECT_EQ(results.Points[k].y, 50.0f);
    }
    ASSERT_TRUE(wave.KnownX(results, 75.0f));
    EXPECT_EQ(results.Count, 1);
    EXPECT_NEAR(wave.SplineXY(results.Params[0]).x, 75.0, 75.0 * 1e-4);

    const TBSpline line = curveThrough({{10, 0}, {30, 40}}, false);
    // A straight curve moves (20, 40) per unit of u and does not bend.
    EXPECT_EQ(line.FirstDerivative(0.3), (SplinePoint{20, 40}));
    EXPECT_EQ(line.SecondDerivative(0.3), (SplinePoint{0, 0}));
    ASSERT_TRUE(line.KnownX(results, 15.0f));
    EXPECT_FLOAT_EQ(results.Params[0], 0.25f);
    EXPECT_FALSE(line.KnownX(results, 9.0f));
}

}  // namespace
}  // namespace kestrave
