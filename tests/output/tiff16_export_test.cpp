// The 16-bit exports of float planes: the stack TIFF read back by libtiff's tools and ffmpeg
// sample for sample, the clamping of out-of-range values, mono stacks, and the 16-bit samples of
// the stack display that the PNG saver writes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "output/tiff16_export.h"
#include "output_test_support.h"
#include "support/temp_dir.h"
#include "support/thread_count_scope.h"

using namespace kestrave;
using namespace kestrave::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint16_t> samplesOf(const TTIFFBitMap& image) {
    std::vector<std::uint16_t> out;
    for (int y = 0; y < image.height(); ++y)
        out.insert(out.end(), image.HighBitRow(y), image.HighBitRow(y) + image.samplesPerRow());
    return out;
}

std::vector<std::uint16_t> littleEndianWords(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint16_t> words(bytes.size() / 2);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = std::uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return words;
}

// Values from -20 to about 300, so that both ends need clamping.
float wideValue(int c, int x, int y) {
    return float(x * 11 + y * 7 + c * 13) - 20.0f;
}

}  // namespace

TEST(Tiff16Export, StackTiffIsReadBackSampleForSampleByIndependentReaders) {
    TempDir dir;
    const int w = 23, h = 11;
    const PlaneTriple planes = makePlanes(w, h, wideValue);
    const fs::path file = dir / "stack.tif";
    SaveStackTIFF16(file, w, h, planes, true);
    EXPECT_EQ(fs::file_size(file), 182u + 6u * w * h);

    float max = planes[0][0][0];
    for (int c = 0; c < 3; ++c)
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) max = std::max(max, planes[c][x][y]);
    std::vector<std::uint16_t> expected;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const double v = std::nearbyint(double(planes[c][x][y]) * (65535.0 / max));
                expected.push_back(std::uint16_t(std::clamp(v, 0.0, 65535.0)));  // negative values give 0
            }
    EXPECT_EQ(samplesOf(stackTIFF16Image(planes, w, h, true)), expected);

    if (!installedTool("tiffinfo").empty()) {
        std::string output;
        ASSERT_EQ(runCommand("/usr/bin/tiffinfo " + shellQuoted(file), output), 0) << output;
        EXPECT_NE(output.find("Image Width: 23 Image Length: 11"), std::string::npos) << output;
        EXPECT_NE(output.find("Bits/Sample: 16"), std::string::npos) << output;
        EXPECT_NE(output.find("Samples/Pixel: 3"), std::string::npos) << output;
        EXPECT_NE(output.find("RGB color"), std::string::npos) << output;
        EXPECT_NE(output.find("Compression Scheme: None"), std::string::npos) << output;
        // No warning but libtiff's note on the predictor entry that every directory carries.
        const std::size_t note = output.find("Warning, Unknown field with tag 317");
        EXPECT_EQ(output.find("Warning", note == std::string::npos ? 0 : note + 1), std::string::npos)
            << output;
    }
    std::string output;
    const std::vector<std::uint8_t> decoded = decodeWithFfmpeg(file, "rgb48le", output);
    if (decoded.empty() && installedTool("ffmpeg").empty()) GTEST_SKIP() << output;
    EXPECT_EQ(littleEndianWords(decoded), expected) << output;
}

TEST(Tiff16Export, BlackAndMonoStacks) {
    // All zero: the maximum counts as 1 and the image is black.
    const PlaneTriple zero = makePlanes(5, 4, [](int, int, int) { return 0.0f; });
    const std::vector<std::uint16_t> black = samplesOf(stackTIFF16Image(zero, 5, 4, true));
    EXPECT_TRUE(std::all_of(black.begin(), black.end(), [](std::uint16_t s) { return s == 0; }));

    // Mono: the green plane gives all three samples, whatever the other planes hold.
    const PlaneTriple mono =
        makePlanes(5, 4, [](int c, int x, int y) { return c == 1 ? float(x + y) : 1e6f; });
    const TTIFFBitMap image = stackTIFF16Image(mono, 5, 4, false);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const std::uint16_t* p = image.HighBitRow(y) + 3 * x;
            const auto expected = std::uint16_t(std::nearbyint((x + y) / 7.0 * 65535.0));
            EXPECT_EQ(p[0], expected);
            EXPECT_EQ(p[1], expected);
            EXPECT_EQ(p[2], expected);
        }
}

