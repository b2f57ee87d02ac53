// Bitmap files of every depth and row order decode to the same blue, green, red pixels; RLE
// runs, escapes and hostile headers stay inside the picture and the file.

#include <gtest/gtest.h>

#include "allocation_failure.h"
#include "frames/bmp_reader.h"
#include "platform/errors.h"
#include "still_test_files.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::BmpParams;
using test::Bytes;
using test::makeBmp;
using test::makeBmpWithData;

using Palette = std::vector<std::array<std::uint8_t, 3>>;

// Blue, green, red of pixel (x, y).
std::array<std::uint8_t, 3> at(const Bitmap24& b, int x, int y) {
    const std::uint8_t* p = b.pixel(x, y);
    return {p[0], p[1], p[2]};
}

Bitmap24 decode(const Bytes& bytes) {
    return decodeBmp(bytes, "test.bmp");
}

// A palette whose entry i is (blue i, green 255 - i, red 3i mod 256).
Palette rampPalette(int entries) {
    Palette palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(3 * i)});
    return palette;
}

TEST(BmpReader, PaletteDepthsDecodeEveryPixelInBothRowOrders) {
    for (int bits : {1, 4, 8}) {
        for (bool topDown : {false, true}) {
            for (int headerSize : {40, 124, 12}) {
                if (headerSize == 12 && topDown) continue;  // the old header's height is unsigned
                // Odd widths exercise the row padding and the bits left over in the last byte.
                const int width = 13, height = 5, entries = 1 << bits;
                std::vector<std::uint32_t> pixels;
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        pixels.push_back(static_cast<std::uint32_t>((x * 7 + y * 3) % entries));
                const BmpParams params{.width = width,
                                       .height = height,
                                       .bits = bits,
                                       .topDown = topDown,
                                       .headerSize = headerSize,
                                       .palette = rampPalette(entries)};
                const Bitmap24 b = decode(makeBmp(params, pixels));
                ASSERT_EQ(b.width(), width);
                ASSERT_EQ(b.height(), height);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        ASSERT_EQ(at(b, x, y), params.palette[pixels[y * width + x]])
                            << bits << " bits, top-down " << topDown << ", header " << headerSize << " at "
                            << x << "," << y;
            }
        }
    }
}

TEST(BmpReader, ShortColourTablesShowMissingEntriesBlack) {
    const BmpParams params{.width = 3, .height = 1, .bits = 8, .palette = rampPalette(2), .colorsUsed = 2};
    const Bitmap24 b = decode(makeBmp(params, {0, 1, 200}));
    EXPECT_EQ(at(b, 1, 0), params.palette[1]);
    EXPECT_EQ(at(b, 2, 0), (std::array<std::uint8_t, 3>{0, 0, 0}));
}

TEST(BmpReader, DirectColourDepthsAndBitFields) {
    using Pixel = std::array<std::uint8_t, 3>;
    // 24 bits: bytes blue, green, red as stored.
    {
        const BmpParams params{.width = 3, .height = 2, .bits = 24};
        const Bitmap24 b =
            decode(makeBmp(params, {0x102030, 0xFF0000, 0x0000FF, 0x00FF00, 0x123456, 0xABCDEF}));
        EXPECT_EQ(at(b, 0, 0), (Pixel{0x30, 0x20, 0x10}));
        EXPECT_EQ(at(b, 1, 0), (Pixel{0x00, 0x00, 0xFF}));
        EXPECT_EQ(at(b, 2, 1), (Pixel{0xEF, 0xCD, 0xAB}));
    }
    // 32 bits, top-down: blue, green, red, unused.
    {
        const BmpParams params{.width = 2, .height = 2, .bits = 32, .topDown = true};
        const Bitmap24 b = decode(makeBmp(params, {0xFF102030, 0x00FFFFFF, 0x00000001, 0x7F800000}));
        EXPECT_EQ(at(b, 0, 0), (Pixel{0x30, 0x20, 0x10}));
        EXPECT_EQ(at(b, 1, 0), (Pixel{0xFF, 0xFF, 0xFF}));
        EXPECT_EQ(at(b, 0, 1), (Pixel{0x01, 0x00, 0x00}));
        EXPECT_EQ(at(b, 1, 1), (Pixel{0x00, 0x00, 0x80}));
    }
    // 16 bits 5-5-5: 5-bit levels 0, 16, 31 become 0, 132, 255.
    {
        const BmpParams params{.width = 3, .height = 1, .bits = 16};
        const Bitmap24 b = decode(makeBmp(params, {31u << 10, 16u << 5 | 1, 0x7FFF}));
        EXPECT_EQ(at(b, 0, 0), (Pixel{0, 0, 255}));
        EXPECT_EQ(at(b, 1, 0), (Pixel{8, 132, 0}));
        EXPECT_EQ(at(b, 2, 0), (Pixel{255, 255, 255}));
    }
    // 16 bits 5-6-5 through bit fields, in a 40-byte header (masks after it) and a 108-byte one.
    for (int headerSize : {40, 108}) {
        const BmpParams params{.width = 3,
                               .height = 1,
                               .bits = 16,
                               .headerSize = headerSize,
                               .compression = 3,
                               .masks = {0xF800, 0x07E0, 0x001F}};
        const Bitmap24 b = decode(makeBmp(params, {0xF800, 32u << 5, 0xFFFF}));
        EXPECT_EQ(at(b, 0, 0), (Pixel{0, 0, 255}));
        EXPECT_EQ(at(b, 1, 0), (Pixel{0, 130, 0}));
        EXPECT_EQ(at(b, 2, 0), (Pixel{255, 255, 255}));
    }
    // 32 bits through bit fields: 10-bit channels.
    {
        const BmpParams params{.width = 1,
                               .height = 1,
                               .bits = 32,
                               .compression = 3,
                               .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}};
        const Bitmap24 b = decode(makeBmp(params, {1023u << 20 | 512u << 10 | 0}));
        EXPECT_EQ(at(b, 0, 0), (Pixel{0, 128, 255}));
    }
}

