// Resampling with the seven filter kernels: known answers, level preservation, edge sizes and
// the same bytes at any thread count.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "frames/stretch.h"
#include "pixel_test_bitmaps.h"
#include "support/thread_count_scope.h"

using namespace kestrave;
using test::noiseBitmap;
using test::samePixels;
using test::ThreadCountScope;

namespace {

Bitmap24 uniform(int width, int height, std::uint8_t level) {
    Bitmap24 b(width, height);
    b.fill(level, level, level);
    return b;
}

Bitmap24 stretched(const Bitmap24& source, int width, int height, const ResampleFilter& filter) {
    Bitmap24 dest(width, height);
    Stretch(source, dest, filter.Filter, filter.Width);
    return dest;
}

// Every byte of the bitmap within tolerance of level; reports the first that is not.
::testing::AssertionResult allNear(const Bitmap24& b, int level, int tolerance) {
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < 3 * b.width(); ++x)
            if (std::abs(b.row(y)[x] - level) > tolerance)
                return ::testing::AssertionFailure()
                       << "byte " << x << " of row " << y << " is " << int(b.row(y)[x]);
    return ::testing::AssertionSuccess();
}

const ResampleFilter& filterNamed(std::string_view name) {
    for (const ResampleFilter& f : ResampleFilters)
        if (f.Name == name) return f;
    throw std::invalid_argument(std::string(name));
}

}  // namespace

