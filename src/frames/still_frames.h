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
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "frames/frame_model.h"
#include "frames/pixel_helpers.h"
#include "frames/plane.h"
#include "platform/bitmap24.h"
#include "platform/errors.h"

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

// A file that is readable but whose contents this reader cannot take, with the caption of the
// message that reports it.
class FrameFormatError : public FileError {
public:
    FrameFormatError(std::string caption, const std::string& text) : FileError(text), caption_(std::move(caption)) {}
    const std::string& caption() const { return caption_; }

private:
    std::string caption_;
};

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

// Fills the plane, whose columns are contiguous, from a picture read row by row: plane[x][y] :=
// valueAt(x, y). Rows are taken in bands so that each column is written a cache line at a time.
template <typename ValueAt>
void fillPlaneByRows(T2dArrays& plane, ValueAt valueAt) {
    constexpr int band = 16;
    const int width = plane.xCount();
    const int height = plane.yCount();
    for (int y0 = 0; y0 < height; y0 += band) {
        const int y1 = std::min(height, y0 + band);
        for (int x = 0; x < width; ++x) {
            float* column = plane[x];
            for (int y = y0; y < y1; ++y) column[y] = valueAt(x, y);
        }
    }
}

// Runs a clean-up when the scope ends, however it ends (used around the C libraries' handles).
template <typename Cleanup>
class ScopeExit {
public:
    explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
    ~ScopeExit() { cleanup_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Cleanup cleanup_;
};

// Refuses a picture of a size no reader should allocate (message names the file).
void checkPictureSize(std::int64_t width, std::int64_t height, const std::filesystem::path& file);

// The file name for messages: without its folder.
std::string displayName(const std::filesystem::path& file);

}  // namespace kestrave
