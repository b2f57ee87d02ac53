// The final picture: turns checked against the turn's own maths (whole-pixel turns against index
// mappings, a small turn against where an edge must land), the hue-dependent curves and sliders
// against colours of known hue, the flips, the crop and centre marks, and inputs that must not
// crash.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "enhance/curve_editing.h"
#include "enhance/final_image.h"
#include "support/thread_count_scope.h"

namespace kestrave {
namespace {

struct Tables {
    std::vector<float> sat = std::vector<float>(HueCurveTableSize, 0.0f), hue = sat, light = sat;
    FinalSettings settings(double angle = 0.0) const {
        FinalSettings s{false, false, 0, 0, 0, sat, hue, light};
        s.Angle = angle;
        return s;
    }
};

// A 16-bit result whose pixel (x, y) holds rgb(x, y) × 255, as the renderer stores its levels.
TTIFFBitMap result16(int w, int h, const std::function<std::array<int, 3>(int, int)>& rgb) {
    TTIFFBitMap image(w, h);
    image.allocateHighBits();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto c = rgb(x, y);
            for (int k = 0; k < 3; ++k)
                image.HighBitRow(y)[3 * x + k] = static_cast<std::uint16_t>(c[k] * 255);
        }
    return image;
}

// Distinct colours, none of them grey, each well above black.
std::array<int, 3> pattern(int x, int y) {
    return {40 + (x * 37 + y * 11) % 200, 30 + (x * 13 + y * 29) % 180, 20 + (x * 7 + y * 41) % 150};
}

// Red, green, blue of a picture's pixel.
std::array<int, 3> rgbAt(const Bitmap24& picture, int x, int y) {
    const std::uint8_t* p = picture.pixel(x, y);
    return {p[2], p[1], p[0]};
}

TEST(FinalImage, WholeTurnsMoveWholePixelsAboutTheCentreAndLeaveTheUncoveredEdgeBlack) {
    // Source pixel for output (x, y) of a W x H picture turned about (W/2, H/2), or none.
    using Mapping = std::function<bool(int w, int h, int x, int y, int& sx, int& sy)>;
    struct Case {
        double angle;
        int w, h;
        Mapping source;
    };
    const Mapping identity = [](int, int, int x, int y, int& sx, int& sy) { return sx = x, sy = y, true; };
    // Clockwise by 90 on a square: numpy's rot90(k=-1) moved right by one column.
    const Mapping quarter = [](int w, int, int x, int y, int& sx, int& sy) {
        return sx = y, sy = w - x, x > 0;
    };
    const Mapping half = [](int w, int h, int x, int y, int& sx, int& sy) {
        return sx = w - x, sy = h - y, x > 0 && y > 0;
    };
    const Mapping threeQuarters = [](int w, int, int x, int y, int& sx, int& sy) {
        return sx = w - y, sy = x, y > 0;
    };
    const std::vector<Case> cases{
        {0, 7, 5, identity}, {360, 8, 6, identity}, {90, 8, 8, quarter},          {-270, 8, 8, quarter},
        {180, 8, 6, half},   {-180, 5, 4, half},    {270, 10, 10, threeQuarters}, {-90, 6, 6, threeQuarters}};
    const Tables tables;
    for (const Case& c : cases) {
        const TTIFFBitMap source = result16(c.w + 1, c.h + 1, pattern);
        const FinalPicture out = renderFinal(source, c.w, c.h, tables.settings(c.angle));
        ASSERT_EQ(out.image.width(), c.w);
        ASSERT_EQ(out.image.height(), c.h);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                int sx = 0, sy = 0;
                const auto got = rgbAt(out.image, x, y);
                if (!c.source(c.w, c.h, x, y, sx, sy)) {
                    EXPECT_EQ(got, (std::array<int, 3>{0, 0, 0})) << c.angle << " at " << x << "," << y;
                    continue;
                }
                const auto want = pattern(sx, sy);
                for (int k = 0; k < 3; ++k)
                    ASSERT_NEAR(got[k], want[k] * 255 / 256.0, 2.0) << c.angle << " at " << x << "," << y;
            }
    }
}

