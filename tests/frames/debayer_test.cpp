#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "debayer_reference.h"
#include "frames/debayer.h"
#include "pixel_test_bitmaps.h"
#include "support/thread_count_scope.h"

namespace kestrave {
namespace {

constexpr BayerPattern AllPatterns[] = {BayerPattern::GR, BayerPattern::RG, BayerPattern::BG,
                                        BayerPattern::GB};

std::string nameOf(BayerPattern p) {
    return test::BayerNames[static_cast<int>(p)];
}

Bitmap24 greyBitmap(int width, int height, std::uint8_t value) {
    Bitmap24 b(width, height);
    b.fill(value, value, value);
    return b;
}

// Seeded mosaic bytes; with `levels` > 0 every byte is one of a few levels, so that the ties
// between the interpolation directions come up often.
Bitmap24 randomMosaic(int width, int height, unsigned seed, int levels) {
    std::mt19937 random(seed);
    Bitmap24 b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x) {
            const unsigned v = random();
            b.row(y)[x] =
                static_cast<std::uint8_t>(levels > 0 ? (v % levels) * (255 / (levels - 1)) : v & 255);
        }
    return b;
}

// Dark planes of the given sizes with cells up to 128 × 40, i.e. darks up to 40 levels.
PlaneTriple randomDark(const int (&sizes)[3][2], unsigned seed) {
    std::mt19937 random(seed);
    PlaneTriple dark;
    for (int p = 0; p < 3; ++p) {
        dark[p].reset(std::max(1, sizes[p][1]), std::max(1, sizes[p][0]));
        for (std::size_t i = 0; i < dark[p].cellCount(); ++i)
            dark[p].data()[i] = static_cast<float>(random() % 5121) * 1.0f;
    }
    return dark;
}

const PlaneTriple noDark{};

TEST(Debayer, UniformMosaicStaysUniformInsideTheOutputAndKeepsTheMosaicOutsideIt) {
    const std::uint8_t v = 137;
    for (const BayerPattern p : AllPatterns) {
        for (const int width : {640, 641}) {
            SCOPED_TRACE(nameOf(p) + " width " + std::to_string(width));
            const int height = 24;
            Bitmap24 frame = greyBitmap(width, height, v);
            Debayer(frame, {p}, noDark);
            // K = 318 for both widths: the colour frame covers columns 0..635 and rows 0..19.
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint8_t* px = frame.pixel(x, y);
                    const bool output = x < 636 && y < height - 4;
                    const bool interior = x >= 2 && x < 636 - 2 && y >= 2 && y < height - 4 - 2;
                    if (!output || interior) {
                        ASSERT_EQ(px[0], v) << x << "," << y;
                        ASSERT_EQ(px[1], v) << x << "," << y;
                        ASSERT_EQ(px[2], v) << x << "," << y;
                    }
                }
            // The passes start one column (RG, GB) or one row (BG, GB) after the copied
            // rectangle, so that column or row of the output stays black; GR fills both.
            const bool columnShift = p == BayerPattern::RG || p == BayerPattern::GB;
            const bool rowShift = p == BayerPattern::BG || p == BayerPattern::GB;
            EXPECT_EQ(frame.pixel(0, 10)[1], columnShift ? 0 : v);
            EXPECT_EQ(frame.pixel(10, 0)[1], rowShift ? 0 : v);
        }
    }
}

// Green at one red or blue site whose neighbourhood is set by hand on a black mosaic: the site
// value, its same-colour neighbours two steps away (left/right and up/down) and its four green
// neighbours. Returns the output green of that site.
struct GreenCase {
    int row;                    // frame row of the site (pattern GR: row 2 even phase, 3 odd)
    int centre, sideH, sideV;   // M(0,0); M(0,±2); M(±2,0)
    int left, right, up, down;  // green neighbours
    int expected;
};

int greenOfSite(const GreenCase& g) {
    Bitmap24 frame(12, 10);
    const int col = g.row % 2 == 0 ? 5 : 4;  // red sites sit in odd columns, blue in even ones
    auto set = [&](int x, int y, int value) {
        const auto b = static_cast<std::uint8_t>(value);
        SetRGBTriple(b, b, b, frame.pixel(x, y));
    };
    set(col, g.row, g.centre);
    set(col - 2, g.row, g.sideH);
    set(col + 2, g.row, g.sideH);
    set(col, g.row - 2, g.sideV);
    set(col, g.row + 2, g.sideV);
    set(col - 1, g.row, g.left);
    set(col + 1, g.row, g.right);
    set(col, g.row - 1, g.up);
    set(col, g.row + 1, g.down);
    Debayer(frame, {BayerPattern::GR, false, true, false}, noDark);
    return frame.pixel(col - 2, g.row - 2)[1];
}