TEST(BmpReader, RunLengthEncodedRowsWithEscapes) {
    const Palette palette = rampPalette(256);
    // RLE8, 6 x 3, bottom row first: a run, an absolute run (odd length, padded), end of row;
    // a move by (2, 1); a run that reaches past the row end (clipped); end of picture.
    const Bytes rle8 = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0,  // row 0: 7 7 7 1 2 3
                        0, 2, 2, 1,                    // to (2, 2)
                        9, 5,                          // row 2: . . 5 5 5 5 (clipped)
                        0, 1};
    const Bitmap24 b = decode(
        makeBmpWithData({.width = 6, .height = 3, .bits = 8, .compression = 1, .palette = palette}, rle8));
    const int bottom[] = {7, 7, 7, 1, 2, 3};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(at(b, x, 2), palette[bottom[x]]) << x;
    for (int x = 0; x < 6; ++x) EXPECT_EQ(at(b, x, 1), palette[0]) << x;  // skipped row
    const int top[] = {0, 0, 5, 5, 5, 5};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(at(b, x, 0), palette[top[x]]) << x;

    // RLE4: a run alternates its two nibbles; an absolute run of 5 nibbles takes 3 bytes + 1 pad.
    const Bytes rle4 = {5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
    const Bitmap24 c = decode(makeBmpWithData(
        {.width = 10, .height = 1, .bits = 4, .compression = 2, .palette = rampPalette(16)}, rle4));
    const int row[] = {1, 2, 1, 2, 1, 3, 4, 5, 6, 7};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(at(c, x, 0), rampPalette(16)[row[x]]) << x;
}

TEST(BmpReader, TruncatedAndHostileFilesGiveAMessage) {
    const BmpParams params{.width = 20, .height = 10, .bits = 24};
    const Bytes good = makeBmp(params, std::vector<std::uint32_t>(200, 0x404040));
    ASSERT_NO_THROW(decode(good));
    auto patched = [&](std::size_t at, std::uint32_t v) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        return b;
    };
    std::vector<Bytes> bad = {
        Bytes(good.begin(), good.end() - 1),  // last row short
        Bytes(good.begin(), good.begin() + 30),
        Bytes{'B', 'M'},
        Bytes{},
        patched(0, 0x4D58),       // no 'BM' signature
        patched(10, 0xFFFFFFF0),  // pixel data beyond the file
        patched(10, 4),           // pixel data inside the header
        patched(14, 64),          // unknown header size
        patched(18, 0x7FFFFFFF),  // absurd width
        patched(22, 0x80000000),  // height -2^31
        patched(18, 0),           // zero width
        patched(28, 2),           // 2 bits per pixel
        patched(30, 1),           // RLE8 with 24 bits
    };
    for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_THROW(decode(bad[i]), FileError) << i;

    // An RLE stream that ends before the picture does.
    EXPECT_THROW(decode(makeBmpWithData(
                     {.width = 4, .height = 2, .bits = 8, .compression = 1, .palette = rampPalette(4)},
                     {4, 1, 0, 0, 2})),
                 FileError);
    // A header that claims 10000 x 10000 pixels with no rows behind it is refused before the
    // picture's 300 MB are asked for.
    {
        const test::AllocationFailureScope noLargeAllocation(std::size_t{1} << 24, 0);
        EXPECT_THROW(decode(makeBmpWithData({.width = 10000, .height = 10000}, {})), FileError);
        EXPECT_EQ(noLargeAllocation.refused(), 0);
    }
    test::TempDir dir;
    EXPECT_THROW(readBmpFile(dir / "missing.bmp"), FileError);
}

}  // namespace
}  // namespace kestrave
