#include "frames/avi_decode.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "codecs/avi_dib.h"

namespace kestrave {

namespace {

constexpr FourCC K3CC = makeFourCC("K3CC");
constexpr FourCC Y800 = makeFourCC("Y800");
constexpr FourCC Y8 = makeFourCC("Y8  ");
constexpr FourCC GREY = makeFourCC("GREY");
constexpr FourCC MJPG = makeFourCC("MJPG");
constexpr FourCC BI_RGB = 0;

// Compression codes compare without regard to the case of their letters ("mjpg" is MJPG).
FourCC upperCase(FourCC code) {
    FourCC result = 0;
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(code >> (8 * i));
        result |= static_cast<FourCC>(std::toupper(c)) << (8 * i);
    }
    return result;
}

// A stream no decoder here reads, whatever its code or depth.
[[noreturn]] void unsupported() {
    throw AviError(AviMessages::StartDecompression);
}

std::span<const std::uint8_t> storedRow(std::span<const std::uint8_t> sample, std::size_t stride, int k) {
    const std::size_t start = static_cast<std::size_t>(k) * stride;
    if (start >= sample.size()) return {};
    return sample.subspan(start, std::min(stride, sample.size() - start));
}

void sizePreview(Bitmap24& preview, int width, int height) {
    if (preview.width() != width || preview.height() != height) preview.resize(width, height);
}

// Fills preview row y from stored row k(y) with `convert(source, destination, pixels)`; the
// pixels the stored row does not reach are black.
template <int BytesPerPixel, class Convert>
void convertRows(std::span<const std::uint8_t> sample, std::size_t stride, bool topDown, int width,
                 int height, Bitmap24& preview, Convert convert) {
    sizePreview(preview, width, height);
    for (int y = 0; y < height; ++y) {
        const std::span<const std::uint8_t> src = storedRow(sample, stride, topDown ? y : height - 1 - y);
        const int pixels = std::min(width, static_cast<int>(src.size() / BytesPerPixel));
        std::uint8_t* dst = preview.row(y);
        if (pixels > 0) convert(src.data(), dst, pixels);
        std::memset(dst + 3 * pixels, 0, 3 * static_cast<std::size_t>(width - pixels));
    }
}

void lookupRows(std::span<const std::uint8_t> sample, std::size_t stride, bool topDown, int width, int height,
                const std::uint8_t* palette, Bitmap24& preview) {
    convertRows<1>(sample, stride, topDown, width, height, preview,
                   [palette](const std::uint8_t* s, std::uint8_t* d, int n) {
                       for (int x = 0; x < n; ++x, d += 3) std::memcpy(d, palette + 3 * s[x], 3);
                   });
}

void greyToBgr(const std::uint8_t* s, std::uint8_t* d, int n, int x) {
    for (; x < n; ++x) d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = s[x];
}

#if defined(__x86_64__)
// Grey video is the common case of planetary cameras; sixteen pixels at a time keep a pass over
// such a file about as fast as reading it.
__attribute__((target("ssse3"))) void greyToBgrSsse3(const std::uint8_t* s, std::uint8_t* d, int n) {
    const __m128i first = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i second = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i third = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    int x = 0;
    for (; x + 16 <= n; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * x), _mm_shuffle_epi8(v, first));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * x + 16), _mm_shuffle_epi8(v, second));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * x + 32), _mm_shuffle_epi8(v, third));
    }
    greyToBgr(s, d, n, x);
}
#endif

void greyRows(std::span<const std::uint8_t> sample, std::size_t stride, bool topDown, int width, int height,
              Bitmap24& preview) {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("ssse3")) {
        convertRows<1>(sample, stride, topDown, width, height, preview, greyToBgrSsse3);
        return;
    }
#endif
    convertRows<1>(sample, stride, topDown, width, height, preview,
                   [](const std::uint8_t* s, std::uint8_t* d, int n) { greyToBgr(s, d, n, 0); });
}

