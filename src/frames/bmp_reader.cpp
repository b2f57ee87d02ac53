#include "frames/bmp_reader.h"

#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "frames/still_frames.h"
#include "platform/riff_file.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;
constexpr std::size_t FileHeaderSize = 14;

struct Colour {
    std::uint8_t blue = 0, green = 0, red = 0;
};

// One channel given by a bit mask, scaled onto 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t largest = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            largest = mask >> shift;
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        if (largest == 0) return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + largest / 2) / largest);
    }
};

class BmpDecoder {
public:
    BmpDecoder(std::span<const std::uint8_t> data, const std::filesystem::path& name)
        : data_(data), name_(name) {}

    Bitmap24 decode() {
        if (data_.size() < FileHeaderSize + 4 || data_[0] != 'B' || data_[1] != 'M')
            fail("not a bitmap file");
        const std::uint32_t offBits = u32(10);
        const std::uint32_t headerSize = u32(FileHeaderSize);
        std::int64_t width = 0, height = 0;
        std::uint32_t compression = BI_RGB, colorsUsed = 0;
        std::size_t paletteStart = FileHeaderSize + headerSize;
        std::size_t paletteEntryBytes = 4;
        std::array<std::uint32_t, 3> masks{};
        if (headerSize == 12) {
            need(FileHeaderSize, 12);
            width = u16(18);
            height = u16(20);
            bitCount_ = u16(24);
            paletteEntryBytes = 3;
        } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
                   headerSize == 124) {
            need(FileHeaderSize, headerSize);
            width = static_cast<std::int32_t>(u32(18));
            height = static_cast<std::int32_t>(u32(22));
            bitCount_ = u16(28);
            compression = u32(30);
            colorsUsed = u32(46);
            if (compression == BI_BITFIELDS) {
                // A 40-byte header is followed by the three masks; longer ones hold them.
                if (headerSize == 40) paletteStart += 12;
                need(FileHeaderSize + 40, 12);
                masks = {u32(54), u32(58), u32(62)};
            }
        } else {
            fail("info header of " + std::to_string(headerSize) + " bytes is not supported");
        }
        topDown_ = height < 0;
        height = topDown_ ? -height : height;
        checkPictureSize(width, height, name_);
        width_ = static_cast<int>(width);
        height_ = static_cast<int>(height);
        checkFormat(compression);
        if (offBits < FileHeaderSize + headerSize || offBits > data_.size()) fail("bad pixel data offset");
        offBits_ = offBits;

        if (bitCount_ <= 8) readPalette(paletteStart, paletteEntryBytes, colorsUsed);
        if (bitCount_ == 16 && compression == BI_RGB) masks = {0x7C00, 0x03E0, 0x001F};
        if (bitCount_ == 32 && compression == BI_RGB) masks = {0xFF0000, 0x00FF00, 0x0000FF};
        // Uncompressed rows must all be in the file before the picture is allocated: a header
        // of a few bytes may claim a picture of hundreds of megabytes.
        const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
        if (!rle) need(offBits_, rowStride() * static_cast<std::size_t>(height_));