TEST(Tiff16Export, StackDisplaySamplesAreTheDisplayLevelTimes255) {
    const int w = 64, h = 40;
    const PlaneTriple planes = makePlanes(w, h, wideValue);
    const float lo = 10.0f, hi = 250.0f;
    const TTIFFBitMap image = stackRender16(planes, w, h, true, lo, hi);
    ASSERT_EQ(image.width(), w);
    ASSERT_EQ(image.height(), h);
    const double scale = 255.0 / (double(hi) - lo + 1e-6);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const double word = std::nearbyint((planes[c][x][y] - double(lo)) * scale * 255.0);
                ASSERT_EQ(image.HighBitRow(y)[3 * x + c], std::uint16_t(std::clamp(word, 0.0, 65535.0)))
                    << x << "," << y << "," << c;
            }
    // The full range of a 0..255 stack ends at 65025 (255 x 255), not 65535.
    const PlaneTriple full = makePlanes(2, 1, [](int, int x, int) { return x * 255.0f; });
    const TTIFFBitMap ends = stackRender16(full, 2, 1, false, 0.0f, 255.0f);
    EXPECT_EQ(ends.HighBitRow(0)[0], 0);
    EXPECT_EQ(ends.HighBitRow(0)[3], 65025);

    // Rows are spread over threads; the result does not depend on how many.
    ThreadCountScope one(1);
    EXPECT_EQ(samplesOf(stackRender16(planes, w, h, true, lo, hi)), samplesOf(image));
}

TEST(Tiff16Export, CropKeepsTheTopLeftSamplesAndRefusesWhatItCannotCover) {
    const TTIFFBitMap result16 = makeImage16(9, 7, 5);
    const TTIFFBitMap crop = cropHighBits(result16, 8, 6);
    ASSERT_EQ(crop.width(), 8);
    ASSERT_EQ(crop.height(), 6);
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(std::memcmp(crop.HighBitRow(y), result16.HighBitRow(y), 8 * 3 * 2), 0) << y;
    EXPECT_THROW(cropHighBits(result16, 10, 6), std::invalid_argument);
    EXPECT_THROW(cropHighBits(TTIFFBitMap(9, 7), 8, 6), std::invalid_argument);
    EXPECT_THROW(stackTIFF16Image(makePlanes(4, 4, wideValue), 20, 4, true), std::invalid_argument);
}

namespace {

struct Curves {
    std::vector<float> sat = std::vector<float>(3601, 0.0f), hue = sat, light = sat;
    FinalSettings settings() const { return {false, false, 0, 0, 0, sat, hue, light}; }
};

}  // namespace

