// The spin edit's number logic: its text is the store, so parse and format must agree.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "widgets/spin_button.h"
#include "widgets/spin_value.h"

namespace kestrave {
namespace {

SpinValue spin(SpinValue::TValueType type, long double min = 0, long double max = 0, int decimals = 2) {
    SpinValue value;
    value.ValueType = type;
    value.MinValue = min;
    value.MaxValue = max;
    value.Decimal = decimals;
    return value;
}

TEST(SpinValue, WholeNumbersRoundHalfToEven) {
    const SpinValue integer = spin(SpinValue::vtInteger);
    const struct {
        long double value;
        const char* text;
    } cases[] = {{2.5L, "2"},
                 {3.5L, "4"},
                 {-2.5L, "-2"},
                 {-3.5L, "-4"},
                 {2.4999L, "2"},
                 {0.5L, "0"},
                 {1e30L, "9223372036854775807"},
                 {-1e30L, "-9223372036854775808"}};
    for (const auto& c : cases) EXPECT_EQ(integer.text(c.value), c.text) << static_cast<double>(c.value);
}

TEST(SpinValue, HexIsUpperCaseWithoutPrefix) {
    const SpinValue hex = spin(SpinValue::vtHex);
    EXPECT_EQ(hex.text(255), "FF");
    EXPECT_EQ(hex.text(0), "0");
    EXPECT_EQ(hex.text(-255), "-FF");
    EXPECT_EQ(hex.text(254.5L), "FE");
    EXPECT_EQ(hex.parse("ff"), 255);
    EXPECT_EQ(hex.parse("FF"), 255);
    EXPECT_EQ(hex.parse("-ff"), -255);
    EXPECT_EQ(hex.parse("7FFFFFFFFFFFFFFF"), 9223372036854775807.0L);
    EXPECT_EQ(hex.parse("10000000000000000"), 0);  // too wide: unparsable
    EXPECT_EQ(hex.parse("$ff"), 0);
}

TEST(SpinValue, FloatsShowTheirDecimals) {
    EXPECT_EQ(spin(SpinValue::vtFloat, 0, 0, 3).text(0.1L), "0.100");
    EXPECT_EQ(spin(SpinValue::vtFloat, 0, 0, 0).text(2.5L), "2");
    EXPECT_EQ(spin(SpinValue::vtFloat, 0, 0, 2).text(-0.001L), "0.00");
    EXPECT_EQ(spin(SpinValue::vtFloat, 0, 0, 2).text(-1.25L), "-1.25");
    EXPECT_EQ(spin(SpinValue::vtFloat, 0, 0, 1).text(1234.56L), "1234.6");
    // At most 15 significant digits, padded with zeros to the decimals asked for.
    EXPECT_EQ(formatFixed(1234567890.123456789L, 10), "1234567890.1234600000");
    EXPECT_EQ(formatFixed(0.000123456789012345678L, 20), "0.00012345678901234600");
    EXPECT_EQ(formatFixed(-9.87654321098765432L, 16), "-9.8765432109876500");
    // Sixteen whole digits no longer fit: exponent form, which reads back.
    EXPECT_EQ(formatFixed(1.5e20L, 2), "1.5E+20");
    EXPECT_EQ(spin(SpinValue::vtFloat).parse("1.5E+20"), 1.5e20L);
}

TEST(SpinValue, FloatTextReadsBackToTheShownValue) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> magnitude(-6, 9);
    std::uniform_int_distribution<int> decimals(0, 8);
    for (int i = 0; i < 2000; ++i) {
        SpinValue value = spin(SpinValue::vtFloat, 0, 0, decimals(random));
        const long double v = std::pow(10.0L, magnitude(random)) * (i % 2 ? -1 : 1);
        const std::string text = value.text(v);
        // Rewriting what was read changes nothing: the text is a stable store.
        EXPECT_EQ(value.text(value.parse(text)), text) << text;
        EXPECT_LE(std::fabs(value.parse(text) - v),
                  0.5L * std::pow(10.0L, -value.Decimal) + std::fabs(v) * 1e-14L);
    }
}

TEST(SpinValue, EmptyTextReadsZeroAndNonsenseReadsMinValue) {
    const SpinValue floating = spin(SpinValue::vtFloat, 1.75L, 9);
    EXPECT_EQ(floating.parse(""), 0);
    for (const char* nonsense : {"abc", "1.2.3", "1e", "--1", "+-1", "inf", "nan", "0x10", ".", " ", "1,5"})
        EXPECT_EQ(floating.parse(nonsense), 1.75L) << nonsense;
    EXPECT_EQ(floating.parse("1e400000"), 1.75L);  // beyond the extended range
    // The whole-number types fall back to MinValue truncated toward zero.
    EXPECT_EQ(spin(SpinValue::vtInteger, -1.75L, 9).parse("x"), -1);
    EXPECT_EQ(spin(SpinValue::vtHex, 1.75L, 9).parse("xyz"), 1);
    EXPECT_EQ(spin(SpinValue::vtInteger).parse("1.5"), 0);
}

TEST(SpinValue, ParsingAcceptsSignsSpacesAndExponents) {
    const SpinValue floating = spin(SpinValue::vtFloat);
    EXPECT_EQ(floating.parse("+2.5"), 2.5L);
    EXPECT_EQ(floating.parse(" -.5 "), -0.5L);
    EXPECT_EQ(floating.parse("1e3"), 1000);
    EXPECT_EQ(floating.parse("2.5E-1"), 0.25L);
    const SpinValue integer = spin(SpinValue::vtInteger);
    EXPECT_EQ(integer.parse("+12"), 12);
    EXPECT_EQ(integer.parse("-12"), -12);
    EXPECT_EQ(integer.parse("99999999999999999999"), 0);
}

TEST(SpinValue, ClampingOnlyWhenBoundsDiffer) {
    const SpinValue bounded = spin(SpinValue::vtFloat, -2, 5);
    EXPECT_EQ(bounded.ClampValue(-3), -2);
    EXPECT_EQ(bounded.ClampValue(6), 5);
    EXPECT_EQ(bounded.ClampValue(1.5L), 1.5L);
    EXPECT_EQ(bounded.ClampValue(NAN), -2);
    EXPECT_EQ(bounded.text(100), "5.00");
    const SpinValue unbounded = spin(SpinValue::vtInteger, 7, 7);
    EXPECT_EQ(unbounded.ClampValue(-1e9L), -1e9L);
    EXPECT_EQ(unbounded.text(1e6L), "1000000");
}

TEST(SpinValue, KeysThatMayBeTyped) {
    const SpinValue floating = spin(SpinValue::vtFloat);
    EXPECT_TRUE(floating.IsValidKey("12", '.', true));
    EXPECT_FALSE(floating.IsValidKey("1.2", '.', true));
    EXPECT_TRUE(floating.IsValidKey("1.2", 'e', true));
    EXPECT_FALSE(floating.IsValidKey("1.2e", 'E', true));
    EXPECT_FALSE(floating.IsValidKey("1.2E", 'e', true));
    EXPECT_FALSE(floating.IsValidKey("1", 'a', true));
    const SpinValue integer = spin(SpinValue::vtInteger);
    for (char32_t key : {U'0', U'9', U'+', U'-', char32_t{8}, char32_t{13}, char32_t{3}})
        EXPECT_TRUE(integer.IsValidKey("", key, true)) << static_cast<int>(key);
    for (char32_t key : {U'.', U'e', U'A', U' ', U'\u00e9', char32_t{127}})
        EXPECT_FALSE(integer.IsValidKey("", key, true)) << static_cast<int>(key);
    const SpinValue hex = spin(SpinValue::vtHex);
    EXPECT_TRUE(hex.IsValidKey("", 'f', true));
    EXPECT_TRUE(hex.IsValidKey("", 'E', true));
    EXPECT_FALSE(hex.IsValidKey("", 'g', true));
    // With the editor disabled only control characters other than Backspace pass.
    EXPECT_FALSE(integer.IsValidKey("", '5', false));
    EXPECT_FALSE(integer.IsValidKey("", 8, false));
    EXPECT_TRUE(integer.IsValidKey("", 3, false));
}

TEST(SpinValue, WholeNumberTypesRoundTheIncrement) {
    SpinValue value = spin(SpinValue::vtFloat);
    value.Increment = 0.4L;
    value.changeValueType(SpinValue::vtInteger);
    EXPECT_EQ(value.Increment, 1);
    value.changeValueType(SpinValue::vtFloat);
    value.Increment = 2.5L;
    value.changeValueType(SpinValue::vtHex);
    EXPECT_EQ(value.Increment, 2);
}

TEST(SpinValue, DiagonalHitTestFavoursTheTopPart) {
    // 20 x 20: the diagonal runs from (0, 20) to (20, 0).
    EXPECT_EQ(spinPartAt(0, 0, 20, 20), SpinPart::Top);
    EXPECT_EQ(spinPartAt(10, 10, 20, 20), SpinPart::Top);
    EXPECT_EQ(spinPartAt(10, 11, 20, 20), SpinPart::Bottom);
    EXPECT_EQ(spinPartAt(19, 19, 20, 20), SpinPart::Bottom);
    // Not square: y <= 10 - x / 3 on a 30 x 10 button.
    EXPECT_EQ(spinPartAt(15, 5, 30, 10), SpinPart::Top);
    EXPECT_EQ(spinPartAt(15, 6, 30, 10), SpinPart::Bottom);
    EXPECT_EQ(spinPartAt(3, 9, 30, 10), SpinPart::Top);
    EXPECT_EQ(spinPartAt(4, 9, 30, 10), SpinPart::Bottom);
}

}  // namespace
}  // namespace kestrave
