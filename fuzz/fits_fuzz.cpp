// FITS images: header cards, BITPIX, BZERO and the data rows.

#include "frame_checks.h"
#include "frames/fits_reader.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.fit");
    T2dArrays plane;
    Bitmap24 preview;
    FrameReaderState state;
    fuzz::expectMessages([&] {
        const FitsReadResult result = ReadFitsFrame(path, plane, preview, state);
        FUZZ_CHECK(result.read);
        fuzz::checkRawFrame(result.size, plane, preview);
    });
    return 0;
}
