#pragma once
// Windows bitmap files: the 'BM' file header with the pixel data offset at byte 10, an info
// header of 12, 40, 52, 56, 108 or 124 bytes, 1, 4 or 8 bits per pixel through a colour table
// (RLE8 and RLE4 compressed as well), 16 bits (5-5-5, or any masks given as bit fields), 24 and
// 32 bits. Rows are bottom-up, or top-down when the height is negative, each padded to a
// multiple of four bytes. Every size, offset and run is checked against the file, so a hostile
// header never reads or writes out of bounds.

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/bitmap24.h"

namespace kestrave {

// Decodes a bitmap file held in memory into a 24-bit bitmap, top row first. Throws FileError
// naming `name` when the file is not a bitmap this reader takes or is truncated.
Bitmap24 decodeBmp(std::span<const std::uint8_t> data, const std::filesystem::path& name);

// Reads a bitmap file; throws FileError when it is missing or cannot be decoded.
Bitmap24 readBmpFile(const std::filesystem::path& FileName);

}  // namespace kestrave
