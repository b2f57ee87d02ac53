// JPEG pictures through the libjpeg wrapper: grey and colour, damaged and truncated data.

#include "frames/jpeg_reader.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::expectMessages([&] {
        const Bitmap24 picture = decodeJpeg({data, size}, "input.jpg");
        FUZZ_CHECK(!picture.empty());
        FUZZ_CHECK(picture.width() <= MaxPictureSide && picture.height() <= MaxPictureSide);
    });
    return 0;
}
