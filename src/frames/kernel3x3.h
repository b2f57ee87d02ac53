#pragma once
// The 3 x 3 integer convolution of a 24-bit bitmap that serves as alignment prefilter and stack
// filter.

#include <array>
#include <cstdint>

#include "frames/kernel3x3_values.h"
#include "platform/bitmap24.h"

namespace kestrave {

// Filters the bitmap in place. Only interior pixels change; the border rows and columns keep
// their values, so a bitmap narrower or lower than 3 pixels is left as it is.
//
// The green channel is filtered first to find its range: v = (sum of weight x value) / divisor,
// truncating toward zero, with lo the smallest v (starting at 255) and hi the largest (starting
// at 0); hi = lo becomes hi = lo + 0.1. Then each output byte is
//     clamp(round((v - lo) / (hi - lo) * 255)),
// red always, blue and green with colourStack set (all mapped with the green range), while a
// monochrome run copies the new red byte into green and blue. A divisor of 0 counts as 1.
void Convolve3x3(const TKernel3x3& Kernel, Bitmap24& Bitmap, bool colourStack);

}  // namespace kestrave
