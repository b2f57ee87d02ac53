// TIFF LZW: known codes for empty input, round trips across every code-width change and table
// reset, and a decoder that stays inside its output on damaged streams.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codecs/tiff_lzw.h"

using namespace kestrave;

namespace {

std::vector<std::uint8_t> randomBytes(std::size_t n, std::uint32_t seed, unsigned alphabet = 256) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng() % alphabet);
    return v;
}

// Encodes, then decodes into a buffer larger than the input: the decoder must give back the
// input and stop at EndOfInformation, read at the width it has reached.
void expectRoundTrip(TLZW& lzw, const std::vector<std::uint8_t>& input) {
    const std::vector<std::uint8_t> code = lzw.Encode(input);
    std::vector<std::uint8_t> out(input.size() + 64, 0xAB);
    const std::size_t n = lzw.Decode(code, out);
    ASSERT_EQ(n, input.size());
    ASSERT_TRUE(lzw.endedAtEndOfInformation()) << "input of " << input.size() << " bytes";
    ASSERT_TRUE(std::equal(input.begin(), input.end(), out.begin()))
        << "input of " << input.size() << " bytes";
    // Decoding into exactly the input's size gives the same bytes.
    std::vector<std::uint8_t> exact(input.size());
    ASSERT_EQ(lzw.Decode(code, exact), input.size());
    ASSERT_EQ(exact, input);
}

}  // namespace

TEST(TiffLzw, EmptyInputIsClearEmptyStringAndEndInFourBytes) {
    TLZW lzw;
    const std::vector<std::uint8_t> code = lzw.Encode({});
    EXPECT_EQ(code, (std::vector<std::uint8_t>{0x80, 0x40, 0x20, 0x20}));
    std::vector<std::uint8_t> out(8);
    EXPECT_EQ(lzw.Decode(code, out), 0u);
    EXPECT_TRUE(lzw.endedAtEndOfInformation());
}

TEST(TiffLzw, RoundTripsAtEveryLengthThroughAllCodeWidthsAndTableResets) {
    // Random bytes learn about one string per code, so these lengths end the stream at every
    // table size up to past the reset at 4093, including the early width changes at 510, 1022
    // and 2046 right before EndOfInformation.
    TLZW lzw;
    const std::vector<std::uint8_t> data = randomBytes(4600, 7);
    for (std::size_t n = 0; n <= data.size(); ++n)
        expectRoundTrip(lzw, std::vector<std::uint8_t>(data.begin(), data.begin() + n));
}

TEST(TiffLzw, RoundTripsRunsTextLikeDataAndLongInputs) {
    TLZW lzw;
    // A run of one value makes the decoder meet the code it has not learned yet (last + 1).
    expectRoundTrip(lzw, std::vector<std::uint8_t>(100000, 0x5A));
    // Few distinct values: long strings, many resets.
    expectRoundTrip(lzw, randomBytes(300000, 11, 4));
    // Incompressible data: a reset every 3836 codes.
    expectRoundTrip(lzw, randomBytes(200000, 12));
    std::vector<std::uint8_t> ramp(70000);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i * i >> 7);
    expectRoundTrip(lzw, ramp);
}

TEST(TiffLzw, CompressesRepetitiveData) {
    TLZW lzw;
    EXPECT_LT(lzw.Encode(std::vector<std::uint8_t>(100000, 7)).size(), 1000u);
    // Incompressible data grows by at most the 12-bit code width plus the resets.
    EXPECT_LT(lzw.Encode(randomBytes(100000, 3)).size(), 150000u + 100);
}

TEST(TiffLzw, DamagedStreamsNeverWritePastTheOutputAndAlwaysEnd) {
    TLZW lzw;
    const std::vector<std::uint8_t> input = randomBytes(20000, 5, 16);
    const std::vector<std::uint8_t> code = lzw.Encode(input);
    std::mt19937 rng(99);
    // The vector's own bounds are checked by the sanitizer builds; a guard band catches
    // writes past the output span in the others.
    std::vector<std::uint8_t> out(input.size() + 16);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<std::uint8_t> damaged = code;
        if (trial % 3 == 0)
            damaged.resize(rng() % damaged.size());
        else
            for (int f = 0; f < 1 + trial % 7; ++f)
                damaged[rng() % damaged.size()] ^= std::uint8_t(1u << (rng() % 8));
        std::fill(out.begin(), out.end(), 0xEE);
        const std::size_t n = lzw.Decode(damaged, std::span(out).first(input.size()));
        ASSERT_LE(n, input.size());
        for (std::size_t i = input.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE);
    }
    // Pure noise, including streams that never send Clear and fill the whole table.
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        const std::vector<std::uint8_t> noise = randomBytes(1 + seed * 37, seed);
        EXPECT_LE(lzw.Decode(noise, std::span(out).first(1000)), 1000u);
    }
    // A code above the next free entry ends decoding: Clear, 'A', then 300.
    const std::vector<std::uint8_t> bad = {0x80, 0x10, 0x65, 0x80};
    std::vector<std::uint8_t> small(10);
    EXPECT_EQ(lzw.Decode(bad, small), 1u);
    EXPECT_EQ(small[0], 'A');
    EXPECT_FALSE(lzw.endedAtEndOfInformation());
}