// Uncompressed DIB rows of 8 (through `palette`), 16 (RGB555), 24 or 32 bits.
void rgbRows(std::span<const std::uint8_t> sample, std::size_t stride, bool topDown, int width, int height,
             int bitCount, const std::uint8_t* palette, Bitmap24& preview) {
    switch (bitCount) {
        case 8:
            lookupRows(sample, stride, topDown, width, height, palette, preview);
            break;
        case 16:
            // Five bits per channel, widened so that 31 becomes 255.
            convertRows<2>(sample, stride, topDown, width, height, preview,
                           [](const std::uint8_t* s, std::uint8_t* d, int n) {
                               for (int x = 0; x < n; ++x, d += 3) {
                                   const unsigned v = readLE16(s + 2 * x);
                                   const unsigned b = v & 31, g = (v >> 5) & 31, r = (v >> 10) & 31;
                                   d[0] = static_cast<std::uint8_t>(b << 3 | b >> 2);
                                   d[1] = static_cast<std::uint8_t>(g << 3 | g >> 2);
                                   d[2] = static_cast<std::uint8_t>(r << 3 | r >> 2);
                               }
                           });
            break;
        case 24:
            convertRows<3>(sample, stride, topDown, width, height, preview,
                           [](const std::uint8_t* s, std::uint8_t* d, int n) {
                               std::memcpy(d, s, 3 * static_cast<std::size_t>(n));
                           });
            break;
        default:
            convertRows<4>(sample, stride, topDown, width, height, preview,
                           [](const std::uint8_t* s, std::uint8_t* d, int n) {
                               for (int x = 0; x < n; ++x) std::memcpy(d + 3 * x, s + 4 * x, 3);
                           });
            break;
    }
}

std::vector<std::uint8_t> greyPalette() {
    std::vector<std::uint8_t> palette(768);
    for (int i = 0; i < 256; ++i) std::memset(palette.data() + 3 * i, i, 3);
    return palette;
}

}  // namespace

AviFrameDecoder::AviFrameDecoder(FourCC handler, const BitmapInfoHeader& header,
                                 std::span<const std::uint8_t> colorTable)
    : width_(header.width()),
      height_(header.height()),
      bitCount_(header.biBitCount),
      topDown_(header.topDown()),
      palette_(greyPalette()) {
    const FourCC compression = upperCase(header.biCompression);
    if (handler == K3CC) {
        kind_ = AviFrameKind::K3cc;
        if (bitCount_ != 8 && bitCount_ != 12 && bitCount_ != 16 && bitCount_ != 24 && bitCount_ != 32 &&
            bitCount_ != 36 && bitCount_ != 48)
            unsupported();
    } else if (handler == Y800 || compression == Y800 || compression == Y8 || compression == GREY) {
        kind_ = AviFrameKind::Grey;
        bitCount_ = 8;
        topDown_ = true;
    } else if (compression == BI_RGB) {
        kind_ = AviFrameKind::Rgb;
        if (bitCount_ != 8 && bitCount_ != 16 && bitCount_ != 24 && bitCount_ != 32) unsupported();
        // The colour table of an 8-bit frame; entries it lacks stay grey.
        if (bitCount_ == 8) {
            const std::size_t entries =
                std::min<std::size_t>(DibColorTableSize(header) / 4, colorTable.size() / 4);
            for (std::size_t i = 0; i < std::min<std::size_t>(entries, 256); ++i)
                std::memcpy(palette_.data() + 3 * i, colorTable.data() + 4 * i, 3);
        }
    } else if (compression == MJPG) {
        kind_ = AviFrameKind::MotionJpeg;
    } else {
        unsupported();
    }
    stride_ =
        kind_ == AviFrameKind::Grey ? static_cast<std::size_t>(width_) : DibRowStride(width_, bitCount_);
}

std::size_t AviFrameDecoder::usefulSampleBytes() const {
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    // A JPEG picture is far smaller than 8 bytes per pixel; more is not a picture of this size.
    if (kind_ == AviFrameKind::MotionJpeg) return 8 * pixels + 65536;
    return stride_ * static_cast<std::size_t>(height_);
}

bool AviFrameDecoder::oneSamplePerPixel() const {
    if (kind_ == AviFrameKind::Grey) return true;
    if (kind_ == AviFrameKind::K3cc) return bitCount_ == 8 || bitCount_ == 12 || bitCount_ == 16;
    return kind_ == AviFrameKind::Rgb && bitCount_ == 8;
}

