#pragma once
// Decoders of AVI video frames in place of the platform's installed codecs: uncompressed DIB
// frames of 8 (with colour table), 16 (RGB555), 24 and 32 bits, 8-bit grey ("Y800", "Y8",
// "GREY"), Motion JPEG through libjpeg, and the capture tool's "K3CC" frames (packed 12 and 36
// bits, raw 16 and 48 bits, and plain 8/24/32-bit rows). A frame becomes the 24-bit preview,
// top row first; frames deeper than 8 bits also fill the 16-bit samples of the high-bit frame.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/avi_codecs.h"
#include "platform/avi_file.h"
#include "platform/bitmap24.h"

namespace kestrave {

enum class AviFrameKind {
    Rgb,         // uncompressed DIB: 8 bits through the colour table, 16 (RGB555), 24, 32
    Grey,        // one byte per pixel, rows unpadded and top row first
    MotionJpeg,  // one JPEG picture per frame
    K3cc,        // the capture tool's raw rows, bottom row first
};

class AviFrameDecoder {
public:
    // Picks the decoder for a stream: the handler "K3CC" or "Y800" reads raw frames, otherwise
    // the format's compression code decides. Throws AviError("Failed to start AVI
    // decompression") when no decoder fits.
    AviFrameDecoder(FourCC handler, const BitmapInfoHeader& header, std::span<const std::uint8_t> colorTable);
    explicit AviFrameDecoder(const AviFile& file)
        : AviFrameDecoder(file.streamInfo().fccHandler, file.bitmapInfo(), file.colorTable()) {}

    AviFrameKind kind() const { return kind_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitCount() const { return bitCount_; }
    // Frames deeper than 8 bits per sample (the packed and raw high-bit variants).
    bool highBit() const {
        return kind_ == AviFrameKind::K3cc &&
               (bitCount_ == 12 || bitCount_ == 16 || bitCount_ == 36 || bitCount_ == 48);
    }
    // The most bytes of a sample that a decode uses; a longer sample need not be read whole.
    std::size_t usefulSampleBytes() const;

    // Decodes one sample into `preview` (resized to the frame when its size differs) and, for a
    // high-bit frame, into the samples of `highBitFrame`; returns whether it was high-bit. A
    // short uncompressed sample leaves the rows it does not reach black. Throws
    // AviError(Decompress) for a picture that cannot be decoded.
    bool decode(std::span<const std::uint8_t> sample, Bitmap24& preview, TTIFFBitMap& highBitFrame) const;

    // The raw mosaic of a colour-sensor (Bayer) video for the debayering step: for formats of
    // one sample per pixel, the sample (its high byte beyond 8 bits) of stored row y, column x
    // becomes the blue, green and red byte of pixel (x, y), rows not turned; other formats are
    // decoded as by decode().
    void decodeMosaic(std::span<const std::uint8_t> sample, Bitmap24& preview) const;

    // A frame with nothing to show (an empty sample read before any other frame): black.
    void blank(Bitmap24& preview, TTIFFBitMap& highBitFrame) const;

private:
    bool oneSamplePerPixel() const;
    void decodeHighBit(std::span<const std::uint8_t> sample, Bitmap24& preview,
                       TTIFFBitMap& highBitFrame) const;

    AviFrameKind kind_ = AviFrameKind::Rgb;
    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    bool topDown_ = false;
    std::size_t stride_ = 0;
    // Blue, green, red per 8-bit value.
    std::vector<std::uint8_t> palette_;
};

// Decodes a JPEG picture of exactly width x height pixels into the preview; false when the data
// is no such picture.
bool decodeMotionJpeg(std::span<const std::uint8_t> data, int width, int height, Bitmap24& preview);

}  // namespace kestrave
