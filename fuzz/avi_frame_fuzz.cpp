// The AVI frame decoders by themselves, without the file around them: uncompressed DIB rows of
// every depth with their colour table, 8-bit grey, the capture tool's packed 12/36-bit and raw
// 16/48-bit frames, and Motion JPEG, each as a frame and as a colour-sensor mosaic.
//
// Input: flags (1 byte), the stream handler (4 bytes), a BITMAPINFOHEADER (40 bytes), the
// colour-table length (1 byte, in entries of 4 bytes), the colour table, then the sample.

#include "codecs/avi_dib.h"
#include "frames/avi_decode.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t Fixed = 1 + 4 + BitmapInfoHeader::Size + 1;
    if (size < Fixed) return 0;
    const std::uint8_t flags = data[0];
    const FourCC handler = readLE32(data + 1);
    const BitmapInfoHeader header = BitmapInfoHeader::parse(data + 5);
    const std::size_t tableBytes = std::min<std::size_t>(4 * std::size_t{data[Fixed - 1]}, size - Fixed);
    const std::span<const std::uint8_t> colorTable(data + Fixed, tableBytes);
    const std::span<const std::uint8_t> sample(data + Fixed + tableBytes, size - Fixed - tableBytes);

    // The sizes the file reader lets through to a decoder.
    const std::int64_t width = header.biWidth;
    const std::int64_t height = header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
    if (width < 1 || height < 1 || width > AviMaxFrameSide || height > AviMaxFrameSide ||
        width * height > AviMaxFramePixels)
        return 0;

    fuzz::expectMessages([&] {
        const AviFrameDecoder decoder(handler, header, colorTable);
        FUZZ_CHECK(decoder.width() == width && decoder.height() == height);
        Bitmap24 preview;
        TTIFFBitMap highBitFrame;
        if (flags & 1) {
            decoder.decodeMosaic(sample, preview);
        } else if (flags & 2) {
            decoder.blank(preview, highBitFrame);
        } else {
            const bool highBit = decoder.decode(sample, preview, highBitFrame);
            FUZZ_CHECK(highBit == decoder.highBit());
            if (highBit) {
                FUZZ_CHECK(highBitFrame.width() == width + 1 && highBitFrame.height() == height + 1);
                FUZZ_CHECK(highBitFrame.HighBitsAllocated());
            }
        }
        FUZZ_CHECK(preview.width() == width && preview.height() == height);
    });
    return 0;
}