bool AviFrameDecoder::decode(std::span<const std::uint8_t> sample, Bitmap24& preview,
                             TTIFFBitMap& highBitFrame) const {
    switch (kind_) {
        case AviFrameKind::Grey:
            greyRows(sample, stride_, true, width_, height_, preview);
            return false;
        case AviFrameKind::Rgb:
            rgbRows(sample, stride_, topDown_, width_, height_, bitCount_, palette_.data(), preview);
            return false;
        case AviFrameKind::MotionJpeg:
            if (!decodeMotionJpeg(sample, width_, height_, preview)) throw AviError(AviMessages::Decompress);
            return false;
        case AviFrameKind::K3cc:
            if (highBit()) {
                decodeHighBit(sample, preview, highBitFrame);
                return true;
            }
            rgbRows(sample, stride_, topDown_, width_, height_, bitCount_, palette_.data(), preview);
            return false;
    }
    return false;
}

// The raw high-bit path: the stored rows are unpacked (12 and 36 bits) or copied (16 and 48
// bits) into a DIB of 16 or 48 bits, whose samples fill the high-bit frame and whose high bytes
// are shown.
void AviFrameDecoder::decodeHighBit(std::span<const std::uint8_t> sample, Bitmap24& preview,
                                    TTIFFBitMap& highBitFrame) const {
    PackedDib dib, display;
    if (CreateDIBBuffer(dib, width_, height_, UnpackedBitCount(bitCount_)) == 0)
        throw AviError(AviMessages::Decompress);
    if (bitCount_ == 12 || bitCount_ == 36)
        Unpack12To16(sample, topDown_, dib);
    else
        CopyDIBBits(sample, stride_, topDown_, dib);
    try {
        LoadDibIntoHighBitBuffer(dib, highBitFrame);
    } catch (const std::bad_alloc&) {
        throw AviError(AviMessages::Decompress);
    }
    ReduceTo8BitPerSample(dib, display);
    if (display.empty()) throw AviError(AviMessages::Decompress);
    rgbRows(display.bits, display.stride(), false, width_, height_, display.bitCount(), palette_.data(),
            preview);
}

void AviFrameDecoder::decodeMosaic(std::span<const std::uint8_t> sample, Bitmap24& preview) const {
    if (!oneSamplePerPixel()) {
        TTIFFBitMap unused;
        decode(sample, preview, unused);
        return;
    }
    // Stored row y goes to preview row y: as "top down" the row order stays as it is.
    if (bitCount_ == 8) {
        greyRows(sample, stride_, true, width_, height_, preview);
    } else if (bitCount_ == 16) {
        convertRows<2>(sample, stride_, true, width_, height_, preview,
                       [](const std::uint8_t* s, std::uint8_t* d, int n) {
                           for (int x = 0; x < n; ++x) d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = s[2 * x + 1];
                       });
    } else {
        PackedDib dib;
        if (CreateDIBBuffer(dib, width_, height_, 16) == 0) throw AviError(AviMessages::Decompress);
        Unpack12To16(sample, false, dib);
        convertRows<2>(dib.bits, dib.stride(), true, width_, height_, preview,
                       [](const std::uint8_t* s, std::uint8_t* d, int n) {
                           for (int x = 0; x < n; ++x) d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = s[2 * x + 1];
                       });
    }
}

void AviFrameDecoder::blank(Bitmap24& preview, TTIFFBitMap& highBitFrame) const {
    preview.resize(width_, height_);
    if (highBit()) {
        highBitFrame.releaseHighBits();
        highBitFrame.resize(width_ + 1, height_ + 1);
        highBitFrame.allocateHighBits();
    }
}

const std::vector<AviCodecInfo>& AviDecodableCodecs() {
    static const std::vector<AviCodecInfo> codecs = {
        {"DIB ", "uncompressed 8 (colour table), 16 (RGB555), 24 and 32 bit"},
        {"Y800", "8-bit grey"},
        {"Y8  ", "8-bit grey"},
        {"GREY", "8-bit grey"},
        {"MJPG", "Motion JPEG"},
        {"K3CC", "packed 12/36-bit and raw 8/16/24/32/48-bit frames"},
    };
    return codecs;
}

std::vector<std::string> AviCodecListLines() {
    std::vector<std::string> lines;
    for (const AviCodecInfo& codec : AviDecodableCodecs())
        lines.push_back("vidc." + codec.fourCC + "  " + codec.description);
    return lines;
}

}  // namespace kestrave
