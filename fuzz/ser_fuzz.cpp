// SER videos: the header checks and the frames, as the program opens a video and then browses it.

#include "frame_checks.h"
#include "frames/ser_reader.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.ser");
    T2dArrays plane;
    Bitmap24 preview;
    FrameReaderState state;
    fuzz::expectMessages([&] {
        const SerOpenResult opened = OpenSerFile(path, plane, preview, state);
        FUZZ_CHECK(opened.opened);
        fuzz::checkRawFrame(opened.size, plane, preview);
        FUZZ_CHECK(state.SerFrameCount >= 1);
        // The last frame the file holds, and one past it (which reads nothing).
        FUZZ_CHECK(ReadSerFrame(path, state.SerFrameCount - 1, plane, preview, state));
        FUZZ_CHECK(!ReadSerFrame(path, state.SerFrameCount, plane, preview, state));
    });
    return 0;
}
