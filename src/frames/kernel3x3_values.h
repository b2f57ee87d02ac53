#pragma once
// The 3 x 3 kernel of the alignment prefilter and the stack filter as a value.

#include <array>
#include <cstdint>

namespace kestrave {

// Element 0 is the divisor; elements 1..9 are the weights row by row: 1..3 the row above (left,
// centre, right), 4..6 the pixel's own row, 7..9 the row below. The active kernel, `Kernel3x3`,
// is a value of this type in the program state, set by the kernel editors.
using TKernel3x3 = std::array<std::int32_t, 10>;
// The kernel at start-up: the preset "lowpass1", divisor 9 and nine weights 1.
inline constexpr TKernel3x3 DefaultKernel3x3{9, 1, 1, 1, 1, 1, 1, 1, 1, 1};

}  // namespace kestrave