TEST(FinalImage, ASmallTurnPutsAnEdgeWhereTheRotationSaysAndTurnsClockwise) {
    // Grey 0 left of column 20, grey 200 from it on.
    const int n = 41;
    const TTIFFBitMap source = result16(n + 1, n + 1, [](int x, int) {
        const int v = x >= 20 ? 200 : 0;
        return std::array<int, 3>{v, v, v};
    });
    const double angle = 10.0;
    const FinalPicture out = renderFinal(source, n, n, Tables().settings(angle));
    const double theta = -angle * M_PI / 180.0, c = std::cos(theta), s = std::sin(theta), centre = n / 2.0;
    for (int y = 8; y <= 32; ++y)
        for (int x = 5; x <= 35; ++x) {
            // Along a row the source column is u; the bilinear ramp climbs from column 19 to 20.
            const double u = (x - centre) * c - (y - centre) * s + centre;
            const double want = 200 * std::clamp(u - 19.0, 0.0, 1.0) * 255 / 256;
            ASSERT_NEAR(rgbAt(out.image, x, y)[1], want, 1.0) << x << "," << y;
        }
    // Clockwise on the screen: the top of the vertical edge has moved right, its foot left.
    EXPECT_LT(rgbAt(out.image, 20, 12)[1], 50);
    EXPECT_GT(rgbAt(out.image, 20, 28)[1], 150);
}

TEST(FinalImage, HueCurvesChangeOnlyTheHuesTheyRaise) {
    // Colours of hue 0, 90, 180 and 270 degrees.
    const std::array<std::array<int, 3>, 4> colours{
        {{200, 0, 0}, {150, 200, 100}, {0, 150, 150}, {150, 100, 200}}};
    const TTIFFBitMap source = result16(5, 2, [&](int x, int) { return colours[std::size_t(x % 4)]; });

    CurveObjects curves;
    createCurveObjects(curves, false);
    Tables tables;
    buildHueCurveTable(curves.LightSpline, tables.light);
    for (float entry : tables.light) ASSERT_EQ(entry, 0.0f) << "the flat curve is no change";
    const FinalPicture neutral = renderFinal(source, 4, 1, tables.settings());

    // Lift the lightness curve's point at 180 degrees by 30: that hue gains 60 levels of value.
    for (const float y : {38.0f, 26.0f, 20.0f})
        ASSERT_TRUE(dragCurvePoint(curves.LightSpline, 180, y, LightCurveGraph));
    buildHueCurveTable(curves.LightSpline, tables.light);
    EXPECT_NEAR(tables.light[1800], 30.0f, 1e-3);
    for (int knot : {0, 450, 900, 2700, 3600})
        EXPECT_NEAR(tables.light[std::size_t(knot)], 0.0f, 0.05f) << knot;
    const FinalPicture lifted = renderFinal(source, 4, 1, tables.settings());
    for (int x : {0, 1, 3}) EXPECT_EQ(rgbAt(lifted.image, x, 0), rgbAt(neutral.image, x, 0)) << x;
    EXPECT_EQ(rgbAt(lifted.image, 2, 0)[1], rgbAt(neutral.image, 2, 0)[1] + 60);
    // The hue table counts twice too: 15 at 90 degrees turns that hue to 120, where red and blue
    // agree.
    Tables turned;
    turned.hue[900] = 15.0f;
    const std::array<int, 3> green = rgbAt(renderFinal(source, 4, 1, turned.settings()).image, 1, 0);
    EXPECT_EQ(green[0], green[2]);
    EXPECT_GT(green[1], green[0]);

    // A point inserted off the even spacing: the table follows the curve's x, not its parameter.
    resetHueCurve(curves.HueSpline);
    ASSERT_TRUE(insertCurvePoint(curves.HueSpline, 100, 20));
    buildHueCurveTable(curves.HueSpline, tables.hue);
    EXPECT_NEAR(tables.hue[1000], 30.0f, 0.01f);
    EXPECT_NEAR(tables.hue[900], 0.0f, 0.1f);
    EXPECT_NEAR(tables.hue[1350], 0.0f, 0.1f);
    // "Reset HSL" flattens every curve and zeroes every table.
    HueCurveTables shared;
    shared.HueCurveTable = tables.hue;
    resetHueCurves(curves, shared);
    EXPECT_EQ(curves.HueSpline.NumberOfPoints(), 9);
    EXPECT_EQ(curves.LightSpline.Point(5), (SplinePoint{180, 50}));
    EXPECT_EQ(shared.HueCurveTable, std::vector<float>(HueCurveTableSize, 0.0f));
    std::vector<float> tooShort(HueCurveTableSize - 1);
    EXPECT_THROW(buildHueCurveTable(curves.HueSpline, tooShort), std::invalid_argument);
}

