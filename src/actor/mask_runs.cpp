#include "actor/mask_runs.h"

namespace kestrave {
namespace {

template <class Opaque>
RunRects collectRuns(int width, int height, Opaque opaque) {
    RunRects runs;
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            while (x < width && !opaque(x, y)) ++x;
            if (x == width) break;
            const int left = x;
            while (x < width && opaque(x, y)) ++x;
            runs.push_back({left, y, x, y + 1});
        }
    }
    return runs;
}

}  // namespace

RunRects maskRunsIndexed(const std::uint8_t* pixels, int width, int height, std::size_t stride,
                         std::uint8_t transparentIndex) {
    return collectRuns(width, height,
                       [&](int x, int y) { return pixels[y * stride + x] != transparentIndex; });
}

RunRects maskRunsMono(const std::uint8_t* bits, int width, int height, std::size_t stride,
                      bool transparentBit) {
    return collectRuns(width, height, [&](int x, int y) {
        const bool bit = (bits[y * stride + x / 8] >> (7 - x % 8)) & 1;
        return bit != transparentBit;
    });
}

}  // namespace kestrave
