#pragma once
// Pixel helpers of the TIFF reader and writer: red/blue exchange, undoing TIFF horizontal
// differencing, CMYK to RGB and the colour tables of grey and palette images.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrave {

class TIFD;

// Exchanges bytes 0 and 2 of `count` pixels of 3 bytes (red-green-blue <-> blue-green-red).
void swapRedBlue3(std::uint8_t* pixels, std::size_t count);

// Undoes TIFF horizontal differencing on one row of `width` pixels of `k` samples: every sample
// after the first pixel is stored as its difference to the same sample of the pixel before, so
// sample[i + k] += sample[i], modulo 256 for bytes and 65536 for 16-bit samples (which are
// stored in the file's byte order).
void undoPredictor8(std::uint8_t* row, std::size_t width, unsigned k);
void undoPredictor16(std::uint8_t* row, std::size_t width, unsigned k, bool motorola);

// One colour value from an ink value and black:
// Round(0.3 (255 - c) + 0.2 (255 - k) + 0.5 (255 - c) (255 - k) / 255), clamped to 0..255.
std::uint8_t CmykToRgb(std::uint8_t ink, std::uint8_t black);

// Red, green, blue of each sample value of a 1-, 4- or 8-bit single-sample image: black to
// white for photometric 1, white to black for 0 (1 bit: 0 and 255; 4 bits: steps of 16, 0 to
// 240; 8 bits: 0 to 255), or the file's colour map for photometric 3.
using ColorTable = std::array<std::array<std::uint8_t, 3>, 256>;
ColorTable readingColorTable(const TIFD& ifd, int photometric);

}  // namespace kestrave
