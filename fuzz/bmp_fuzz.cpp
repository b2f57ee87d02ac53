// Windows bitmaps: every header size, depth, bit-field mask and RLE run.

#include "frames/bmp_reader.h"
#include "frames/still_frames.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::expectMessages([&] {
        const Bitmap24 picture = decodeBmp({data, size}, "input.bmp");
        FUZZ_CHECK(!picture.empty());
        FUZZ_CHECK(picture.width() <= MaxPictureSide && picture.height() <= MaxPictureSide);
    });
    return 0;
}
