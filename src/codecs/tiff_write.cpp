// The TIFF writer: header, one directory of 14 entries and one strip.
//
//   offset  size  content
//   0       2     "II"
//   2       2     42
//   4       4     8, the directory offset
//   8       2     14, the entry count
//   10      168   the entries (254, 256, 257, 258, 259, 262, 266, 273, 274, 277, 278, 279, 284, 317)
//   178     4     0, no further directory
//   182           the strip, rows top first
//
// A 48-bit W x H image is therefore 182 + 6WH bytes, with BitsPerSample 16 (count 1),
// SamplesPerPixel 3 and RowsPerStrip H.

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "codecs/mem_utils.h"
#include "codecs/tiff_bitmap.h"
#include "codecs/tiff_ifd.h"
#include "codecs/tiff_lzw.h"
#include "codecs/tiff_pixels.h"
#include "platform/safe_file.h"

namespace kestrave {

std::vector<std::uint8_t> TTIFFBitMap::encodeTIFF(const TTIFFBitMap& Bitmap, int BitCount, bool Compress) {
    if (BitCount != 24 && BitCount != 48)
        throw std::invalid_argument("TIFF files are written with 24 or 48 bits per pixel");
    if (Bitmap.empty()) throw std::invalid_argument("an empty image cannot be written as TIFF");
    if (BitCount == 48 && !Bitmap.HighBitsAllocated())
        throw std::invalid_argument("a 48-bit TIFF needs the 16-bit samples");
    const auto width = static_cast<std::size_t>(Bitmap.width());
    const auto height = static_cast<std::size_t>(Bitmap.height());
    const std::size_t rowSize = (width * BitCount + 7) / 8;
    if (rowSize * height > std::numeric_limits<std::uint32_t>::max())
        throw std::invalid_argument("the image is too large for a TIFF file");

    std::vector<std::uint8_t> strip(rowSize * height);
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* out = strip.data() + y * rowSize;
        const int row = static_cast<int>(y);
        if (BitCount == 48) {
            const std::uint16_t* samples = Bitmap.HighBitRow(row);
            for (std::size_t i = 0; i < 3 * width; ++i) storeU16(out + 2 * i, samples[i], false);
        } else {
            std::memcpy(out, Bitmap.row(row), rowSize);
            swapRedBlue3(out, width);
        }
    }

    TIFD ifd = TIFD::Build(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), BitCount,
                           Compress);
    if (Compress) {
        strip = TLZW().Encode(strip);
        ifd.setStripByteCount(static_cast<std::uint32_t>(strip.size()));
    }

    const std::vector<std::uint8_t> entries = ifd.entryBytes();
    // The header and directory, zero-padded up to the strip.
    std::vector<std::uint8_t> file(std::max<std::size_t>(ifd.StripOffset, 8 + 2 + entries.size() + 4));
    file[0] = file[1] = 'I';
    storeU16(file.data() + 2, 42, false);
    storeU32(file.data() + 4, 8, false);
    storeU16(file.data() + 8, ifd.EntryCount, false);
    std::memcpy(file.data() + 10, entries.data(), entries.size());
    storeU32(file.data() + 10 + entries.size(), 0, false);
    file.insert(file.end(), strip.begin(), strip.end());
    return file;
}

void TTIFFBitMap::SaveToTIFF(const TTIFFBitMap& Bitmap, const std::filesystem::path& FileName, int BitCount,
                             bool Compress) {
    const std::vector<std::uint8_t> bytes = encodeTIFF(Bitmap, BitCount, Compress);
    SafeFileWriter writer(FileName);
    writer.write(bytes.data(), bytes.size());
    writer.commit();
}

}  // namespace kestrave
