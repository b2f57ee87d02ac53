#pragma once
// Small writers of SER, FITS, BMP, PNG and JPEG files for the reader tests. Each writes the
// format from its own definition, independently of the readers.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrave::test {

using Bytes = std::vector<std::uint8_t>;

void writeFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes readFile(const std::filesystem::path& path);

// SER: the header, then `samples` (all frames, row after row) as bytes (PixelDepth up to 8) or
// as 16-bit little-endian words.
struct SerParams {
    int colorId = 0;
    int littleEndian = 0;
    int width = 1;
    int height = 1;
    int pixelDepth = 8;
    int frameCount = 1;
};
Bytes makeSer(const SerParams& params, const std::vector<std::uint16_t>& samples);

// FITS: header cards (the given ones, then END) padded to 2880 bytes, then `values` in file
// order (first row first) as big-endian samples of BITPIX, padded to 2880 bytes.
std::string fitsCard(const std::string& key, const std::string& value);
Bytes makeFits(const std::vector<std::string>& cards, int bitpix, const std::vector<double>& values);
// The usual cards for an image of that size and BITPIX, with BZERO when bzero is not empty.
std::vector<std::string> fitsCards(int bitpix, int naxis1, int naxis2, const std::string& bzero = "");

// BMP: `pixels` are the raw values of the picture, top row first: colour-table indices for 1, 4
// and 8 bits, packed words for 16 and 32 bits, 0xRRGGBB for 24 bits.
struct BmpParams {
    int width = 1;
    int height = 1;
    int bits = 24;
    bool topDown = false;
    int headerSize = 40;
    std::uint32_t compression = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;  // blue, green, red
    std::array<std::uint32_t, 3> masks{};              // red, green, blue (bit fields)
    std::uint32_t colorsUsed = 0;
};
Bytes makeBmp(const BmpParams& params, const std::vector<std::uint32_t>& pixels);
// A bitmap around already encoded (RLE) pixel data.
Bytes makeBmpWithData(const BmpParams& params, const Bytes& pixelData);

// PNG of any colour type and depth through libpng; `samples` are the file's samples, row after
// row, channels interleaved (palette: indices). Empty when libpng failed.
Bytes makePng(int width, int height, int colorType, int bitDepth, const std::vector<std::uint16_t>& samples,
              const std::vector<std::array<std::uint8_t, 3>>& palette = {});

// An uncompressed little-endian TIFF of 16-bit grey samples in one strip.
Bytes makeGreyTiff16(int width, int height, const std::vector<std::uint16_t>& samples);

}  // namespace kestrave::test
