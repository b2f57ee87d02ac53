// PNG frames through the libpng wrapper: every colour type and depth, damaged chunks; a 16-bit
// picture also fills the 16-bit frame.

#include "frames/png_io.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.png");
    Bitmap24 preview;
    TTIFFBitMap highBitFrame;
    FrameReaderState state;
    fuzz::expectMessages([&] {
        const bool sixteenBit = LoadPNGFrame(path, preview, highBitFrame, state);
        FUZZ_CHECK(!preview.empty());
        FUZZ_CHECK(preview.width() <= MaxPictureSide && preview.height() <= MaxPictureSide);
        FUZZ_CHECK(state.PngFrameWidth == preview.width() && state.PngFrameHeight == preview.height());
        if (sixteenBit) {
            FUZZ_CHECK(highBitFrame.width() == preview.width() + 1 && highBitFrame.height() == preview.height() + 1);
            FUZZ_CHECK(highBitFrame.HighBitsAllocated());
        } else {
            FUZZ_CHECK(highBitFrame.empty());
        }
    });
    return 0;
}
