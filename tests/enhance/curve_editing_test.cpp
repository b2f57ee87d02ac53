// The curve editors' rules, the tables sampled from a curve, the gamma curve files and the
// levels of the range slider, each against values worked out by hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "enhance/curve_editing.h"
#include "enhance/gamma_curve_file.h"
#include "enhance/scheme_file.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

TBSpline curveThrough(const std::vector<SplinePoint>& points) {
    TBSpline spline;
    for (const SplinePoint& p : points) spline.AddPoint(p);
    return spline;
}

std::vector<SplinePoint> pointsOf(const TBSpline& spline) {
    std::vector<SplinePoint> points;
    for (int i = 1; i <= spline.NumberOfPoints(); ++i) points.push_back(spline.Point(i));
    return points;
}

TEST(CurveTable, TheDefaultCurveFollowsItsThreeKnotsNotTheIdentity) {
    TBSpline spline;
    setDefaultCurve(spline);
    std::vector<double> table(32001, 0.0);
    ASSERT_TRUE(buildCurveTable(spline, GammaCurveShape, table));
    double farthest = 0.0;
    for (int k = 0; k <= 30000; ++k) farthest = std::max(farthest, std::fabs(table[k] - k / 30000.0));
    // The middle knot (128, 128) lies half a level off the diagonal.
    EXPECT_GT(farthest, 1e-3);
    EXPECT_LT(farthest, 0.004);
    EXPECT_EQ(table[0], 0.0);
    for (int k : {30000, 30001, 32000}) EXPECT_EQ(table[k], 1.0) << k;
}

TEST(CurveTable, HolesRepeatTheEntryBeforeAndAFlatBottomKeepsThePreviousTable) {
    // From (100, 255) (no output) to (200, 0) (full output), a straight line.
    TBSpline ramp = curveThrough({{100, 255}, {200, 0}});
    std::vector<double> table(32001, 0.5);
    ASSERT_TRUE(buildCurveTable(ramp, ToneCurveShape, table));
    const int first = static_cast<int>(std::nearbyint(100 * 32000 / 255.0));
    const int last = static_cast<int>(std::nearbyint(200 * 32000 / 255.0));
    EXPECT_EQ(table[first - 1], 0.0) << "entries below the first sample stay 0";
    EXPECT_NEAR(table[(first + last) / 2], 0.5, 1e-3);
    EXPECT_EQ(table[last], 1.0);
    EXPECT_EQ(table[32000], 1.0) << "entries above the last sample repeat it";

    std::vector<double> previous(32001);
    for (std::size_t k = 0; k < previous.size(); ++k) previous[k] = k / 32000.0;
    std::vector<double> kept = previous;
    EXPECT_FALSE(buildCurveTable(curveThrough({{0, 255}, {255, 255}}), GammaCurveShape, kept));
    EXPECT_EQ(kept, previous);
}

TEST(CurveEditing, ClicksAndDragsFollowTheEditRules) {
    struct Case {
        const char* what;
        bool (*edit)(TBSpline&, float, float);
        float x, y;
        bool changed;
        std::vector<SplinePoint> after;
    };
    const std::vector<SplinePoint> start{{0, 255}, {128, 128}, {255, 0}};
    const std::vector<Case> cases{
        {"insert between neighbours",
         insertCurvePoint,
         60,
         200,
         true,
         {{0, 255}, {60, 200}, {128, 128}, {255, 0}}},
        {"insert on a point's x", insertCurvePoint, 128, 50, false, start},
        {"insert beyond the end", insertCurvePoint, 256, 50, false, start},
        {"delete an interior point", deleteCurvePoint, 135, 121, true, {{0, 255}, {255, 0}}},
        {"delete beyond the pick distance", deleteCurvePoint, 143, 128, false, start},
        {"delete an end point", deleteCurvePoint, 0, 255, false, start},
        {"drag the first point up", dragCurvePoint, 10, 245, true, {{0, 245}, {128, 128}, {255, 0}}},
        {"drag the last point, clamped", dragCurvePoint, 262, 8, true, {{0, 255}, {128, 128}, {255, 8}}},
        {"drag the middle point", dragCurvePoint, 138, 118, true, {{0, 255}, {138, 118}, {255, 0}}},
        {"drag nothing near", dragCurvePoint, 60, 60, false, start},
    };
    for (const Case& c : cases) {
        TBSpline spline = curveThrough(start);
        EXPECT_EQ(c.edit(spline, c.x, c.y), c.changed) << c.what;
        EXPECT_EQ(pointsOf(spline), c.after) << c.what;
    }
    // A point keeps 15 pixels to each neighbour.
    TBSpline crowded = curveThrough({{0, 255}, {20, 200}, {40, 100}, {255, 0}});
    EXPECT_FALSE(dragCurvePoint(crowded, 26, 200));
    EXPECT_TRUE(dragCurvePoint(crowded, 24, 190));
    EXPECT_FALSE(dragCurvePoint(crowded, 10, 255)) << "the first point moves only while 15 left of point 2";
}