TEST(Tiff16Export, FinalImageKeepsNeutralColoursAndAppliesOffsetsCurvesAndFlips) {
    const int w = 19, h = 13;
    TTIFFBitMap result16 = makeImage16(w + 1, h + 1, 11, 65025);
    std::uint16_t* white = result16.HighBitRow(0);
    white[0] = white[1] = white[2] = 65535;
    Curves curves;
    const TTIFFBitMap neutral = finalTIFF16Image(result16, w, h, curves.settings());
    ASSERT_EQ(neutral.width(), w);
    ASSERT_EQ(neutral.height(), h);
    // Samples come back on the 255 x 255 scale: 65535 ends near 65025, everything else within
    // rounding.
    EXPECT_EQ(neutral.HighBitRow(0)[0], 65025);
    EXPECT_EQ(neutral.HighBitRow(0)[1], 65025);
    for (int y = 0; y < h; ++y)
        for (int x = (y == 0); x < w; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(neutral.HighBitRow(y)[3 * x + c],
                            result16.HighBitRow(y)[3 * x + c] * 255.0 / 256.0, 1.0)
                    << x << "," << y << "," << c;

    // Both flips mirror the image both ways.
    FinalSettings flipped = curves.settings();
    flipped.FlipX = flipped.FlipY = true;
    const TTIFFBitMap mirrored = finalTIFF16Image(result16, w, h, flipped);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(std::memcmp(mirrored.HighBitRow(h - 1 - y) + 3 * (w - 1 - x),
                                  neutral.HighBitRow(y) + 3 * x, 6),
                      0);

    // A hue offset of 120 turns pure red into green; the lightness table raises the value.
    TTIFFBitMap red(1, 1);
    red.allocateHighBits();
    red.HighBitRow(0)[0] = 200 * 256;
    FinalSettings turn = curves.settings();
    turn.H0 = 120;
    std::fill(curves.light.begin(), curves.light.end(), 5.0f);
    turn.LightCurveTable = curves.light;
    const TTIFFBitMap green = finalTIFF16Image(red, 1, 1, turn);
    EXPECT_LE(green.HighBitRow(0)[0], 1);
    EXPECT_NEAR(green.HighBitRow(0)[1], (200 + 10) * 255, 1.0);
    EXPECT_LE(green.HighBitRow(0)[2], 1);
}

TEST(Tiff16Export, FinalImageTurnsColoursWithoutSaturationIntoTheirOwnGrey) {
    const int w = 8, h = 3;
    TTIFFBitMap result16 = makeImage16(w, h, 12, 65025);
    Curves curves;
    FinalSettings grey = curves.settings();
    grey.S0 = -300;
    const TTIFFBitMap image = finalTIFF16Image(result16, w, h, grey);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint16_t* in = result16.HighBitRow(y) + 3 * x;
            const double value = std::max({in[0] / 256.0, in[1] / 256.0, in[2] / 256.0});
            const std::uint16_t* out = image.HighBitRow(y) + 3 * x;
            EXPECT_NEAR(out[0], value * 255, 1.0) << x << "," << y;  // its own value, not its neighbour's
            EXPECT_EQ(out[1], out[0]);
            EXPECT_EQ(out[2], out[0]);
        }

    ThreadCountScope one(1);
    EXPECT_EQ(samplesOf(finalTIFF16Image(result16, w, h, grey)), samplesOf(image));

    TempDir dir;
    SaveFinalTIFF16(dir / "final.tif", result16, w, h, grey);
    EXPECT_EQ(fs::file_size(dir / "final.tif"), 182u + 6u * w * h);
    Curves shortTables;
    shortTables.hue.resize(3600);
    EXPECT_THROW(finalTIFF16Image(result16, w, h, shortTables.settings()), std::invalid_argument);
    EXPECT_THROW(finalTIFF16Image(result16, w + 1, h, grey), std::invalid_argument);
}

TEST(Tiff16Export, MonochromePictureStaysGreyAfterHueAndLightnessAsOnTheScreen) {
    // Every grey level, black included, with the hue and lightness sliders moved: the screen keeps
    // them grey, and so must both exports (unturned and turned, flipped or not).
    const int w = 16, h = 16;
    TTIFFBitMap result16(w + 1, h + 1);
    result16.allocateHighBits();
    for (int y = 0; y <= h; ++y)
        for (int x = 0; x <= w; ++x)
            for (int c = 0; c < 3; ++c)
                result16.HighBitRow(y)[3 * x + c] = static_cast<std::uint16_t>(((y * w + x) % 256) * 255);
    Curves curves;
    for (const double angle : {0.0, 30.0}) {
        for (const int hue : {0, 40, -60}) {
            FinalSettings settings = curves.settings();
            settings.Angle = angle;
            settings.H0 = hue;
            settings.L0 = 25;
            settings.FlipX = hue < 0;
            const TTIFFBitMap image = angle == 0.0 ? finalTIFF16Image(result16, w, h, settings)
                                                   : rotatedFinalTIFF16Image(result16, w, h, settings);
            settings.FlipX = false;
            const FinalPicture view = renderFinal(result16, w, h, settings);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const std::uint16_t* out = image.HighBitRow(y) + 3 * (hue < 0 ? w - 1 - x : x);
                    ASSERT_EQ(out[0], out[1]) << angle << " " << hue << " at " << x << "," << y;
                    ASSERT_EQ(out[2], out[1]) << angle << " " << hue << " at " << x << "," << y;
                    const int shown = view.image.pixel(x, y)[1];
                    ASSERT_EQ(view.image.pixel(x, y)[2], shown);
                    const double level = angle == 0.0 ? 255.0 : 256.0;
                    ASSERT_NEAR(out[1] / level, shown, 1.0) << angle << " " << hue << " at " << x << "," << y;
                }
        }
    }
}

