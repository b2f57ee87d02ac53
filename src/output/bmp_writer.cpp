#include "output/bmp_writer.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "output/save_rules.h"

namespace kestrave {

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;

void putLE(std::uint8_t* out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> encodeBmp24(const Bitmap24& bitmap) {
    if (bitmap.empty()) throw std::invalid_argument("an empty bitmap cannot be written as BMP");
    const std::size_t stride = Bitmap24::strideFor(bitmap.width());
    const std::size_t imageSize = stride * static_cast<std::size_t>(bitmap.height());
    const std::size_t offset = FileHeaderSize + InfoHeaderSize;
    if (offset + imageSize > std::numeric_limits<std::uint32_t>::max())
        throw std::invalid_argument("the bitmap is too large for a BMP file");

    std::vector<std::uint8_t> file(offset + imageSize, 0);
    std::uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    putLE(h + 2, static_cast<std::uint32_t>(file.size()), 4);
    putLE(h + 10, static_cast<std::uint32_t>(offset), 4);
    std::uint8_t* info = h + FileHeaderSize;
    putLE(info + 0, InfoHeaderSize, 4);
    putLE(info + 4, static_cast<std::uint32_t>(bitmap.width()), 4);
    putLE(info + 8, static_cast<std::uint32_t>(bitmap.height()), 4);
    putLE(info + 12, 1, 2);   // planes
    putLE(info + 14, 24, 2);  // bits per pixel
    putLE(info + 16, 0, 4);   // BI_RGB
    putLE(info + 20, static_cast<std::uint32_t>(imageSize), 4);
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* row = file.data() + offset + static_cast<std::size_t>(bitmap.height() - 1 - y) * stride;
        std::memcpy(row, bitmap.row(y), 3 * static_cast<std::size_t>(bitmap.width()));
    }
    return file;
}

void writeBmp24(const std::filesystem::path& fileName, const Bitmap24& bitmap) {
    writeFileBytes(fileName, encodeBmp24(bitmap));
}

}  // namespace kestrave
