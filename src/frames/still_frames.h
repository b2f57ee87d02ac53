#pragma once
// What the still-frame readers (SER, FITS, TIFF, JPEG, PNG, BMP) share: the facts they keep
// about the last frame read, the errors they raise, the size limits for still pictures, and the
// mapping of samples onto the grey 0..255 preview.
//
// Every reader leaves a frame in destinations the caller hands it by reference: the preview
// bitmap, the raw float plane (SER and FITS samples as the file holds them) and the 16-bit frame
// (TIFF and 16-bit PNG). A reader first reads and checks everything it needs; only then does it
// write its destinations and the facts below, so a failed read leaves the previous frame, its
// size and the facts exactly as they were.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>

#include "frames/frame_errors.h"
#include "frames/frame_model.h"
#include "frames/pixel_helpers.h"
#include "frames/plane.h"
#include "platform/bitmap24.h"
#include "platform/errors.h"
#include "platform/level_bitmap.h"
#include "platform/parallel.h"

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace kestrave {

// JPEG, PNG and BMP pictures beyond these are refused before anything is allocated: a small
// hostile file can claim a picture of many gigabytes.
inline constexpr int MaxPictureSide = 16384;
inline constexpr std::int64_t MaxPicturePixels = 100'000'000;

// The facts the readers leave about the last frame read.
struct FrameReaderState {
    int SerPixelDepth = 8;  // 8 for 8-bit SER, 16 for any deeper SER
    int SerFrameCount = 0;  // frames the SER file holds completely
    int FrameChannel = 1;   // 0 red, 1 green or grey, 2 blue, 3 luminance
    int FitsBitpix = 0;
    std::string FitsInfoText;     // "16bits, lo:12 hi:4000"
    bool LumFrameLoaded = false;  // a luminance ("_L") FITS frame was read
    int SerFrameWidth = 0;
    int SerFrameHeight = 0;
    int FitsFrameWidth = 0;
    int FitsFrameHeight = 0;
    int TiffFrameWidth = 0;  // before clamping
    int TiffFrameHeight = 0;
    int JpgFrameWidth = 0;
    int JpgFrameHeight = 0;
    int PngFrameWidth = 0;
    int PngFrameHeight = 0;
    std::uint16_t HighBitMaxValue = 0;  // largest 16-bit grey sample of the last TIFF frame
};

// The size a reader hands on to the frame model: ImageWidth, ImageHeight, FrameWidth and
// FrameHeight take width and height (clamped to MaxFrameSize; SER and FITS frames beyond it keep
// their first columns and file rows); fileWidth and fileHeight are the size the file declares.
struct ReadFrameSize {
    int width = 0;
    int height = 0;
    int fileWidth = 0;
    int fileHeight = 0;
};

// Turns the grey mosaic of a colour-sensor frame into colour, in place. An empty hook leaves the
// frame grey.
using DebayerHook = std::function<void(Bitmap24&)>;

// The grey level of value v on a scale where lo shows as 0 and lo + range as 255:
// ClampByte(Round((v - lo) / range * 255)), clamped in floating point before the conversion.
inline std::uint8_t greyLevel(double v, double lo, double range) {
    const double t = std::nearbyint((v - lo) / range * 255.0);
    if (std::isnan(t)) return 0;
    return static_cast<std::uint8_t>(ClampByte(static_cast<int>(std::clamp(t, -1.0, 256.0))));
}

// Gives the raw plane and the preview the size width x height. Fresh ones are allocated only
// when the size differs, and are swapped in whole, so a failed allocation changes neither.
void sizeRawFrame(T2dArrays& plane, Bitmap24& preview, int width, int height);
// As above for those of the two that are given (a null pointer leaves that one alone), and the
// levels when given.
void sizeRawFrame(T2dArrays* plane, Bitmap24* preview, int width, int height, LevelBitmap* levels = nullptr);

// Fills the plane, whose columns are contiguous, from a picture read row by row: rowOf(y) gives
// row y of the picture and value(row, x) the float at column x of that row; only the rows
// [firstRow, endRow) when given. Bands of four rows, spread over the cores, are converted a
// stretch of columns at a time into a small buffer and turned there in blocks of 4 x 4, so that
// each column takes four values in one store.
template <typename RowOf, typename ValueIn>
void fillPlaneByRows(T2dArrays& plane, RowOf rowOf, ValueIn value, int firstRow = 0,
                     int endRow = std::numeric_limits<int>::max()) {
    // Four floats stored at any float position (a float-typed store, so it aliases nothing else).
    // Declared with typedef: only there does every compiler take the lowered alignment (clang
    // ignores it in an alias declaration and would store as if aligned to 16 bytes).
    typedef float Float4 __attribute__((vector_size(16), aligned(4)));
    constexpr int band = 4;
    constexpr int stretch = 1024;
    const int width = plane.xCount();
    const int height = plane.yCount();
    float* const cells = plane.data();
    const int top = std::max(firstRow, 0), end = std::min(endRow, height);
    parallelForRange(
        0, std::max(end - top + band - 1, 0) / band, [=](std::ptrdiff_t first, std::ptrdiff_t last) {
            float buffer[band][stretch];
            for (std::ptrdiff_t b = first; b < last; ++b) {
                const int y0 = top + static_cast<int>(b) * band;
                const int rows = std::min(band, end - y0);
                for (int x0 = 0; x0 < width; x0 += stretch) {
                    const int n = std::min(stretch, width - x0);
                    for (int k = 0; k < rows; ++k) {
                        const auto row = rowOf(y0 + k);
                        float* out = buffer[k];
                        for (int i = 0; i < n; ++i) out[i] = value(row, x0 + i);
                    }
                    int i = 0;
                    if (rows == band) {
                        for (; i + 4 <= n; i += 4) {
                            const Float4 a = *reinterpret_cast<const Float4*>(&buffer[0][i]);
                            const Float4 c = *reinterpret_cast<const Float4*>(&buffer[1][i]);
                            const Float4 e = *reinterpret_cast<const Float4*>(&buffer[2][i]);
                            const Float4 g = *reinterpret_cast<const Float4*>(&buffer[3][i]);
                            const Float4 ac01 = __builtin_shufflevector(a, c, 0, 4, 1, 5);
                            const Float4 ac23 = __builtin_shufflevector(a, c, 2, 6, 3, 7);
                            const Float4 eg01 = __builtin_shufflevector(e, g, 0, 4, 1, 5);
                            const Float4 eg23 = __builtin_shufflevector(e, g, 2, 6, 3, 7);
                            float* column = cells + static_cast<std::size_t>(x0 + i) * height + y0;
                            *reinterpret_cast<Float4*>(column) =
                                __builtin_shufflevector(ac01, eg01, 0, 1, 4, 5);
                            *reinterpret_cast<Float4*>(column + height) =
                                __builtin_shufflevector(ac01, eg01, 2, 3, 6, 7);
                            *reinterpret_cast<Float4*>(column + 2 * height) =
                                __builtin_shufflevector(ac23, eg23, 0, 1, 4, 5);
                            *reinterpret_cast<Float4*>(column + 3 * height) =
                                __builtin_shufflevector(ac23, eg23, 2, 3, 6, 7);
                        }
                    }
                    // The columns and rows left over.
                    for (; i < n; ++i) {
                        float* column = cells + static_cast<std::size_t>(x0 + i) * height + y0;
                        for (int k = 0; k < rows; ++k) column[k] = buffer[k][i];
                    }
                }
            }
        });
}

// Stores the 8 bytes of w at out. A streaming store goes around the caches, for a picture of
// which little is read back soon; a thread that streams calls endStreaming() before it hands the
// picture on.
template <bool Streaming>
inline void storeWord(std::uint8_t* out, std::uint64_t w) {
#if defined(__SSE2__) && defined(__x86_64__)
    if constexpr (Streaming) {
        _mm_stream_si64(reinterpret_cast<long long*>(out), static_cast<long long>(w));
        return;
    }
#endif
    std::memcpy(out, &w, 8);
}

inline void endStreaming() {
#if defined(__SSE2__) && defined(__x86_64__)
    _mm_sfence();
#endif
}

// Packs one row of a grey preview: pixel x of `out` gets blue = green = red = levelOf(source, x).
// Everything arrives by value, so the byte stores alias none of it.
template <bool Streaming = false, typename Source, typename LevelIn>
void packGreyRow(std::uint8_t* out, Source source, int columns, LevelIn levelOf) {
    int x = 0;
    // Eight pixels make 24 bytes: three 64-bit words of the eight levels, each three times.
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 8 <= columns; x += 8, out += 24) {
            std::uint64_t l[8];
            for (int i = 0; i < 8; ++i) l[i] = levelOf(source, x + i);
            const std::uint64_t w0 = l[0] * 0x010101u | l[1] * 0x010101u << 24 | l[2] * 0x0101u << 48;
            const std::uint64_t w1 = l[2] | l[3] * 0x010101u << 8 | l[4] * 0x010101u << 32 | l[5] << 56;
            const std::uint64_t w2 = l[5] * 0x0101u | l[6] * 0x010101u << 16 | l[7] * 0x010101u << 40;
            storeWord<Streaming>(out, w0);
            storeWord<Streaming>(out + 8, w1);
            storeWord<Streaming>(out + 16, w2);
        }
    }
    for (; x < columns; ++x, out += 3) out[0] = out[1] = out[2] = levelOf(source, x);
}