TEST(Debayer, GreenSumsTruncateInEvenRowsAndRoundHalfToEvenInOddRows) {
    // Horizontal branch (vertical gradient 200 > 101): left + right + DH = 101 + 102 + 100 = 303
    // gives 151 by truncation and 152 by rounding 151.5 to even; 100 + 101 + 100 = 301 gives 150
    // both ways (150.5 rounds to the even 150).
    // Tie branch (both 101): 101 + 102 + 101 + 102 + 100 + 100 = 606, / 4 = 151.5.
    // Vertical branch: the same sums on the other axis.
    const GreenCase cases[] = {
        {2, 100, 50, 0, 101, 102, 0, 0, 151},
        {3, 100, 50, 0, 101, 102, 0, 0, 152},
        {2, 100, 50, 0, 100, 101, 0, 0, 150},
        {3, 100, 50, 0, 100, 101, 0, 0, 150},
        {2, 100, 50, 50, 101, 102, 101, 102, 151},
        {3, 100, 50, 50, 101, 102, 101, 102, 152},
        {2, 100, 0, 50, 0, 0, 101, 102, 151},
        {3, 100, 0, 50, 0, 0, 101, 102, 152},
        // A negative sum truncates toward zero and clamps to 0; a large one clamps to 255.
        {2, 0, 100, 255, 0, 1, 0, 0, 0},
        {3, 255, 0, 0, 255, 255, 255, 200, 255},
    };
    for (const GreenCase& g : cases) {
        SCOPED_TRACE("row " + std::to_string(g.row) + " expected " + std::to_string(g.expected));
        EXPECT_EQ(greenOfSite(g), g.expected);
    }
}

TEST(Debayer, AlignAndOptimizePassesGiveGreenOnly) {
    const Bitmap24 mosaic = randomMosaic(37, 29, 7, 0);
    Bitmap24 full = mosaic;
    Debayer(full, {BayerPattern::BG}, noDark);
    for (const bool align : {true, false}) {
        Bitmap24 frame = mosaic;
        Debayer(frame, {BayerPattern::BG, false, align, !align}, noDark);
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 32; ++x) {
                ASSERT_EQ(frame.pixel(x, y)[0], 0);
                ASSERT_EQ(frame.pixel(x, y)[2], 0);
                ASSERT_EQ(frame.pixel(x, y)[1], full.pixel(x, y)[1]);
            }
    }
}

TEST(Debayer, RawDarkIsSubtractedPerChannelClampedAndZeroOutsideTheDarkPlanes) {
    // 8 × 8: the colour frame covers the top-left 4 × 4; elsewhere the dark-subtracted mosaic
    // remains. The dark planes are 6 columns by 5 rows, smaller than the frame.
    Bitmap24 frame = greyBitmap(8, 8, 10);
    PlaneTriple dark;
    for (T2dArrays& plane : dark) plane.reset(5, 6);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 5; ++y) {
            dark[0][x][y] = 3 * 128.0f;   // red: 10 - 3
            dark[1][x][y] = 20 * 128.0f;  // green: 10 - 20 clamps to 0, never wraps
            dark[2][x][y] = 64.0f;        // blue: 10 - 0.5 rounds to the even 10
        }
    dark[2][5][4] = 3 * 64.0f;                                // blue: 10 - 1.5 rounds to the even 8
    dark[0][5][0] = std::numeric_limits<float>::quiet_NaN();  // an undefined dark gives 0
    Debayer(frame, {BayerPattern::GR, true}, dark);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            if (x < 4 && y < 4) continue;
            const bool inside = x < 6 && y < 5;
            const std::uint8_t* px = frame.pixel(x, y);
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(px[2], x == 5 && y == 0 ? 0 : inside ? 7 : 10);
            EXPECT_EQ(px[1], inside ? 0 : 10);
            EXPECT_EQ(px[0], x == 5 && y == 4 ? 8 : 10);
        }
}

// Every pattern, widths and heights round the smallest frames that have pairs and rows (odd and
// even) and round 640, with and without the raw dark (planes smaller than the frame on one axis
// and larger on the other) and the colour pass: the fast code agrees with the pixel-by-pixel
// rules everywhere, including the column past the right edge that the last pair of RG and GB
// rows of even width would read. Under AddressSanitizer this also shows that nothing outside
// the bitmap or the dark planes is read.
TEST(Debayer, MatchesThePixelByPixelRulesForEveryPatternAndSize) {
    unsigned seed = 1;
    for (const BayerPattern p : AllPatterns)
        for (const int width : {1, 3, 4, 5, 6, 7, 8, 640, 641})
            for (const int height : {1, 4, 5, 6, 7, 8, 13, 40, 481})
                for (const int variant : {0, 1, 2}) {
                    ++seed;
                    SCOPED_TRACE(nameOf(p) + " " + std::to_string(width) + "x" + std::to_string(height) +
                                 " variant " + std::to_string(variant));
                    const Bitmap24 mosaic = randomMosaic(width, height, seed, variant == 1 ? 3 : 0);
                    const int sizes[3][2] = {{width - 1, height + 2}, {width + 3, height - 1}, {2, 2}};
                    const PlaneTriple dark = randomDark(sizes, seed);
                    DebayerOptions options{p, variant != 0, variant == 2};
                    Bitmap24 frame = mosaic;
                    Debayer(frame, options, dark);
                    ASSERT_TRUE(test::samePixels(frame, test::referenceDebayer(mosaic, options, dark)));
                }
}

TEST(Debayer, SameBytesAtOneAndEightThreads) {
    const Bitmap24 mosaic = randomMosaic(1280, 960, 99, 0);
    const int sizes[3][2] = {{1280, 960}, {1000, 960}, {1280, 700}};
    const PlaneTriple dark = randomDark(sizes, 5);
    Bitmap24 one = mosaic, eight = mosaic;
    {
        test::ThreadCountScope threads(1);
        Debayer(one, {BayerPattern::GB, true}, dark);
    }
    {
        test::ThreadCountScope threads(8);
        Debayer(eight, {BayerPattern::GB, true}, dark);
    }
    EXPECT_TRUE(test::samePixels(one, eight));
}

}  // namespace
}  // namespace kestrave
