// Damaged TIFF files: truncated, bit-flipped and with directory fields set to extreme values.
// Every load either succeeds or throws a TiffError; the sanitizer builds check that none reads
// outside the file or writes outside its buffers, and the size checks keep allocations small.

#include <gtest/gtest.h>

#include <random>

#include "codecs/mem_utils.h"
#include "codecs/tiff_errors.h"
#include "codecs/tiff_ifd.h"
#include "tiff_test_files.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

std::vector<std::vector<std::uint8_t>> corpus() {
    const std::uint32_t w = 23, h = 17;
    std::vector<std::uint16_t> map(48);
    for (std::size_t i = 0; i < map.size(); ++i) map[i] = static_cast<std::uint16_t>(i * 1361);
    const TTIFFBitMap image = makeImage48(int(w), int(h), 50);
    return {
        TTIFFBitMap::encodeTIFF(image, 48, false),
        TTIFFBitMap::encodeTIFF(image, 48, true),
        TTIFFBitMap::encodeTIFF(image, 24, true),
        buildTiff({.width = w,
                   .height = h,
                   .bitsPerSample = 16,
                   .motorola = true,
                   .rowsPerStrip = 3,
                   .lzw = true,
                   .predictor = true,
                   .shortStripArrays = true},
                  randomSamples(w * h, 65536, 51)),
        buildTiff({.width = w, .height = h, .samplesPerPixel = 4, .photometric = 5, .rowsPerStrip = 5},
                  randomSamples(w * h * 4, 256, 52)),
        buildTiff({.width = w,
                   .height = h,
                   .bitsPerSample = 4,
                   .photometric = 3,
                   .motorola = true,
                   .colorMap = map},
                  randomSamples(w * h, 16, 53)),
        buildTiff({.width = w, .height = h, .bitsPerSample = 1, .rowsPerStrip = 4, .lzw = true},
                  randomSamples(w * h, 2, 54)),
    };
}

// Loads `file`; only TiffErrors may come out. Returns whether it loaded.
bool loadsOrRefuses(const std::vector<std::uint8_t>& file) {
    TTIFFBitMap image;
    std::uint16_t hiValue = 0;
    try {
        image.loadFromTIFFBytes(file, hiValue);
    } catch (const TiffError&) {
        return false;
    }
    // A file that loads describes an image its own bytes can hold.
    EXPECT_LE(std::uint64_t(image.width()) * image.height(), file.size() * 8 * 4096);
    return true;
}

}  // namespace

TEST(TiffFuzz, DamagedFilesLoadOrGiveATiffErrorNeverAnythingElse) {
    std::mt19937 rng(20240607);
    int loaded = 0, refused = 0;
    for (const std::vector<std::uint8_t>& original : corpus()) {
        ASSERT_TRUE(loadsOrRefuses(original));
        for (int trial = 0; trial < 1000; ++trial) {
            std::vector<std::uint8_t> file = original;
            switch (trial % 4) {
                case 0:  // truncated
                    file.resize(rng() % file.size());
                    break;
                case 1:  // a few bits flipped anywhere
                    for (unsigned n = 1 + rng() % 8; n > 0; --n)
                        file[rng() % file.size()] ^= std::uint8_t(1u << (rng() % 8));
                    break;
                case 2: {  // a directory field (count or value) set to an extreme
                    const std::uint32_t dir = loadU32(file.data() + 4, file[0] == 'M');
                    const std::size_t entries = loadU16(file.data() + dir, file[0] == 'M');
                    const std::size_t at = dir + 2 + 12 * (rng() % entries) + (rng() % 2 ? 4 : 8);
                    const std::uint32_t extremes[] = {
                        0, 1, 0xFFFF, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF, std::uint32_t(rng())};
                    storeU32(file.data() + at, extremes[rng() % 7], file[0] == 'M');
                    break;
                }
                default:  // a run of random bytes, often in the middle of compressed data
                    for (std::size_t i = rng() % file.size(), n = 1 + rng() % 16; n > 0 && i < file.size();
                         --n, ++i)
                        file[i] = std::uint8_t(rng());
            }
            (loadsOrRefuses(file) ? loaded : refused)++;
        }
    }
    // Both outcomes occur: the damage is neither always harmless nor always caught up front.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(refused, 100);
}

TEST(TiffFuzz, HostileDirectoriesAreRefusedBeforeAnyLargeWork) {
    const auto refusal = [](const std::vector<std::uint8_t>& file) -> std::string {
        try {
            loadTiff(file);
        } catch (const TiffError& e) {
            return e.what();
        }
        return "loaded";
    };
    const auto directory = [](const std::vector<std::uint8_t>& file) {
        return loadU32(file.data() + 4, false);
    };

    // Thousands of one-row strips that all point at the same megabyte of Clear codes.
    std::vector<std::uint8_t> file = buildTiff({.width = 8, .height = 4000, .rowsPerStrip = 1, .lzw = true},
                                               std::vector<std::uint16_t>(8 * 4000, 0));
    const TIFD ifd(file, directory(file), false);
    const std::uint32_t offsets = ifd.RawValue(ifd.IndexOf(tagStripOffsets));
    const std::uint32_t counts = ifd.RawValue(ifd.IndexOf(tagStripByteCounts));
    const auto clears = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < 100000; ++i)
        file.insert(file.end(), {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00});
    for (std::uint32_t s = 0; s < 4000; ++s) {
        storeU32(file.data() + offsets + 4 * s, clears, false);
        storeU32(file.data() + counts + 4 * s, 900000, false);
    }
    EXPECT_EQ(refusal(file), "Invalid TIFF file: compressed strips overlap");

    // A tiny file that claims a huge compressed image is refused without the memory for it.
    file = buildTiff({.width = 1, .height = 1, .lzw = true}, {0});
    storeU16(file.data() + directory(file) + 2 + 8, 65535, false);          // ImageWidth
    storeU16(file.data() + directory(file) + 2 + 12 + 8, 1000, false);      // ImageLength
    storeU32(file.data() + directory(file) + 2 + 12 * 7 + 8, 1000, false);  // RowsPerStrip
    EXPECT_EQ(refusal(file), "Invalid TIFF file: compressed image data ends early");

    // Strip arrays far beyond the file, by their count or by their offset.
    file = buildTiff({.width = 3, .height = 3, .rowsPerStrip = 1}, std::vector<std::uint16_t>(9, 1));
    const std::size_t entry =
        directory(file) + 2 + 12 * TIFD(file, directory(file), false).IndexOf(tagStripOffsets);
    storeU32(file.data() + entry + 4, 0xFFFFFFFF, false);
    EXPECT_EQ(refusal(file), "Invalid TIFF file: the values of tag 273 lie outside the file");
    storeU32(file.data() + entry + 4, 3, false);
    storeU32(file.data() + entry + 8, 0xFFFFFFF0, false);
    EXPECT_EQ(refusal(file), "Invalid TIFF file: the values of tag 273 lie outside the file");
}
