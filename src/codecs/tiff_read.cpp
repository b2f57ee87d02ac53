// The TIFF reader. The whole file is held in memory; every offset and count of the directory is
// checked against the file before anything is read or allocated, so a truncated or hostile file
// gives a TiffError, never a read outside the file or an allocation it cannot back.

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "codecs/mem_utils.h"
#include "codecs/tiff_bitmap.h"
#include "codecs/tiff_errors.h"
#include "codecs/tiff_ifd.h"
#include "codecs/tiff_lzw.h"
#include "codecs/tiff_pixels.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace {

// Larger images are refused before any memory is taken: 8192 x 8192 pixels need 600 MB for the
// view and the samples. The file's own samples may take at most 8 bytes per pixel (RGBA of 16
// bits), so a hostile sample count cannot ask for a huge strip buffer either.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;
constexpr std::uint64_t kMaxImageBytes = kMaxPixels * 8;

enum class PixelKind {
    Indexed,  // 1, 4 or 8 bits: grey ramp or colour map
    Grey16,
    Rgb8,
    Rgb16,
    Cmyk8,
};

struct Layout {
    PixelKind kind = PixelKind::Indexed;
    unsigned samples = 1;  // samples per pixel; extra samples (alpha) are skipped
    unsigned bits = 8;     // bits per sample
    bool motorola = false;
    bool whiteIsZero = false;  // 16-bit grey stored with 0 as white
    std::uint64_t rowBytes = 0;
    ColorTable colors{};
};

[[noreturn]] void unsupported(const std::string& what) {
    throw TiffUnsupportedError(what);
}

// Decides how the samples become pixels, from the samples per pixel, the bits per sample and
// the photometric interpretation; refuses what this reader does not decode.
Layout describe(const TIFD& ifd) {
    Layout l;
    l.samples = ifd.SamplesPerPixel;
    l.bits = ifd.BitsPerSample;
    l.motorola = ifd.Motorola;
    if (l.samples == 0) throw TiffCorruptError("no samples per pixel");
    if (ifd.MixedBitsPerSample) unsupported("samples of different bit depths");
    if (ifd.PlanarConfiguration == 2 && l.samples > 1) unsupported("separate colour planes");
    if (ifd.Compression != 1 && ifd.Compression != 5)
        unsupported("compression " + std::to_string(ifd.Compression));
    if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16)
        unsupported(std::to_string(l.bits) + " bits per sample");
    if (ifd.Compression == 5 && ifd.Predictor != 1 && !(ifd.HorizontalPredictor && l.bits >= 8))
        unsupported("predictor " + std::to_string(ifd.Predictor));

    // Without the tag, three or more samples are taken as RGB and one as black-is-zero grey.
    const int photometric = ifd.Photometric >= 0 ? ifd.Photometric : l.samples >= 3 ? 2 : 1;
    switch (photometric) {
        case 0:
        case 1:
            // Grey; of several samples (grey and alpha) the first is shown.
            if (l.bits == 16) {
                l.kind = PixelKind::Grey16;
                l.whiteIsZero = photometric == 0;
                break;
            }
            if (l.bits < 8 && l.samples > 1) unsupported("grey image layout");
            l.kind = PixelKind::Indexed;
            l.colors = readingColorTable(ifd, photometric);
            break;
        case 2:
            // RGB; samples after the third (alpha) are skipped.
            if (l.samples < 3 || l.bits < 8) unsupported("RGB image layout");
            l.kind = l.bits == 16 ? PixelKind::Rgb16 : PixelKind::Rgb8;
            break;
        case 3:
            if (l.samples != 1 || l.bits > 8) unsupported("palette image layout");
            l.kind = PixelKind::Indexed;
            l.colors = readingColorTable(ifd, photometric);
            break;
        case 5:
            if (l.samples < 4 || l.bits != 8) unsupported("CMYK image layout");
            l.kind = PixelKind::Cmyk8;
            break;
        default:
            unsupported("photometric interpretation " + std::to_string(photometric));
    }
    l.rowBytes = (std::uint64_t{ifd.IfdWidth} * l.samples * l.bits + 7) / 8;
    return l;
}