        try {
            Bitmap24 picture(width_, height_);
            if (rle) {
                decodeRle(picture, compression == BI_RLE4);
            } else {
                decodeRows(picture, Channel(masks[0]), Channel(masks[1]), Channel(masks[2]));
            }
            return picture;
        } catch (const std::bad_alloc&) {
            fail("not enough memory");
        }
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw FileError("Invalid bitmap file " + displayName(name_) + ": " + why);
    }
    void need(std::size_t offset, std::size_t count) const {
        if (offset > data_.size() || count > data_.size() - offset) fail("the file is truncated");
    }
    std::uint32_t u16(std::size_t at) const {
        need(at, 2);
        return readLE16(data_.data() + at);
    }
    std::uint32_t u32(std::size_t at) const {
        need(at, 4);
        return readLE32(data_.data() + at);
    }

    void checkFormat(std::uint32_t compression) const {
        const bool ok = (compression == BI_RGB && (bitCount_ == 1 || bitCount_ == 4 || bitCount_ == 8 ||
                                                   bitCount_ == 16 || bitCount_ == 24 || bitCount_ == 32)) ||
                        (compression == BI_RLE8 && bitCount_ == 8) ||
                        (compression == BI_RLE4 && bitCount_ == 4) ||
                        (compression == BI_BITFIELDS && (bitCount_ == 16 || bitCount_ == 32));
        if (!ok) {
            fail(std::to_string(bitCount_) + " bits per pixel with compression " +
                 std::to_string(compression) + " is not supported");
        }
    }

    // The colour table: colorsUsed entries, or 2^bits when it is 0; indices beyond it show black.
    void readPalette(std::size_t start, std::size_t entryBytes, std::uint32_t colorsUsed) {
        const std::uint32_t full = 1u << bitCount_;
        const std::uint32_t count = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
        need(start, count * entryBytes);
        palette_.assign(full, Colour{});
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* p = data_.data() + start + i * entryBytes;
            palette_[i] = {p[0], p[1], p[2]};
        }
    }

    std::uint8_t* pictureRow(Bitmap24& picture, std::int64_t fileRow) const {
        return picture.row(topDown_ ? static_cast<int>(fileRow) : height_ - 1 - static_cast<int>(fileRow));
    }

    // Bytes from one uncompressed row to the next: whole 32-bit words.
    std::size_t rowStride() const { return ((static_cast<std::size_t>(width_) * bitCount_ + 31) / 32) * 4; }

    void decodeRows(Bitmap24& picture, const Channel& red, const Channel& green, const Channel& blue) const {
        const std::size_t stride = rowStride();
        for (int r = 0; r < height_; ++r) {
            const std::uint8_t* in = data_.data() + offBits_ + r * stride;
            std::uint8_t* out = pictureRow(picture, r);
            if (bitCount_ == 24) {
                std::memcpy(out, in, 3 * static_cast<std::size_t>(width_));  // already blue, green, red
            } else if (bitCount_ <= 8) {
                const unsigned mask = (1u << bitCount_) - 1;
                for (int x = 0; x < width_; ++x, out += 3) {
                    const int bitPos = x * static_cast<int>(bitCount_);
                    const Colour c = palette_[(in[bitPos / 8] >> (8 - bitCount_ - bitPos % 8)) & mask];
                    out[0] = c.blue, out[1] = c.green, out[2] = c.red;
                }
            } else {
                for (int x = 0; x < width_; ++x, out += 3) {
                    const std::uint32_t pixel = bitCount_ == 16 ? readLE16(in + 2 * x) : readLE32(in + 4 * x);
                    SetRGBTriple(red(pixel), green(pixel), blue(pixel), out);
                }
            }
        }
    }

    // Run-length encoded rows: pairs (count, value) of runs, and escapes (0, 0) end of row,
    // (0, 1) end of picture, (0, 2, dx, dy) move, (0, n >= 3) n pixels given one by one, padded to
    // an even byte count. Pixels a run places outside the picture are dropped; pixels no run
    // reaches keep colour 0 of the table.
    void decodeRle(Bitmap24& picture, bool fourBit) const {
        std::vector<std::uint8_t> indices(static_cast<std::size_t>(width_) * height_, 0);
        std::size_t pos = offBits_;
        std::int64_t x = 0, y = 0;
        auto put = [&](unsigned index) {
            if (x < width_ && y < height_)
                indices[static_cast<std::size_t>(y) * width_ + x] = static_cast<std::uint8_t>(index);
            ++x;
        };
        while (y < height_) {
            need(pos, 2);
            const unsigned count = data_[pos], value = data_[pos + 1];
            pos += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count; ++i)
                    put(fourBit ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            } else if (value == 0) {
                x = 0;
                ++y;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                need(pos, 2);
                x += data_[pos];
                y += data_[pos + 1];
                pos += 2;
            } else {
                const std::size_t bytes = fourBit ? (value + 1) / 2 : value;
                need(pos, bytes);
                for (unsigned i = 0; i < value; ++i) {
                    put(fourBit ? (i % 2 == 0 ? data_[pos + i / 2] >> 4 : data_[pos + i / 2] & 15)
                                : data_[pos + i]);
                }
                pos += (bytes + 1) & ~std::size_t{1};
            }
        }
        for (int r = 0; r < height_; ++r) {
            std::uint8_t* out = pictureRow(picture, r);
            const std::uint8_t* in = indices.data() + static_cast<std::size_t>(r) * width_;
            for (int i = 0; i < width_; ++i, out += 3) {
                const Colour c = palette_[in[i]];
                out[0] = c.blue, out[1] = c.green, out[2] = c.red;
            }
        }
    }

    std::span<const std::uint8_t> data_;
    const std::filesystem::path& name_;
    int width_ = 0;
    int height_ = 0;
    unsigned bitCount_ = 0;
    bool topDown_ = false;
    std::size_t offBits_ = 0;
    std::vector<Colour> palette_;
};

}  // namespace

Bitmap24 decodeBmp(std::span<const std::uint8_t> data, const std::filesystem::path& name) {
    return BmpDecoder(data, name).decode();
}

Bitmap24 readBmpFile(const std::filesystem::path& FileName) {
    return decodeBmp(readWholeFile(FileName), FileName);
}

}  // namespace kestrave