TEST(GammaCurveFile, SavedCurvesReadBackByteForByte) {
    test::TempDir folder;
    TBSpline spline = curveThrough({{0, 255}, {40.4f, 230.6f}, {128, 128}, {255, 0}});
    const auto path = folder.path() / "curve.kgs";
    saveGammaCurve(path, spline);
    const std::string expected = "4\r\n0\r\n255\r\n40\r\n231\r\n128\r\n128\r\n255\r\n0\r\n";
    std::ifstream in(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(written, expected);
    const TBSpline loaded = curveThrough(loadGammaCurve(path));
    EXPECT_EQ(formatGammaCurve(loaded), expected);
}

TEST(GammaCurveFile, TextIsParsedWholeAndBadFilesAreRefused) {
    EXPECT_EQ(parseGammaCurve("3\n-4\n300\n 128 \n128\n255\n0", "a.kgs"),
              (std::vector<SplinePoint>{{0, 255}, {128, 128}, {255, 0}}));
    const std::pair<const char*, const char*> refused[] = {
        {"1\r\n0\r\n0\r\n", "holds 1 points"},
        {"0\r\n", "holds 0 points"},
        {"8192\r\n", "holds 8192 points"},
        {"3\r\n0\r\n255\r\n128\r\nx\r\n", "line 5 is not a whole number"},
        {"3\r\n0\r\n255\r\n128\r\n128\r\n255\r\n", "ends before line 7"},
        {"", "ends before line 1"},
        {"2.5\r\n", "line 1 is not a whole number"},
    };
    for (const auto& [text, why] : refused) {
        try {
            parseGammaCurve(text, "b.kgs");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const WaveletFileError& error) {
            EXPECT_NE(std::string(error.what()).find(why), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("b.kgs"), std::string::npos);
        }
    }
    test::TempDir folder;
    EXPECT_THROW(loadGammaCurve(folder.path() / "missing.kgs"), WaveletFileError);
}

TEST(RenderLevels, SliderPositionsMapOntoTheLevelSpan) {
    struct Case {
        int lower, upper;
        float rangeLo, rangeHi;
        float lo, hi;
    };
    const Case cases[] = {
        {0, 1024, 0, 255, 0, 255},           {0, 1023, 0, 255, 0, 1023 * 255.0f / 1024},
        {512, 768, 0, 255, 127.5f, 191.25f}, {256, 512, 100, 200, 125, 150},
        {0, 1024, -20, 300, 0, 255},  // clamped into 0..255
    };
    for (const Case& c : cases) {
        const RenderLevels levels = levelsFromSlider(c.lower, c.upper, c.rangeLo, c.rangeHi);
        EXPECT_FLOAT_EQ(levels.LevelLo, c.lo);
        EXPECT_FLOAT_EQ(levels.LevelHi, c.hi);
    }
    EXPECT_EQ(sliderPositionForLevel(127.5, 0, 255), 512);
    EXPECT_EQ(sliderPositionForLevel(150, 100, 200), 512);
    EXPECT_EQ(lowLevelLineX(512, 300), 150);
    EXPECT_EQ(highLevelLineX(1024, 300), 299);
}

}  // namespace
}  // namespace kestrave
