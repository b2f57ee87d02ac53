// Seeded fuzzing of the SER, FITS and BMP parsers: damaged headers, sizes and runs either read
// or give a FileError; under the sanitizers nothing reads or writes out of bounds.

#include <gtest/gtest.h>

#include <random>

#include "frames/bmp_reader.h"
#include "frames/fits_reader.h"
#include "frames/ser_reader.h"
#include "still_test_files.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::Bytes;

// Damages a copy of `bytes`: a few random bytes (most in the first `hot` bytes, where the
// header lives), sometimes a whole 32-bit field set to an extreme, sometimes a cut.
Bytes mutate(const Bytes& bytes, std::size_t hot, std::mt19937& random) {
    Bytes out = bytes;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !out.empty(); ++e) {
        const std::size_t span = random() % 4 == 0 ? out.size() : std::min(hot, out.size());
        const std::size_t at = random() % span;
        switch (random() % 4) {
            case 0:
                out[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
                break;
            case 1:
                out[at] = static_cast<std::uint8_t>(random());
                break;
            case 2: {
                static constexpr std::uint32_t extremes[] = {0,          1,    0x7FFFFFFF, 0x80000000,
                                                             0xFFFFFFFF, 4097, 65536};
                const std::uint32_t v = extremes[random() % std::size(extremes)];
                for (std::size_t i = 0; i < 4 && at + i < out.size(); ++i)
                    out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
                break;
            }
            default:
                out.resize(random() % out.size());
                break;
        }
    }
    return out;
}

template <typename Read>
void fuzz(const Bytes& seedFile, std::size_t hot, int rounds, unsigned seed, Read read) {
    std::mt19937 random(seed);
    for (int round = 0; round < rounds; ++round) {
        const Bytes damaged = mutate(seedFile, hot, random);
        try {
            read(damaged);
        } catch (const FileError&) {
        } catch (const std::exception& error) {
            FAIL() << "round " << round << ": unexpected " << error.what();
        }
    }
}

TEST(StillFuzz, SerParser) {
    test::TempDir dir;
    const test::SerParams params{.width = 9, .height = 5, .pixelDepth = 16, .frameCount = 3};
    std::vector<std::uint16_t> samples(9 * 5 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint16_t>(i * 977);
    const auto path = dir / "f.ser";
    T2dArrays plane;
    Bitmap24 preview;
    FrameReaderState state;
    fuzz(test::makeSer(params, samples), 42, 1500, 1u, [&](const Bytes& bytes) {
        test::writeFile(path, bytes);
        const SerOpenResult opened = OpenSerFile(path, plane, preview, state);
        ASSERT_TRUE(opened.opened);
        ASSERT_LE(plane.xCount(), MaxFrameSize);
        ASSERT_EQ(preview.width(), plane.xCount());
        ASSERT_EQ(preview.height(), plane.yCount());
        ReadSerFrame(path, state.SerFrameCount - 1, plane, preview, state);
    });
}

TEST(StillFuzz, FitsParser) {
    test::TempDir dir;
    std::vector<double> values(7 * 4);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i) * 1000 - 9000;
    const auto path = dir / "f_R.fit";
    T2dArrays plane;
    Bitmap24 preview;
    FrameReaderState state;
    for (int bitpix : {8, 16, 32, -32}) {
        const Bytes file = test::makeFits(test::fitsCards(bitpix, 7, 4, "32768"), bitpix, values);
        fuzz(file, 560, 600, static_cast<unsigned>(100 + bitpix), [&](const Bytes& bytes) {
            test::writeFile(path, bytes);
            try {
                ASSERT_TRUE(ReadFitsFrame(path, plane, preview, state).read);
            } catch (const FrameFormatError&) {
                return;
            }
            ASSERT_LE(plane.xCount(), MaxFrameSize);
            ASSERT_LE(plane.yCount(), MaxFrameSize);
            ASSERT_EQ(preview.width(), plane.xCount());
        });
    }
}

TEST(StillFuzz, BmpParser) {
    std::vector<Bytes> seeds;
    std::vector<std::uint32_t> pixels(11 * 6);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
    std::vector<std::array<std::uint8_t, 3>> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = {static_cast<std::uint8_t>(i), 1, 2};
    for (int bits : {1, 4, 8}) {
        std::vector<std::uint32_t> indices = pixels;
        for (auto& v : indices) v %= 1u << bits;
        seeds.push_back(test::makeBmp({.width = 11, .height = 6, .bits = bits, .palette = palette}, indices));
    }
    for (int bits : {16, 24, 32})
        seeds.push_back(test::makeBmp({.width = 11, .height = 6, .bits = bits, .topDown = true}, pixels));
    seeds.push_back(test::makeBmp({.width = 11,
                                   .height = 6,
                                   .bits = 32,
                                   .headerSize = 124,
                                   .compression = 3,
                                   .masks = {0xFF0000, 0xFF00, 0xFF}},
                                  pixels));
    seeds.push_back(
        test::makeBmpWithData({.width = 11, .height = 6, .bits = 8, .compression = 1, .palette = palette},
                              {5, 1, 0, 4, 1, 2, 3, 4, 0, 2, 3, 1, 200, 9, 0, 0, 0, 1}));
    seeds.push_back(
        test::makeBmpWithData({.width = 11,
                               .height = 6,
                               .bits = 4,
                               .compression = 2,
                               .palette = std::vector(palette.begin(), palette.begin() + 16)},
                              {7, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 9, 9, 3, 0xAB, 0, 1}));
    unsigned seed = 7;
    for (const Bytes& file : seeds) {
        fuzz(file, 70, 800, seed++, [](const Bytes& bytes) {
            const Bitmap24 b = decodeBmp(bytes, "fuzz.bmp");
            ASSERT_FALSE(b.empty());
        });
    }
}

}  // namespace
}  // namespace kestrave
