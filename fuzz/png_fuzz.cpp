// PNG frames through the libpng wrapper: every colour type and depth, damaged chunks; a 16-bit
// picture also fills the 16-bit frame, whose samples survive the program's own PNG writer.

#include <algorithm>

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
        if (!sixteenBit) {
            FUZZ_CHECK(highBitFrame.empty());
            return;
        }
        FUZZ_CHECK(highBitFrame.width() == preview.width() + 1 &&
                   highBitFrame.height() == preview.height() + 1);
        FUZZ_CHECK(highBitFrame.HighBitsAllocated());
        // The samples read, saved by the program's 16-bit PNG writer and read back, are the same.
        const auto copy = fuzz::scratchFile("copy.png");
        SavePNGImage(copy, preview, highBitFrame, "fuzz");
        Bitmap24 rereadPreview;
        TTIFFBitMap reread;
        FUZZ_CHECK(LoadPNGFrame(copy, rereadPreview, reread, state));
        FUZZ_CHECK(reread.width() == highBitFrame.width() && reread.height() == highBitFrame.height());
        for (int y = 0; y < preview.height(); ++y) {
            const std::size_t samples = 3 * static_cast<std::size_t>(preview.width());
            FUZZ_CHECK(std::equal(highBitFrame.HighBitRow(y), highBitFrame.HighBitRow(y) + samples,
                                  reread.HighBitRow(y)));
        }
    });
    return 0;
}