TEST(Tiff16Export, TurnedFinalImageFollowsTheViewAtTwoHundredFiftySixPerLevel) {
    const int n = 8;
    const TTIFFBitMap result16 = makeImage16(n + 1, n + 1, 21, 65025);
    Curves curves;
    FinalSettings quarter = curves.settings();
    quarter.Angle = 90;
    // A quarter turn clockwise about (4, 4): output (x, y) holds source (y, 8 − x); column 0 is
    // black.
    const TTIFFBitMap turned = rotatedFinalTIFF16Image(result16, n, n, quarter);
    ASSERT_EQ(turned.width(), n);
    ASSERT_EQ(turned.height(), n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::uint16_t* out = turned.HighBitRow(y) + 3 * x;
            if (x == 0) {
                EXPECT_EQ(out[0], 0);
                EXPECT_EQ(out[1], 0);
                EXPECT_EQ(out[2], 0);
                continue;
            }
            const std::uint16_t* in = result16.HighBitRow(n - x) + 3 * y;
            EXPECT_NEAR(out[0], in[0], 1.0) << x << "," << y;
            EXPECT_NEAR(out[1], in[1], 1.0) << x << "," << y;
            EXPECT_NEAR(out[2], in[2], 1.0) << x << "," << y;
        }

    // At 30 degrees about a chosen centre, with colour offsets: the view shows the same picture at
    // 8 bits (within 3 levels: it rounds the shifted hue to whole degrees), and both flips mirror
    // the export exactly.
    const int w = 23, h = 17;
    const TTIFFBitMap wide = makeImage16(w + 1, h + 1, 22, 65025);
    FinalSettings turn = curves.settings();
    turn.Angle = 30;
    turn.RotationCentreSet = true;
    turn.RotationCentreX = 9;
    turn.RotationCentreY = 7;
    turn.H0 = 20;
    turn.L0 = -10;
    const TTIFFBitMap image = rotatedFinalTIFF16Image(wide, w, h, turn);
    const FinalPicture view = renderFinal(wide, w, h, turn);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(image.HighBitRow(y)[3 * x + c] / 256.0, view.image.pixel(x, y)[2 - c], 3.0)
                    << x << "," << y << "," << c;
    turn.FlipX = turn.FlipY = true;
    const TTIFFBitMap mirrored = rotatedFinalTIFF16Image(wide, w, h, turn);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(
                std::memcmp(mirrored.HighBitRow(h - 1 - y) + 3 * (w - 1 - x), image.HighBitRow(y) + 3 * x, 6),
                0);

    // The files: angle 0 is the unturned export; a turned one reads back as built.
    TempDir dir;
    SaveRotatedFinalTiff16(dir / "flat.tif", wide, w, h, curves.settings());
    SaveFinalTIFF16(dir / "plain.tif", wide, w, h, curves.settings());
    EXPECT_EQ(fileBytes(dir / "flat.tif"), fileBytes(dir / "plain.tif"));
    SaveRotatedFinalTiff16(dir / "turned.tif", wide, w, h, turn);
    std::string output;
    const std::vector<std::uint8_t> decoded = decodeWithFfmpeg(dir / "turned.tif", "rgb48le", output);
    if (!decoded.empty()) {
        EXPECT_EQ(decoded, rgb48le(mirrored));
    }
    EXPECT_THROW(rotatedFinalTIFF16Image(wide, w + 2, h, turn), std::invalid_argument);
}
