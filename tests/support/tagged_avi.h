#pragma once
// A small grey AVI video whose frames tell themselves apart: frame k carries the tag first + k.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/bitmap24.h"
#include "support/avi_test_writer.h"

namespace kestrave::test {

// A grey (Y800) video of 8 x 6 pixels; frame k carries the tag first + k in its first two
// pixels (low byte, high byte; read back with tagOf) and a pattern of its own in the others.
inline void writeTaggedAvi(const std::filesystem::path& path, int count, int first = 0) {
    AviTestFormat format;
    format.handler = format.compression = "Y800";
    format.width = 8;
    format.height = 6;
    AviTestWriter writer(path, format);
    for (int k = 0; k < count; ++k) {
        const int tag = first + k;
        std::vector<std::uint8_t> frame(48);
        for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(tag * 13 + i * 7);
        frame[0] = static_cast<std::uint8_t>(tag);
        frame[1] = static_cast<std::uint8_t>(tag >> 8);
        writer.addFrame(frame);
    }
    writer.finish();
}

// The tag of a test frame: the blue bytes of its first two pixels, low byte first.
inline int tagOf(const Bitmap24& b) {
    if (b.empty()) return -1;
    return b.pixel(0, 0)[0] | (b.width() > 1 ? b.pixel(1, 0)[0] << 8 : 0);
}

}  // namespace kestrave::test
