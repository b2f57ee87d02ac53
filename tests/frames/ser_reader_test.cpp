// SER frames read back exactly, in both byte orders and at 8 and 16 bits; the header is checked
// against the file, and a failed read leaves the previous frame as it was.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "frames/ser_reader.h"
#include "still_test_files.h"
#include "support/temp_dir.h"
#include "support/thread_count_scope.h"

namespace kestrave {
namespace {

using test::Bytes;
using test::makeSer;
using test::SerParams;
using test::TempDir;
using test::ThreadCountScope;
using test::writeFile;

// Frame f, pixel (x, y) of the test videos: distinct values that use both bytes of a sample.
std::uint16_t sampleValue(int f, int x, int y, std::uint16_t mask) {
    return static_cast<std::uint16_t>((f * 7919 + y * 263 + x * 37 + (x * y) % 11) & mask);
}

std::vector<std::uint16_t> frames(const SerParams& params, int count, std::uint16_t mask) {
    std::vector<std::uint16_t> samples;
    for (int f = 0; f < count; ++f)
        for (int y = 0; y < params.height; ++y)
            for (int x = 0; x < params.width; ++x) samples.push_back(sampleValue(f, x, y, mask));
    return samples;
}

struct Targets {
    T2dArrays plane;
    Bitmap24 preview;
    FrameReaderState state;
};

void expectFrame(const T2dArrays& plane, int f, int width, int height, std::uint16_t mask, bool swapped) {
    ASSERT_EQ(plane.xCount(), width);
    ASSERT_EQ(plane.yCount(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint16_t v = sampleValue(f, x, y, mask);
            if (swapped) v = static_cast<std::uint16_t>(v << 8 | v >> 8);
            ASSERT_EQ(plane[x][y], static_cast<float>(v)) << "frame " << f << " at " << x << "," << y;
        }
    }
}

TEST(SerReader, SixteenBitFramesReadBackExactlyInBothByteOrders) {
    TempDir dir;
    for (int littleEndian : {0, 1}) {
        SerParams params{
            .littleEndian = littleEndian, .width = 64, .height = 48, .pixelDepth = 12, .frameCount = 10};
        writeFile(dir / "v.ser", makeSer(params, frames(params, 10, 0xFFFF)));
        Targets t;
        const SerOpenResult opened = OpenSerFile(dir / "v.ser", t.plane, t.preview, t.state);
        ASSERT_TRUE(opened.opened);
        EXPECT_EQ(t.state.SerPixelDepth, 16);
        EXPECT_EQ(t.state.SerFrameCount, 10);
        EXPECT_EQ(t.state.SerFrameWidth, 64);
        EXPECT_EQ(t.state.FitsFrameHeight, 48);
        EXPECT_EQ(opened.size.width, 64);
        EXPECT_EQ(opened.size.height, 48);
        EXPECT_FALSE(opened.bayer);
        EXPECT_STREQ(opened.ColourstackCaption, "Colour");
        // The words are stored little-endian; LittleEndian = 1 exchanges their bytes.
        expectFrame(t.plane, 0, 64, 48, 0xFFFF, littleEndian == 1);
        ASSERT_TRUE(ReadSerFrame(dir / "v.ser", 9, t.plane, t.preview, t.state));
        expectFrame(t.plane, 9, 64, 48, 0xFFFF, littleEndian == 1);
        ASSERT_TRUE(ReadSerFrame(dir / "v.ser", 3, t.plane, t.preview, t.state));
        expectFrame(t.plane, 3, 64, 48, 0xFFFF, littleEndian == 1);
    }
}

TEST(SerReader, EightBitFramesAndTheirGreyPreview) {
    TempDir dir;
    for (int depth : {8, 6}) {
        SerParams params{.width = 33, .height = 7, .pixelDepth = depth, .frameCount = 3};
        writeFile(dir / "v.ser", makeSer(params, frames(params, 3, 0xFF)));
        Targets t;
        ASSERT_TRUE(OpenSerFile(dir / "v.ser", t.plane, t.preview, t.state).opened);
        EXPECT_EQ(t.state.SerPixelDepth, 8);
        ASSERT_TRUE(ReadSerFrame(dir / "v.ser", 2, t.plane, t.preview, t.state));
        expectFrame(t.plane, 2, 33, 7, 0xFF, false);
        ASSERT_EQ(t.preview.width(), 33);
        ASSERT_EQ(t.preview.height(), 7);
        // The largest sample of frame 2 is at most 255, so P = 256 and s shows as
        // Round(s / 257 x 255).
        const std::uint8_t* p = t.preview.pixel(5, 3);
        const int s = sampleValue(2, 5, 3, 0xFF);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        EXPECT_EQ(p[0], static_cast<int>(std::nearbyint(s / 257.0 * 255.0)));
    }
}

TEST(SerReader, PreviewScalesByThePowerOfTwoAboveTheLargestSample) {
    // Frames of one file whose largest samples ask for different scales, read one after another
    // (each row of nine pixels fills both the eight-pixel steps and the one left over).
    struct Case {
        std::vector<std::uint16_t> row;
        double p;
    };
    const std::vector<Case> cases = {
        {{4000, 2048, 0, 16, 1, 2, 3, 4, 4000}, 4096},  // 4000 -> 249, 2048 -> Round(127.47) = 127, 16 -> 1
        {{100, 64, 0, 1, 2, 3, 99, 50, 7}, 128},
        {{65535, 32768, 0, 1, 257, 258, 65534, 128, 129}, 65536},
        {{0, 0, 0, 0, 0, 0, 0, 0, 1}, 1},
    };
    TempDir dir;
    SerParams params{.width = 9, .height = 2, .pixelDepth = 16, .frameCount = static_cast<int>(cases.size())};
    std::vector<std::uint16_t> samples;
    for (const Case& c : cases)
        for (int y = 0; y < params.height; ++y) samples.insert(samples.end(), c.row.begin(), c.row.end());
    writeFile(dir / "v.ser", makeSer(params, samples));
    Targets t;
    ASSERT_TRUE(OpenSerFile(dir / "v.ser", t.plane, t.preview, t.state).opened);
    EXPECT_EQ(t.preview.pixel(0, 0)[2], 249);
    EXPECT_EQ(t.preview.pixel(1, 0)[2], 127);
    EXPECT_EQ(t.preview.pixel(3, 0)[2], 1);
    for (int f : {0, 1, 2, 3, 2, 0}) {
        ASSERT_TRUE(ReadSerFrame(dir / "v.ser", f, t.plane, t.preview, t.state));
        const Case& c = cases[static_cast<std::size_t>(f)];
        for (int y = 0; y < params.height; ++y) {
            for (int x = 0; x < params.width; ++x) {
                const int level = static_cast<int>(std::nearbyint(c.row[x] / (c.p + 1.0) * 255.0));
                const std::uint8_t* px = t.preview.pixel(x, y);
                EXPECT_EQ(px[0], level) << "frame " << f << " at " << x << "," << y;
                EXPECT_EQ(px[1], level);
                EXPECT_EQ(px[2], level);
            }
        }
    }
}

// A pass that reads only some rows of the preview gets them exactly as a whole read makes them,
// at the scale of the whole frame (its largest sample lies outside the band), and the other rows
// stay as they were, whether the scale of the frame before is kept or changes. The levels alone
// are the preview's bytes, whole or in a band.
TEST(SerReader, APreviewBandAndTheLevelsMakeTheirRowsAsTheWholePreviewWould) {
    TempDir dir;
    for (int depth : {8, 16}) {
        SerParams params{.width = 9, .height = 5, .pixelDepth = depth, .frameCount = 3};
        const std::uint16_t top = depth == 8 ? 200 : 60000;
        std::vector<std::uint16_t> samples;
        for (int f = 0; f < params.frameCount; ++f)
            for (int y = 0; y < params.height; ++y)
                for (int x = 0; x < params.width; ++x)
                    samples.push_back(y == 0 && x == 4
                                          ? static_cast<std::uint16_t>(top >> (2 * f))
                                          : static_cast<std::uint16_t>((x * 7 + y * 3 + f) % 40));
        const auto file = dir / ("band" + std::to_string(depth) + ".ser");
        writeFile(file, makeSer(params, samples));
        const SerFile ser(file);
        for (int f : {0, 1, 1, 2, 0}) {
            Bitmap24 whole, band(params.width, params.height);
            std::fill(band.bits(), band.bits() + band.byteCount(), std::uint8_t{77});
            LevelBitmap levels, levelBand;
            levelBand.resize(params.width, params.height);
            std::fill(levelBand.bits(), levelBand.bits() + levelBand.byteCount(), std::uint8_t{77});
            ser.readFrame(f, nullptr, &whole);
            ser.readFrame(f, nullptr, &band, RowBand{2, 4});
            ser.readLevels(f, levels);
            ser.readLevels(f, levelBand, RowBand{2, 4});
            for (int y = 0; y < params.height; ++y) {
                const bool inside = y >= 2 && y < 4;
                for (int x = 0; x < params.width; ++x) {
                    const int made = whole.pixel(x, y)[1];
                    EXPECT_EQ(band.pixel(x, y)[1], inside ? made : 77)
                        << depth << " bits, frame " << f << " at " << x << "," << y;
                    EXPECT_EQ(levels.row(y)[x], made)
                        << depth << " bits, frame " << f << " at " << x << "," << y;
                    EXPECT_EQ(levelBand.row(y)[x], inside ? made : 77)
                        << depth << " bits, frame " << f << " at " << x << "," << y;
                }
            }
        }
    }
}

// A frame taller than one read is converted a few rows at a time; a largest sample in its last
// rows that asks for another scale than the frame before still sets the scale of every row, also
// of a band of rows read alone (frame 2 has its largest sample inside the band).
TEST(SerReader, ATallFrameIsConvertedAtTheScaleOfItsLargestSampleWhereverItLies) {
    TempDir dir;
    SerParams params{.width = 4096, .height = 40, .pixelDepth = 16, .frameCount = 3};
    const std::uint16_t largest[] = {60000, 900, 60000};
    const auto sample = [&](int f, int x, int y) {
        return y == (f == 2 ? 20 : params.height - 1) && x == 0
                   ? largest[f]
                   : static_cast<std::uint16_t>((x * 7 + y * 13 + f) % 800);
    };
    std::vector<std::uint16_t> samples;
    for (int f = 0; f < params.frameCount; ++f)
        for (int y = 0; y < params.height; ++y)
            for (int x = 0; x < params.width; ++x) samples.push_back(sample(f, x, y));
    writeFile(dir / "tall.ser", makeSer(params, samples));
    const SerFile ser(dir / "tall.ser");
    for (int f : {0, 1, 2, 1}) {
        T2dArrays plane;
        Bitmap24 preview;
        LevelBitmap levels;
        levels.resize(params.width, params.height);
        // Each read follows one of a frame at another scale.
        ser.readLevels(f, levels, RowBand{10, 37});
        ser.readFrame(f, &plane, &preview);
        ser.readFrame(f == 1 ? 0 : 1, nullptr, &preview);
        ser.readFrame(f, &plane, &preview);
        const double p = largest[f] > 1024 ? 65536.0 : 1024.0;
        int wrong = 0;
        for (int y = 0; y < params.height; ++y) {
            for (int x = 0; x < params.width; ++x) {
                const std::uint16_t s = sample(f, x, y);
                const int level = static_cast<int>(std::nearbyint(s / (p + 1.0) * 255.0));
                wrong += plane[x][y] != s || preview.pixel(x, y)[1] != level ||
                         levels.row(y)[x] != (y >= 10 && y < 37 ? level : 0);
            }
        }
        EXPECT_EQ(wrong, 0) << "frame " << f;
    }
}

// A band read of a frame whose scale an earlier read of the file found reads only the band; a
// file rewritten since (same path and size, other samples) is scanned afresh.
TEST(SerReader, AFrameScaleFoundBeforeServesOnlyTheSameFile) {
    TempDir dir;
    SerParams params{.width = 9, .height = 6, .pixelDepth = 16, .frameCount = 1};
    const auto write = [&](std::uint16_t largest) {
        std::vector<std::uint16_t> samples(static_cast<std::size_t>(params.width * params.height), 300);
        samples[0] = largest;
        writeFile(dir / "same.ser", makeSer(params, samples));
    };
    const auto levelAt = [&](double p) { return static_cast<int>(std::nearbyint(300 / (p + 1.0) * 255.0)); };
    write(60000);
    Bitmap24 whole;
    SerFile(dir / "same.ser").readFrame(0, nullptr, &whole);
    ASSERT_EQ(whole.pixel(3, 4)[1], levelAt(65536.0));
    const auto modified = std::filesystem::last_write_time(dir / "same.ser");
    write(900);
    std::filesystem::last_write_time(dir / "same.ser", modified + std::chrono::seconds(1));
    LevelBitmap band;
    band.resize(params.width, params.height);
    const SerFile reopened(dir / "same.ser");
    reopened.readLevels(0, band, RowBand{3, 5});
    EXPECT_EQ(band.row(4)[3], levelAt(1024.0));
    // Read again from the same file, the band comes at the scale now known.
    band.resize(params.width, params.height);
    reopened.readLevels(0, band, RowBand{3, 5});
    EXPECT_EQ(band.row(4)[3], levelAt(1024.0));
    EXPECT_EQ(band.row(2)[3], 0);
}

TEST(SerReader, BayerColourIdsSwitchDebayeringOn) {
    TempDir dir;
    const std::pair<int, int> items[] = {{8, 1}, {9, 0}, {10, 3}, {11, 2}, {16, -1}};
    for (const auto& [colorId, item] : items) {
        SerParams params{.colorId = colorId, .width = 2, .height = 2, .frameCount = 2};
        writeFile(dir / "c.ser", makeSer(params, frames(params, 2, 0xFF)));
        Targets t;
        const SerOpenResult opened = OpenSerFile(dir / "c.ser", t.plane, t.preview, t.state);
        EXPECT_TRUE(opened.bayer) << colorId;
        EXPECT_EQ(opened.debayerItem, item) << colorId;
        EXPECT_STREQ(opened.ColourstackCaption, "Colour(debayered)");
    }
    // Frame reads hand the grey mosaic to the debayering step only when the caller asks.
    int calls = 0;
    Targets t;
    const DebayerHook debayer = [&](Bitmap24& frame) {
        ++calls;
        frame.pixel(0, 0)[2] = 200;
    };
    ASSERT_TRUE(ReadSerFrame(dir / "c.ser", 1, t.plane, t.preview, t.state, debayer));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(t.preview.pixel(0, 0)[2], 200);
    ASSERT_TRUE(ReadSerFrame(dir / "c.ser", 1, t.plane, t.preview, t.state));
    EXPECT_EQ(calls, 1);
}

TEST(SerReader, FramesBeyondTheFileOrTheIndexLeaveThePreviousFrame) {
    TempDir dir;
    SerParams params{.width = 8, .height = 4, .pixelDepth = 8, .frameCount = 10};
    Bytes bytes = makeSer(params, frames(params, 4, 0xFF));
    bytes.resize(bytes.size() - 5);  // the fourth frame is cut short
    writeFile(dir / "short.ser", bytes);
    Targets t;
    ASSERT_TRUE(OpenSerFile(dir / "short.ser", t.plane, t.preview, t.state).opened);
    EXPECT_EQ(t.state.SerFrameCount, 3);
    ASSERT_TRUE(ReadSerFrame(dir / "short.ser", 2, t.plane, t.preview, t.state));
    t.state.FrameChannel = 3;
    for (int index : {3, 9, -1})
        EXPECT_FALSE(ReadSerFrame(dir / "short.ser", index, t.plane, t.preview, t.state));
    EXPECT_FALSE(ReadSerFrame(dir / "missing.ser", 0, t.plane, t.preview, t.state));
    EXPECT_FALSE(OpenSerFile(dir / "missing.ser", t.plane, t.preview, t.state).opened);
    EXPECT_EQ(t.state.FrameChannel, 3);
    EXPECT_EQ(t.state.SerFrameCount, 3);
    expectFrame(t.plane, 2, 8, 4, 0xFF, false);
}

TEST(SerReader, BadHeadersAreRefusedAndChangeNothing) {
    TempDir dir;
    SerParams good{.width = 4, .height = 3, .pixelDepth = 16, .frameCount = 1};
    writeFile(dir / "good.ser", makeSer(good, frames(good, 1, 0xFFFF)));
    Targets t;
    ASSERT_TRUE(OpenSerFile(dir / "good.ser", t.plane, t.preview, t.state).opened);
    const FrameReaderState before = t.state;

    std::vector<std::pair<SerParams, int>> bad = {
        {{.width = 0, .height = 3, .pixelDepth = 8, .frameCount = 1}, 1},
        {{.width = 4, .height = -3, .pixelDepth = 8, .frameCount = 1}, 1},
        {{.width = 4, .height = 3, .pixelDepth = 0, .frameCount = 1}, 1},
        {{.width = 4, .height = 3, .pixelDepth = 32, .frameCount = 1}, 1},
        {{.colorId = 100, .width = 4, .height = 3, .pixelDepth = 8, .frameCount = 1}, 3},
        {{.width = 4, .height = 3, .pixelDepth = 8, .frameCount = 0}, 1},
        {{.width = 4, .height = 3, .pixelDepth = 8, .frameCount = 2}, 0},  // no frame data at all
        {{.width = 0x40000000, .height = 0x40000000, .pixelDepth = 16, .frameCount = 1}, 0},
    };
    for (const auto& [params, frameCount] : bad) {
        std::vector<std::uint16_t> samples(static_cast<std::size_t>(12 * frameCount), 1);
        writeFile(dir / "bad.ser", makeSer(params, samples));
        EXPECT_THROW(OpenSerFile(dir / "bad.ser", t.plane, t.preview, t.state), FileError);
        EXPECT_THROW(ReadSerFrame(dir / "bad.ser", 0, t.plane, t.preview, t.state), FileError);
    }
    writeFile(dir / "tiny.ser", Bytes(100, 0));
    EXPECT_THROW(OpenSerFile(dir / "tiny.ser", t.plane, t.preview, t.state), FileError);

    EXPECT_EQ(t.state.SerFrameCount, before.SerFrameCount);
    EXPECT_EQ(t.state.SerPixelDepth, 16);
    ASSERT_EQ(t.plane.xCount(), 4);
    ASSERT_EQ(t.preview.width(), 4);
    EXPECT_EQ(t.plane[3][2], static_cast<float>(sampleValue(0, 3, 2, 0xFFFF)));
}

TEST(SerReader, WideFramesKeepTheirFirstColumns) {
    TempDir dir;
    SerParams params{.width = 5000, .height = 2, .pixelDepth = 8, .frameCount = 2};
    writeFile(dir / "wide.ser", makeSer(params, frames(params, 2, 0xFF)));
    Targets t;
    const SerOpenResult opened = OpenSerFile(dir / "wide.ser", t.plane, t.preview, t.state);
    EXPECT_EQ(opened.size.width, 4096);
    EXPECT_EQ(opened.size.fileWidth, 5000);
    ASSERT_TRUE(ReadSerFrame(dir / "wide.ser", 1, t.plane, t.preview, t.state));
    expectFrame(t.plane, 1, 4096, 2, 0xFF, false);
    EXPECT_EQ(t.preview.width(), 4096);
}

TEST(SerReader, OneAndManyThreadsGiveTheSameFrame) {
    TempDir dir;
    SerParams params{.width = 1031, .height = 37, .pixelDepth = 10, .frameCount = 1};
    writeFile(dir / "v.ser", makeSer(params, frames(params, 1, 0x3FF)));
    Targets one, many;
    {
        const ThreadCountScope scope(1);
        OpenSerFile(dir / "v.ser", one.plane, one.preview, one.state);
    }
    {
        const ThreadCountScope scope(7);
        OpenSerFile(dir / "v.ser", many.plane, many.preview, many.state);
    }
    expectFrame(many.plane, 0, 1031, 37, 0x3FF, false);
    EXPECT_TRUE(std::equal(one.plane.data(), one.plane.data() + one.plane.cellCount(), many.plane.data()));
    EXPECT_TRUE(
        std::equal(one.preview.bits(), one.preview.bits() + one.preview.byteCount(), many.preview.bits()));
}

TEST(SerReader, FramesBeyondFourGigabytesAreAddressedRight) {
    // A sparse file of 5000 frames of 1000 x 1000 bytes: frame 4500 starts beyond 2^32.
    TempDir dir;
    SerParams params{.width = 1000, .height = 1000, .pixelDepth = 8, .frameCount = 5000};
    const std::uint64_t frameBytes = 1000 * 1000;
    const auto path = dir / "big.ser";
    writeFile(path, makeSer(params, {}));
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    if (::ftruncate(fd, static_cast<off_t>(178 + 5000 * frameBytes)) != 0) {
        ::close(fd);
        GTEST_SKIP() << "no room for a sparse file";
    }
    std::vector<std::uint8_t> frame(frameBytes);
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i % 251);
    ASSERT_EQ(::pwrite(fd, frame.data(), frame.size(), static_cast<off_t>(178 + 4500 * frameBytes)),
              static_cast<ssize_t>(frame.size()));
    ::close(fd);
    Targets t;
    ASSERT_TRUE(OpenSerFile(path, t.plane, t.preview, t.state).opened);
    EXPECT_EQ(t.state.SerFrameCount, 5000);
    EXPECT_EQ(t.plane[999][999], 0.0f);
    ASSERT_TRUE(ReadSerFrame(path, 4500, t.plane, t.preview, t.state));
    for (int y : {0, 1, 500, 999})
        for (int x : {0, 1, 998, 999}) ASSERT_EQ(t.plane[x][y], static_cast<float>((y * 1000 + x) % 251));
}

}  // namespace
}  // namespace kestrave