TEST(Resample, FilterTableHoldsTheSevenKernelsInOrder) {
    const char* names[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
    const float widths[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
    for (std::size_t i = 0; i < ResampleFilters.size(); ++i) {
        EXPECT_EQ(ResampleFilters[i].Name, names[i]);
        EXPECT_EQ(ResampleFilters[i].Width, widths[i]);
        // Nothing outside the support.
        EXPECT_EQ(ResampleFilters[i].Filter(widths[i] + 0.01f), 0.0f) << names[i];
        EXPECT_EQ(ResampleFilters[i].Filter(-widths[i] - 0.01f), 0.0f) << names[i];
    }
    // The method list "Bell", "Bspline", "Lanczos", "Mitchell" picks entries 3..6.
    EXPECT_EQ(resampleMethodFilter(0).Name, "Bell");
    EXPECT_EQ(resampleMethodFilter(3).Name, "Mitchell");
    EXPECT_THROW(resampleMethodFilter(4), std::out_of_range);
}

TEST(Resample, KernelsSumToOneOverIntegerOffsetsExceptLanczos) {
    // A kernel that reproduces a constant sums to 1 over samples one unit apart at any phase.
    for (const ResampleFilter& f : ResampleFilters) {
        for (float phase : {0.0f, 0.125f, 0.25f, 0.5f, 0.8f}) {
            double sum = 0;
            for (int k = -4; k <= 4; ++k) sum += f.Filter(phase + static_cast<float>(k));
            if (f.Name == "Lanczos3") {
                EXPECT_NEAR(sum, 1.0, 0.02) << phase;
            } else {
                EXPECT_NEAR(sum, 1.0, 1e-6) << f.Name << " at " << phase;
            }
        }
        if (f.Name != "Box") {
            EXPECT_EQ(f.Filter(0.7f), f.Filter(-0.7f)) << f.Name;
        }
    }
    // The half-open box: one sample at every phase, including the exact half.
    EXPECT_EQ(boxFilter(0.5f), 1.0f);
    EXPECT_EQ(boxFilter(-0.5f), 0.0f);
    EXPECT_NEAR(mitchellFilter(0.0f), 16.0 / 18.0, 1e-7);
    EXPECT_NEAR(mitchellFilter(1.0f), 1.0 / 18.0, 1e-7);
    EXPECT_NEAR(bSplineFilter(0.0f), 2.0 / 3.0, 1e-7);
    EXPECT_NEAR(lanczos3Filter(1.0f), 0.0, 1e-7);
}

TEST(Resample, BoxAtTheSameSizeIsTheIdentity) {
    for (auto [w, h] : {std::pair{37, 23}, {1, 1}, {1, 6}, {6, 1}, {64, 2}}) {
        const Bitmap24 source = noiseBitmap(w, h, 11);
        EXPECT_TRUE(samePixels(stretched(source, w, h, filterNamed("Box")), source)) << w << "x" << h;
    }
    // Stretching a bitmap onto itself works too.
    Bitmap24 self = noiseBitmap(9, 4, 5);
    const Bitmap24 before = self;
    Stretch(self, self, boxFilter, 0.5f);
    EXPECT_TRUE(samePixels(self, before));
}

TEST(Resample, KnownAnswersForEnlargingAndShrinking) {
    // Enlarging 2 -> 3 with Triangle: centres 0, 0.5, 1.
    Bitmap24 pair(2, 1);
    SetRGBTriple(0, 0, 0, pair.pixel(0, 0));
    SetRGBTriple(200, 100, 7, pair.pixel(1, 0));
    const Bitmap24 wide = stretched(pair, 3, 1, filterNamed("Triangle"));
    EXPECT_EQ(wide.pixel(1, 0)[2], 100);
    EXPECT_EQ(wide.pixel(1, 0)[1], 50);
    EXPECT_EQ(wide.pixel(1, 0)[0], 4);  // 3.5 rounds to even
    EXPECT_EQ(wide.pixel(2, 0)[2], 200);

    // Shrinking 3 -> 2 with Triangle: scale 0.5, support 2, weights Triangle(d / 2) / 2.
    // Column 0 (centre 0): 0.25 x p(-1 -> mirrored to 1) + 0.5 x p0 + 0.25 x p1 = 0.5 x 94 = 47.
    // Column 1 (centre 2): 0.25 x p1 + 0.5 x p2 + 0.25 x p(3 -> mirrored to 2) = 158.5 -> 158.
    Bitmap24 three(3, 2);
    for (int y = 0; y < 2; ++y) {
        SetRGBTriple(0, 0, 0, three.pixel(0, y));
        SetRGBTriple(94, 94, 94, three.pixel(1, y));
        SetRGBTriple(180, 180, 180, three.pixel(2, y));
    }
    const Bitmap24 narrow = stretched(three, 2, 2, filterNamed("Triangle"));
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(narrow.pixel(0, y)[2], 47);
        EXPECT_EQ(narrow.pixel(1, y)[2], 158);
    }

    // Shrinking 5 -> 3 with B-Spline reaches three samples past the right edge: j = 5, 6, 7
    // mirror to 4, 3, 2 (weights 0.2396, 0.0833, 0.0104 beside 0.3333 on j = 4). With 0, 0, 0,
    // 60, 120 the last column is 60 x 0.3229 + 120 x 0.5729 = 88.1 (holding the edge sample
    // instead would give 94).
    Bitmap24 five(5, 1);
    SetRGBTriple(60, 60, 60, five.pixel(3, 0));
    SetRGBTriple(120, 120, 120, five.pixel(4, 0));
    EXPECT_EQ(stretched(five, 3, 1, filterNamed("B-Spline")).pixel(2, 0)[0], 88);
}

TEST(Resample, ConstantsStayConstantForTheSmoothFilters) {
    const Bitmap24 grey = uniform(40, 30, 100);
    for (const char* name : {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Mitchell"}) {
        EXPECT_TRUE(allNear(stretched(grey, 80, 60, filterNamed(name)), 100, 1)) << name << " x2";
        EXPECT_TRUE(allNear(stretched(grey, 79, 59, filterNamed(name)), 100, 1)) << name << " x2 - 1";
        EXPECT_TRUE(allNear(stretched(grey, 40, 30, filterNamed(name)), 100, 0)) << name << " x1";
    }
    // The Lanczos weights are not normalised: the level moves a little, but not far.
    EXPECT_TRUE(allNear(stretched(grey, 80, 60, filterNamed("Lanczos3")), 100, 3));
}

TEST(Resample, LanczosRingingIsClampedNotWrapped) {
    Bitmap24 step(32, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 16; x < 32; ++x) SetRGBTriple(255, 255, 255, step.pixel(x, y));
    for (const char* name : {"Lanczos3", "Mitchell"}) {
        const Bitmap24 out = stretched(step, 64, 8, filterNamed(name));
        for (int y = 0; y < 8; ++y) {
            // Undershoot beside the step clamps to 0 and overshoot to 255; a wrapped byte would
            // put a bright pixel on the dark side or a dark one on the bright side.
            for (int x = 0; x < 28; ++x) EXPECT_LT(out.pixel(x, y)[1], 40) << name << " " << x;
            for (int x = 36; x < 64; ++x) EXPECT_GT(out.pixel(x, y)[1], 215) << name << " " << x;
            EXPECT_EQ(out.pixel(0, y)[1], 0);
            EXPECT_GE(out.pixel(63, y)[1], 250);  // the Lanczos gain is a little below 1
        }
    }
}

TEST(Resample, RampStaysMonotoneWhenEnlarged) {
    Bitmap24 ramp(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const auto v = static_cast<std::uint8_t>(x * 255 / 639);
            const auto w = static_cast<std::uint8_t>(y * 255 / 479);
            SetRGBTriple(v, w, v, ramp.pixel(x, y));
        }
    for (const char* name : {"Triangle", "Bell", "B-Spline", "Mitchell"}) {
        const Bitmap24 big = stretched(ramp, 1279, 959, filterNamed(name));
        for (int y = 0; y < 959; y += 37)
            for (int x = 1; x < 1279; ++x)
                ASSERT_GE(big.pixel(x, y)[2], big.pixel(x - 1, y)[2]) << name << " " << x;
        for (int x = 0; x < 1279; x += 41)
            for (int y = 1; y < 959; ++y)
                ASSERT_GE(big.pixel(x, y)[1], big.pixel(x, y - 1)[1]) << name << " " << y;
    }
}

TEST(Resample, TinySourcesAndTargets) {
    const Bitmap24 dot = uniform(1, 1, 90);
    const Bitmap24 column = uniform(1, 7, 90);
    const Bitmap24 row = uniform(7, 1, 90);
    const Bitmap24 field = uniform(20, 15, 90);
    for (const ResampleFilter& f : ResampleFilters) {
        // A shrinking box spans 1 / scale samples; with the scale in single precision an edge
        // sample can fall just outside it (15 -> 2 rows keeps 13 of 14: 90 x 13 / 14 = 84).
        const int tolerance = f.Name == "Box" ? 6 : 1;
        SCOPED_TRACE(std::string(f.Name));
        EXPECT_TRUE(allNear(stretched(dot, 1, 1, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(dot, 5, 4, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(column, 3, 7, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(column, 1, 20, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(row, 7, 3, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(row, 2, 1, f), 90, tolerance));
        // One-pixel targets: the whole source falls under one widened kernel.
        EXPECT_TRUE(allNear(stretched(field, 1, 1, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(field, 1, 15, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(field, 20, 1, f), 90, tolerance));
        EXPECT_TRUE(allNear(stretched(field, 2, 2, f), 90, tolerance));
    }
}

TEST(Resample, EmptyBitmaps) {
    Bitmap24 dest(4, 4);
    try {
        Stretch(Bitmap24(), dest, boxFilter, 0.5f);
        FAIL() << "no error for an empty source";
    } catch (const StretchError& e) {
        EXPECT_STREQ(e.what(), "Source bitmap too small");
    }
    EXPECT_THROW(Stretch(Bitmap24(0, 5), dest, boxFilter, 0.5f), StretchError);
    Bitmap24 none(0, 3);
    Stretch(noiseBitmap(5, 5, 1), none, mitchellFilter, 2.0f);
    EXPECT_EQ(none.width(), 0);
}

TEST(Resample, SameBytesAtOneAndEightThreads) {
    const Bitmap24 source = noiseBitmap(123, 77, 42);
    for (const ResampleFilter& f : ResampleFilters) {
        for (auto [w, h] : {std::pair{245, 153}, {50, 31}, {123, 77}}) {
            Bitmap24 one, eight;
            {
                ThreadCountScope threads(1);
                one = stretched(source, w, h, f);
            }
            {
                ThreadCountScope threads(8);
                eight = stretched(source, w, h, f);
            }
            EXPECT_TRUE(samePixels(one, eight)) << f.Name << " " << w << "x" << h;
        }
    }
}
