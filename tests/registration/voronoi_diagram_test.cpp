// Delaunay triangulation and the zones drawn from it, checked against brute force: every
// circumcircle is empty, the triangles tile the rectangle with consistent neighbours, and every
// drawn pixel lies on the border between the two nearest points.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "registration/voronoi_diagram.h"

using namespace kestrave;

namespace {

constexpr long double W = 640, H = 480;

std::vector<DiagramPoint> randomPoints(unsigned seed, int count, bool whole) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> x(0.0, double(W)), y(0.0, double(H));
    std::vector<DiagramPoint> points;
    std::set<std::pair<long, long>> taken;
    while (static_cast<int>(points.size()) < count) {
        DiagramPoint p{x(rng), y(rng)};
        if (whole) {
            p = {std::floor(p.X), std::floor(p.Y)};
            if (!taken.insert({long(p.X), long(p.Y)}).second) continue;
        }
        points.push_back(p);
    }
    return points;
}

struct SiteSet {
    std::string name;
    std::vector<DiagramPoint> points;
    int accepted;  // sites the diagram takes
};

std::vector<SiteSet> siteSets() {
    std::vector<SiteSet> sets;
    sets.push_back({"none", {}, 0});
    sets.push_back({"one", {{320, 240}}, 1});
    sets.push_back({"two", {{100, 100}, {500, 300}}, 2});
    sets.push_back({"three random", randomPoints(1, 3, false), 3});
    sets.push_back({"99 random", randomPoints(2, 99, false), 99});
    sets.push_back({"99 on whole pixels", randomPoints(3, 99, true), 99});
    std::vector<DiagramPoint> row, diagonal, grid, circle, repeated, outside, cluster;
    for (int i = 0; i < 30; ++i) row.push_back({10.0L + 20 * i, 240});
    sets.push_back({"collinear row", row, 30});
    // On the diagonal that splits the starting rectangle into its two triangles.
    for (int i = 1; i < 20; ++i) diagonal.push_back({W * i / 20, H * i / 20});
    sets.push_back({"on the rectangle's diagonal", diagonal, 19});
    // A square grid: every cell's four corners share one circle.
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 9; ++j) grid.push_back({100.0L + 40 * i, 60.0L + 40 * j});
    sets.push_back({"co-circular grid", grid, 81});
    for (int i = 0; i < 40; ++i) {
        const long double a = 2 * 3.14159265358979323846L * i / 40;
        circle.push_back({320 + 200 * std::cos(a), 240 + 200 * std::sin(a)});
    }
    circle.push_back({320, 240});  // the centre, inside every triangle's circle at once
    sets.push_back({"on one circle", circle, 41});
    for (const DiagramPoint& p : randomPoints(4, 20, true)) {
        repeated.push_back(p);
        repeated.push_back(p);                   // the same point again
        repeated.push_back({p.X + 1e-3L, p.Y});  // closer than sqrt(Tolerance)
        repeated.push_back({p.X, p.Y + 0.01L});  // a near neighbour, kept
    }
    sets.push_back({"repeated", repeated, 40});
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    outside = {{-W, 0},         {2 * W, 100}, {0, -H},
               {5, 2 * H},      {-W - 1, 0},  {3 * W, 3 * H},
               {nan, 5},        {5, nan},     {std::numeric_limits<long double>::infinity(), 5},
               {-W + 1, -H + 1}};
    sets.push_back({"outside or on the rectangle", outside, 1});
    for (int i = 0; i < 10; ++i) cluster.push_back({320 + 0.004L * i, 240 + 0.003L * (i % 3)});
    sets.push_back({"tight cluster", cluster, 10});
    return sets;
}

long double orient(const DiagramPoint& a, const DiagramPoint& b, const DiagramPoint& c) {
    return (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
}

long double dist2(const DiagramPoint& a, long double x, long double y) {
    return (a.X - x) * (a.X - x) + (a.Y - y) * (a.Y - y);
}

}  // namespace

