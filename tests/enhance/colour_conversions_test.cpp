// RGB to HSV and back, the integer HSV store and the NaN test.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "enhance/colour_conversions.h"

using namespace kestrave;

namespace {

std::array<int, 3> tripleRGB(int h, int s, int v) {
    std::uint8_t pixel[3] = {7, 7, 7};
    HSVtoRGBTriple(h, s, v, pixel);
    return {pixel[2], pixel[1], pixel[0]};
}

}  // namespace

TEST(ColourConversions, RgbToHsvGivesDegreesSaturationAndUnscaledValue) {
    float h, s, v;
    RGBtoHSV(255.0f, 0.0f, 0.0f, h, s, v);
    EXPECT_EQ(h, 0.0f);
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(v, 255.0f);
    RGBtoHSV(0.0f, 0.5f, 0.5f, h, s, v);
    EXPECT_FLOAT_EQ(h, 180.0f);
    EXPECT_FLOAT_EQ(v, 0.5f);
    RGBtoHSV(200.0f, 0.0f, 100.0f, h, s, v);  // a negative hue wraps round
    EXPECT_FLOAT_EQ(h, 330.0f);
    RGBtoHSV(0.0f, 0.0f, 0.0f, h, s, v);
    EXPECT_EQ(h, 0.0f);
    EXPECT_EQ(s, 0.0f);
    EXPECT_EQ(v, 0.0f);
}

TEST(ColourConversions, ColouredPixelsSurviveTheRoundTrip) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> value(0.0f, 255.0f);
    for (int i = 0; i < 2000; ++i) {
        const float r = value(random), g = value(random), b = value(random);
        if (std::max({r, g, b}) - std::min({r, g, b}) < 0.5f) continue;
        float h, s, v, r2, g2, b2;
        RGBtoHSV(r, g, b, h, s, v);
        ASSERT_GE(h, 0.0f);
        ASSERT_LT(h, 360.0f);
        HSVtoRGB(h, s, v, r2, g2, b2);
        ASSERT_NEAR(r2, r, 1e-3f) << r << " " << g << " " << b;
        ASSERT_NEAR(g2, g, 1e-3f) << r << " " << g << " " << b;
        ASSERT_NEAR(b2, b, 1e-3f) << r << " " << g << " " << b;
    }
}

TEST(ColourConversions, GreysNeedAnUndefinedHueOrRaiseColorError) {
    float h, s, v, r, g, b;
    RGBtoHSV(0.5f, 0.5f, 0.5f, h, s, v);
    try {
        HSVtoRGB(h, s, v, r, g, b);
        FAIL() << "a grey with hue 0 was converted";
    } catch (const EColorError& error) {
        EXPECT_STREQ(error.what(), "HSVtoRGB:  S = 0 and H has a value");
    }
    // The ordinary quiet NaN (only the highest mantissa bit set) is an undefined hue.
    HSVtoRGB(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.5f, r, g, b);
    EXPECT_EQ(r, 0.5f);
    EXPECT_EQ(g, 0.5f);
    EXPECT_EQ(b, 0.5f);
    // 360 is taken as 0; a hue beyond the circle gives black instead of undefined values.
    float r360, g360, b360;
    HSVtoRGB(360.0f, 1.0f, 1.0f, r360, g360, b360);
    HSVtoRGB(0.0f, 1.0f, 1.0f, r, g, b);
    EXPECT_EQ(r360, r);
    EXPECT_EQ(g360, g);
    EXPECT_EQ(b360, b);
    HSVtoRGB(400.0f, 1.0f, 1.0f, r, g, b);
    EXPECT_EQ(r + g + b, 0.0f);
}

TEST(ColourConversions, IsNaNRecognisesEveryNaNAndNoInfinity) {
    EXPECT_TRUE(IsNaN(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(IsNaN(std::bit_cast<double>(std::uint64_t{0x7FF8000000000000})));
    EXPECT_TRUE(IsNaN(std::bit_cast<double>(std::uint64_t{0xFFF0000000000001})));
    EXPECT_FALSE(IsNaN(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(IsNaN(-std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(IsNaN(1.0));
}

TEST(ColourConversions, IntegerHsvStoresBlueGreenRedBytes) {
    EXPECT_EQ(tripleRGB(0, 255, 255), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(tripleRGB(360, 255, 255), tripleRGB(0, 255, 255));
    EXPECT_EQ(tripleRGB(361, 255, 255), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(tripleRGB(-5, 255, 255), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(tripleRGB(120, 255, 255), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(tripleRGB(77, 0, 90), (std::array<int, 3>{90, 90, 90}));
    // f = 30: t = 255 - 255 × 255 × 30 / 15300 = 255 - 127 (the division truncates).
    EXPECT_EQ(tripleRGB(30, 255, 255), (std::array<int, 3>{255, 128, 0}));
    // Half saturation: p = 200 - 200 × 128 / 255 = 200 - 100.
    EXPECT_EQ(tripleRGB(240, 128, 200), (std::array<int, 3>{100, 100, 200}));
    std::uint8_t pixel[3];
    HSVtoRGBTriple(0, 255, 255, pixel);
    EXPECT_EQ(pixel[0], 0);  // blue first
    EXPECT_EQ(pixel[2], 255);
}
