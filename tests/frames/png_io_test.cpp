// PNG frames of every layout decode to the same picture; 16-bit frames fill the 16-bit frame
// exactly; damaged files give a message; the writer's 16-bit files read back exactly and pass
// an independent checker with their "Software" text.

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>

#include "allocation_failure.h"
#include "frames/png_io.h"
#include "still_test_files.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::Bytes;
using test::makePng;
using test::TempDir;
using test::writeFile;

std::array<std::uint8_t, 3> at(const Bitmap24& b, int x, int y) {
    const std::uint8_t* p = b.pixel(x, y);
    return {p[0], p[1], p[2]};
}

struct Targets {
    Bitmap24 preview;
    TTIFFBitMap highBit;
    FrameReaderState state;
};

TEST(PngReader, EightBitLayoutsGiveTheSamePreview) {
    TempDir dir;
    using Pixel = std::array<std::uint8_t, 3>;
    // 3 x 2 pictures; each case gives the expected blue, green, red of every pixel.
    struct Case {
        const char* name;
        int colorType, bitDepth;
        std::vector<std::uint16_t> samples;
        std::vector<Pixel> expected;
        std::vector<std::array<std::uint8_t, 3>> palette;
    };
    const std::vector<Case> cases = {
        {"rgb",
         PNG_COLOR_TYPE_RGB,
         8,
         {10, 20, 30, 255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 250, 251, 252},
         {{30, 20, 10}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {3, 2, 1}, {252, 251, 250}}},
        {"rgba",
         PNG_COLOR_TYPE_RGB_ALPHA,
         8,
         {10, 20, 30, 0, 255, 0, 0, 128, 0, 255, 0, 255, 0, 0, 255, 7, 1, 2, 3, 9, 250, 251, 252, 0},
         {{30, 20, 10}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {3, 2, 1}, {252, 251, 250}}},
        {"grey",
         PNG_COLOR_TYPE_GRAY,
         8,
         {0, 17, 255, 128, 1, 254},
         {{0, 0, 0}, {17, 17, 17}, {255, 255, 255}, {128, 128, 128}, {1, 1, 1}, {254, 254, 254}}},
        {"grey+alpha",
         PNG_COLOR_TYPE_GRAY_ALPHA,
         8,
         {0, 9, 17, 0, 255, 255, 128, 3, 1, 1, 254, 100},
         {{0, 0, 0}, {17, 17, 17}, {255, 255, 255}, {128, 128, 128}, {1, 1, 1}, {254, 254, 254}}},
        {"grey 2-bit",
         PNG_COLOR_TYPE_GRAY,
         2,
         {0, 1, 2, 3, 3, 0},
         {{0, 0, 0}, {85, 85, 85}, {170, 170, 170}, {255, 255, 255}, {255, 255, 255}, {0, 0, 0}}},
        {"palette 4-bit",
         PNG_COLOR_TYPE_PALETTE,
         4,
         {0, 1, 2, 2, 1, 0},
         {{1, 2, 3}, {40, 50, 60}, {200, 100, 0}, {200, 100, 0}, {40, 50, 60}, {1, 2, 3}},
         {{1, 2, 3}, {40, 50, 60}, {200, 100, 0}}},
    };
    for (const Case& c : cases) {
        const Bytes png = makePng(3, 2, c.colorType, c.bitDepth, c.samples, c.palette);
        ASSERT_FALSE(png.empty()) << c.name;
        writeFile(dir / "p.png", png);
        Targets t;
        t.highBit = TTIFFBitMap(5, 5);
        EXPECT_FALSE(LoadPNGFrame(dir / "p.png", t.preview, t.highBit, t.state)) << c.name;
        EXPECT_EQ(t.highBit.width(), 5) << "an 8-bit PNG leaves the 16-bit frame alone";
        EXPECT_EQ(t.state.PngFrameWidth, 3);
        EXPECT_EQ(t.state.PngFrameHeight, 2);
        ASSERT_EQ(t.preview.width(), 3);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(at(t.preview, i % 3, i / 3), c.expected[i]) << c.name << " pixel " << i;
    }
}

