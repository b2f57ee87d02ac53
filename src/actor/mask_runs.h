#pragma once
// The shape of a masked picture as one-row rectangles: every run of pixels that are not
// transparent in a row becomes (left, row, right + 1, row + 1). Rows are visited top down and
// each row from left to right, so the list is in the banded order that window regions use.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrave {

// Right and bottom are exclusive.
struct RunRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const RunRect&) const = default;
};
using RunRects = std::vector<RunRect>;

// An 8-bit palette picture: pixels equal to `transparentIndex` are transparent. `stride` is the
// distance between rows in bytes (at least `width`).
RunRects maskRunsIndexed(const std::uint8_t* pixels, int width, int height, std::size_t stride,
                         std::uint8_t transparentIndex);

// A 1-bit picture, most significant bit first: pixels whose bit equals `transparentBit` are
// transparent.
RunRects maskRunsMono(const std::uint8_t* bits, int width, int height, std::size_t stride,
                      bool transparentBit);

}  // namespace kestrave
