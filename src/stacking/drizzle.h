#pragma once
// The drizzle drop: every frame pixel is shrunk to a square drop of Pixfrac percent of its side,
// moved by the frame's sub-pixel shift, and spread over the stack pixels it overlaps in
// proportion to the overlap.
//
// In stack pixels (one frame pixel is `factor` of them) the drop of the frame pixel at column x
// starts at
//     Round(x * factor) + 0.5 * factor - sub * factor + (x * factor - Round(x * factor))
// and is Pixfrac * 0.01 * factor long. The sub-pixel shift is subtracted: a frame whose content
// lies `sub` pixels to the right of the reference (the optimizer's SubPixelX) is moved back onto
// it. The drop is the same in every frame otherwise, so the constant half-pixel start only moves
// the whole stack. The overlaps along the two axes multiply, so a drop is an outer product of two
// axis weight lists, each normalised to a sum of 1.

#include <array>

namespace kestrave {

// A drop covers at most this many stack pixels per axis (factor up to 3, any phase and shift).
inline constexpr int MaxDropCells = 6;
inline constexpr float MinDrizzleFactor = 1.0f;
inline constexpr float MaxDrizzleFactor = 3.0f;

// One axis of a drop: the stack pixels target + first .. target + first + count - 1 and their
// weights, which sum to 1.
struct DropAxis {
    int first = 0;
    int count = 0;
    std::array<float, MaxDropCells> weight{};
};

// The drop axis of a frame pixel. `sub` is clamped to -0.5..0.5 (a larger value is not a
// sub-pixel shift), `factor` to 1..3 and `pixfrac` to 10..100 percent; `phase` is
// x * factor - Round(x * factor), 0 for whole factors.
DropAxis drizzleDropAxis(float sub, float factor, float pixfrac, float phase = 0.0f);

}  // namespace kestrave