TEST(Delaunay, TriangulationsAreDelaunayWithConsistentNeighbours) {
    for (const SiteSet& set : siteSets()) {
        SCOPED_TRACE(set.name);
        TVoronoiDiagram diagram(-W, -H, 2 * W, 2 * H);
        int accepted = 0;
        for (const DiagramPoint& p : set.points) accepted += diagram.AddPoint(p) ? 1 : 0;
        ASSERT_EQ(accepted, set.accepted);
        const TPointList& points = diagram.Points();
        const TVertexList& triangles = diagram.Vertices();
        ASSERT_EQ(points.Count(), accepted + 4);
        ASSERT_EQ(triangles.Count(), 2 * accepted + 2);

        long double area = 0;
        std::vector<bool> used(static_cast<std::size_t>(points.Count()));
        for (std::int32_t t = 0; t < triangles.Count(); ++t) {
            const TVertex& v = triangles[t];
            const long double twiceArea = orient(points[v.V[0]], points[v.V[1]], points[v.V[2]]);
            ASSERT_GT(twiceArea, 0) << "triangle " << t;
            area += twiceArea / 2;
            for (int k = 0; k < 3; ++k) {
                used[static_cast<std::size_t>(v.V[k])] = true;
                // The stored circle passes through all three corners.
                EXPECT_NEAR(dist2(points[v.V[k]], v.CX, v.CY), v.R2, 1e-9L * v.R2) << "triangle " << t;
                const std::int32_t a = v.V[k], b = v.V[(k + 1) % 3], n = v.N[k];
                if (n < 0) {
                    // Only the rectangle's own sides have no neighbour.
                    EXPECT_TRUE(a < 4 && b == (a + 1) % 4) << "triangle " << t << " edge " << k;
                    continue;
                }
                const TVertex& o = triangles[n];
                int back = 0;
                for (int j = 0; j < 3; ++j)
                    if (o.V[j] == b && o.V[(j + 1) % 3] == a && o.N[j] == t) ++back;
                EXPECT_EQ(back, 1) << "triangle " << t << " edge " << k;
            }
            // Empty circumcircle, by brute force over every point.
            for (std::int32_t i = 0; i < points.Count(); ++i) {
                if (i == v.V[0] || i == v.V[1] || i == v.V[2]) continue;
                EXPECT_GE(dist2(points[i], v.CX, v.CY), v.R2 * (1 - 1e-9L))
                    << "triangle " << t << " point " << i;
            }
        }
        EXPECT_NEAR(area, 9 * W * H, 1e-9L * W * H);
        EXPECT_TRUE(std::all_of(used.begin(), used.end(), [](bool u) { return u; }));
    }
}

// Every drawn pixel is at most a pixel from a place that is equally far from its two nearest
// points, so their distances differ by at most 2; and every place clearly on the border between
// two zones has a drawn pixel beside it.
TEST(Delaunay, DrawnZoneBordersLieBetweenTheTwoNearestPoints) {
    const int width = 160, height = 100;  // not square: the zones must not be stretched
    const std::vector<std::pair<std::string, std::vector<DiagramPoint>>> cases = [] {
        std::vector<std::pair<std::string, std::vector<DiagramPoint>>> c;
        c.push_back({"one point", {{40, 30}}});
        c.push_back({"two side by side", {{50, 50}, {110, 50}}});
        c.push_back({"two diagonal", {{20, 10}, {140, 90}}});
        c.push_back({"collinear", {{10, 50}, {40, 50}, {70, 50}, {100, 50}, {130, 50}}});
        std::vector<DiagramPoint> grid;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) grid.push_back({40.0L + 40 * i, 20.0L + 30 * j});
        c.push_back({"grid", grid});
        for (const int count : {10, 99}) {
            std::mt19937 rng(7 + count);
            std::set<std::pair<int, int>> taken;
            std::vector<DiagramPoint> points;
            while (static_cast<int>(points.size()) < count) {
                const int x = int(rng() % width), y = int(rng() % height);
                if (taken.insert({x, y}).second)
                    points.push_back({static_cast<long double>(x), static_cast<long double>(y)});
            }
            c.push_back({std::to_string(count) + " random", points});
        }
        return c;
    }();

    for (const auto& [name, sites] : cases) {
        SCOPED_TRACE(name);
        Bitmap24 image(width, height);
        drawPointZones(image, sites);
        const auto drawn = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= width || y >= height) return false;
            const std::uint8_t* p = image.pixel(x, y);
            return p[0] == 0 && p[1] == 255 && p[2] == 255;
        };
        int drawnCount = 0, borderPlaces = 0, uncovered = 0, stray = 0;
        long double worst = 0;  // largest difference of the two nearest distances at a drawn pixel
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = image.pixel(x, y);
                ASSERT_TRUE(drawn(x, y) || (p[0] == 0 && p[1] == 0 && p[2] == 0)) << x << "," << y;
                // The nearest points, by brute force.
                std::vector<std::pair<long double, std::size_t>> d;
                for (std::size_t i = 0; i < sites.size(); ++i)
                    d.push_back({std::sqrt(dist2(sites[i], x, y)), i});
                std::sort(d.begin(), d.end());
                if (drawn(x, y)) {
                    ++drawnCount;
                    if (d.size() < 2)
                        ++stray;
                    else
                        worst = std::max(worst, d[1].first - d[0].first);
                }
                // A place within a quarter pixel of the border of two zones, away from a third.
                if (d.size() < 2 || (d.size() > 2 && d[2].first - d[1].first <= 3)) continue;
                const DiagramPoint& a = sites[d[0].second];
                const DiagramPoint& b = sites[d[1].second];
                const long double toBisector =
                    (d[1].first * d[1].first - d[0].first * d[0].first) / (2 * std::sqrt(dist2(a, b.X, b.Y)));
                if (toBisector > 0.25L) continue;
                ++borderPlaces;
                bool near = false;
                for (int j = -1; j <= 1; ++j)
                    for (int i = -1; i <= 1; ++i) near = near || drawn(x + i, y + j);
                if (!near) ++uncovered;
            }
        }
        EXPECT_EQ(stray, 0);
        EXPECT_LE(worst, 2.0L);
        EXPECT_EQ(uncovered, 0) << "of " << borderPlaces << " places on a border";
        if (sites.size() == 1) {
            EXPECT_EQ(drawnCount, 0);
        } else {
            EXPECT_GT(borderPlaces, 0);
            EXPECT_GT(drawnCount, 0);
        }
    }
}

