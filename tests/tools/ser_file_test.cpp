// The SER files of the sample-recording synthesiser, read back by a small reader of the test's
// own that follows the published layout byte by byte (it shares no code with the writer).

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/sample_recording.h"
#include "support/temp_dir.h"
#include "support/thread_count_scope.h"
#include "synth/recording.h"
#include "synth/ser_writer.h"

using namespace kestrave;
using namespace kestrave::synth;

namespace {

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint64_t littleEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + i);
    return value;
}

struct SerHeader {
    std::string fileId, observer, instrument, telescope;
    std::uint32_t luId, colorId, littleEndian, width, height, pixelDepth, frameCount;
    std::uint64_t dateTime, dateTimeUtc;
};

std::string textField(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t size) {
    std::string text(bytes.begin() + at, bytes.begin() + at + size);
    return text.substr(0, text.find('\0'));
}

SerHeader readHeader(const std::vector<std::uint8_t>& bytes) {
    EXPECT_GE(bytes.size(), 178u);
    auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(littleEndian(bytes, at, 4)); };
    return {textField(bytes, 0, 14),
            textField(bytes, 42, 40),
            textField(bytes, 82, 40),
            textField(bytes, 122, 40),
            u32(14),
            u32(18),
            u32(22),
            u32(26),
            u32(30),
            u32(34),
            u32(38),
            littleEndian(bytes, 162, 8),
            littleEndian(bytes, 170, 8)};
}

// Sample (x, y) of frame n as a SER reader takes it: one byte at depth 8, otherwise the
// little-endian word, its bytes swapped when the LittleEndian field is 1.
int readSample(const std::vector<std::uint8_t>& bytes, const SerHeader& h, int n, int x, int y) {
    const std::size_t bytesPerSample = h.pixelDepth == 8 ? 1 : 2;
    const std::size_t at =
        178 + (static_cast<std::size_t>(n) * h.width * h.height + static_cast<std::size_t>(y) * h.width + x) *
                  bytesPerSample;
    if (bytesPerSample == 1) return bytes.at(at);
    const auto word = static_cast<std::uint16_t>(littleEndian(bytes, at, 2));
    return h.littleEndian == 1 ? static_cast<std::uint16_t>((word >> 8) | (word << 8)) : word;
}

struct Case {
    int bits;
    ColourFilter filter;
    bool bigEndian;
    bool timestamps;
};

}  // namespace

TEST(SerFile, HeaderFramesAndTrailerFollowTheLayout) {
    test::TempDir dir;
    const Case cases[] = {{8, ColourFilter::Mono, false, true},
                          {16, ColourFilter::BayerRGGB, false, true},
                          {12, ColourFilter::BayerBGGR, true, false},
                          {10, ColourFilter::Mono, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        SynthOptions options = test::smallRecordingOptions();
        options.frames = 5;
        options.width = 40;  // not a multiple of 4: no row padding may creep in
        options.height = 30;
        options.bitsPerSample = c.bits;
        options.filter = c.filter;
        const auto sample =
            test::writeSampleRecording(dir.path(), options, "case.ser", {c.bigEndian, c.timestamps});
        const auto bytes = fileBytes(sample.path);
        const SerHeader h = readHeader(bytes);

        EXPECT_EQ(h.fileId, "LUCAM-RECORDER");
        EXPECT_EQ(h.luId, 0u);
        EXPECT_EQ(h.colorId, static_cast<std::uint32_t>(c.filter));
        EXPECT_EQ(h.littleEndian, c.bigEndian ? 1u : 0u);
        EXPECT_EQ(h.width, 40u);
        EXPECT_EQ(h.height, 30u);
        EXPECT_EQ(h.pixelDepth, static_cast<std::uint32_t>(c.bits));
        EXPECT_EQ(h.frameCount, 5u);
        EXPECT_FALSE(h.observer.empty());
        EXPECT_FALSE(h.instrument.empty());
        EXPECT_FALSE(h.telescope.empty());
        EXPECT_EQ(h.dateTime, h.dateTimeUtc);
        EXPECT_GT(h.dateTimeUtc, 630000000000000000u);  // after the year 1997 in 100 ns ticks

        const std::size_t frameBytes = 40u * 30u * (c.bits == 8 ? 1 : 2);
        const std::size_t trailer = c.timestamps ? 5u * 8u : 0u;
        ASSERT_EQ(bytes.size(), 178 + 5 * frameBytes + trailer);

        const auto frames = renderFrames(sample.truth, 0, 5);
        int largest = 0;
        for (int n = 0; n < 5; ++n)
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    const int value = readSample(bytes, h, n, x, y);
                    ASSERT_EQ(value, frames[(n * 30 + y) * 40 + x]) << n << " " << x << " " << y;
                    largest = std::max(largest, value);
                }
        // The samples use the depth's range and never exceed it.
        EXPECT_LE(largest, (1 << c.bits) - 1);
        EXPECT_GT(largest, (1 << c.bits) / 3);

        if (c.timestamps) {
            std::uint64_t previous = h.dateTimeUtc;
            for (int n = 0; n < 5; ++n) {
                const std::uint64_t stamp = littleEndian(bytes, 178 + 5 * frameBytes + n * 8, 8);
                EXPECT_GE(stamp, previous);
                EXPECT_LT(stamp - h.dateTimeUtc, 10'000'000u);  // within a second of the start
                previous = stamp;
            }
        }
    }
}

TEST(SerFile, SameSeedGivesTheSameBytesAtAnyThreadCount) {
    test::TempDir dir;
    SynthOptions options = test::smallRecordingOptions();
    options.frames = 40;
    options.filter = ColourFilter::BayerGRBG;
    options.bitsPerSample = 16;
    std::vector<std::uint8_t> single, many, again;
    {
        test::ThreadCountScope threads(1);
        single = fileBytes(test::writeSampleRecording(dir.path(), options, "a.ser").path);
    }
    {
        test::ThreadCountScope threads(8);
        many = fileBytes(test::writeSampleRecording(dir.path(), options, "b.ser").path);
        again = fileBytes(test::writeSampleRecording(dir.path(), options, "c.ser").path);
    }
    ASSERT_FALSE(single.empty());
    EXPECT_TRUE(single == many);
    EXPECT_TRUE(many == again);

    options.seed = 2;
    const auto other = fileBytes(test::writeSampleRecording(dir.path(), options, "d.ser").path);
    ASSERT_EQ(other.size(), single.size());
    EXPECT_FALSE(other == single);
}