TEST(PngReader, SixteenBitSamplesFillTheSixteenBitFrameExactly) {
    TempDir dir;
    // RGB: samples H x 256 + L, including 65535; grey and grey+alpha: grey into all three.
    const std::vector<std::uint16_t> rgb = {65535, 0, 1, 256,    257,    0x1234, 0xFF00, 0x00FF, 0x8001,
                                            2,     3, 4, 0xABCD, 0xEF01, 0x2345, 40000,  50000,  60000};
    const std::vector<std::uint16_t> grey = {65535, 0, 0x1234, 0xFF01, 7, 0x8000};
    std::vector<std::uint16_t> greyAlpha;
    for (std::uint16_t g : grey) greyAlpha.insert(greyAlpha.end(), {g, 0x5555});
    struct Case {
        int colorType;
        std::vector<std::uint16_t> samples;
        bool isGrey;
    };
    for (const Case& c : {Case{PNG_COLOR_TYPE_RGB, rgb, false}, Case{PNG_COLOR_TYPE_GRAY, grey, true},
                          Case{PNG_COLOR_TYPE_GRAY_ALPHA, greyAlpha, true}}) {
        writeFile(dir / "p16.png", makePng(3, 2, c.colorType, 16, c.samples));
        Targets t;
        ASSERT_TRUE(LoadPNGFrame(dir / "p16.png", t.preview, t.highBit, t.state));
        ASSERT_EQ(t.highBit.width(), 4);
        ASSERT_EQ(t.highBit.height(), 3);
        ASSERT_TRUE(t.highBit.HighBitsAllocated());
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                for (int ch = 0; ch < 3; ++ch) {
                    const std::uint16_t want = c.isGrey ? grey[y * 3 + x] : rgb[(y * 3 + x) * 3 + ch];
                    ASSERT_EQ(t.highBit.HighBitRow(y)[3 * x + ch], want) << x << "," << y << " ch " << ch;
                    // The preview shows the high byte, in blue, green, red order.
                    ASSERT_EQ(t.preview.pixel(x, y)[2 - ch], want >> 8);
                }
            }
            EXPECT_EQ(t.highBit.HighBitRow(y)[9], 0) << "the extra column stays zero";
        }
        for (int i = 0; i < 12; ++i) EXPECT_EQ(t.highBit.HighBitRow(2)[i], 0) << "the extra row stays zero";
    }
}

TEST(PngReader, DamagedFilesGiveAMessageAndChangeNothing) {
    TempDir dir;
    std::vector<std::uint16_t> samples(64 * 64 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint16_t>(i * 7919 % 256);
    const Bytes good = makePng(64, 64, PNG_COLOR_TYPE_RGB, 8, samples);
    Targets t;
    writeFile(dir / "good.png", good);
    ASSERT_FALSE(LoadPNGFrame(dir / "good.png", t.preview, t.highBit, t.state));
    const std::vector<std::uint8_t> before(t.preview.bits(), t.preview.bits() + t.preview.byteCount());

    Bytes flipped = good;
    flipped[good.size() / 2] ^= 0x5A;  // inside the image data: CRC or zlib error
    Bytes hugeHeader = good;           // width 2^30: refused before any allocation
    hugeHeader[16] = 0x40;
    const std::vector<Bytes> bad = {Bytes(good.begin(), good.begin() + good.size() / 2),
                                    flipped,
                                    Bytes(good.begin(), good.begin() + 8),
                                    Bytes{},
                                    Bytes(100, 0x42),
                                    hugeHeader};
    for (std::size_t i = 0; i < bad.size(); ++i) {
        writeFile(dir / "bad.png", bad[i]);
        EXPECT_THROW(LoadPNGFrame(dir / "bad.png", t.preview, t.highBit, t.state), FileError) << i;
    }
    EXPECT_THROW(LoadPNGFrame(dir / "missing.png", t.preview, t.highBit, t.state), FileError);
    EXPECT_EQ(t.state.PngFrameWidth, 64);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), t.preview.bits()));
}

// A PNG of 10000 x 10000 16-bit RGB pixels (600 MB of samples) whose image data is a few
// compressed bytes: a header and a stream no longer than a real picture of that size could be.
Bytes hugePngWithLittleData() {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&](const char* type, const Bytes& data) {
        const auto put32 = [&](std::uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(v >> shift));
        };
        put32(static_cast<std::uint32_t>(data.size()));
        Bytes body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        png.insert(png.end(), body.begin(), body.end());
        put32(static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    };
    chunk("IHDR", {0, 0, 0x27, 0x10, 0, 0, 0x27, 0x10, 16, PNG_COLOR_TYPE_RGB, 0, 0, 0});
    const Bytes rows(1000, 0);
    Bytes packed(compressBound(rows.size()));
    uLongf packedSize = packed.size();
    compress(packed.data(), &packedSize, rows.data(), rows.size());
    packed.resize(packedSize);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return png;
}

