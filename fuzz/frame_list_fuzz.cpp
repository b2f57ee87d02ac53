// Frame lists (".kfl"): any text either is refused with a message or gives files of one kind,
// at most FrameCapacity of them (one for a SER video), each a line of the list; the files read,
// written as a list and read back, are the same.

#include <algorithm>

#include "frames/frame_list.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.kfl");
    fuzz::expectMessages([&] {
        const FrameListEntries entries = readFrameList(path, InputFilter::None);
        FUZZ_CHECK(entries.files.size() <= static_cast<std::size_t>(FrameCapacity));
        if (entries.kind == InputFilter::SER) FUZZ_CHECK(entries.files.size() <= 1);
        FUZZ_CHECK(!entries.capped || entries.files.size() == static_cast<std::size_t>(FrameCapacity));
        for (const std::string& file : entries.files) {
            FUZZ_CHECK(!file.empty() && file.size() <= MaxFrameListLine);
            FUZZ_CHECK(frameListKind(file) == entries.kind);
            FUZZ_CHECK(std::none_of(file.begin(), file.end(), [](char c) { return c == '\n' || c == '\r' || c == 0; }));
        }
        const auto copy = fuzz::scratchFile("copy.kfl");
        writeFrameList(copy, entries.files);
        const FrameListEntries reread = readFrameList(copy, entries.kind);
        FUZZ_CHECK(reread.files == entries.files && reread.leftOut == 0);
    });
    return 0;
}
