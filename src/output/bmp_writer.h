#pragma once
// Our own writer of 24-bit BMP files: "BM", the file size, the pixel offset 54; a 40-byte
// BITMAPINFOHEADER with the width, a positive height (rows bottom-up), 1 plane, 24 bits, no
// compression and the image size stride x height; then the rows bottom-up, blue, green, red,
// each padded to a multiple of four bytes.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/bitmap24.h"

namespace kestrave {

// The bytes of the BMP file of `bitmap`. Throws std::invalid_argument for an empty bitmap or
// one whose file would pass 4 GiB.
std::vector<std::uint8_t> encodeBmp24(const Bitmap24& bitmap);

// Writes the BMP file through a temporary file; throws FileError when it cannot (an older file
// is then left as it was).
void writeBmp24(const std::filesystem::path& fileName, const Bitmap24& bitmap);

}  // namespace kestrave