TEST(PngReader, AHeaderClaimingMoreThanTheFileCanHoldIsRefusedBeforeAllocating) {
    TempDir dir;
    writeFile(dir / "huge.png", hugePngWithLittleData());
    Targets t;
    const test::AllocationFailureScope noLargeAllocation(std::size_t{1} << 24, 0);
    EXPECT_THROW(LoadPNGFrame(dir / "huge.png", t.preview, t.highBit, t.state), FileError);
    EXPECT_EQ(noLargeAllocation.refused(), 0);
}

// Runs a shell command; returns its exit status (-1 when it could not run) and its output.
std::pair<int, std::string> run(const std::string& command) {
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {-1, ""};
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool haveTool(const std::string& name) {
    return run("command -v " + name).first == 0;
}

TEST(PngWriter, SixteenBitFilesReadBackExactlyAndCarryTheSoftwareText) {
    TempDir dir;
    // The result image is one column and one row larger than the picture, as the image section
    // allocates it; the picture's own 8-bit pixels play no part.
    const int width = 37, height = 11;
    TTIFFBitMap result(width + 1, height + 1);
    result.allocateHighBits();
    for (int y = 0; y <= height; ++y)
        for (int i = 0; i < 3 * (width + 1); ++i)
            result.HighBitRow(y)[i] = static_cast<std::uint16_t>(y * 4099 + i * 613 + (i == 0 ? 65535 : 0));
    Bitmap24 picture(width, height);
    picture.fill(9, 9, 9);
    const auto file = dir / "out.png";
    SavePNGImage(file, picture, result, "4.0.0");

    Targets t;
    ASSERT_TRUE(LoadPNGFrame(file, t.preview, t.highBit, t.state));
    ASSERT_EQ(t.state.PngFrameWidth, width);
    ASSERT_EQ(t.state.PngFrameHeight, height);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < 3 * width; ++i)
            ASSERT_EQ(t.highBit.HighBitRow(y)[i], result.HighBitRow(y)[i]) << i << "," << y;

    // Independent readers: pngcheck checks every chunk and shows the text; ffmpeg decodes the
    // samples, big-endian.
    if (!haveTool("pngcheck") || !haveTool("ffmpeg")) GTEST_SKIP() << "pngcheck or ffmpeg not available";
    const auto [status, output] = run("pngcheck -vt '" + file.string() + "'");
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("chunk tEXt"), std::string::npos) << output;
    EXPECT_NE(output.find("keyword: Software"), std::string::npos) << output;
    EXPECT_NE(output.find("Kestrave 4.0.0"), std::string::npos) << output;
    EXPECT_NE(output.find("48-bit RGB"), std::string::npos) << output;
    const auto raw = dir / "raw.bin";
    ASSERT_EQ(
        run("ffmpeg -v error -i '" + file.string() + "' -f rawvideo -pix_fmt rgb48be '" + raw.string() + "'")
            .first,
        0);
    const Bytes samples = test::readFile(raw);
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(width * height * 6));
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < 3 * width; ++i) {
            const std::size_t at = (static_cast<std::size_t>(y) * 3 * width + i) * 2;
            ASSERT_EQ(samples[at] * 256 + samples[at + 1], result.HighBitRow(y)[i]) << i << "," << y;
        }
    }
}

TEST(PngWriter, ARefusedOrFailedSaveLeavesTheOldFile) {
    TempDir dir;
    const auto file = dir / "keep.png";
    writeFile(file, Bytes{'o', 'l', 'd'});
    Bitmap24 picture(8, 8);
    TTIFFBitMap small(7, 9);
    small.allocateHighBits();
    EXPECT_THROW(SavePNGImage(file, picture, small, "v"), FileError);
    TTIFFBitMap unallocated(9, 9);
    EXPECT_THROW(SavePNGImage(file, picture, unallocated, "v"), FileError);
    EXPECT_EQ(test::readFile(file), (Bytes{'o', 'l', 'd'}));
    EXPECT_THROW(SavePNGImage(dir / "no-such-folder" / "x.png", picture, small, "v"), FileError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "no temporary file left";
}

}  // namespace
}  // namespace kestrave
