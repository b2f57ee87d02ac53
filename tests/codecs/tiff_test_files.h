#pragma once
// Builds TIFF files of any layout the reader accepts (and some it refuses), for the reader
// tests, and runs the libtiff command-line tools where they are installed.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrave::test {

struct TiffSpec {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t bitsPerSample = 8;
    int photometric = 1;  // -1 leaves the tag out
    bool motorola = false;
    std::uint32_t rowsPerStrip = 0;  // 0: one strip
    bool lzw = false;
    bool predictor = false;
    bool shortStripArrays = false;  // StripOffsets and StripByteCounts as SHORT instead of LONG
    bool longDimensions = false;    // ImageWidth and ImageLength as LONG instead of SHORT
    std::uint16_t compression = 0;  // overrides the Compression tag when set
    std::uint16_t planar = 1;
    std::vector<std::uint16_t> colorMap;  // tag 320 when not empty
};

// A TIFF file of `samples` (width x height x samplesPerPixel values, row after row), packed as
// `spec` says: 16-bit samples in the file's byte order, 1- and 4-bit samples most significant
// bits first with rows padded to whole bytes, strips LZW-compressed when asked.
std::vector<std::uint8_t> buildTiff(const TiffSpec& spec, const std::vector<std::uint16_t>& samples);

// `count` pseudo-random values below `limit`, from `seed`.
std::vector<std::uint16_t> randomSamples(std::size_t count, std::uint32_t limit, std::uint32_t seed);

// A width x height image with distinct 16-bit samples and the view holding their high bytes.
TTIFFBitMap makeImage48(int width, int height, std::uint32_t seed);

// Loads a file; HiValue as LoadFromTIFF takes and returns it.
TTIFFBitMap loadTiff(const std::filesystem::path& path, std::uint16_t hiValue = 0);
TTIFFBitMap loadTiff(const std::vector<std::uint8_t>& bytes, std::uint16_t hiValue = 0);

// Whether two images have the same size, view and samples; describes the first difference.
std::string imageDifference(const TTIFFBitMap& a, const TTIFFBitMap& b);

// Path of a libtiff tool ("tiffcp", "tiffinfo", "tiffcmp"), or empty when it is not installed.
std::string libtiffTool(const std::string& name);

}  // namespace kestrave::test
