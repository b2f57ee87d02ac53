// Independent checks with the libtiff command-line tools, when they are installed: LZW files
// written by tiffcp decode to the samples of the uncompressed original, and tiffinfo and
// tiffcmp accept what SaveToTIFF writes.

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tiff_test_files.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

class TiffWithLibtiffTools : public ::testing::Test {
protected:
    void SetUp() override {
        tiffcp_ = libtiffTool("tiffcp");
        if (tiffcp_.empty()) GTEST_SKIP() << "libtiff-tools are not installed";
    }

    // Copies `from` to `to` with tiffcp and the given options; fails the test when tiffcp does.
    void tiffcp(const std::string& options, const std::filesystem::path& from,
                const std::filesystem::path& to) {
        std::string output;
        const int status =
            runCommand(tiffcp_ + " " + options + " '" + from.string() + "' '" + to.string() + "'", output);
        ASSERT_EQ(status, 0) << options << ": " << output;
    }

    std::string tiffcp_;
    TempDir dir_;
};

// A smooth gradient with noise, so that LZW meets both runs and incompressible stretches.
std::vector<std::uint16_t> scene(std::uint32_t width, std::uint32_t height, unsigned spp,
                                 std::uint32_t limit) {
    std::vector<std::uint16_t> noise = randomSamples(std::size_t(width) * height * spp, 9, 40);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        const std::size_t x = (i / spp) % width;
        const std::size_t y = i / spp / width;
        noise[i] = static_cast<std::uint16_t>((x * 5 + y * 3 + (i % spp) * 40 + noise[i] * (y % 3)) * limit /
                                              1024 % limit);
    }
    return noise;
}

}  // namespace

TEST_F(TiffWithLibtiffTools, LzwCopiesDecodeToTheSamplesOfTheUncompressedOriginal) {
    const std::uint32_t w = 61, h = 47;
    struct Source {
        std::string name;
        std::vector<std::uint8_t> bytes;
        bool predictor;  // libtiff differences 8- and 16-bit samples only
    };
    std::vector<std::uint16_t> map(768);
    for (std::size_t i = 0; i < map.size(); ++i) map[i] = static_cast<std::uint16_t>(i * 997 % 65536);
    TTIFFBitMap rgb48 = makeImage48(int(w), int(h), 41);
    const std::vector<Source> sources = {
        {"rgb48", TTIFFBitMap::encodeTIFF(rgb48, 48, false), true},
        {"rgb24", TTIFFBitMap::encodeTIFF(rgb48, 24, false), true},
        {"grey16", buildTiff({.width = w, .height = h, .bitsPerSample = 16}, scene(w, h, 1, 65536)), true},
        {"grey8", buildTiff({.width = w, .height = h}, scene(w, h, 1, 256)), true},
        {"grey4", buildTiff({.width = w, .height = h, .bitsPerSample = 4}, scene(w, h, 1, 16)), false},
        {"bilevel",
         buildTiff({.width = w, .height = h, .bitsPerSample = 1, .photometric = 0}, scene(w, h, 1, 2)),
         false},
        {"palette",
         buildTiff({.width = w, .height = h, .photometric = 3, .colorMap = map}, scene(w, h, 1, 256)), true},
        {"cmyk",
         buildTiff({.width = w, .height = h, .samplesPerPixel = 4, .photometric = 5}, scene(w, h, 4, 256)),
         true},
        {"rgb16-bigendian",
         buildTiff({.width = w,
                    .height = h,
                    .samplesPerPixel = 3,
                    .bitsPerSample = 16,
                    .photometric = 2,
                    .motorola = true},
                   scene(w, h, 3, 65536)),
         true},
    };
    for (const Source& source : sources) {
        const auto original = dir_ / (source.name + ".tif");
        writeBytes(original, source.bytes);
        const TTIFFBitMap expected = loadTiff(original);
        std::vector<std::string> options = {"-c lzw", "-c lzw -r 5", "-B -c lzw -r 1", "-L -c lzw -r 64"};
        if (source.predictor) options.insert(options.end(), {"-c lzw:2", "-B -c lzw:2 -r 7"});
        for (const std::string& option : options) {
            const auto copy = dir_ / (source.name + "-copy.tif");
            tiffcp(option, original, copy);
            EXPECT_EQ(imageDifference(loadTiff(copy), expected), "") << source.name << " " << option;
        }
    }
}

TEST_F(TiffWithLibtiffTools, TiffinfoAndTiffcmpAcceptWhatWeWrite) {
    const std::string tiffinfo = libtiffTool("tiffinfo");
    const std::string tiffcmp = libtiffTool("tiffcmp");
    if (tiffinfo.empty() || tiffcmp.empty()) GTEST_SKIP() << "tiffinfo or tiffcmp missing";
    const TTIFFBitMap image = makeImage48(300, 201, 42);
    for (int bits : {48, 24}) {
        const auto plain = dir_ / ("plain" + std::to_string(bits) + ".tif");
        const auto packed = dir_ / ("lzw" + std::to_string(bits) + ".tif");
        TTIFFBitMap::SaveToTIFF(image, plain, bits, false);
        TTIFFBitMap::SaveToTIFF(image, packed, bits, true);
        for (const auto& file : {plain, packed}) {
            std::string output;
            EXPECT_EQ(runCommand(tiffinfo + " -D '" + file.string() + "'", output), 0) << output;
            // Nothing but the directory, and at most libtiff's note on the predictor that every
            // directory carries, compressed or not.
            EXPECT_EQ(output.find("Error"), std::string::npos) << output;
            const std::size_t note = output.find("Warning, Unknown field with tag 317");
            EXPECT_EQ(output.find("Warning", note == std::string::npos ? 0 : note + 1), std::string::npos)
                << output;
            EXPECT_NE(output.find("Image Width: 300 Image Length: 201"), std::string::npos) << output;
            EXPECT_NE(output.find("Bits/Sample: " + std::to_string(bits / 3)), std::string::npos) << output;
        }
        // Our LZW strip holds the same samples as our uncompressed one, and as libtiff's own
        // big-endian copy of it.
        std::string output;
        EXPECT_EQ(runCommand(tiffcmp + " '" + plain.string() + "' '" + packed.string() + "'", output), 0)
            << output;
        const auto theirs = dir_ / "theirs.tif";
        tiffcp("-B -c none", packed, theirs);
        EXPECT_EQ(runCommand(tiffcmp + " '" + packed.string() + "' '" + theirs.string() + "'", output), 0)
            << output;
    }
}
