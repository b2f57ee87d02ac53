// TIFF frames: the directory, strips, LZW, predictors, byte orders, colour maps, CMYK; read as
// a TIFF input frame is read, stretched by its largest grey sample; the samples read survive the
// program's own 48-bit writer, plain or LZW.

#include <algorithm>

#include "frames/tiff_frame.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.tif");
    Bitmap24 preview;
    TTIFFBitMap frame;
    FrameReaderState state;
    std::uint16_t hiValue = 0;
    fuzz::expectMessages([&] {
        const ReadFrameSize read = ReadTiffFrame(path, hiValue, true, preview, frame, state);
        FUZZ_CHECK(read.width <= MaxFrameSize && read.height <= MaxFrameSize);
        FUZZ_CHECK(frame.width() == read.fileWidth && frame.height() == read.fileHeight);
        FUZZ_CHECK(preview.width() == frame.width() && preview.height() == frame.height());
        FUZZ_CHECK(frame.empty() || frame.HighBitsAllocated());
        if (frame.empty() || std::int64_t{frame.width()} * frame.height() > (1 << 20)) return;
        // The 16-bit samples read, saved as the program saves its result and read back, are the same.
        const bool compress = (size & 1) != 0;
        TTIFFBitMap reread;
        std::uint16_t unused = 0;
        reread.loadFromTIFFBytes(TTIFFBitMap::encodeTIFF(frame, 48, compress), unused);
        FUZZ_CHECK(reread.width() == frame.width() && reread.height() == frame.height());
        for (int y = 0; y < frame.height(); ++y)
            FUZZ_CHECK(std::equal(frame.HighBitRow(y), frame.HighBitRow(y) + frame.samplesPerRow(),
                                  reread.HighBitRow(y)));
    });
    return 0;
}
