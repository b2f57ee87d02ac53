// Sigma event boxes (".ksb"): any text reads as a box of type 0 or 1; the box, written and read
// back, is the same.

#include "fuzz_support.h"
#include "stacking/sigma_events.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.ksb");
    const auto copy = fuzz::scratchFile("copy.ksb");
    fuzz::expectMessages([&] {
        const SigmaBox box = readSigmaBox(path, 640, 480);
        FUZZ_CHECK(box.Type == 0 || box.Type == 1);
        writeSigmaBox(copy, box);
        const SigmaBox reread = readSigmaBox(copy, 1, 1);
        FUZZ_CHECK(reread.Type == box.Type && reread.Top == box.Top && reread.Bottom == box.Bottom &&
                   reread.Left == box.Left && reread.Right == box.Right);
    });
    return 0;
}