TEST(Delaunay, DiagramWithoutPointsDrawsACrossThroughTheCentre) {
    // The view's recipe on a 100 x 60 picture: the cross runs through the middle of the picture
    // from edge to edge (the lines end on the window's edges, the far ends one pixel outside).
    Bitmap24 image(100, 60);
    drawPointZones(image, {});
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool onCross = x == 50 || y == 30;
            EXPECT_EQ(image.pixel(x, y)[2], onCross ? 255 : 0) << x << "," << y;
        }
}

TEST(Delaunay, TrianglesAndPointsAreDrawnWhenSwitchedOn) {
    // One point in the middle of a square: four border triangles meeting at it, no others.
    TVoronoiDiagram diagram(0, 0, 100, 100);
    ASSERT_TRUE(diagram.AddPoint({50, 50}));
    const auto draw = [&](bool triangles, bool border, bool points) {
        diagram.DrawTriangles = triangles;
        diagram.DrawBorderTriangles = border;
        diagram.DrawPoints = points;
        Bitmap24 image(100, 100);
        diagram.Draw(image, 0, 0, 100, 100);
        return image;
    };
    const auto lit = [](const Bitmap24& image, int x, int y) { return image.pixel(x, y)[2] == 255; };

    const Bitmap24 none = draw(true, false, false);
    EXPECT_TRUE(
        std::all_of(none.bits(), none.bits() + none.byteCount(), [](std::uint8_t b) { return b == 0; }));
    const Bitmap24 border = draw(false, true, false);
    // The diagonal from corner (0, 0) (pixel row 100) to the point, two pixels wide; the sides.
    EXPECT_TRUE(lit(border, 25, 75) && lit(border, 25, 76));
    EXPECT_TRUE(lit(border, 75, 25) && lit(border, 0, 40) && lit(border, 40, 0));
    EXPECT_TRUE(lit(border, 50, 50));
    EXPECT_FALSE(lit(border, 50, 40) || lit(border, 30, 50));
    const Bitmap24 dots = draw(false, false, true);
    EXPECT_TRUE(lit(dots, 50, 50) && lit(dots, 52, 50) && lit(dots, 50, 48));
    EXPECT_FALSE(lit(dots, 53, 50) || lit(dots, 52, 52));
}

TEST(Delaunay, LongIntListRefusesItemsPastItsLimit) {
    TLongIntList list;
    EXPECT_EQ(list.IndexOf(7), -1);
    for (std::int32_t i = 0; i < TLongIntList::MaxCount; ++i) ASSERT_EQ(list.Add(i * 3), i);
    EXPECT_EQ(list.IndexOf(21), 7);
    EXPECT_EQ(list.IndexOf(22), -1);
    EXPECT_EQ(list.Add(1), -1);
    EXPECT_EQ(list.Count(), 10485760);
    EXPECT_EQ(list[TLongIntList::MaxCount - 1], (TLongIntList::MaxCount - 1) * 3);
}