TEST(FinalImage, SlidersClampAndTheHistogramCountsBrightHues) {
    // Black, a dim red (value 90) and a bright green (value 200).
    const std::array<std::array<int, 3>, 3> colours{{{0, 0, 0}, {90, 0, 0}, {0, 200, 0}}};
    const TTIFFBitMap source = result16(3, 1, [&](int x, int) { return colours[std::size_t(x)]; });
    Tables tables;
    FinalSettings settings = tables.settings();
    const FinalPicture plain = renderFinal(source, 3, 1, settings);
    HueHistogram expected{};
    expected[120] = 1;  // only the pixel whose value exceeds 100
    EXPECT_EQ(plain.histogram, expected);
    expected[200] = 3;
    const auto bars = hueHistogramBars(expected);
    EXPECT_EQ(bars[120], 17);  // Round(1/3 × 50)
    EXPECT_EQ(bars[200], 50);
    EXPECT_EQ(bars[0], 0);
    EXPECT_EQ(hueHistogramBars(HueHistogram{})[5], 0);
    expected[200] = 0;

    // Lightness +50 turns black grey; a hue pushed past 360 stays at 360, which is red again.
    settings.L0 = 50;
    settings.H0 = 300;
    const FinalPicture pushed = renderFinal(source, 3, 1, settings);
    EXPECT_EQ(rgbAt(pushed.image, 0, 0), (std::array<int, 3>{50, 50, 50}));
    EXPECT_EQ(rgbAt(pushed.image, 2, 0)[0], 249);  // 200 · 255/256 + 50
    EXPECT_EQ(rgbAt(pushed.image, 2, 0)[1], 0);
    EXPECT_EQ(pushed.histogram, expected) << "counted before the adjustments";

    // The same picture whichever way the rows are shared out.
    const TTIFFBitMap big = result16(64, 48, pattern);
    settings.Angle = 17;
    const FinalPicture spread = renderFinal(big, 63, 47, settings);
    test::ThreadCountScope one(1);
    const FinalPicture serial = renderFinal(big, 63, 47, settings);
    EXPECT_EQ(spread.histogram, serial.histogram);
    EXPECT_EQ(std::vector<std::uint8_t>(spread.image.bits(), spread.image.bits() + spread.image.byteCount()),
              std::vector<std::uint8_t>(serial.image.bits(), serial.image.bits() + serial.image.byteCount()));
}

TEST(FinalImage, FlipsMirrorAndTwiceGiveTheSamePicture) {
    Bitmap24 picture(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) SetRGBTriple(std::uint8_t(x), std::uint8_t(y), 9, picture.pixel(x, y));
    for (const bool flipY : {false, true})
        for (const bool flipX : {false, true}) {
            const Bitmap24 once = FlipBitmap(flipY, flipX, picture);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    EXPECT_EQ(rgbAt(once, x, y),
                              (std::array<int, 3>{flipX ? 4 - x : x, flipY ? 2 - y : y, 9}));
            const Bitmap24 twice = FlipBitmap(flipY, flipX, once);
            EXPECT_EQ(std::vector<std::uint8_t>(twice.bits(), twice.bits() + twice.byteCount()),
                      std::vector<std::uint8_t>(picture.bits(), picture.bits() + picture.byteCount()));
        }
}

