#include "codecs/avi_dib.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kestrave {

namespace {

void storeLE16(std::uint8_t* p, unsigned value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

// The bytes of source row k, clipped to what the source holds (possibly none).
std::span<const std::uint8_t> sourceRow(std::span<const std::uint8_t> source, std::size_t stride, int k) {
    const std::size_t start = static_cast<std::size_t>(k) * stride;
    if (start >= source.size()) return {};
    return source.subspan(start, std::min(stride, source.size() - start));
}

}  // namespace

std::size_t PackedDib::stride() const {
    return DibRowStride(header.biWidth, header.biBitCount);
}

std::size_t DibColorTableSize(const BitmapInfoHeader& header) {
    if (header.biBitCount < 9) {
        const std::size_t entries =
            header.biClrUsed != 0 ? header.biClrUsed : std::size_t{1} << header.biBitCount;
        return 4 * entries;
    }
    return 4 * static_cast<std::size_t>(header.biClrUsed);
}

std::size_t DibRowStride(int width, int bitCount) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32 * 4;
}

int UnpackedBitCount(int bitCount) {
    if (bitCount == 12) return 16;
    if (bitCount == 36) return 48;
    return bitCount;
}

std::size_t CreateDIBBuffer(PackedDib& dib, int width, int height, int bitCount) {
    dib = PackedDib{};
    BitmapInfoHeader& h = dib.header;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    h.biSizeImage =
        static_cast<std::uint32_t>(DibRowStride(width, bitCount) * static_cast<std::size_t>(height));
    try {
        dib.bits.assign(DibRowStride(width, bitCount) * static_cast<std::size_t>(height), 0);
        if (bitCount == 8) {
            dib.colorTable.resize(1024);
            for (int i = 0; i < 256; ++i) {
                std::uint8_t* e = dib.colorTable.data() + 4 * i;
                e[0] = e[1] = e[2] = static_cast<std::uint8_t>(i);
                e[3] = 0;
            }
        }
    } catch (const std::bad_alloc&) {
        dib = PackedDib{};
        return 0;
    }
    return BitmapInfoHeader::Size + dib.colorTable.size() + dib.bits.size();
}

void CopyDIBBits(std::span<const std::uint8_t> source, std::size_t sourceStride, bool sourceTopDown,
                 PackedDib& dib) {
    const int height = dib.height();
    const std::size_t rowBytes = std::min(sourceStride, dib.stride());
    for (int k = 0; k < height; ++k) {
        const std::span<const std::uint8_t> src = sourceRow(source, sourceStride, k);
        if (src.empty()) break;
        std::memcpy(dib.row(sourceTopDown ? height - 1 - k : k), src.data(), std::min(rowBytes, src.size()));
    }
}

void Unpack12To16(std::span<const std::uint8_t> source, bool sourceTopDown, PackedDib& dib) {
    const int samplesPerPixel = dib.bitCount() == 16 ? 1 : dib.bitCount() == 48 ? 3 : 0;
    if (samplesPerPixel == 0) return;
    const std::size_t samples = static_cast<std::size_t>(dib.width()) * samplesPerPixel;
    const std::size_t sourceStride = DibRowStride(dib.width(), 12 * samplesPerPixel);
    const int height = dib.height();
    for (int k = 0; k < height; ++k) {
        const std::span<const std::uint8_t> src = sourceRow(source, sourceStride, k);
        std::uint8_t* dst = dib.row(sourceTopDown ? height - 1 - k : k);
        std::size_t s = 0;
        for (std::size_t in = 0; s + 1 < samples && in + 3 <= src.size(); s += 2, in += 3) {
            const unsigned b0 = src[in], b1 = src[in + 1], b2 = src[in + 2];
            storeLE16(dst + 2 * s, b0 * 256 + (b1 & 0xF0));
            storeLE16(dst + 2 * s + 2, b2 * 256 + (b1 & 0x0F) * 16);
        }
        const std::size_t in = s / 2 * 3;
        if (s + 1 == samples && in + 2 <= src.size())
            storeLE16(dst + 2 * s, src[in] * 256u + (src[in + 1] & 0xF0u));
    }
}

void ReduceTo8BitPerSample(const PackedDib& dib, PackedDib& display) {
    display = PackedDib{};
    const int samplesPerPixel = dib.bitCount() == 16 ? 1 : dib.bitCount() == 48 ? 3 : 0;
    if (samplesPerPixel == 0) return;
    if (CreateDIBBuffer(display, dib.width(), dib.height(), 8 * samplesPerPixel) == 0) return;
    const std::size_t samples = static_cast<std::size_t>(dib.width()) * samplesPerPixel;
    for (int r = 0; r < dib.height(); ++r) {
        const std::uint8_t* src = dib.row(r);
        std::uint8_t* dst = display.row(r);
        for (std::size_t s = 0; s < samples; ++s) dst[s] = src[2 * s + 1];
    }
}

void LoadDibIntoHighBitBuffer(const PackedDib& dib, TTIFFBitMap& highBitFrame) {
    const int width = dib.width();
    const int height = dib.height();
    highBitFrame.releaseHighBits();
    highBitFrame.resize(width + 1, height + 1);
    highBitFrame.allocateHighBits();
    const bool colour = dib.bitCount() == 48;
    if (!colour && dib.bitCount() != 16) return;
    for (int r = 0; r < height; ++r) {
        const std::uint8_t* src = dib.row(r);
        std::uint16_t* dst = highBitFrame.HighBitRow(height - 1 - r);
        for (int x = 0; x < width; ++x) {
            if (colour) {
                for (int c = 0; c < 3; ++c) dst[3 * x + c] = readLE16(src + 6 * x + 2 * c);
            } else {
                dst[3 * x + 1] = readLE16(src + 2 * x);
            }
        }
    }
}

}  // namespace kestrave