// Converts one row of file samples into the view (blue, green, red) and the 16-bit samples.
// `hiValue` collects the largest 16-bit grey sample.
void convertRow(const Layout& l, const std::uint8_t* src, int width, double maxIn, std::uint8_t* view,
                std::uint16_t* high, std::uint16_t& hiValue) {
    const std::size_t pixelBytes = l.samples * l.bits / 8;  // whole bytes for 8 and 16 bits
    for (int x = 0; x < width; ++x, view += 3, high += 3) {
        const std::size_t bitPos = static_cast<std::size_t>(x) * l.bits;
        const std::uint8_t* p = src + static_cast<std::size_t>(x) * pixelBytes;
        switch (l.kind) {
            case PixelKind::Indexed: {
                // 1- and 4-bit samples are packed most significant bits first.
                const unsigned index =
                    l.bits == 8 ? *p
                                : (src[bitPos >> 3] >> (8 - l.bits - (bitPos & 7))) & ((1u << l.bits) - 1);
                const auto& rgb = l.colors[index];
                SetRGBTriple(rgb[0], rgb[1], rgb[2], view);
                break;
            }
            case PixelKind::Grey16: {
                std::uint16_t s = loadU16(p, l.motorola);
                if (l.whiteIsZero) s = static_cast<std::uint16_t>(65535 - s);
                hiValue = std::max(hiValue, s);
                const auto v = static_cast<std::uint8_t>(std::nearbyint(std::min(255.0, s / maxIn * 255.0)));
                view[0] = view[1] = view[2] = v;
                high[0] = high[1] = high[2] = s;
                continue;
            }
            case PixelKind::Rgb8:
                SetRGBTriple(p[0], p[1], p[2], view);
                break;
            case PixelKind::Rgb16:
                for (int c = 0; c < 3; ++c) {
                    high[c] = loadU16(p + 2 * c, l.motorola);
                    view[2 - c] = static_cast<std::uint8_t>(high[c] >> 8);
                }
                continue;
            case PixelKind::Cmyk8:
                SetRGBTriple(CmykToRgb(p[0], p[3]), CmykToRgb(p[1], p[3]), CmykToRgb(p[2], p[3]), view);
                break;
        }
        // Images of 8 bits per sample or fewer: the samples are the view's bytes times 256.
        high[0] = static_cast<std::uint16_t>(view[2] << 8);
        high[1] = static_cast<std::uint16_t>(view[1] << 8);
        high[2] = static_cast<std::uint16_t>(view[0] << 8);
    }
}

// The most bytes an LZW strip of `size` bytes can decode to: at most size * 8 / 9 codes, the
// j-th code after a Clear standing for at most j bytes.
std::uint64_t lzwMaxOutput(std::uint64_t size) {
    const std::uint64_t codes = size * 8 / 9;
    return codes * std::min<std::uint64_t>(codes, 4096);
}

struct Strip {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;  // bytes in the file
    std::uint32_t firstRow = 0;
    std::uint32_t rows = 0;
};

// Where each strip lies and which rows it holds, checked against the file.
std::vector<Strip> planStrips(const TIFD& ifd, const Layout& l, std::size_t fileSize) {
    const std::uint32_t rowsPerStrip = ifd.RowsPerStrip;
    const std::uint64_t count = (std::uint64_t{ifd.IfdLength} + rowsPerStrip - 1) / rowsPerStrip;
    if (ifd.StripOffsets.empty()) unsupported("no strips (tiled images are not read)");
    if (ifd.StripOffsets.size() < count) throw TiffCorruptError("fewer strips than the image needs");
    std::vector<Strip> strips(count);
    std::uint64_t compressedBytes = 0;
    for (std::uint32_t s = 0; s < count; ++s) {
        Strip& strip = strips[s];
        strip.offset = ifd.StripOffsets[s];
        strip.firstRow = s * rowsPerStrip;
        strip.rows = std::min(rowsPerStrip, ifd.IfdLength - strip.firstRow);
        const std::uint64_t needed = strip.rows * l.rowBytes;
        if (strip.offset > fileSize) throw TiffCorruptError("image data beyond the end of the file");
        if (ifd.Compression == 1) {
            strip.size = needed;
        } else {
            strip.size = s < ifd.StripByteCounts.size() ? ifd.StripByteCounts[s] : fileSize - strip.offset;
            if (needed > lzwMaxOutput(strip.size)) throw TiffCorruptError("compressed image data ends early");
            // Strips that share their bytes could make the decoder read the same data over and
            // over: together they must fit the file.
            compressedBytes += strip.size;
            if (compressedBytes > fileSize) throw TiffCorruptError("compressed strips overlap");
        }
        if (strip.offset + strip.size > fileSize)
            throw TiffCorruptError("image data beyond the end of the file");
    }
    return strips;
}

}  // namespace

