// The LZRW1-KH reader: known blocks, stream framing, a round trip, and damaged input.

#include <gtest/gtest.h>

#include <random>

#include "actor/actor_errors.h"
#include "actor/lzrw1kh.h"
#include "support/actor_test_file.h"

namespace kestrave {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes expand(const Bytes& block) {
    Bytes out;
    expandLzrwBlock(block, out);
    return out;
}

TEST(Lzrw1kh, AHandMadeBlockExpandsItemByItem) {
    // Control 0x5000 = 0101 0000 ...: literal 'a', reference, literal 'b', run.
    // The reference (0x00, 0x14): offset 1, length 4 + 3 = 7, overlapping its own output.
    // The run (0, 0x01, 0x02, 'z'): 0x0102 + 16 = 274 times 'z'.
    const Bytes block{64, 0x50, 0x00, 'a', 0x00, 0x14, 'b', 0x00, 0x01, 0x02, 'z'};
    Bytes expected(8, 'a');
    expected.push_back('b');
    expected.insert(expected.end(), 274, 'z');
    EXPECT_EQ(expand(block), expected);

    // A reference further back: "abc" then offset 3, length 3 + 3 = 6.
    EXPECT_EQ(expand({64, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x33}),
              (Bytes{'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c'}));
    // A second control word after 16 items: 16 literals, then 0x8000 (a reference).
    Bytes many{64, 0, 0};
    for (int i = 0; i < 16; ++i) many.push_back(static_cast<std::uint8_t>('A' + i));
    many.insert(many.end(), {0x80, 0x00, 0x01, 0x00});  // offset 16, length 3
    EXPECT_EQ(expand(many).size(), 19u);
    EXPECT_EQ(expand(many)[18], 'C');
}

TEST(Lzrw1kh, StoredBlocksOfAStreamExpandByteExact) {
    std::mt19937 random(3);
    for (std::size_t size : {std::size_t{70000}, std::size_t{32768}, std::size_t{0}}) {
        Bytes data(size);
        for (auto& b : data) b = static_cast<std::uint8_t>(random());
        const Bytes stream = test::storedStream(data);
        EXPECT_EQ(readLzrwStream(stream, 1 << 20), data) << size;
        if (size == 70000) {
            // 32768 + 32768 + 4464: three blocks of 32769, 32769 and 4465 bytes.
            EXPECT_EQ(stream.size(), 4u + 3 * 2 + 32769 * 2 + 4465);
        }
        if (size == 32768) {
            // A full block is followed by an empty stored one; a stream that simply ends
            // after the full block reads the same.
            ASSERT_EQ(stream.size(), 4u + 2 + 32769 + 2 + 1);
            EXPECT_EQ(Bytes(stream.end() - 3, stream.end()), (Bytes{1, 0, 128}));
            EXPECT_EQ(readLzrwStream(Bytes(stream.begin(), stream.end() - 3), 1 << 20), data);
        }
    }
}

TEST(Lzrw1kh, CompressedStreamsRoundTrip) {
    // Literals (noise), overlapping references (a short pattern repeated), runs (a flat area),
    // spread over three blocks.
    std::mt19937 random(5);
    Bytes data;
    for (int part = 0; part < 12; ++part) {
        for (int i = 0; i < 500; ++i) data.push_back(static_cast<std::uint8_t>(random()));
        for (int i = 0; i < 3000; ++i) data.push_back(static_cast<std::uint8_t>("xyz"[i % 3]));
        data.insert(data.end(), 4000 + part * 100, static_cast<std::uint8_t>(part));
    }
    const Bytes stream = test::compressedStream(data);
    EXPECT_LT(stream.size(), data.size() / 4);
    EXPECT_EQ(readLzrwStream(stream, 1 << 20), data);
}

TEST(Lzrw1kh, DamagedBlocksFailCleanly) {
    Bytes tooManyRuns{64, 0xFF, 0xFF};
    for (int i = 0; i < 9; ++i) tooManyRuns.insert(tooManyRuns.end(), {0, 0x0F, 0xFF, 7});  // 9 x 4111 bytes
    Bytes overlong(kLzrwBlockInput + 1, 0);
    overlong[0] = 64;
    Bytes storedTooLong(kLzrwBlockOutput + 2, 0);
    storedTooLong[0] = 128;
    Bytes afterSixteen{64, 0, 0};
    afterSixteen.insert(afterSixteen.end(), 16, 'x');
    afterSixteen.push_back(0x80);  // half a control word
    const struct {
        const char* what;
        Bytes block;
    } cases[] = {
        {"no control word", {64, 0}},
        {"truncated reference", {64, 0x80, 0x00, 0x00}},
        {"truncated run", {64, 0x80, 0x00, 0x00, 0x01, 0x02}},
        {"reference before the start", {64, 0x40, 0x00, 'a', 0x00, 0x20}},
        {"reference into an empty output", {64, 0x80, 0x00, 0x01, 0x00}},
        {"more than 32768 bytes", tooManyRuns},
        {"block too long", overlong},
        {"stored block too long", storedTooLong},
        {"truncated control word", afterSixteen},
    };
    for (const auto& c : cases) {
        Bytes out;
        EXPECT_THROW(expandLzrwBlock(c.block, out), ActorDataError) << c.what;
    }

    const Bytes stream = test::storedStream(Bytes(100, 9));
    EXPECT_THROW(readLzrwStream(Bytes(stream.begin(), stream.end() - 1), 1000), ActorDataError);
    EXPECT_THROW(readLzrwStream(Bytes(stream.begin(), stream.begin() + 5), 1000), ActorDataError);
    EXPECT_THROW(readLzrwStream(Bytes(stream.begin(), stream.begin() + 3), 1000), ActorDataError);
    EXPECT_THROW(readLzrwStream(stream, 99), ActorDataError);
}

}  // namespace
}  // namespace kestrave