TEST(FinalImage, PreviewTurnKeepsItsCentreInPlace) {
    Bitmap24 picture(9, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            SetRGBTriple(std::uint8_t(10 * x), std::uint8_t(10 * y), 7, picture.pixel(x, y));
    const Bitmap24 same = RotatePreviewImage(picture, 3, 2, 0.0f);
    EXPECT_EQ(std::vector<std::uint8_t>(same.bits(), same.bits() + same.byteCount()),
              std::vector<std::uint8_t>(picture.bits(), picture.bits() + picture.byteCount()));
    // Half a turn about (3, 2): output (x, y) shows source (6 − x, 4 − y).
    const Bitmap24 half = RotatePreviewImage(picture, 3, 2, 180.0f);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = 6 - x >= 0 && 4 - y >= 0;
            const std::array<int, 3> want =
                inside ? std::array<int, 3>{10 * (6 - x), 10 * (4 - y), 7} : std::array<int, 3>{0, 0, 0};
            EXPECT_EQ(rgbAt(half, x, y), want) << x << "," << y;
        }
}

TEST(FinalImage, MouseMarksAndTheCropStayOnThePicture) {
    // A click without a drag leaves no rectangle.
    EXPECT_EQ(releasedCropRect(startCropRect(30, 40)).Left, -1);
    // A drag up and left is put in order; a pointer beyond the left edge stops at 0.
    TEdgeRect mark = startCropRect(110, 70);
    dragCropCorner(mark, 10, 20);
    EXPECT_EQ(cropDragText(mark, 10, 20), "x:110,y:70 w:100 h:50");
    TEdgeRect crop = releasedCropRect(mark);
    EXPECT_EQ(crop.Left, 10);
    EXPECT_EQ(crop.Right, 110);
    EXPECT_EQ(crop.Top, 20);
    EXPECT_EQ(crop.Bottom, 70);
    mark = startCropRect(5, 5);
    dragCropCorner(mark, -1, 9);
    crop = releasedCropRect(mark);
    EXPECT_EQ(crop.Left, 0);
    EXPECT_EQ(crop.Right, 5);

    struct Case {
        TEdgeRect crop;
        bool some;
        TEdgeRect area;
    };
    const Case cases[] = {
        {{-1, -1, -1, -1}, false, {}},
        {{10, 110, 20, 70}, true, {10, 110, 20, 70}},
        {{110, 10, 70, 20}, true, {10, 110, 20, 70}},
        {{100, 500, -20, 30}, true, {100, 120, 0, 30}},
        {{130, 200, 10, 20}, false, {}},
        {{7, 7, 10, 20}, false, {}},
    };
    Bitmap24 picture(120, 80);
    SetRGBTriple(1, 2, 3, picture.pixel(100, 0));
    for (const Case& c : cases) {
        const auto area = cropArea(c.crop, 120, 80);
        ASSERT_EQ(area.has_value(), c.some) << c.crop.Left << "," << c.crop.Right;
        const Bitmap24 cropped = cropBitmap(picture, c.crop);
        if (!c.some) {
            EXPECT_EQ(cropped.width(), 120);
            continue;
        }
        EXPECT_EQ(area->Left, c.area.Left);
        EXPECT_EQ(area->Right, c.area.Right);
        EXPECT_EQ(area->Top, c.area.Top);
        EXPECT_EQ(area->Bottom, c.area.Bottom);
        EXPECT_EQ(cropped.width(), c.area.Right - c.area.Left);
        EXPECT_EQ(cropped.height(), c.area.Bottom - c.area.Top);
    }
    EXPECT_EQ(rgbAt(cropBitmap(picture, {100, 120, 0, 30}), 0, 0), (std::array<int, 3>{1, 2, 3}));
}