void TTIFFBitMap::LoadFromTIFF(const std::filesystem::path& FileName, std::uint16_t& HiValue) {
    std::vector<std::uint8_t> file;
    try {
        file = readWholeFile(FileName);
    } catch (const FileError&) {
        throw TiffReadError();
    } catch (const std::bad_alloc&) {
        throw TiffReadError();
    }
    loadFromTIFFBytes(file, HiValue);
}

void TTIFFBitMap::loadFromTIFFBytes(std::span<const std::uint8_t> file, std::uint16_t& HiValue) {
    const double maxIn = HiValue == 0 ? 65535.0 : HiValue;
    if (file.size() < 8) throw TiffHeaderError();
    bool motorola;
    if (file[0] == 0x49 && file[1] == 0x49 && file[2] == 0x2A && file[3] == 0x00)
        motorola = false;
    else if (file[0] == 0x4D && file[1] == 0x4D && file[2] == 0x00 && file[3] == 0x2A)
        motorola = true;
    else
        throw TiffHeaderError();

    const TIFD ifd(file, loadU32(file.data() + 4, motorola), motorola);
    if (ifd.IfdWidth == 0) throw TiffHeaderError("Invalid TIFF header: no dimension");
    const Layout layout = describe(ifd);
    if (ifd.IfdLength == 0) {
        // An image without rows: the load ends with an empty bitmap.
        *this = TTIFFBitMap();
        HighBitsPerPixel = static_cast<int>(ifd.BitsPerPixel);
        HiValue = 0;
        return;
    }
    if (ifd.IfdWidth > 0xFFFF || ifd.IfdLength > 0xFFFF ||
        std::uint64_t{ifd.IfdWidth} * ifd.IfdLength > kMaxPixels ||
        layout.rowBytes * ifd.IfdLength > kMaxImageBytes)
        unsupported("an image of " + std::to_string(ifd.IfdWidth) + " x " + std::to_string(ifd.IfdLength) +
                    " pixels is too large");
    const std::vector<Strip> strips = planStrips(ifd, layout, file.size());

    const int width = static_cast<int>(ifd.IfdWidth);
    std::uint16_t largest = 0;
    try {
        TTIFFBitMap image(width, static_cast<int>(ifd.IfdLength));
        image.allocateHighBits();
        TLZW lzw;
        std::vector<std::uint8_t> decoded;
        for (const Strip& strip : strips) {
            const std::uint8_t* data = file.data() + strip.offset;
            if (ifd.Compression == 5) {
                decoded.resize(strip.rows * layout.rowBytes);
                ZeroFill(decoded.data(), decoded.size());
                const std::size_t n = lzw.Decode(file.subspan(strip.offset, strip.size), decoded);
                if (n < decoded.size()) throw TiffCorruptError("compressed image data ends early");
                if (ifd.HorizontalPredictor) {
                    for (std::uint32_t r = 0; r < strip.rows; ++r) {
                        std::uint8_t* row = decoded.data() + r * layout.rowBytes;
                        if (layout.bits == 8)
                            undoPredictor8(row, ifd.IfdWidth, layout.samples);
                        else
                            undoPredictor16(row, ifd.IfdWidth, layout.samples, motorola);
                    }
                }
                data = decoded.data();
            }
            for (std::uint32_t r = 0; r < strip.rows; ++r) {
                const int y = static_cast<int>(strip.firstRow + r);
                convertRow(layout, data + r * layout.rowBytes, width, maxIn, image.row(y),
                           image.HighBitRow(y), largest);
            }
        }
        image.HighBitsPerPixel = static_cast<int>(ifd.BitsPerPixel);
        *this = std::move(image);
    } catch (const std::bad_alloc&) {
        throw TiffError("Not enough memory to read the TIFF file");
    }
    HiValue = layout.kind == PixelKind::Grey16 ? largest : 0;
}

}  // namespace kestrave
