// TIFF files: the writer's layout and round trips, every depth the reader takes, both byte
// orders, several strips, and the errors for files it cannot read.

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "codecs/mem_utils.h"
#include "codecs/tiff_errors.h"
#include "codecs/tiff_ifd.h"
#include "platform/safe_file.h"
#include "support/temp_dir.h"
#include "tiff_test_files.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

std::uint16_t u16(const std::vector<std::uint8_t>& f, std::size_t at) {
    return loadU16(f.data() + at, false);
}
std::uint32_t u32(const std::vector<std::uint8_t>& f, std::size_t at) {
    return loadU32(f.data() + at, false);
}

// The view pixel (x, y) as red, green, blue.
std::array<int, 3> rgb(const TTIFFBitMap& image, int x, int y) {
    const std::uint8_t* p = image.pixel(x, y);
    return {p[2], p[1], p[0]};
}

std::array<int, 3> samples(const TTIFFBitMap& image, int x, int y) {
    const std::uint16_t* p = image.HighBitRow(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

template <typename Error>
std::string errorText(const std::vector<std::uint8_t>& bytes) {
    try {
        loadTiff(bytes);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(TiffWrite, FortyEightBitSaveHasTheFixedLayoutAndReadsBackExactly) {
    TempDir dir;
    const TTIFFBitMap image = makeImage48(5, 3, 1);
    TTIFFBitMap::SaveToTIFF(image, dir / "a.tif", 48, false);
    const std::vector<std::uint8_t> f = readWholeFile(dir / "a.tif");

    ASSERT_EQ(f.size(), 272u);  // 182 + 3 rows of 6 x 5 bytes
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin(), f.begin() + 10),
              (std::vector<std::uint8_t>{0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00, 0x0E, 0x00}));
    // tag, type, count, value of the 14 entries
    const std::uint32_t expected[14][4] = {
        {254, 4, 1, 0}, {256, 3, 1, 5},  {257, 3, 1, 3},   {258, 3, 1, 16}, {259, 3, 1, 1},
        {262, 3, 1, 2}, {266, 3, 1, 1},  {273, 4, 1, 182}, {274, 3, 1, 1},  {277, 3, 1, 3},
        {278, 3, 1, 3}, {279, 4, 1, 90}, {284, 3, 1, 1},   {317, 3, 1, 1},
    };
    for (int i = 0; i < 14; ++i) {
        const std::size_t at = 10 + 12 * i;
        EXPECT_EQ(u16(f, at), expected[i][0]) << "entry " << i;
        EXPECT_EQ(u16(f, at + 2), expected[i][1]) << "entry " << i;
        EXPECT_EQ(u32(f, at + 4), expected[i][2]) << "entry " << i;
        EXPECT_EQ(expected[i][1] == 3 ? u16(f, at + 8) : u32(f, at + 8), expected[i][3]) << "entry " << i;
    }
    EXPECT_EQ(u32(f, 178), 0u);  // no further directory
    // Rows top first, red, green, blue little-endian.
    EXPECT_EQ(u16(f, 182), image.HighBitRow(0)[0]);
    EXPECT_EQ(u16(f, 182 + 30 * 2 + 6 * 4 + 4), image.HighBitRow(2)[3 * 4 + 2]);

    std::uint16_t hiValue = 1234;
    TTIFFBitMap back;
    back.LoadFromTIFF(dir / "a.tif", hiValue);
    EXPECT_EQ(imageDifference(back, image), "");  // samples, and the view holds their high bytes
    EXPECT_EQ(hiValue, 0);
    EXPECT_EQ(back.HighBitsPerPixel, 48);
    // Saving what was read writes the same bytes.
    EXPECT_EQ(TTIFFBitMap::encodeTIFF(back, 48, false), f);
}

TEST(TiffWrite, CompressedAndTwentyFourBitSavesReadBack) {
    TempDir dir;
    const TTIFFBitMap image = makeImage48(37, 21, 2);
    TTIFFBitMap::SaveToTIFF(image, dir / "lzw.tif", 48, true);
    const std::vector<std::uint8_t> f = readWholeFile(dir / "lzw.tif");
    EXPECT_EQ(u16(f, 8), 14);
    EXPECT_EQ(u16(f, 10 + 12 * 4 + 8), 5);  // Compression LZW
    EXPECT_EQ(u16(f, 10 + 12 * 13), 317);   // with the predictor 1
    EXPECT_EQ(u16(f, 10 + 12 * 13 + 8), 1);
    EXPECT_EQ(u32(f, 10 + 12 * 11 + 8), f.size() - 182);  // StripByteCounts = the code stream
    EXPECT_EQ(imageDifference(loadTiff(dir / "lzw.tif"), image), "");

    // 24 bits write the view; its bytes come back as samples of byte x 256 (255 -> 65280).
    TTIFFBitMap view = image;
    SetRGBTriple(255, 0, 1, view.pixel(0, 0));
    for (bool compress : {false, true}) {
        TTIFFBitMap::SaveToTIFF(view, dir / "24.tif", 24, compress);
        const TTIFFBitMap back = loadTiff(dir / "24.tif");
        ASSERT_EQ(back.width(), 37);
        for (int y = 0; y < 21; ++y)
            ASSERT_EQ(std::memcmp(back.row(y), view.row(y), 37 * 3), 0) << "row " << y;
        EXPECT_EQ(samples(back, 0, 0), (std::array<int, 3>{65280, 0, 256}));
        EXPECT_EQ(back.HighBitsPerPixel, 24);
    }
    EXPECT_EQ(readWholeFile(dir / "24.tif").size() > 182, true);
}

TEST(TiffWrite, RefusesWhatItCannotWriteAndNeverLeavesAPartFile) {
    TempDir dir;
    const TTIFFBitMap image = makeImage48(4, 4, 3);
    EXPECT_THROW(TTIFFBitMap::SaveToTIFF(image, dir / "x.tif", 8, false), std::invalid_argument);
    EXPECT_THROW(TTIFFBitMap::SaveToTIFF(TTIFFBitMap(4, 4), dir / "x.tif", 48, false), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.tif"));
    EXPECT_THROW(TTIFFBitMap::SaveToTIFF(image, dir / "missing" / "x.tif", 48, false), FileError);
    // Replacing a file leaves nothing else behind in the folder.
    TTIFFBitMap::SaveToTIFF(image, dir / "x.tif", 48, false);
    TTIFFBitMap::SaveToTIFF(makeImage48(2, 2, 4), dir / "x.tif", 48, false);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(loadTiff(dir / "x.tif").width(), 2);
}

TEST(TiffRead, SixteenBitGreyScalesTheViewByHiValue) {
    TiffSpec spec{.width = 4, .height = 1, .bitsPerSample = 16};
    const std::vector<std::uint8_t> file = buildTiff(spec, {0, 15000, 30000, 65535});
    std::uint16_t hiValue = 0;
    TTIFFBitMap image;
    image.loadFromTIFFBytes(file, hiValue);
    EXPECT_EQ(hiValue, 65535);
    EXPECT_EQ(rgb(image, 3, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(rgb(image, 2, 0)[0], 117);  // Round(30000 / 65535 * 255)
    EXPECT_EQ(samples(image, 2, 0), (std::array<int, 3>{30000, 30000, 30000}));
    EXPECT_EQ(image.HighBitsPerPixel, 16);

    // Reading again with HiValue 30000 shows 30000 as 255, halves round to even, larger clamp.
    hiValue = 30000;
    image.loadFromTIFFBytes(file, hiValue);
    EXPECT_EQ(rgb(image, 1, 0)[1], 128);  // 127.5
    EXPECT_EQ(rgb(image, 2, 0)[2], 255);
    EXPECT_EQ(rgb(image, 3, 0)[0], 255);
    EXPECT_EQ(samples(image, 3, 0)[0], 65535);
    EXPECT_EQ(hiValue, 65535);

    // White-is-zero grey is turned round.
    spec.photometric = 0;
    hiValue = 0;
    image.loadFromTIFFBytes(buildTiff(spec, {0, 15000, 30000, 65535}), hiValue);
    EXPECT_EQ(samples(image, 0, 0)[0], 65535);
    EXPECT_EQ(rgb(image, 3, 0)[0], 0);
}

TEST(TiffRead, BigEndianFilesReadLikeLittleEndianOnesInOneOrManyStrips) {
    // 16-bit grey and 48-bit RGB; LONG and SHORT dimensions and strip arrays; LZW with and
    // without the predictor.
    for (std::uint16_t spp : {1, 3}) {
        const std::vector<std::uint16_t> data = randomSamples(13 * 9 * spp, 65536, 20 + spp);
        const TiffSpec intel{.width = 13,
                             .height = 9,
                             .samplesPerPixel = spp,
                             .bitsPerSample = 16,
                             .photometric = spp == 1 ? 1 : 2};
        const TTIFFBitMap reference = loadTiff(buildTiff(intel, data));
        for (std::uint32_t rows : {0u, 1u, 4u}) {
            for (int variant = 0; variant < 4; ++variant) {
                TiffSpec mm = intel;
                mm.motorola = true;
                mm.rowsPerStrip = rows;
                mm.longDimensions = variant % 2 == 1;
                mm.shortStripArrays = variant == 2;
                mm.lzw = variant >= 2;
                mm.predictor = variant == 3;
                EXPECT_EQ(imageDifference(loadTiff(buildTiff(mm, data)), reference), "")
                    << "spp " << spp << " rows " << rows << " variant " << variant;
                mm.motorola = false;
                EXPECT_EQ(imageDifference(loadTiff(buildTiff(mm, data)), reference), "")
                    << "intel, spp " << spp << " rows " << rows << " variant " << variant;
            }
        }
    }
}

TEST(TiffRead, MultiStripFortyEightBitGivesEveryRowItsOwnSamples) {
    const TiffSpec spec{.width = 3,
                        .height = 7,
                        .samplesPerPixel = 3,
                        .bitsPerSample = 16,
                        .photometric = 2,
                        .rowsPerStrip = 2};
    std::vector<std::uint16_t> data(3 * 7 * 3);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint16_t>(1000 * (i / 9) + i);
    const TTIFFBitMap image = loadTiff(buildTiff(spec, data));
    ASSERT_EQ(image.height(), 7);
    for (int y = 0; y < 7; ++y)
        for (int i = 0; i < 9; ++i) ASSERT_EQ(image.HighBitRow(y)[i], data[9 * y + i]) << y << " " << i;

    // Two strips listed as SHORT values fit inside their directory entries.
    for (bool motorola : {false, true}) {
        TiffSpec two = spec;
        two.rowsPerStrip = 4;
        two.shortStripArrays = true;
        two.motorola = motorola;
        EXPECT_EQ(imageDifference(loadTiff(buildTiff(two, data)), image), "") << motorola;
    }
}

TEST(TiffRead, EightBitRgbCmykAndRgbaPixels) {
    // RGB bytes: samples are the bytes times 256.
    const TTIFFBitMap rgbImage =
        loadTiff(buildTiff({.width = 2, .samplesPerPixel = 3, .photometric = 2}, {255, 10, 0, 1, 2, 3}));
    EXPECT_EQ(rgb(rgbImage, 0, 0), (std::array<int, 3>{255, 10, 0}));
    EXPECT_EQ(samples(rgbImage, 0, 0), (std::array<int, 3>{65280, 2560, 0}));
    EXPECT_EQ(rgbImage.HighBitsPerPixel, 24);

    // CMYK: no ink is white; full cyan is red 51, green and blue 255.
    const TiffSpec cmyk{.width = 3, .samplesPerPixel = 4, .photometric = 5};
    for (bool lzw : {false, true}) {
        TiffSpec spec = cmyk;
        spec.lzw = lzw;
        spec.predictor = lzw;
        const TTIFFBitMap image = loadTiff(buildTiff(spec, {0, 0, 0, 0, 255, 0, 0, 0, 0, 128, 0, 255}));
        EXPECT_EQ(rgb(image, 0, 0), (std::array<int, 3>{255, 255, 255}));
        EXPECT_EQ(rgb(image, 1, 0), (std::array<int, 3>{51, 255, 255}));
        EXPECT_EQ(rgb(image, 2, 0), (std::array<int, 3>{76, 38, 76}));  // black 255
        EXPECT_EQ(samples(image, 1, 0), (std::array<int, 3>{51 * 256, 65280, 65280}));
    }
    // Grey with alpha (two BitsPerSample values inside the entry) shows the grey.
    const TTIFFBitMap greyAlpha = loadTiff(buildTiff({.width = 2, .samplesPerPixel = 2}, {90, 255, 30, 0}));
    EXPECT_EQ(rgb(greyAlpha, 1, 0), (std::array<int, 3>{30, 30, 30}));
    // Four samples of RGB with alpha are not taken for CMYK.
    const TTIFFBitMap rgba =
        loadTiff(buildTiff({.width = 1, .samplesPerPixel = 4, .photometric = 2}, {200, 100, 50, 0}));
    EXPECT_EQ(rgb(rgba, 0, 0), (std::array<int, 3>{200, 100, 50}));
}

TEST(TiffRead, OneFourAndEightBitGreyAndPaletteImages) {
    // 1 bit, black-is-zero and white-is-zero; 10 pixels make a padded row.
    const std::vector<std::uint16_t> bits = {1, 0, 1, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0};
    for (int photometric : {0, 1}) {
        const TTIFFBitMap image = loadTiff(
            buildTiff({.width = 10, .height = 2, .bitsPerSample = 1, .photometric = photometric}, bits));
        for (int i = 0; i < 20; ++i) {
            const int expected = (bits[i] == 1) == (photometric == 1) ? 255 : 0;
            ASSERT_EQ(rgb(image, i % 10, i / 10)[1], expected) << photometric << " " << i;
            ASSERT_EQ(samples(image, i % 10, i / 10)[1], expected << 8);
        }
        EXPECT_EQ(image.HighBitsPerPixel, 1);
    }
    // 4 bits: steps of 16, turned round for white-is-zero; an odd width pads the row.
    const TTIFFBitMap grey4 =
        loadTiff(buildTiff({.width = 3, .height = 2, .bitsPerSample = 4}, {0, 15, 7, 1, 2, 3}));
    EXPECT_EQ(rgb(grey4, 1, 0)[0], 240);
    EXPECT_EQ(rgb(grey4, 2, 0)[0], 112);
    EXPECT_EQ(rgb(grey4, 0, 1)[0], 16);
    const TTIFFBitMap white4 =
        loadTiff(buildTiff({.width = 2, .bitsPerSample = 4, .photometric = 0}, {0, 15}));
    EXPECT_EQ(rgb(white4, 0, 0)[0], 240);
    EXPECT_EQ(rgb(white4, 1, 0)[0], 0);
    // 8 bits, LZW with the predictor, and white-is-zero.
    const std::vector<std::uint16_t> ramp = {0, 1, 100, 254, 255, 7};
    const TTIFFBitMap grey8 = loadTiff(buildTiff({.width = 6, .lzw = true, .predictor = true}, ramp));
    const TTIFFBitMap white8 = loadTiff(buildTiff({.width = 6, .photometric = 0}, ramp));
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(rgb(grey8, x, 0)[2], ramp[x]);
        EXPECT_EQ(rgb(white8, x, 0)[2], 255 - ramp[x]);
    }
    // Palette: the colour map's 16-bit values shown by their high byte.
    std::vector<std::uint16_t> map(768, 0);
    map[1] = 65535;        // red of index 1
    map[256 + 1] = 65024;  // green of index 1
    map[512 + 2] = 32896;  // blue of index 2
    const TTIFFBitMap palette =
        loadTiff(buildTiff({.width = 3, .photometric = 3, .motorola = true, .colorMap = map}, {1, 2, 0}));
    EXPECT_EQ(rgb(palette, 0, 0), (std::array<int, 3>{255, 254, 0}));
    EXPECT_EQ(rgb(palette, 1, 0), (std::array<int, 3>{0, 0, 128}));
    EXPECT_EQ(rgb(palette, 2, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(samples(palette, 0, 0), (std::array<int, 3>{65280, 65024, 0}));
    EXPECT_EQ(errorText<TiffCorruptError>(buildTiff({.width = 3, .photometric = 3}, {1, 2, 0})),
              "Invalid TIFF file: the colour map is missing or too short");
}

TEST(TiffRead, ErrorMessagesAndAnEmptyImage) {
    TempDir dir;
    std::vector<std::uint8_t> bmp = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
    EXPECT_EQ(errorText<TiffHeaderError>(bmp), "Invalid TIFF header");
    EXPECT_EQ(errorText<TiffHeaderError>({'I', 'I', 42}), "Invalid TIFF header");
    EXPECT_EQ(errorText<TiffHeaderError>(buildTiff({.width = 0}, {})), "Invalid TIFF header: no dimension");
    std::uint16_t hiValue = 0;
    TTIFFBitMap image;
    try {
        image.LoadFromTIFF(dir / "none.tif", hiValue);
        FAIL() << "no error";
    } catch (const TiffReadError& e) {
        EXPECT_STREQ(e.what(), "Problem reading TIFF-file, processing canceled");
    }
    // No rows: an empty image, no error.
    image = makeImage48(3, 3, 5);
    hiValue = 77;
    image.loadFromTIFFBytes(buildTiff({.width = 5, .height = 0}, {}), hiValue);
    EXPECT_TRUE(image.empty());
    EXPECT_FALSE(image.HighBitsAllocated());
    EXPECT_EQ(hiValue, 0);
}

TEST(TiffRead, RefusesWhatItCannotDecodeAndLeavesTheBitmapAsItWas) {
    const std::vector<std::uint16_t> px = randomSamples(4 * 4 * 3, 256, 6);
    const TiffSpec rgb8{.width = 4, .height = 4, .samplesPerPixel = 3, .photometric = 2};
    auto variant = [&](auto change) {
        TiffSpec s = rgb8;
        change(s);
        return buildTiff(s, px);
    };
    EXPECT_EQ(errorText<TiffUnsupportedError>(variant([](TiffSpec& s) { s.compression = 32773; })),
              "Unsupported TIFF file: compression 32773");
    EXPECT_EQ(errorText<TiffUnsupportedError>(variant([](TiffSpec& s) { s.planar = 2; })),
              "Unsupported TIFF file: separate colour planes");
    EXPECT_EQ(errorText<TiffUnsupportedError>(buildTiff({.width = 1, .bitsPerSample = 32}, {0, 0})),
              "Unsupported TIFF file: 32 bits per sample");
    EXPECT_EQ(errorText<TiffUnsupportedError>(variant([](TiffSpec& s) { s.photometric = 6; })),
              "Unsupported TIFF file: photometric interpretation 6");

    // A strip cut off by the end of the file, uncompressed and LZW.
    for (bool lzw : {false, true}) {
        std::vector<std::uint8_t> f = variant([&](TiffSpec& s) {
            s.lzw = lzw;
            s.rowsPerStrip = 1;
        });
        // Move the last of the four strips to two bytes before the end of the file.
        const TIFD ifd(f, loadU32(f.data() + 4, false), false);
        const std::uint32_t offsets = ifd.RawValue(ifd.IndexOf(tagStripOffsets));
        storeU32(f.data() + offsets + 12, static_cast<std::uint32_t>(f.size() - 2), false);
        EXPECT_EQ(errorText<TiffCorruptError>(f), "Invalid TIFF file: image data beyond the end of the file")
            << "lzw " << lzw;
    }

    // A failed load changes nothing.
    TTIFFBitMap image = makeImage48(2, 2, 8);
    const TTIFFBitMap before = image;
    std::uint16_t hiValue = 5;
    std::vector<std::uint8_t> broken = variant([](TiffSpec& s) { s.lzw = true; });
    std::fill(broken.begin() + 9, broken.begin() + 14, 0xFF);  // codes past the table end the strip early
    EXPECT_THROW(image.loadFromTIFFBytes(broken, hiValue), TiffCorruptError);
    EXPECT_EQ(imageDifference(image, before), "");
    EXPECT_EQ(hiValue, 5);
}