// Packs one row of levels: byte x of `out` gets levelOf(source, x).
template <bool Streaming = false, typename Source, typename LevelIn>
void packLevelRow(std::uint8_t* out, Source source, int columns, LevelIn levelOf) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 8 <= columns; x += 8, out += 8) {
            std::uint64_t w = 0;
            for (int i = 0; i < 8; ++i) w |= static_cast<std::uint64_t>(levelOf(source, x + i)) << (8 * i);
            storeWord<Streaming>(out, w);
        }
    }
    for (; x < columns; ++x, ++out) *out = levelOf(source, x);
}

// One row of a grey picture of either form: `Picture` is Bitmap24 or LevelBitmap.
template <typename Picture, bool Streaming = false, typename Source, typename LevelIn>
void packPictureRow(std::uint8_t* out, Source source, int columns, LevelIn levelOf) {
    if constexpr (std::is_same_v<Picture, LevelBitmap>)
        packLevelRow<Streaming>(out, source, columns, levelOf);
    else
        packGreyRow<Streaming>(out, source, columns, levelOf);
}

// Fills a grey picture, 24-bit or of levels (the rows of `band` alone), rows spread over the
// cores: pixel (x, y) gets the level level(rowOf(y), x) (in a 24-bit picture as blue, green and
// red). rowOf and level are copied into each thread.
template <typename Picture, typename RowOf, typename LevelIn>
void fillGreyPreview(Picture& preview, RowOf rowOf, LevelIn level, RowBand band = {}) {
    const int width = preview.width();
    std::uint8_t* const bits = preview.bits();
    const std::size_t stride = preview.stride();
    const int first = std::max(band.first, 0), end = std::min(band.end, preview.height());
    parallelForRange(first, std::max(first, end), [=](std::ptrdiff_t first, std::ptrdiff_t last) {
        for (std::ptrdiff_t y = first; y < last; ++y) {
            packPictureRow<Picture>(bits + static_cast<std::size_t>(y) * stride, rowOf(static_cast<int>(y)),
                                    width, level);
        }
    });
}

// Refuses a picture of a size no reader should allocate (message names the file).
void checkPictureSize(std::int64_t width, std::int64_t height, const std::filesystem::path& file);

// The file name for messages: without its folder.
std::string displayName(const std::filesystem::path& file);

}  // namespace kestrave
