// TIFF frames: the directory, strips, LZW, predictors, byte orders, colour maps, CMYK; read as
// a TIFF input frame is read, stretched by its largest grey sample.

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
    });
    return 0;
}