TEST(FinalImage, TinyOddAndHostileInputsNeverCrash) {
    const Tables tables;
    for (const auto& [w, h] : {std::pair{1, 1}, {1, 5}, {4, 1}, {3, 2}})
        for (const double angle : {0.0, 1.0, 45.0, 90.0, 180.0, -33.3, 1e9, std::nan("")}) {
            const FinalPicture out =
                renderFinal(result16(w + 1, h + 1, pattern), w, h, tables.settings(angle));
            EXPECT_EQ(out.image.width(), w);
            RotatePreviewImage(out.image, w / 2, h / 2, static_cast<float>(angle));
        }
    EXPECT_TRUE(renderFinal(result16(2, 2, pattern), 0, 3, tables.settings()).image.empty());

    // A picture larger than the samples: beyond them it is black, as without any samples at all.
    const FinalPicture wider = renderFinal(result16(3, 2, pattern), 6, 4, tables.settings());
    EXPECT_NE(rgbAt(wider.image, 2, 1), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(rgbAt(wider.image, 3, 1), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(rgbAt(wider.image, 0, 2), (std::array<int, 3>{0, 0, 0}));
    const FinalPicture none = renderFinal(TTIFFBitMap(4, 4), 4, 4, tables.settings(30));
    EXPECT_EQ(rgbAt(none.image, 2, 2), (std::array<int, 3>{0, 0, 0}));

    // A centre of rotation far outside the picture leaves it black.
    FinalSettings far = tables.settings(30);
    far.RotationCentreSet = true;
    far.RotationCentreX = INT_MAX;
    far.RotationCentreY = INT_MIN;
    EXPECT_EQ(rgbAt(renderFinal(result16(9, 9, pattern), 8, 8, far).image, 4, 4),
              (std::array<int, 3>{0, 0, 0}));

    Tables shortTables;
    shortTables.sat.resize(10);
    EXPECT_THROW(renderFinal(result16(2, 2, pattern), 1, 1, shortTables.settings()), std::invalid_argument);
    EXPECT_FALSE(pointedHue(result16(2, 2, pattern), 2, 0, 2, 2));
    EXPECT_FALSE(pointedHue(result16(2, 2,
                                     [](int, int) {
                                         return std::array<int, 3>{0, 0, 0};
                                     }),
                            0, 0, 2, 2));
    EXPECT_NEAR(*pointedHue(result16(2, 2,
                                     [](int, int) {
                                         return std::array<int, 3>{0, 200, 200};
                                     }),
                            1, 1, 2, 2),
                180.0f, 1e-3);
}

TEST(HueCurveEditing, EndsMoveTogetherAndEachGraphKeepsItsDistances) {
    struct Case {
        const char* what;
        CurveGraphRules graph;
        bool drag;  // else Ctrl + click
        float x, y;
        bool changed;
        float firstY, lastY;
    };
    const Case cases[] = {
        {"dragging the first point moves the last", HueCurveGraph, true, 3, 42, true, 42, 42},
        {"dragging the last point moves the first", HueCurveGraph, true, 356, 58, true, 58, 58},
        {"hue picks within 10 only", HueCurveGraph, true, 12, 40, false, 50, 50},
        {"saturation picks within 15", SatCurveGraph, true, 12, 40, true, 40, 40},
        {"left of the graph is clamped", LightCurveGraph, true, -5, 58, true, 58, 58},
        {"hue deletes within 15", HueCurveGraph, false, 58, 50, true, 50, 50},
        {"saturation deletes within 10 only", SatCurveGraph, false, 58, 50, false, 50, 50},
    };
    for (const Case& c : cases) {
        TBSpline spline;
        resetHueCurve(spline);
        const bool changed =
            c.drag ? dragCurvePoint(spline, c.x, c.y, c.graph) : deleteCurvePoint(spline, c.x, c.y, c.graph);
        EXPECT_EQ(changed, c.changed) << c.what;
        EXPECT_EQ(spline.NumberOfPoints(), !c.drag && c.changed ? 8 : 9) << c.what;
        EXPECT_EQ(spline.Point(1), (SplinePoint{0, c.firstY})) << c.what;
        EXPECT_EQ(spline.Point(spline.NumberOfPoints()), (SplinePoint{360, c.lastY})) << c.what;
    }
    // An interior point keeps 15 pixels from its neighbours; the move is refused, not clamped.
    TBSpline spline;
    for (const float x : {0.0f, 30.0f, 50.0f, 360.0f}) spline.AddPoint({x, 50});
    EXPECT_FALSE(dragCurvePoint(spline, 36, 44, HueCurveGraph)) << "within 15 of the point at 50";
    EXPECT_TRUE(dragCurvePoint(spline, 33, 44, HueCurveGraph));
    EXPECT_EQ(spline.Point(2), (SplinePoint{33, 44}));
}

}  // namespace
}  // namespace kestrave
