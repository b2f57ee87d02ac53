// The 3 x 3 convolution: interior only, integer division toward zero, output stretched by the
// range of the filtered green channel.

#include <gtest/gtest.h>

#include "frames/kernel3x3.h"
#include "pixel_test_bitmaps.h"

using namespace kestrave;
using test::noiseBitmap;
using test::samePixels;

namespace {

constexpr TKernel3x3 kLowpass{9, 1, 1, 1, 1, 1, 1, 1, 1, 1};

// A 4 x 3 bitmap: two interior pixels, (1, 1) and (2, 1), every other pixel 0.
Bitmap24 twoInteriorPixels(std::uint8_t blue, std::uint8_t green1, std::uint8_t green2, std::uint8_t red1,
                           std::uint8_t red2) {
    Bitmap24 b(4, 3);
    SetRGBTriple(red1, green1, blue, b.pixel(1, 1));
    SetRGBTriple(red2, green2, blue, b.pixel(2, 1));
    return b;
}

// A kernel that keeps only the centre weight.
TKernel3x3 centreOnly(std::int32_t divisor, std::int32_t weight) {
    TKernel3x3 k{};
    k[0] = divisor;
    k[5] = weight;
    return k;
}

}  // namespace

TEST(Convolve3x3, NarrowBitmapsAreLeftUnchanged) {
    for (auto [w, h] : {std::pair{2, 7}, {7, 2}, {1, 1}, {2, 2}, {1, 9}, {0, 0}}) {
        Bitmap24 b = noiseBitmap(w, h, 7);
        const Bitmap24 before = b;
        Convolve3x3(kLowpass, b, true);
        EXPECT_TRUE(samePixels(b, before)) << w << "x" << h;
    }
}

TEST(Convolve3x3, UniformBitmapGivesZeroInteriorAndKeepsItsBorder) {
    Bitmap24 b(6, 5);
    b.fill(77, 77, 77);
    Convolve3x3(kLowpass, b, true);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool border = x == 0 || y == 0 || x == 5 || y == 4;
            for (int c = 0; c < 3; ++c) EXPECT_EQ(b.pixel(x, y)[c], border ? 77 : 0) << x << "," << y;
        }
}

TEST(Convolve3x3, StretchesTheGreenRangeAndMapsEveryChannelWithIt) {
    // Divisor 2: green 5 and 9 give 2 and 4, red 7 and 6 give 3 and 3, blue 1 gives 0.
    // lo = 2, hi = 4: green -> 0 and 255, red -> 127.5 -> 128, blue -> -255 -> 0.
    Bitmap24 colour = twoInteriorPixels(1, 5, 9, 7, 6);
    Convolve3x3(centreOnly(2, 1), colour, true);
    EXPECT_EQ(colour.pixel(1, 1)[1], 0);
    EXPECT_EQ(colour.pixel(2, 1)[1], 255);
    EXPECT_EQ(colour.pixel(1, 1)[2], 128);
    EXPECT_EQ(colour.pixel(2, 1)[2], 128);
    EXPECT_EQ(colour.pixel(1, 1)[0], 0);

    // Monochrome: the red result goes to all three channels.
    Bitmap24 mono = twoInteriorPixels(1, 5, 9, 7, 6);
    Convolve3x3(centreOnly(2, 1), mono, false);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(mono.pixel(1, 1)[c], 128);
}

TEST(Convolve3x3, DividesTowardZeroAndKeepsHiAtLeastZero) {
    // Weight -1, divisor 2: green 5 and 9 give -2 and -4 (not -3 and -5); lo = -4, hi stays 0.
    // Green: (-2 + 4) / 4 * 255 = 127.5 -> 128 and 0; red 7 gives -3: 63.75 -> 64.
    Bitmap24 b = twoInteriorPixels(0, 5, 9, 7, 7);
    Convolve3x3(centreOnly(2, -1), b, true);
    EXPECT_EQ(b.pixel(1, 1)[1], 128);
    EXPECT_EQ(b.pixel(2, 1)[1], 0);
    EXPECT_EQ(b.pixel(1, 1)[2], 64);
    // Blue 0 gives 0, (0 + 4) / 4 * 255 = 255.
    EXPECT_EQ(b.pixel(1, 1)[0], 255);
}

TEST(Convolve3x3, ZeroDivisorAndExtremeWeightsStayDefined) {
    Bitmap24 b = twoInteriorPixels(3, 5, 9, 7, 6);
    Convolve3x3(centreOnly(0, 1), b, true);  // counts as divisor 1: lo = 5, hi = 9
    EXPECT_EQ(b.pixel(1, 1)[1], 0);
    EXPECT_EQ(b.pixel(2, 1)[1], 255);
    EXPECT_EQ(b.pixel(1, 1)[2], 128);  // (7 - 5) / 4 * 255 = 127.5

    // Weights at the 32-bit limit, divided by the same limit, act as weights of 1: the
    // neighbourhood sum must not overflow on the way.
    Bitmap24 big = noiseBitmap(16, 16, 3);
    TKernel3x3 extreme;
    extreme.fill(2147483647);
    Convolve3x3(extreme, big, true);
    TKernel3x3 ones;
    ones.fill(1);
    Bitmap24 reference = noiseBitmap(16, 16, 3);
    Convolve3x3(ones, reference, true);
    EXPECT_TRUE(samePixels(big, reference));
}
