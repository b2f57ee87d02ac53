#pragma once
// JPEG files of 24-bit bitmaps through libjpeg: the library's defaults (JFIF, baseline, 4:2:0
// chroma subsampling) at a fixed quality of 75, so the same picture always gives the same file.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/bitmap24.h"

namespace kestrave {

inline constexpr int JpegQuality = 75;

// The bytes of the JPEG file of `bitmap`. Throws FileError when the library reports an error and
// std::invalid_argument for an empty bitmap.
std::vector<std::uint8_t> encodeJpeg(const Bitmap24& bitmap, int quality = JpegQuality);

// Writes the JPEG file through a temporary file; throws FileError when it cannot (an older file
// is then left as it was).
void writeJpeg(const std::filesystem::path& fileName, const Bitmap24& bitmap, int quality = JpegQuality);

}  // namespace kestrave
