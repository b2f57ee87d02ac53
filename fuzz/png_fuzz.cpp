// PNG pictures through the libpng wrapper: every colour type and depth, damaged chunks.

#include "frames/png_io.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::expectMessages([&] {
        const PngPicture picture = decodePng({data, size}, "input.png");
        FUZZ_CHECK(!picture.preview.empty());
        FUZZ_CHECK(picture.preview.width() <= MaxPictureSide && picture.preview.height() <= MaxPictureSide);
        FUZZ_CHECK(picture.bitDepth == 8 || picture.bitDepth == 16);
        const std::size_t samples =
            picture.bitDepth == 16
                ? std::size_t{3} * picture.preview.width() * static_cast<std::size_t>(picture.preview.height())
                : 0;
        FUZZ_CHECK(picture.samples.size() == samples);
    });
    return 0;
}
