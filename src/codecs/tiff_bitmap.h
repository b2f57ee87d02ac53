#pragma once
// TTIFFBitMap: the 16-bit image. It is a 24-bit bitmap (the 8-bit view that the screen and the
// 8-bit savers use) with a separate buffer of 16-bit red, green, blue samples: rows of
// (width * 48 + 7) / 8 bytes, row 0 the top row, pixel x at samples 3x, 3x+1, 3x+2.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/bitmap24.h"

namespace kestrave {

class TTIFFBitMap : public Bitmap24 {
public:
    TTIFFBitMap() = default;
    TTIFFBitMap(int width, int height) : Bitmap24(width, height) {}

    // Bytes per row of the 16-bit buffer.
    static std::size_t highBitRowBytes(int width) { return (static_cast<std::size_t>(width) * 48 + 7) / 8; }

    // Allocates a zero-filled 16-bit buffer for the bitmap's current size (any earlier buffer is
    // released first) and sets HighBitsPerPixel to 48. Throws std::bad_alloc.
    void allocateHighBits();
    void releaseHighBits();
    bool HighBitsAllocated() const { return !highBits_.empty(); }

    // Row y of the 16-bit samples (red, green, blue per pixel).
    std::uint16_t* HighBitRow(int y) {
        return highBits_.data() + static_cast<std::size_t>(y) * samplesPerRow();
    }
    const std::uint16_t* HighBitRow(int y) const {
        return highBits_.data() + static_cast<std::size_t>(y) * samplesPerRow();
    }
    std::size_t samplesPerRow() const { return static_cast<std::size_t>(width()) * 3; }

    // Reads a TIFF file of 1 to 48 bits per pixel (grey, palette, RGB or CMYK; uncompressed or
    // LZW; either byte order; any number of strips) into the view and the 16-bit samples. On
    // entry HiValue is the 16-bit grey sample that the view shows as 255 (0 means 65535); on
    // return it is the largest 16-bit grey sample read, 0 for other images. Images of 8 bits
    // per sample get samples of the view's bytes times 256. Throws a TiffError (see
    // codecs/tiff_errors.h) and then leaves the bitmap and HiValue as they were.
    void LoadFromTIFF(const std::filesystem::path& FileName, std::uint16_t& HiValue);
    // The same for a TIFF file held in memory.
    void loadFromTIFFBytes(std::span<const std::uint8_t> file, std::uint16_t& HiValue);

    // Writes `Bitmap` as a little-endian TIFF of one strip: BitCount 48 writes the 16-bit
    // samples, 24 the view; Compress selects LZW. The file is replaced only once it has been
    // written completely; a failure throws FileError and leaves any old file as it was.
    static void SaveToTIFF(const TTIFFBitMap& Bitmap, const std::filesystem::path& FileName, int BitCount,
                           bool Compress);
    // The bytes SaveToTIFF writes.
    static std::vector<std::uint8_t> encodeTIFF(const TTIFFBitMap& Bitmap, int BitCount, bool Compress);

    // 48 for buffers filled from AVI and PNG frames; after a TIFF load, the file's bits per pixel
    // (the buffer still holds 48-bit pixels).
    int HighBitsPerPixel = 48;

private:
    std::vector<std::uint16_t> highBits_;
};

}  // namespace kestrave
