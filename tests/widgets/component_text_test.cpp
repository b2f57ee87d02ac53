// Word routines parse stored form values; the XOR pair scrambles stored values.

#include <gtest/gtest.h>

#include "widgets/component_text.h"

namespace kestrave {
namespace {

TEST(ComponentText, ReplaceStrDoesNotSearchWhatItInserted) {
    EXPECT_EQ(ReplaceStr("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceStr("1,5;2,5", ",", "."), "1.5;2.5");
    EXPECT_EQ(ReplaceStr("abcabc", "bc", ""), "aa");
    EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceStr("", "a", "b"), "");
}

TEST(ComponentText, WordsAreRunsBetweenDelimiters) {
    const std::string delims = ", ";
    EXPECT_EQ(WordCount("10,20,,30 40", delims), 4u);
    EXPECT_EQ(WordCount(",, ,", delims), 0u);
    EXPECT_EQ(ExtractWord(3, "1,2", delims), "");
    EXPECT_EQ(ExtractWord(0, "1,2", delims), "");
    EXPECT_EQ(WordPosition(1, ",,x", ","), 3u);
    EXPECT_EQ(WordPosition(2, ",,x", ","), 0u);
    // A stored window position: left, top, right, bottom.
    const std::string normPos = "12,34,812,634";
    EXPECT_EQ(ExtractWord(1, normPos, ","), "12");
    EXPECT_EQ(ExtractWord(4, normPos, ","), "634");
    EXPECT_EQ(WordPosition(3, normPos, ","), 7u);
}

TEST(ComponentText, FourDigitYearsAreFoundInAnyCase) {
    EXPECT_TRUE(isFourDigitYearFormat("dd.MM.yyyy"));
    EXPECT_TRUE(isFourDigitYearFormat("YYYY-MM-DD"));
    EXPECT_FALSE(isFourDigitYearFormat("M/d/yy"));
    EXPECT_FALSE(isFourDigitYearFormat("yyy"));
}

TEST(ComponentText, XorScramblingRoundTrips) {
    EXPECT_EQ(XorEncode("", "AZ"), "415a");
    EXPECT_EQ(XorDecode("", "415a"), "AZ");
    EXPECT_EQ(XorDecode("", "415A"), "AZ");
    const std::string secret = std::string("Filter22.Value=1.5\x01\xff", 20);
    for (const std::string& key : {std::string("k"), std::string("kestrave"), std::string("\x00\x80", 2)}) {
        const std::string encoded = XorEncode(key, secret);
        ASSERT_EQ(encoded.size(), secret.size() * 2);
        EXPECT_EQ(encoded.find_first_not_of("0123456789abcdef"), std::string::npos);
        EXPECT_EQ(XorDecode(key, encoded), secret) << key;
    }
    // The key byte repeats: 'a' ^ 'b' = 3 for every character of "aaa" under "b".
    EXPECT_EQ(XorEncode("b", "aaa"), "030303");
}

TEST(ComponentText, XorDecodeReadsBadPairsAsSpaceAndDropsAnOddDigit) {
    EXPECT_EQ(XorDecode("", "41zz42"), "A B");
    EXPECT_EQ(XorDecode("", "414"), "A");
    // The space of a bad pair is XORed with the key like any other byte.
    EXPECT_EQ(XorDecode("\x01", "g0"), std::string(1, static_cast<char>(32 ^ 1)));
}

}  // namespace
}  // namespace kestrave
